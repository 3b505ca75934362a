#include "ProgramFolders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

namespace lettore {
namespace {

namespace fs = std::filesystem;

class ProgramFoldersTest : public ::testing::Test {
protected:
    ProgramFoldersTest() { fs::create_directories(root / "prefix" / "bin"); }
    ~ProgramFoldersTest() override { fs::remove_all(root); }

    // Other test runs may share the temporary folder.
    const fs::path root = fs::temp_directory_path() / ("folders-" + std::to_string(std::random_device{}()));
    const fs::path bin = root / "prefix" / "bin";
    const fs::path user = root / "home" / ".config" / "lettore";
};

// A program in a build folder keeps everything beside itself and makes no
// folder of the user's.
TEST_F(ProgramFoldersTest, BuildFolderKeepsEverythingBesideTheProgram)
{
    const ProgramFolders folders = ProgramFolders::locate(bin, user);
    EXPECT_EQ(folders.settings, bin);
    EXPECT_EQ(folders.data, bin);
    EXPECT_FALSE(fs::exists(user));
}

// An installed program, with the data folder where installing puts it,
// keeps its settings in the user's folder, made with its parents, and
// finds the chime among the installed data.
TEST_F(ProgramFoldersTest, InstalledProgramUsesTheUsersFolderAndTheInstalledData)
{
    fs::create_directories(root / "prefix" / "share" / "lettore");
    const ProgramFolders folders = ProgramFolders::locate(bin, user);
    EXPECT_EQ(folders.settings, user);
    EXPECT_TRUE(fs::is_directory(user));
    EXPECT_EQ(folders.data, root / "prefix" / "share" / "lettore");
}

}  // namespace
}  // namespace lettore
