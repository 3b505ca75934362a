#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace lettore {

// A file whose writes are meant to last: append() hands bytes to the
// system in one call (they survive the program being killed), flush()
// returns once they are on the disk (they survive the machine stopping).
// The platform's calls are in DurableFile_unix.cpp or DurableFile_win.cpp.
class DurableFile {
public:
    enum class Mode {
        Append,  // made when missing, written at its end
        Replace,  // made afresh, empty
    };

    DurableFile() = default;
    ~DurableFile() { close(); }
    DurableFile(const DurableFile&) = delete;
    DurableFile& operator=(const DurableFile&) = delete;

    // False, with error() saying why, when the file cannot be opened so.
    bool open(const std::filesystem::path& path, Mode mode = Mode::Append);
    bool isOpen() const { return m_handle >= 0; }
    // Appends `bytes` whole; false, with error(), when the system took
    // fewer (a full disk) or the file is not open.
    bool append(std::string_view bytes);
    // Waits until everything appended is on the disk; false, with error().
    bool flush();
    void close();
    const std::string& error() const { return m_error; }

    // Makes `content` the whole of `path`: written into a fresh file beside
    // it, put on the disk, then renamed over it, so a reader finds the old
    // content or the new, never part of either. False, with `error`.
    static bool replace(const std::filesystem::path& path, std::string_view content, std::string& error);

private:
    // The system's error text for the last call that failed.
    void fail(const char* what);
    // Hands the system the start of `bytes`: how many it took, or -1 with
    // errno set (the platform's call, retried where it was interrupted).
    long writeSome(std::string_view bytes);

    int m_handle = -1;
    std::string m_error;
};

}  // namespace lettore
