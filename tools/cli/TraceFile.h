#pragma once

#include "DescriptorOutput.h"

#include <functional>
#include <memory>
#include <string>

namespace lettore {

// The trace written to a file (--trace-file FILE) as it comes. It is opened
// so that it cannot hang the program: a named pipe that nobody reads is
// refused at once rather than waited for. The first write that fails is
// kept, with its reason, for the run to end on.
class TraceFile {
public:
    TraceFile() = default;
    ~TraceFile();
    TraceFile(const TraceFile&) = delete;
    TraceFile& operator=(const TraceFile&) = delete;

    // Opens `path` for writing, emptied; "" once it is open, else why not.
    std::string open(const std::string& path);
    bool isOpen() const { return m_fd != -1; }
    // `text` as it is, then what is buffered of it once flushed.
    void write(const std::string& text);
    void flush();
    // errno of the first write that failed; 0 while none has.
    int error() const { return m_out ? m_out->error() : 0; }
    // See DescriptorOutput::giveUpWhen.
    void giveUpWhen(std::function<bool()> giveUp);

private:
    // The platform's way, in TraceFile_unix.cpp or TraceFile_win.cpp: the
    // descriptor open for writing, or -1 with errno set.
    static int openDescriptor(const std::string& path);

    int m_fd = -1;
    std::unique_ptr<DescriptorOutput> m_out;
};

}  // namespace lettore
