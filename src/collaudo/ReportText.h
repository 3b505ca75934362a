#pragma once

#include <string>

namespace lettore {

// Texts made safe for the report files: HTML, XML and JSON escaping, and
// names typed by people (UTF-8 as a rule, but anything a command line
// passes) kept readable whatever their bytes.
class ReportText {
public:
    // `text` where it is valid UTF-8 without control characters; every
    // other byte as \xHH.
    static std::string words(const std::string& text);
    // Bytes of the line, always ASCII: printable as they are, others \xHH.
    static std::string bytes(const std::string& bytes);

    // For HTML text and attribute values, and XML alike: & < > " ' escaped.
    static std::string markup(const std::string& text);
    // A JSON string literal, quotes included.
    static std::string json(const std::string& text);

    // "2026-12-07T04:43:57.536Z" as "20261207T044357Z", for file names.
    static std::string stamp(const std::string& isoTime);
};

}  // namespace lettore
