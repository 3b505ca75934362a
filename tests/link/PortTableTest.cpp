// Network addresses as text, and the port table that gives port numbers to them.
#include "PortTable.h"

#include <gtest/gtest.h>

using namespace lettore;

namespace {

TEST(NetworkAddress, ParsedOrRefused)
{
    const struct {
        const char* text;
        const char* parsed;  // text() of the address, "-" when refused
    } rows[] = {
        {"rfc2217://server.local:65535", "rfc2217://server.local:65535"},
        {"rfc2217://[::1]:1", "rfc2217://[::1]:1"},
        {"RFC2217://h:1", "rfc2217://h:1"},
        {"tcp://::1:4001", "-"},
        {"socket://127.0.0.1:4001", "-"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        const auto address = NetworkAddress::parse(row.text);
        EXPECT_EQ(address ? address->text() : "-", row.parsed);
        EXPECT_TRUE(NetworkAddress::isAddress(row.text));
    }
    EXPECT_FALSE(NetworkAddress::isAddress("/dev/ttyUSB0"));
}

TEST(PortTable, NumbersToAddressesWithProblemsByLine)
{
    const PortTable table = PortTable::parse("# closet\n"
                                             "9 = rfc2217://192.168.1.50:2001\r\n"
                                             "\n"
                                             "  -3=tcp://10.0.0.7:4002  \n"
                                             "9 = tcp://10.0.0.8:1\n"
                                             "12 rfc2217://10.0.0.9:1\n"
                                             "40000 = tcp://10.0.0.9:1\n"
                                             "13 = /dev/ttyUSB0");
    EXPECT_EQ(table.address(9)->text(), "rfc2217://192.168.1.50:2001");
    EXPECT_EQ(table.address(-3)->text(), "tcp://10.0.0.7:4002");
    EXPECT_EQ(table.address(12), std::nullopt);
    EXPECT_EQ(table.entries().size(), 2u);
    const std::string bad = ": not NUMBER = tcp://HOST:PORT or rfc2217://HOST:PORT";
    EXPECT_EQ(table.problems(), (std::vector<std::string>{"line 5: port 9 is given twice; the first address stays",
                                                          "line 6" + bad, "line 7" + bad, "line 8" + bad}));
}

}  // namespace
