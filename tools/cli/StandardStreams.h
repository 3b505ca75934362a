#pragma once

namespace lettore {

// The process's standard input, output and error as descriptors. The
// platform's way is in StandardStreams_unix.cpp or StandardStreams_win.cpp.
class StandardStreams {
public:
    static constexpr int Output = 1;

    // A standard descriptor left closed by the caller would be handed to
    // the next file opened, the serial port among them, and text meant for
    // the user would go down the line. Each closed one is held by the null
    // device. Returns whether standard output was open.
    static bool holdClosed();

    // Whether standard error is a terminal, where progress can be shown.
    static bool errorIsTerminal();
};

}  // namespace lettore
