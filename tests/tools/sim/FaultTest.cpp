#include "ByteText.h"
#include "Fault.h"
#include "SimulatedPort.h"

#include <gtest/gtest.h>

namespace {

using namespace lettore::sim;
using namespace std::chrono_literals;

// Each fault's pieces of an answer, as "after ms: hex" joined by " | ", and its log note.
TEST(FaultTest, WhatEachFaultMakesOfAnAnswer)
{
    const char* F = "02 30 21 32 03 22";
    const struct {
        Fault fault;
        const char* answer;
        const char* pieces;
        const char* note;
    } rows[] = {
        {Fault::None, F, "0: 02 30 21 32 03 22", ""},
        {Fault::Drop, F, "0: 02 30 21 32 03 22", ""},
        {Fault::Silent, F, "", ""},
        {Fault::BadBcc, F, "0: 02 30 21 32 03 78", " (fault: wrong check character)"},
        {Fault::BadBcc, "15", "0: 15", " (fault: wrong check character)"},
        {Fault::Noise, F, "0: FF 7E 00 55 02 30 21 32 03 22", " (fault: noise first)"},
        {Fault::Noise, "06", "0: FF 7E 00 55 06", " (fault: noise first)"},
        {Fault::Garble, F, "0: 02 30 21 FF 7E 00 55 32 03 22", " (fault: noise inside)"},
        {Fault::Garble, "15", "0: 15", ""},
        {Fault::Split, F, "0: 02 30 | 200: 21 32 | 400: 03 22", " (fault: in pieces)"},
        {Fault::Split, "02 30 21 31 32 03 21", "0: 02 30 21 | 200: 31 32 03 | 400: 21", " (fault: in pieces)"},
        {Fault::Split, "06", "0: 06", " (fault: in pieces)"},
        {Fault::Late, F, "6000: 02 30 21 32 03 22", " (fault: late by 6000 ms)"},
    };
    for (const auto& row : rows) {
        const FaultyAnswer out = applyFault(row.fault, lettore::test::unhex(row.answer), FaultTiming{6000ms, 200ms});
        std::string pieces;
        for (const auto& piece : out.pieces)
            pieces += (pieces.empty() ? "" : " | ") + std::to_string(piece.after.count()) + ": " + lettore::ByteText::hex(piece.bytes);
        EXPECT_EQ(pieces, row.pieces) << faultName(row.fault) << " of " << row.answer;
        EXPECT_EQ(out.note, row.note) << faultName(row.fault) << " of " << row.answer;
    }
}

}  // namespace
