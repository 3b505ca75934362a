#pragma once

// A window made from a plain widget (the monitor, the traffic log, the
// console's file and acceptance-test windows) reads as a "filler" to
// assistive technology, which then neither announces nor lists it as a
// window. Installed once, before the windows are made, this exposes each of
// them as a window, named by its title.
class WindowAccessible {
public:
    static void install();
};
