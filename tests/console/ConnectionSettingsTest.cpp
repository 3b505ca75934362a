#include "ConnectionSettings.h"

#include <gtest/gtest.h>

#include <chrono>
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
namespace {

// Each line is read on its own; what is missing or out of range keeps its
// default (port 1, 9600, terminal 0).
TEST(ConnectionSettingsTest, ReadsEachLineOnItsOwn)
{
    const struct {
        const char* name;
        std::string contents;
        const char* read;  // as written back
    } rows[] = {
        {"empty file", "", " 1 \r\n9600\r\n 0 \r\n"},
        {"only the port", " 3 \r\n", " 3 \r\n9600\r\n 0 \r\n"},
        {"port and rate, no line end", " 3 \r\n4800", " 3 \r\n4800\r\n 0 \r\n"},
        {"bare line feeds", "2\n2400\n5\n", " 2 \r\n2400\r\n 5 \r\n"},
        {"port out of range keeps default", "40000\r\n1200\r\n 4 \r\n", " 1 \r\n1200\r\n 4 \r\n"},
        {"terminal out of range keeps default", " 2 \r\n1200\r\n-32769\r\n", " 2 \r\n1200\r\n 0 \r\n"},
        {"negative in range", "-5 \r\n1200\r\n-32768 \r\n", "-5 \r\n1200\r\n-32768 \r\n"},
        {"16-bit edges", "32767\r\n1200\r\n-32768\r\n", " 32767 \r\n1200\r\n-32768 \r\n"},
        {"32768 keeps default", "32768\r\n1200\r\n32768\r\n", " 1 \r\n1200\r\n 0 \r\n"},
        {"rounding up to 32768 keeps default", "32767.5\r\n1200\r\n 7 \r\n", " 1 \r\n1200\r\n 7 \r\n"},
        {"no number reads as 0", "abc\r\n9600\r\n\r\n", " 0 \r\n9600\r\n 0 \r\n"},
        {"number ends at blank or comma", " 3 9\r\n38400,x\r\n 12,4\r\n", " 3 \r\n38400\r\n 12 \r\n"},
        {"leading number of a word", "3abc\r\n9600\r\n 1 \r\n", " 3 \r\n9600\r\n 1 \r\n"},
        {"fractions round half to even", "2.5\r\n9600\r\n3.5\r\n", " 2 \r\n9600\r\n 4 \r\n"},
        {"blanks around the rate dropped", " 1 \r\n  9600  \r\n 0 \r\n", " 1 \r\n9600\r\n 0 \r\n"},
        {"too large to read keeps default", "1e400\r\n9600\r\n 5 \r\n", " 1 \r\n9600\r\n 5 \r\n"},
        {"too small to read keeps default", "-1e400\r\n9600\r\n 5 \r\n", " 1 \r\n9600\r\n 5 \r\n"},
        {"too close to 0 to read is 0", "1e-400\r\n9600\r\n 5 \r\n", " 0 \r\n9600\r\n 5 \r\n"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ConnectionSettings::parse(row.contents).text(), row.read) << row.name;
}

class ConnectionSettingsFileTest : public ::testing::Test {
protected:
    ConnectionSettingsFileTest() { std::filesystem::create_directories(dir); }
    ~ConnectionSettingsFileTest() override { std::filesystem::remove_all(dir); }

    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("cfgload-" + std::to_string(std::random_device{}()));
    const std::filesystem::path file = dir / ConnectionSettings::FileName;
};

// Only the first 4 KB are read, and of those only whole lines: a second
// line cut at the limit keeps its default, and so does the third beyond it.
TEST_F(ConnectionSettingsFileTest, ReadsNoMoreThanFourKilobytes)
{
    std::ofstream(file, std::ios::binary) << " 5 \r\n" << std::string(5000, 'x') << "\r\n 7 \r\n";
    EXPECT_EQ(ConnectionSettings::load(file).text(), " 5 \r\n9600\r\n 0 \r\n");
}

// Anything but a regular file reads as the defaults, without reading it
// (a device would never end, a named pipe could block for ever), and is
// told apart from a missing file, the only one a writer may create.
TEST_F(ConnectionSettingsFileTest, OnlyARegularFileIsRead)
{
    using State = ConnectionSettings::FileState;
    State state = State::Read;
    auto defaultsAnd = [&](State expected) {
        return ConnectionSettings::load(file, &state).text() == " 1 \r\n9600\r\n 0 \r\n" && state == expected;
    };
    EXPECT_TRUE(defaultsAnd(State::Missing)) << "nothing";
    std::filesystem::create_directory(file);
    EXPECT_TRUE(defaultsAnd(State::Unreadable)) << "folder";
    std::filesystem::remove(file);
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no device files or named pipes among its files, and links need rights";
#else
    std::filesystem::create_symlink("gone", file);
    EXPECT_TRUE(defaultsAnd(State::Missing)) << "link to nothing";
    std::filesystem::remove(file);
    std::filesystem::create_symlink("/dev/zero", file);
    EXPECT_TRUE(defaultsAnd(State::Unreadable)) << "link to /dev/zero";
    std::filesystem::remove(file);

    // A pipe with a writer that never closes: reading it would block until
    // the writer goes, here after 2 s.
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    const int writer = ::open(file.c_str(), O_RDWR);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(::write(writer, " 7 \r\n", 5), 5);
    auto loaded = std::async(std::launch::async, [&] { return ConnectionSettings::load(file, &state); });
    const bool returnedAtOnce = loaded.wait_for(std::chrono::seconds(2)) == std::future_status::ready;
    ::close(writer);
    EXPECT_TRUE(returnedAtOnce);
    EXPECT_EQ(loaded.get().text(), " 1 \r\n9600\r\n 0 \r\n") << "named pipe";
    EXPECT_EQ(state, State::Unreadable);
#endif
}

}  // namespace
}  // namespace lettore
