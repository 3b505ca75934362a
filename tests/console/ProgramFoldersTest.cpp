#include "ProgramFolders.h"

#include <gtest/gtest.h>

#include <random>

namespace lettore {

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
