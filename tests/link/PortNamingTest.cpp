#include "PortNaming.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace lettore {
namespace {

namespace fs = std::filesystem;

TEST(PortNamingTest, ComLinkNamesItsTargetOtherNumbersAreTtySNMinusOne)
{
    QTemporaryDir dir;
    const fs::path folder = dir.path().toStdString();
    // Two hops, the first one relative: the device is where both lead.
    std::ofstream((folder / "device").string()).put('x');
    fs::create_symlink("device", folder / "serial-by-id");
    fs::create_symlink("serial-by-id", folder / "COM5");
    // Falling back to /dev/ttyS5 would open some other device.
    fs::create_symlink("gone/ttyUSB0", folder / "COM6");
    const PortNaming naming(folder.string());

    EXPECT_EQ(naming.devicePath(5), fs::canonical(folder / "device").string());
    EXPECT_EQ(naming.devicePath(6), (folder / "gone/ttyUSB0").string());
    EXPECT_EQ(naming.devicePath(1), "/dev/ttyS0");
    EXPECT_EQ(naming.devicePath(12), "/dev/ttyS11");
    EXPECT_EQ(naming.devicePath(0), "");
    EXPECT_EQ(naming.devicePath(-3), "");
    EXPECT_EQ(PortNaming().devicePath(2), "/dev/ttyS1");
}

}  // namespace
}  // namespace lettore
