#pragma once

// Streams readers send after the host polled reader 1 (02 30 21 32 03 22), and what each part of the system makes
// of them. Shared by the link's tests and the virtual reader's.
#include <cstdint>

namespace lettore::test {

struct LineStream {
    const char* name;
    const char* bytes;
    const char* parts;  // "kind bytes | ...": good, bad and cut frames, lone, noise
    int16_t esito;  // of the exchange with reader 1
    const char* raised;  // the link's events after its send, "|" between
    const char* logged;  // the traffic rows: kind, data, check
    const char* heard;  // "|" between
};

#define LINE_R1 "02 30 21 41 03 51"
#define LINE_R5 "02 30 25 30 30 30 30 30 30 31 32 33 34 35 03 25"

inline const LineStream lineStreams[] = {
    {"stray_stx_and_junk", "02 00 FF " LINE_R1, "noise 02 00 FF | good " LINE_R1, 0, "ComRX " LINE_R1,
     "noise | answer A good", LINE_R1},
    {"stx_inside_a_frame_that_passes", "02 30 21 02 41 03 53", "good 02 30 21 02 41 03 53", 0,
     "ComRX 02 30 21 02 41 03 53",
     "answer \x02"
     "A good",
     "02 30 21 02 41 03 53"},
    {"stx_inside_and_both_fail", "02 30 21 02 30 21 41 03 52", "noise 02 30 21 | bad 02 30 21 41 03 52", 2,
     "ComRX \"\"", "noise | answer A wrong", "02 30 21 41 03 52"},
    {"check_characters_ack_and_stx", "02 30 21 42 54 03 06 02 30 21 41 53 03 02",
     "good 02 30 21 42 54 03 06 | good 02 30 21 41 53 03 02", 0, "ComRX 02 30 21 42 54 03 06",
     "answer BT good | reading AS good", "02 30 21 42 54 03 06|02 30 21 41 53 03 02"},
    {"wrong_check_character_stx", "02 30 21 41 03 02 " LINE_R1, "bad 02 30 21 41 03 02 | good " LINE_R1, 2,
     "ComRX \"\"", "answer A wrong | reading A good", "02 30 21 41 03 02|" LINE_R1},
    {"another_readers_reading_first", LINE_R5 " " LINE_R1, "good " LINE_R5 " | good " LINE_R1, 0,
     "ComRX " LINE_R1 "|ComRX " LINE_R5, "reading 00000012345 good | answer A good", LINE_R5 "|" LINE_R1},
    {"lone_nak_after_noise", "41 FF 15", "noise 41 FF | lone 15", 0, "ComRX 15", "noise | NAK", "15"},
    {"cut_short_by_ack", "02 30 21 41 06", "cut 02 30 21 41 06", 2, "ComRX \"\"", "answer A cut", ""},
};

#undef LINE_R1
#undef LINE_R5

}  // namespace lettore::test
