#include "PortNaming.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace lettore {
namespace {

namespace fs = std::filesystem;

class PortNamingTest : public ::testing::Test {
protected:
    std::string folder() const { return m_folder.path().toStdString(); }

    // Makes <folder>/<name> a link to `target` and returns the folder's naming.
    PortNaming linked(const std::string& name, const std::string& target)
    {
        fs::create_symlink(target, fs::path(folder()) / name);
        return PortNaming(folder());
    }

    QTemporaryDir m_folder;
};

TEST_F(PortNamingTest, WithoutLinkPortNIsTtySNMinusOne)
{
    const PortNaming naming(folder());
    EXPECT_EQ(naming.devicePath(1), "/dev/ttyS0");
    EXPECT_EQ(naming.devicePath(12), "/dev/ttyS11");
    EXPECT_EQ(naming.devicePath(0), "");
    EXPECT_EQ(naming.devicePath(-3), "");
    EXPECT_EQ(PortNaming().devicePath(2), "/dev/ttyS1");
}

TEST_F(PortNamingTest, ComLinkNamesItsResolvedTarget)
{
    // Two hops, the first one relative: the device is where both lead.
    const fs::path device = fs::path(folder()) / "device";
    std::ofstream(device.string()).put('x');
    fs::create_symlink("device", fs::path(folder()) / "serial-by-id");
    const PortNaming naming = linked("COM5", "serial-by-id");

    EXPECT_EQ(naming.devicePath(5), fs::canonical(device).string());
    EXPECT_EQ(naming.devicePath(4), "/dev/ttyS3") << "only COM5 is linked";
}

TEST_F(PortNamingTest, LinkToAMissingDeviceStillNamesIt)
{
    // Falling back to /dev/ttyS4 would open some other device.
    const PortNaming naming = linked("COM5", "gone/ttyUSB0");
    EXPECT_EQ(naming.devicePath(5), folder() + "/gone/ttyUSB0");
}

TEST_F(PortNamingTest, PinnedDeviceServesEveryNumber)
{
    PortNaming naming = linked("COM5", "/dev/null");
    naming.pinDevice("/dev/ttyUSB0");
    EXPECT_EQ(naming.devicePath(5), "/dev/ttyUSB0");
    EXPECT_EQ(naming.devicePath(0), "/dev/ttyUSB0");

    // A device named through a link is named by its real path.
    naming.pinDevice(folder() + "/COM5");
    EXPECT_EQ(naming.devicePath(1), "/dev/null");

    naming.pinDevice("");
    EXPECT_EQ(naming.devicePath(1), "/dev/ttyS0");
}

}  // namespace
}  // namespace lettore
