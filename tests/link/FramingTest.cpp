#include "Framing.h"
#include "SimulatedPort.h"

#include <gtest/gtest.h>

using lettore::Framing;
using lettore::test::unhex;

namespace {

// The cases the link's exchange tests do not reach.
TEST(AnswerCheck, AcceptsOrRejects)
{
    const struct {
        const char* name;
        const char* answer;  // hex
        bool stxFamily;
        bool accepted;
    } rows[] = {
        {"lone_other", "41", true, false},
        {"empty", "", true, false},
        {"length_two", "02 02", true, false},
        {"bcc_equal_to_stx", "02 31 32 03 02", true, true},
        {"tolvane_ack", "06", false, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string answer = unhex(row.answer);
        EXPECT_EQ(row.stxFamily ? Framing::VerificaRisposta(answer) : Framing::VerificaRisposta_TOLVANE(answer),
                  row.accepted);
    }
}

}  // namespace
