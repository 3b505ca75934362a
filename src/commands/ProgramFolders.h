#pragma once

#include <filesystem>

namespace lettore {

// Where the console and lettore keep Seriale.cfg and the COM<N> links, and
// where the console finds its chime. A program run from its build folder
// keeps all of them beside itself. An installed program cannot write
// beside itself: it keeps its settings and links in a folder of the user's
// and finds the chime among the installed data.
struct ProgramFolders {
    std::filesystem::path settings;  // Seriale.cfg and COM<N> links
    std::filesystem::path data;      // LetturaOk.wav

    // programDir: the folder of the running program. userSettingsDir: the
    // user's folder for this suite's settings, made when it is missing
    // (a failure to make it shows later, as a settings file that cannot be
    // written). The program counts as installed when the installed data
    // folder lies where installing puts it relative to the programs.
    static ProgramFolders locate(const std::filesystem::path& programDir,
                                 const std::filesystem::path& userSettingsDir);
};

}  // namespace lettore
