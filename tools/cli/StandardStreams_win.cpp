#include "StandardStreams.h"

#include <fcntl.h>
#include <initializer_list>
#include <io.h>

namespace lettore {

bool StandardStreams::holdClosed()
{
    bool outputOpen = true;
    for (const int fd : {0, 1, 2}) {
        // -1 closed, -2 never given one (a program started without a console).
        if (::_get_osfhandle(fd) >= 0)
            continue;
        outputOpen = outputOpen && fd != Output;
        // The C runtime hands out the lowest free descriptor: the closed one.
        ::_open("NUL", fd == 0 ? _O_RDONLY : _O_WRONLY);
    }
    return outputOpen;
}

bool StandardStreams::errorIsTerminal() { return ::_isatty(2) != 0; }

}  // namespace lettore
