#include "ConnectionSettings.h"
#include "ProgramFolders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <future>
#include <random>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace lettore {

// Each line read on its own; what is missing or out of range keeps its default (port 1, 9600, terminal 0).
TEST(ConnectionSettingsTest, ReadsEachLineOnItsOwn)
{
    const std::pair<std::string, const char*> rows[] = {  // file, as written back
        {"", " 1 \r\n9600\r\n 0 \r\n"}, {" 3 \r\n", " 3 \r\n9600\r\n 0 \r\n"},
        {" 3 \r\n4800", " 3 \r\n4800\r\n 0 \r\n"}, {"2\n2400\n5\n", " 2 \r\n2400\r\n 5 \r\n"},
        {"40000\r\n1200\r\n 4 \r\n", " 1 \r\n1200\r\n 4 \r\n"}, {" 2 \r\n1200\r\n-32769\r\n", " 2 \r\n1200\r\n 0 \r\n"},
        {"-5 \r\n1200\r\n-32768 \r\n", "-5 \r\n1200\r\n-32768 \r\n"},
        {"32767\r\n1200\r\n-32768\r\n", " 32767 \r\n1200\r\n-32768 \r\n"},
        {"32768\r\n1200\r\n32768\r\n", " 1 \r\n1200\r\n 0 \r\n"},
        {"32767.5\r\n1200\r\n 7 \r\n", " 1 \r\n1200\r\n 7 \r\n"}, {"abc\r\n9600\r\n\r\n", " 0 \r\n9600\r\n 0 \r\n"},
        {" 3 9\r\n38400,x\r\n 12,4\r\n", " 3 \r\n38400\r\n 12 \r\n"},
        {"3abc\r\n9600\r\n 1 \r\n", " 3 \r\n9600\r\n 1 \r\n"}, {"2.5\r\n9600\r\n3.5\r\n", " 2 \r\n9600\r\n 4 \r\n"},
        {" 1 \r\n  9600  \r\n 0 \r\n", " 1 \r\n9600\r\n 0 \r\n"},
        {"1e400\r\n9600\r\n 5 \r\n", " 1 \r\n9600\r\n 5 \r\n"}, {"1e-400\r\n9600\r\n 5 \r\n", " 0 \r\n9600\r\n 5 \r\n"},
    };
    for (const auto& [contents, read] : rows)
        EXPECT_EQ(ConnectionSettings::parse(contents).text(), read) << contents;
}

// Whole lines of the first 4 KB only; anything but a regular file is not read, and told apart from a missing one.
TEST(ConnectionSettingsTest, ReadsOnlyFourKilobytesOfARegularFile)
{
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("cfgload-" + std::to_string(std::random_device{}()));
    const fs::path file = dir / ConnectionSettings::FileName;
    fs::create_directories(dir);
    std::ofstream(file, std::ios::binary) << " 5 \r\n" << std::string(5000, 'x') << "\r\n 7 \r\n";
    EXPECT_EQ(ConnectionSettings::load(file).text(), " 5 \r\n9600\r\n 0 \r\n");
    fs::remove(file);
    using State = ConnectionSettings::FileState;
    State state = State::Read;
    const auto defaultsAnd = [&](State expected) {
        const bool read = ConnectionSettings::load(file, &state).text() == " 1 \r\n9600\r\n 0 \r\n" && state == expected;
        fs::remove(file);
        return read;
    };
    EXPECT_TRUE(defaultsAnd(State::Missing)) << "nothing";
    fs::create_directory(file);
    EXPECT_TRUE(defaultsAnd(State::Unreadable)) << "folder";
#ifndef _WIN32
    fs::create_symlink("gone", file);
    EXPECT_TRUE(defaultsAnd(State::Missing)) << "link to nothing";
    fs::create_symlink("/dev/zero", file);
    EXPECT_TRUE(defaultsAnd(State::Unreadable)) << "link to /dev/zero";
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);  // with a writer that never closes
    const int writer = ::open(file.c_str(), O_RDWR);
    ASSERT_EQ(::write(writer, " 7 \r\n", 5), 5);
    auto loaded = std::async(std::launch::async, [&] { return defaultsAnd(State::Unreadable); });
    const bool returnedAtOnce = loaded.wait_for(std::chrono::seconds(2)) == std::future_status::ready;
    ::close(writer);
    EXPECT_TRUE(returnedAtOnce && loaded.get()) << "named pipe";
#endif
    fs::remove_all(dir);
}

// A build keeps all beside the program; installed, settings go to the user's folder (made) and the chime to the data.
TEST(ProgramFoldersTest, BuildKeepsAllBesideTheProgramInstalledUsesTheUsersFolder)
{
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / ("folders-" + std::to_string(std::random_device{}()));
    const fs::path bin = root / "bin", data = root / "share" / "lettore", user = root / "home" / "lettore";
    fs::create_directories(bin);
    const ProgramFolders build = ProgramFolders::locate(bin, user);
    EXPECT_EQ(std::make_pair(build.settings, build.data), std::make_pair(bin, bin));
    EXPECT_FALSE(fs::exists(user));
    fs::create_directories(data);
    const ProgramFolders installed = ProgramFolders::locate(bin, user);
    EXPECT_EQ(std::make_pair(installed.settings, installed.data), std::make_pair(user, data));
    EXPECT_TRUE(fs::is_directory(user));
    fs::remove_all(root);
}

}  // namespace lettore
