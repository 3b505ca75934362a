#include "ProgramFolders.h"

#include <system_error>

namespace lettore {

namespace fs = std::filesystem;

ProgramFolders ProgramFolders::locate(const fs::path& programDir, const fs::path& userSettingsDir)
{
    // LETTORE_DATA_FROM_BIN: the installed data folder seen from the
    // installed programs' folder, as the build's install rules lay them out.
    const fs::path installedData = (programDir / LETTORE_DATA_FROM_BIN).lexically_normal();
    std::error_code error;
    if (!fs::is_directory(installedData, error))
        return {programDir, programDir};
    fs::create_directories(userSettingsDir, error);
    return {userSettingsDir, installedData};
}

}  // namespace lettore
