#pragma once

#include <string>
#include <string_view>

namespace lettore::sim {

// A mistake a reader makes on purpose when it answers, for tests and
// demonstrations of how the host copes.
enum class Fault {
    None,    // answers correctly
    Silent,  // never answers
    BadBcc,  // answers with a wrong check character
    Noise,   // sends noise bytes before the answer
    Garble,  // noise bytes inside the answer, which then fails its check
    Split,   // sends the answer in pieces with pauses between them
    Late,    // answers after the host has given up waiting
    Drop,    // the line drops (pseudo-terminal closed) instead of an answer
};

// "none", "silent", "badbcc", "noise", "garble", "split", "late", "drop".
// Throws std::invalid_argument for any other text.
Fault parseFault(std::string_view name);
std::string faultName(Fault fault);

}  // namespace lettore::sim
