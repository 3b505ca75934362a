#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace lettore {

// Where the console and lettore keep Seriale.cfg and the COM<N> links, and
// where the console finds its chime. A program run from its build folder
// keeps all of them beside itself. An installed program cannot write
// beside itself: it keeps its settings and links in a folder of the user's
// and finds the chime among the installed data.
struct ProgramFolders {
    // Seriale.cfg and COM<N> links; empty when no folder could be had, and
    // then nothing is read or kept (never the current folder's files).
    std::filesystem::path settings;
    std::filesystem::path data;  // LetturaOk.wav
    // The user's usual settings folder when it could not be made or
    // entered, and why in the system's words; both empty otherwise.
    std::filesystem::path unusable;
    std::string unusableReason;

    // The user's folders for this suite's settings, in the order they are
    // tried: $XDG_CONFIG_HOME/lettore, or ~/.config/lettore when that
    // variable is unset, empty or relative (the XDG rule ignores a relative
    // one); then the one fallback, ~/.lettore. A relative or empty home
    // gives no folder in it.
    static std::vector<std::filesystem::path> userSettingsFolders(std::string_view xdgConfigHome,
                                                                  std::string_view home);

    // programDir: the folder of the running program. userSettingsFolders:
    // the user's folders in the order tried; the first that can be made
    // (when missing) and entered is the one. The program counts as
    // installed when the installed data folder lies where installing puts
    // it relative to the programs.
    static ProgramFolders locate(const std::filesystem::path& programDir,
                                 const std::vector<std::filesystem::path>& userSettingsFolders);
};

}  // namespace lettore
