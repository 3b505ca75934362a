#include "ConnectionSettings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace lettore {
namespace {

TEST(ConnectionSettingsTest, ReadsEachLineOnItsOwn)
{
    const struct {
        const char* name;
        std::string contents;
        int16_t port;
        const char* rate;
        int16_t term;
    } rows[] = {
        {"empty file", "", 1, "9600", 0},
        {"only the port", " 3 \r\n", 3, "9600", 0},
        {"port and rate, no line end", " 3 \r\n4800", 3, "4800", 0},
        {"bare line feeds", "2\n2400\n5\n", 2, "2400", 5},
        {"port out of range keeps default", "40000\r\n1200\r\n 4 \r\n", 1, "1200", 4},
        {"terminal out of range keeps default", " 2 \r\n1200\r\n-32769\r\n", 2, "1200", 0},
        {"negative in range", "-5 \r\n1200\r\n-32768 \r\n", -5, "1200", -32768},
        {"no number reads as 0", "abc\r\n9600\r\n\r\n", 0, "9600", 0},
        {"number ends at blank or comma", " 3 9\r\n38400,x\r\n 12,4\r\n", 3, "38400", 12},
        {"leading number of a word", "3abc\r\n9600\r\n 1 \r\n", 3, "9600", 1},
        {"fractions round half to even", "2.5\r\n9600\r\n3.5\r\n", 2, "9600", 4},
        {"blanks around the rate dropped", " 1 \r\n  9600  \r\n 0 \r\n", 1, "9600", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const ConnectionSettings s = ConnectionSettings::parse(row.contents);
        EXPECT_EQ(s.NSeriale, row.port);
        EXPECT_EQ(s.Velocita, row.rate);
        EXPECT_EQ(s.Terminale, row.term);
    }
}

TEST(ConnectionSettingsTest, WritesThreeCrLfLinesInTheStoredForm)
{
    EXPECT_EQ((ConnectionSettings{12, "38400", 256}.text()), " 12 \r\n38400\r\n 256 \r\n");
    EXPECT_EQ((ConnectionSettings{-3, "1200", -1}.text()), "-3 \r\n1200\r\n-1 \r\n");
}

TEST(ConnectionSettingsTest, FileRoundTripAndMissingFile)
{
    const auto dir = std::filesystem::temp_directory_path() / ("cfgtest-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto file = dir / ConnectionSettings::FileName;

    EXPECT_EQ(ConnectionSettings::load(file).text(), " 1 \r\n9600\r\n 0 \r\n");
    ASSERT_TRUE((ConnectionSettings{4, "2400", 256}.save(file)));
    EXPECT_EQ(ConnectionSettings::load(file).text(), " 4 \r\n2400\r\n 256 \r\n");

    EXPECT_FALSE(ConnectionSettings{}.save(dir / "no-such-folder" / ConnectionSettings::FileName));
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace lettore
