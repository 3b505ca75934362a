#include "ProgramFolders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

namespace lettore {
namespace {

namespace fs = std::filesystem;

// A program in a build keeps everything beside itself and makes no folder
// of the user's; once the installed data folder lies beside its bin folder
// it keeps its settings in the user's folder, made with its parents, and
// finds the chime among the installed data.
TEST(ProgramFoldersTest, BuildKeepsAllBesideTheProgramInstalledUsesTheUsersFolder)
{
    // Other test runs may share the temporary folder.
    const fs::path root = fs::temp_directory_path() / ("folders-" + std::to_string(std::random_device{}()));
    const fs::path bin = root / "bin", data = root / "share" / "lettore", user = root / "home" / "lettore";
    fs::create_directories(bin);

    const ProgramFolders build = ProgramFolders::locate(bin, user);
    EXPECT_EQ(build.settings, bin);
    EXPECT_EQ(build.data, bin);
    EXPECT_FALSE(fs::exists(user));

    fs::create_directories(data);
    const ProgramFolders installed = ProgramFolders::locate(bin, user);
    EXPECT_EQ(installed.settings, user);
    EXPECT_EQ(installed.data, data);
    EXPECT_TRUE(fs::is_directory(user));
    fs::remove_all(root);
}

}  // namespace
}  // namespace lettore
