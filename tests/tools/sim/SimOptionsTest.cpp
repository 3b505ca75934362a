#include "LineCommand.h"
#include "SimOptions.h"

#include <gtest/gtest.h>

namespace {

using namespace lettore::sim;

TEST(SimOptionsTest, BadTextIsRefusedAndEveryOptionIsDocumented)
{
    for (const char* text : {"", "256", "-1", "1x", "1:baud=57600", "1:baud", "1:firmware=SHORT", "1:serials=123",
                             "1:transactions=1000", "1:fault=crash", "1:colour=red"})
        EXPECT_THROW(ReaderSettings::parse(text), std::invalid_argument) << text;
    for (const char* text : {"present 1", "present 1 123", "present 300 0000000042", "fault 1 boom", "transaction 1 1000",
                             "multimaster maybe", "drop now", "drop -1", "drop 1 2", "dance"})
        EXPECT_THROW(LineCommand::parse(text), std::invalid_argument) << text;
    EXPECT_EQ(LineCommand::parse("drop").backAfterMs, -1);
    EXPECT_EQ(LineCommand::parse("drop 250").backAfterMs, 250);
    EXPECT_EQ(ReaderSettings::parse("5:setup=123401202300451").setup, "123401202300451");
    for (const auto& args : std::vector<std::vector<std::string>>{{"--link"}, {"--present-every", "0"}, {"--codes", "1,2"},
                                                                  {"--late-ms", "x"}, {"--loud"}})
        EXPECT_THROW(SimOptions::parse(args), std::invalid_argument) << args[0];
    // Every option is in the help text and accepted as written there.
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {"--pace"}, {"--multimaster"}, {"--help"}, {"--link", "COM9"}, {"--log", "-"}, {"--reader", "3"}, {"--late-ms", "1"},
             {"--split-pause-ms", "1"}, {"--present-every", "2"}, {"--codes", "0000000001"}}) {
        EXPECT_NE(SimOptions::helpText().find(arguments[0] + " "), std::string::npos) << arguments[0];
        EXPECT_NO_THROW(SimOptions::parse(arguments)) << arguments[0];
    }
}

}  // namespace
