#include "SerialSettings.h"

#include <gtest/gtest.h>

namespace lettore {
namespace {

using P = SerialSettings::Parity;
using S = SerialSettings::StopBits;

// Each text with the settings it names and their one spelling; then texts
// that name none, each wrong in one way.
TEST(SerialSettingsTest, ParsesValidatesAndSpellsSettings)
{
    const std::tuple<const char*, SerialSettings, const char*> rows[] = {
        {"9600,N,8,1", {9600, P::None, 8, S::One}, "9600,N,8,1"},
        {"19200,e,7,2", {19200, P::Even, 7, S::Two}, "19200,E,7,2"},
        {" 1200 , O , 5 , 1 ", {1200, P::Odd, 5, S::One}, "1200,O,5,1"},
        {"1,m,6,1.5", {1, P::Mark, 6, S::OneAndHalf}, "1,M,6,1.5"},
        {"2147483647,s,8,2", {2147483647, P::Space, 8, S::Two}, "2147483647,S,8,2"},
    };
    for (const auto& [text, settings, spelled] : rows) {
        EXPECT_EQ(SerialSettings::parse(text), settings) << text;
        EXPECT_EQ(settings.text(), spelled);
    }
    for (const char* text : {"", "9600,N,8", "9600,N,8,1,1", "abc,N,8,1", "9600x,N,8,1", "-9600,N,8,1",
                             "+9600,N,8,1", "0,N,8,1", "2147483648,N,8,1", "9600,X,8,1", "9600,NN,8,1",
                             "9600,,8,1", "9600,N,9,1", "9600,N,4,1", "9600,N,8,3", "9600,N,8,1.0", "9600,N,8,0"})
        EXPECT_EQ(SerialSettings::parse(text), std::nullopt) << text;
}

}  // namespace
}  // namespace lettore
