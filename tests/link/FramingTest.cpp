#include "Framing.h"
#include "SimulatedPort.h"

#include <gtest/gtest.h>

using lettore::Framing;
using lettore::test::unhex;

namespace {

TEST(AnswerCheck, AcceptsOrRejects)
{
    const struct {
        const char* name;
        const char* answer;  // hex
        bool stxFamily;
        bool accepted;
    } rows[] = {
        {"lone_ack", "06", true, true},
        {"lone_nak", "15", true, true},
        {"lone_other", "41", true, false},
        {"empty", "", true, false},
        {"length_two", "02 02", true, false},
        {"good_frame", "02 30 21 32 03 22", true, true},
        {"bad_bcc", "02 30 21 32 03 23", true, false},
        {"bcc_equal_to_stx", "02 31 32 03 02", true, true},
        {"bcc_equal_to_etx", "02 30 32 03 03", true, true},
        {"tolvane_ack", "06", false, true},
        {"tolvane_i49", "3C 49 34 39 3E", false, true},
        {"tolvane_five_other", "3C 49 34 38 3E", false, false},
        {"tolvane_six_any", "3C 00 00 00 00 3E", false, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string answer = unhex(row.answer);
        EXPECT_EQ(row.stxFamily ? Framing::VerificaRisposta(answer) : Framing::VerificaRisposta_TOLVANE(answer),
                  row.accepted);
    }
}

}  // namespace
