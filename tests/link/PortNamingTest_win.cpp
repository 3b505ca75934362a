#include "PortNaming.h"

#include <gtest/gtest.h>

namespace lettore {
namespace {

// Port N is Windows' COM<N>, two digits and more included; no device has a
// number below 1. A device the user names reaches every number unchanged.
TEST(PortNamingTest, PortNIsComNAndANamedDeviceIsTakenAsItIs)
{
    const struct {
        int16_t number;
        const char* pinned;
        const char* device;
    } rows[] = {{1, "", "COM1"},
                {10, "", "COM10"},
                {32767, "", "COM32767"},
                {0, "", ""},
                {-1, "", ""},
                {3, "COM7", "COM7"},
                {0, "\\\\.\\COM12", "\\\\.\\COM12"}};
    for (const auto& row : rows) {
        PortNaming naming("C:\\Lettore");
        naming.pinDevice(row.pinned);
        EXPECT_EQ(naming.devicePath(row.number), row.device) << row.number << " pinned " << row.pinned;
    }
}

}  // namespace
}  // namespace lettore
