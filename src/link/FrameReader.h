#pragma once

#include "Frame.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace lettore {

// Cuts the bytes of a line into parts as they come, in any number of
// pieces: frames with the verdict of their check, lone ACKs and NAKs, and
// noise. Every byte pushed ends up in exactly one part, in order, and the
// parts do not depend on how the bytes were split.
//
// The rule says what a frame is. Stx (the readers' answers and readings):
// STX up to ETX and the check character after it, or up to an ACK that
// ends it in its place. Tolvane (that dialect's answers): '<' up to '>',
// or up to an ACK. Request (the host's frames as a reader hears them):
// STX up to ETX and the check character, ACK being data there; or a
// Tolvane request, EOT EOT up to ETX (set) or ENQ (poll), which has no
// check character; EOT EOT inside an STX frame gives that frame up. Under
// every rule an ACK or NAK outside a frame is a lone byte.
//
// A frame that fails its check with a start character inside it is not
// taken whole: the frame is the one begun at the first of those start
// characters whose frame passes, or, when none does, at the last of them,
// and what came before is noise. So a stray start (a frame cut off by the
// line) never hides the whole frame behind it. The check character is the
// frame's last byte whatever its value: STX, ETX or ACK there is a check.
//
// A frame is at most MaxFrameBytes long. One whose first MaxFrameBytes - 1
// bytes hold no end character goes on from the first start character
// inside it, what came before being noise; with none inside it is given as
// Overlong, and the rest of it, up to its end, is noise, a start character
// meanwhile starting a new frame. A
// run of noise is given when it ends or reaches MaxFrameBytes, so what the
// reader holds stays below MaxFrameBytes.
class FrameReader {
public:
    static constexpr std::size_t MaxFrameBytes = 1024;

    enum class State {
        Between,  // outside any frame (a run of noise may be held)
        InFrame,  // after a frame's start character, before its end
        CheckChar,  // after ETX, the check character to come
        TolvaneRequest,  // after EOT EOT, before ETX or ENQ
        SkippingOverlong,  // the rest of an overlong frame, before its end
        SkippingCheck,  // after the end of an overlong frame, its check character to come
    };

    struct Part {
        enum class Kind {
            Frame,  // a frame up to its end; see accepted and cutShort
            Lone,  // an ACK or NAK on its own
            Noise,  // bytes outside any frame
            Overlong,  // the first MaxFrameBytes - 1 bytes of a frame with no end among them
            Unfinished,  // a frame begun and not ended when finish() was called
        };
        Kind kind;
        std::size_t begin;  // offset of its first byte among all the bytes pushed
        std::string bytes;
        // Frame: whether it passes its check (Stx and Request: the check
        // character, or the last byte of one cut short; Tolvane: the
        // answer rule; a Tolvane request has no check and passes).
        bool accepted = false;
        // Frame: an ACK ended it where its end character was due.
        bool cutShort = false;
    };

    explicit FrameReader(Frame::Rule rule = Frame::Rule::Stx) : m_rule(rule) { }

    // The parts that `bytes` complete, in order.
    std::vector<Part> push(std::string_view bytes);

    // The end of the input: the frame under way as Unfinished, the noise
    // held as Noise. The reader then starts afresh under `next`, the
    // offsets going on.
    std::vector<Part> finish(Frame::Rule next);
    std::vector<Part> finish() { return finish(m_rule); }

    State state() const { return m_state; }
    // Bytes held: the frame under way, or the run of noise.
    std::size_t held() const { return m_frame.size() + m_noise.size(); }
    // Bytes pushed so far.
    std::size_t offset() const { return m_offset; }

    // The whole frames whose check holds among `input`, bytes taken off a
    // line in one go, oldest first (not those cut short by ACK).
    static std::vector<std::string> checkedFrames(std::string_view input);

private:
    void take(char c, std::vector<Part>& parts);
    void startFrame(State state, std::string opening, std::vector<Part>& parts);
    void endFrame(bool cutShort, std::vector<Part>& parts);
    void overlong(bool tolvaneRequest, std::vector<Part>& parts);
    void addNoise(char c, std::vector<Part>& parts);
    void giveNoise(std::vector<Part>& parts);
    char startChar() const { return m_rule == Frame::Rule::Tolvane ? Frame::TolvaneStart : Frame::STX; }
    bool endsCutShort(char c) const { return c == Frame::ACK && m_rule != Frame::Rule::Request; }

    Frame::Rule m_rule;
    State m_state = State::Between;
    std::string m_frame;  // the frame under way, from its start
    std::size_t m_frameBegin = 0;
    bool m_skippingTolvaneRequest = false;  // the overlong frame skipped ends at ETX or ENQ
    std::string m_noise;  // the run of noise under way
    std::size_t m_noiseBegin = 0;
    std::size_t m_offset = 0;
};

}  // namespace lettore
