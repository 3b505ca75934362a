#include "Framing.h"
#include "SimulatedPort.h"

#include <gtest/gtest.h>

using lettore::Framing;
using lettore::test::hex;
using lettore::test::unhex;

namespace {

struct Sibrant2Case {
    const char* name;
    int16_t term;
    const char* tipo;
    std::string data;
    const char* frame;
};

void PrintTo(const Sibrant2Case& c, std::ostream* os) { *os << c.name; }

class Sibrant2FrameTest : public testing::TestWithParam<Sibrant2Case> {};

TEST_P(Sibrant2FrameTest, BuildsFrameByteForByte)
{
    const auto& c = GetParam();
    EXPECT_EQ(hex(Framing::sibrant2Frame(c.term, c.tipo, c.data)), c.frame);
}

INSTANTIATE_TEST_SUITE_P(
    Frames, Sibrant2FrameTest,
    testing::Values(
        Sibrant2Case{"poll_1_firmware", 1, "P", "2", "02 30 21 32 03 22"},
        Sibrant2Case{"set_1_clear_list", 1, "S", "430000000000",
                     "02 30 31 34 33 30 30 30 30 30 30 30 30 30 30 03 07"},
        Sibrant2Case{"set_165", 165, "S", "2", "02 3A 35 32 03 3C"},
        Sibrant2Case{"broadcast_256", 256, "S", "5", "02 60 60 35 03 34"},
        Sibrant2Case{"poll_1_ack", 1, "P", "\x06", "02 30 21 06 03 16"},
        Sibrant2Case{"term_31_set", 31, "S", "", "02 31 3F 03 0F"},
        Sibrant2Case{"term_31_poll", 31, "P", "", "02 31 2F 03 1F"},
        Sibrant2Case{"term_32_poll_is_ordinary", 32, "P", "", "02 32 20 03 13"},
        Sibrant2Case{"term_300_is_44", 300, "S", "", "02 32 3C 03 0F"},
        Sibrant2Case{"lower_case_s_is_poll", 1, "s", "", "02 30 21 03 10"},
        Sibrant2Case{"term_minus_1_is_255", -1, "S", "", "02 3F 3F 03 01"}),
    [](const auto& info) { return std::string(info.param.name); });

struct SingleByteCase {
    const char* name;
    std::optional<std::string> (*build)(int16_t, std::string_view, std::string_view);
    int16_t term;
    const char* tipo;
    const char* frame;  // nullptr: refused
};

void PrintTo(const SingleByteCase& c, std::ostream* os) { *os << c.name; }

class SingleByteFrameTest : public testing::TestWithParam<SingleByteCase> {};

TEST_P(SingleByteFrameTest, BuildsFrameOrRefusesAddress)
{
    const auto& c = GetParam();
    const auto frame = c.build(c.term, c.tipo, "X");
    if (!c.frame) {
        EXPECT_FALSE(frame.has_value());
        return;
    }
    ASSERT_TRUE(frame.has_value());
    EXPECT_EQ(hex(*frame), c.frame);
}

INSTANTIATE_TEST_SUITE_P(
    Frames, SingleByteFrameTest,
    testing::Values(
        SingleByteCase{"sibrant_set", &Framing::sibrantFrame, 1, "S", "02 68 41 58 03 70"},
        SingleByteCase{"sibrant_poll", &Framing::sibrantFrame, 1, "P", "02 68 21 58 03 10"},
        SingleByteCase{"sibrant_broadcast_set", &Framing::sibrantFrame, 32, "S", "02 68 60 58 03 51"},
        SingleByteCase{"parlow_poll", &Framing::parlowFrame, 2, "P", "02 61 22 58 03 1A"},
        SingleByteCase{"quen_set", &Framing::quenFrame, 2, "S", "02 67 42 58 03 7C"},
        SingleByteCase{"zem_repeats_address", &Framing::zemFrame, 1, "S", "02 41 41 58 03 59"},
        SingleByteCase{"tolvane_set_no_bcc", &Framing::tolvaneFrame, 1, "S", "04 04 02 31 58 03"},
        SingleByteCase{"tolvane_poll_drops_data", &Framing::tolvaneFrame, 1, "P", "04 04 31 05"},
        SingleByteCase{"tolvane_broadcast", &Framing::tolvaneFrame, 32, "P", "04 04 50 05"},
        SingleByteCase{"sibrant_set_216_is_255", &Framing::sibrantFrame, 191, "S", "02 68 FF 58 03 CE"},
        SingleByteCase{"sibrant_set_192_refused", &Framing::sibrantFrame, 192, "S", nullptr},
        SingleByteCase{"zem_poll_minus_33_refused", &Framing::zemFrame, -33, "P", nullptr},
        SingleByteCase{"tolvane_226_refused", &Framing::tolvaneFrame, 226, "S", nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

struct CheckCase {
    const char* name;
    const char* answer;  // hex
    bool stxFamily;
    bool accepted;
};

void PrintTo(const CheckCase& c, std::ostream* os) { *os << c.name; }

class AnswerCheckTest : public testing::TestWithParam<CheckCase> {};

TEST_P(AnswerCheckTest, AcceptsOrRejects)
{
    const auto& c = GetParam();
    const std::string answer = unhex(c.answer);
    const bool accepted = c.stxFamily ? Framing::VerificaRisposta(answer)
                                      : Framing::VerificaRisposta_TOLVANE(answer);
    EXPECT_EQ(accepted, c.accepted);
}

INSTANTIATE_TEST_SUITE_P(
    Checks, AnswerCheckTest,
    testing::Values(
        CheckCase{"lone_ack", "06", true, true},
        CheckCase{"lone_nak", "15", true, true},
        CheckCase{"lone_other", "41", true, false},
        CheckCase{"empty", "", true, false},
        CheckCase{"length_two", "02 02", true, false},
        CheckCase{"good_frame", "02 30 21 32 03 22", true, true},
        CheckCase{"bad_bcc", "02 30 21 32 03 23", true, false},
        CheckCase{"bcc_equal_to_stx", "02 31 32 03 02", true, true},
        CheckCase{"bcc_equal_to_etx", "02 30 32 03 03", true, true},
        CheckCase{"tolvane_ack", "06", false, true},
        CheckCase{"tolvane_i49", "3C 49 34 39 3E", false, true},
        CheckCase{"tolvane_five_other", "3C 49 34 38 3E", false, false},
        CheckCase{"tolvane_six_any", "3C 00 00 00 00 3E", false, true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
