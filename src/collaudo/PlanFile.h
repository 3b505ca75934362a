#pragma once

#include "TestPlan.h"

#include <stdexcept>
#include <string>

namespace lettore {

// A plan file that cannot be run; the text is a one-line message.
class PlanError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A test plan as JSON text, and the plan built in. The text is kept with
// the plan, so that a report names exactly what ran by its SHA-256.
//
//   {"name": "...", "maxLatencyMs": 1000, "lineBackWithinMs": 30000,
//    "steps": [
//      {"id": "setup_prova", "title": "...", "command": "SetupBase",
//       "args": {"TProto": "0020", ...}, "needs": ["setup_letto"],
//       "undo": {"command": "SetupBase", "args": {"TProto": "${setup_letto.outTPROTO}", ...}},
//       "expect": {"esito": 0, "answer": "ACK", "maxLatencyMs": 500,
//                  "fields": {"outTPROTO": "0020", "outVERSION": {"pattern": "[ -~]{16}"}}}},
//      {"id": "velocita_1200", "title": "...", "kind": "rate", "rate": "1200"},
//      {"id": "badge", "title": "...", "kind": "badge", "withinMs": 20000}]}
//
// "answer" is "ACK", "NAK", "frame", "any" or, left out, anything but a
// refusal; "esito": null takes any result code.
class PlanFile {
public:
    // Parses and checks (TestPlan::check) `text`. Throws PlanError.
    static TestPlan parse(const std::string& text);
    // Reads and parses the file at `path`; `text` receives its bytes.
    // Throws PlanError naming the file.
    static TestPlan load(const std::string& path, std::string& text);

    // The plan built in, as JSON text.
    static const std::string& defaultText();

    // SHA-256 of `text`, 64 lowercase hex digits.
    static std::string sha256(const std::string& text);
};

}  // namespace lettore
