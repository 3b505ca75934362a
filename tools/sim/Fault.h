#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

namespace lettore::sim {

// A mistake a reader makes on purpose when it answers, for tests and
// demonstrations of how the host copes.
enum class Fault {
    None,  // answers correctly
    Silent,  // never answers
    BadBcc,  // answers with a wrong check character
    Noise,  // sends noise bytes before the answer
    Garble,  // noise bytes inside the answer, which then fails its check
    Split,  // sends the answer in pieces with pauses between them
    Late,  // answers after the host has given up waiting
    Drop,  // the line drops (pseudo-terminal closed) instead of an answer
    Nak,  // refuses every request with a lone NAK, carrying out none
};

// "none", "silent", "badbcc", "noise", "garble", "split", "late", "drop",
// "nak".
// Throws std::invalid_argument for any other text.
Fault parseFault(std::string_view name);
std::string faultName(Fault fault);

// How long the timed faults wait.
struct FaultTiming {
    std::chrono::milliseconds lateBy{6000};  // "late": past the host's 5 s
    std::chrono::milliseconds splitPause{200};  // "split": pause between pieces
};

// An answer as a faulty reader sends it: pieces, each due some time after
// the answer would have started, and a note for the log ("" when the fault
// left the answer as it was). No pieces: nothing goes out.
struct FaultyAnswer {
    struct Piece {
        std::string bytes;
        std::chrono::milliseconds after{0};
    };
    std::vector<Piece> pieces;
    std::string note;

    // Every piece's bytes in order: what goes out on the line.
    std::string bytes() const;
};

// What `fault` makes of `answer` (a frame, or a lone ACK or NAK). "drop"
// and "nak" are the line's to carry out: the answer passes unchanged.
FaultyAnswer applyFault(Fault fault, const std::string& answer, const FaultTiming& timing);

}  // namespace lettore::sim
