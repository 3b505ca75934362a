#include "ProgramFolders.h"

#include <system_error>

namespace lettore {

namespace fs = std::filesystem;

namespace {

// Makes `folder` when it is missing and checks that it can be entered: ""
// when it can, else why not.
std::string problemWith(const fs::path& folder)
{
    std::error_code error;
    fs::create_directories(folder, error);
    if (error)
        return error.message();
    // Looking inside needs the right to enter it, not only to see it.
    const bool isFolder = fs::is_directory(folder / ".", error);
    if (error)
        return error.message();
    return isFolder ? "" : std::make_error_code(std::errc::not_a_directory).message();
}

}  // namespace

std::vector<fs::path> ProgramFolders::userSettingsFolders(std::string_view xdgConfigHome, std::string_view home)
{
    const fs::path xdg(xdgConfigHome), homeFolder(home);
    const bool homeUsable = !home.empty() && homeFolder.is_absolute();
    std::vector<fs::path> folders;
    if (!xdgConfigHome.empty() && xdg.is_absolute())
        folders.push_back(xdg / "lettore");
    else if (homeUsable)
        folders.push_back(homeFolder / ".config" / "lettore");
    if (homeUsable)
        folders.push_back(homeFolder / ".lettore");
    return folders;
}

ProgramFolders ProgramFolders::locate(const fs::path& programDir, const std::vector<fs::path>& userSettingsFolders)
{
    // LETTORE_DATA_FROM_BIN: the installed data folder seen from the
    // installed programs' folder, as the build's install rules lay them out.
    const fs::path installedData = (programDir / LETTORE_DATA_FROM_BIN).lexically_normal();
    std::error_code error;
    if (!fs::is_directory(installedData, error))
        return {programDir, programDir, {}, {}};
    ProgramFolders folders{{}, installedData, {}, {}};
    for (const fs::path& folder : userSettingsFolders) {
        const std::string problem = problemWith(folder);
        if (problem.empty()) {
            folders.settings = folder;
            break;
        }
        if (folders.unusable.empty()) {
            folders.unusable = folder;
            folders.unusableReason = problem;
        }
    }
    return folders;
}

}  // namespace lettore
