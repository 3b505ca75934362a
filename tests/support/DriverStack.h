#pragma once

#include <cstdlib>
#include <execinfo.h>
#include <memory>
#include <string_view>

namespace lettore::test {

// Whether Qt's serial port code is on the calling thread's stack: one of
// QSerialPort's operations, its notifier, or its readyRead signal.
inline bool serialDriverOnStack()
{
    void* frames[256];
    const int count = ::backtrace(frames, 256);
    const std::unique_ptr<char*, decltype(&std::free)> names(::backtrace_symbols(frames, count), &std::free);
    for (int i = 0; names && i < count; ++i) {
        const std::string_view name = names.get()[i];
        if (name.find("libQt6SerialPort") != std::string_view::npos
            || name.find("_ZN9QIODevice9readyReadEv") != std::string_view::npos)
            return true;
    }
    return false;
}

}  // namespace lettore::test
