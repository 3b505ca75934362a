#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>

namespace lettore {

class clsComunicazioni;

// Adds a numbered range of badge codes to a reader's white list, one
// CreaBadge per code, in order. A code the reader refuses or does not
// answer does not stop the run; a port failure does, at the code that met
// it, since every further code would fail the same way. Between two
// exchanges the run asks whether to stop, so a user can end a long range
// (a stop button, Ctrl-C) without losing what it did so far.
class RangeInsertion {
public:
    // The largest bound: the range counts in 16-bit numbers.
    static constexpr int MaxBound = 32767;

    // One code sent: the `index`-th (from 1) of `count`, its code, the
    // exchange's result code and the reader's status character (outst).
    struct Step {
        int index = 0;
        int count = 0;
        std::string code;
        int16_t esito = 0;
        std::string outst;

        // The code, a blank and the status character: "0000000005 0".
        std::string line() const { return code + " " + outst; }
    };

    struct Result {
        // Esito::PortFailed when a port failure ended the run, else the
        // first failed exchange's result code, else 0.
        int16_t esito = 0;
        int sent = 0;  // codes sent
        int accepted = 0;  // exchanges that returned 0
        // Accepted exchanges by the reader's status character ("" when the
        // answer carried none): "2" means a full list, not an insertion.
        std::map<std::string, int> statuses;
        std::string lastLine;  // Step::line() of the last code sent, "" when none
        bool stopped = false;  // ended by a stop request before the last code
    };

    // Called after each code with what it gave.
    using Progress = std::function<void(const Step&)>;
    // Asked before each code (and again after the quiet gap before it);
    // true ends the run there.
    using StopRequested = std::function<bool()>;

    RangeInsertion(clsComunicazioni& link, int16_t term, Progress progress = {}, StopRequested stopRequested = {});

    // Sends the codes of first..last (nothing when first > last). Bounds
    // outside 0..MaxBound are refused: nothing is sent.
    Result run(int first, int last) const;

private:
    clsComunicazioni& m_link;
    int16_t m_term = 0;
    Progress m_progress;
    StopRequested m_stopRequested;
};

}  // namespace lettore
