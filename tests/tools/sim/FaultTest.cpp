#include "ByteText.h"
#include "Fault.h"
#include "SimulatedPort.h"

#include <gtest/gtest.h>

namespace {

using namespace lettore::sim;
using namespace std::chrono_literals;
using lettore::ByteText;
using lettore::test::unhex;

// Each piece as "after ms: hex", pieces joined by " | ".
std::string pieces(const FaultyAnswer& answer)
{
    std::string text;
    for (const auto& piece : answer.pieces)
        text += (text.empty() ? "" : " | ") + std::to_string(piece.after.count()) + ": " + ByteText::hex(piece.bytes);
    return text;
}

TEST(FaultTest, WhatEachFaultMakesOfAnAnswer)
{
    const FaultTiming timing{6000ms, 200ms};
    const struct {
        Fault fault;
        const char* answer;
        const char* pieces;
        const char* note;
    } rows[] = {
        {Fault::None, "02 30 21 32 03 22", "0: 02 30 21 32 03 22", ""},
        {Fault::Drop, "02 30 21 32 03 22", "0: 02 30 21 32 03 22", ""},
        {Fault::Silent, "02 30 21 32 03 22", "", ""},
        {Fault::BadBcc, "02 30 21 32 03 22", "0: 02 30 21 32 03 78", " (fault: wrong check character)"},
        {Fault::BadBcc, "15", "0: 15", " (fault: wrong check character)"},
        {Fault::Noise, "02 30 21 32 03 22", "0: FF 7E 00 55 02 30 21 32 03 22", " (fault: noise first)"},
        {Fault::Noise, "06", "0: FF 7E 00 55 06", " (fault: noise first)"},
        {Fault::Garble, "02 30 21 32 03 22", "0: 02 30 21 FF 7E 00 55 32 03 22", " (fault: noise inside)"},
        {Fault::Garble, "15", "0: 15", ""},
        {Fault::Split, "02 30 21 32 03 22", "0: 02 30 | 200: 21 32 | 400: 03 22", " (fault: in pieces)"},
        {Fault::Split, "02 30 21 31 32 03 21", "0: 02 30 21 | 200: 31 32 03 | 400: 21", " (fault: in pieces)"},
        {Fault::Split, "06", "0: 06", " (fault: in pieces)"},
        {Fault::Late, "02 30 21 32 03 22", "6000: 02 30 21 32 03 22", " (fault: late by 6000 ms)"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(faultName(row.fault) + " of " + row.answer);
        const FaultyAnswer out = applyFault(row.fault, unhex(row.answer), timing);
        EXPECT_EQ(pieces(out), row.pieces);
        EXPECT_EQ(out.note, row.note);
    }
}

}  // namespace
