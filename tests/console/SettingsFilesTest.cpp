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
    const std::pair<std::string, const char*> rows[] = {
        // file, as written back
        {"", " 1 \r\n9600\r\n 0 \r\n"},
        {" 3 \r\n", " 3 \r\n9600\r\n 0 \r\n"},
        {" 3 \r\n4800", " 3 \r\n4800\r\n 0 \r\n"},
        {"2\n2400\n5\n", " 2 \r\n2400\r\n 5 \r\n"},
        {" 2 \r\n1200\r\n-32769\r\n", " 2 \r\n1200\r\n 0 \r\n"},
        {"-5 \r\n1200\r\n-32768 \r\n", "-5 \r\n1200\r\n-32768 \r\n"},
        {"32768\r\n1200\r\n32768\r\n", " 1 \r\n1200\r\n 0 \r\n"},
        {"abc\r\n9600\r\n\r\n", " 0 \r\n9600\r\n 0 \r\n"},
        {" 3 9\r\n38400,x\r\n 12,4\r\n", " 3 \r\n38400\r\n 12 \r\n"},
        {" 1 \r\n  9600  \r\n 0 \r\n", " 1 \r\n9600\r\n 0 \r\n"},
        {"1e-400\r\n9600\r\n 5 \r\n", " 0 \r\n9600\r\n 5 \r\n"},
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
        const bool read
            = ConnectionSettings::load(file, &state).text() == " 1 \r\n9600\r\n 0 \r\n" && state == expected;
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

// A build keeps all beside the program. Installed: an absolute XDG_CONFIG_HOME, then ~/.lettore; settings go to the
// first that can be made and entered (an unusable one named, with the reason), else to none, never the current one.
TEST(ProgramFoldersTest, SettingsGoToTheFirstUsableFolderNeverTheCurrentOne)
{
    namespace fs = std::filesystem;
    using Paths = std::vector<fs::path>;
    const fs::path root = fs::temp_directory_path() / ("folders-" + std::to_string(std::random_device{}()));
    const fs::path bin = root / "bin", data = root / "share" / "lettore", file = root / "file";
    const fs::path usual = root / "home" / "lettore", fallback = root / "home" / ".lettore";
    fs::create_directories(bin);
    const ProgramFolders build = ProgramFolders::locate(bin, {usual});
    EXPECT_EQ(std::make_tuple(build.settings, build.data, build.unusable), std::make_tuple(bin, bin, fs::path()));
    EXPECT_FALSE(fs::exists(usual));
#ifndef _WIN32
    const std::tuple<const char*, const char*, Paths> homes[] = {// XDG_CONFIG_HOME, HOME, folders
                                                                 {"", "/h", {"/h/.config/lettore", "/h/.lettore"}},
                                                                 {"/x", "/h", {"/x/lettore", "/h/.lettore"}},
                                                                 {"x", "/h", {"/h/.config/lettore", "/h/.lettore"}},
                                                                 {"/x", "", {"/x/lettore"}},
                                                                 {"", "h", {}}};
    for (const auto& [xdg, home, folders] : homes)
        EXPECT_EQ(ProgramFolders::userSettingsFolders(xdg, home), folders) << xdg << " " << home;
    fs::create_directories(data);
    std::ofstream(file.string()) << "x";
    const std::string notAFolder = std::make_error_code(std::errc::not_a_directory).message();
    const std::tuple<Paths, fs::path, fs::path, std::string> rows[]
        = {// tried, settings, unusable, reason
           {{usual, fallback}, usual, {}, ""},
           {{file / "lettore", fallback}, fallback, file / "lettore", notAFolder},
           {{file, fallback}, fallback, file, notAFolder},
           {{file / "lettore", file / "x"}, {}, file / "lettore", notAFolder},
           {{}, {}, {}, ""}};
    for (const auto& [tried, settings, unusable, reason] : rows) {
        const ProgramFolders installed = ProgramFolders::locate(bin, tried);
        EXPECT_EQ(std::tie(installed.settings, installed.data, installed.unusable, installed.unusableReason),
                  std::tie(settings, data, unusable, reason))
            << tried.size();
        EXPECT_TRUE(settings.empty() || fs::is_directory(settings)) << settings;
    }
#endif
    fs::remove_all(root);
}

}  // namespace lettore
