#pragma once

#include "Fault.h"

#include <string>
#include <string_view>

namespace lettore::sim {

// One command for a running line, as typed on the program's standard input:
//   present ADDR CODE          a badge held to reader ADDR
//   transaction ADDR DATA      store a transaction (status + 10-char codes)
//   fault ADDR MODE            reader ADDR's fault from now on
//   state ADDR                 print reader ADDR's settings and stored data
//   multimaster on|off         readers send badge readings on their own
//   drop [MS]                  close the line now; with MS, offer it again
//                              (same link, a new device) MS ms later
//   quit                       stop the program
struct LineCommand {
    enum class Kind { Present, Transaction, SetFault, State, Multimaster, Drop, Quit };

    Kind kind = Kind::Quit;
    int address = 0;
    std::string text;  // badge code or transaction data
    Fault fault = Fault::None;
    bool enabled = false;
    int backAfterMs = -1;  // drop: when the line comes back; -1: never

    // Throws std::invalid_argument with a readable message.
    static LineCommand parse(std::string_view line);
};

}  // namespace lettore::sim
