#pragma once

#include "CommandResult.h"

#include <QJsonObject>
#include <QString>

#include <string>

namespace lettore {

// The command line's output for scripts: one JSON object on one line.
class ResultJson {
public:
    // One line: {"command": NAME, "esito": N, "values": {NAME: VALUE, ...}} and, when
    // the reader answered with one byte alone, "risposta": "ACK" or "NAK".
    // A name the result repeats (the range's "stato") gives an array.
    static std::string format(const std::string& command, const CommandResult& result, const std::string& loneAnswer);

    // Bytes as a JSON string: each byte the character of that code, so
    // that any byte survives and a parser gives it back.
    static QString text(const std::string& bytes);
    // `object` as one compact line, without a line break.
    static std::string line(const QJsonObject& object);
};

}  // namespace lettore
