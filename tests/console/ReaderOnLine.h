#pragma once

#include "ConsoleRig.h"

#include <QLineEdit>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <map>
#include <string>

namespace lettore::test {

// The reader at address 1 on the console's simulated line, for the panel
// tests: it answers every frame written, 10 ms later, with what the test's
// script gives for it; an empty answer is silence.
struct ReaderOnLine {
    static inline const char* Settings = " 1 \r\n9600\r\n 1 \r\n";  // port 1, 9600 baud, terminal 1

    static void answerWith(std::function<std::string(const std::string& frame)> script)
    {
        SimulatedPort& port = ConsolePlatform::port();
        port.onWrite = [&port, script = std::move(script)](const std::string& frame) {
            const std::string answer = script(frame);
            if (!answer.empty())
                port.feedAt(ConsolePlatform::clock().nowMs() + 10, answer);
        };
    }
    // The same answer to every frame.
    static void answerAll(const std::string& answer)
    {
        answerWith([answer](const std::string&) { return answer; });
    }

    // A frame from reader 1: STX, its address characters, `data`, ETX and
    // the check byte (XOR of every byte from STX to ETX).
    static std::string frame(const std::string& data)
    {
        std::string bytes = "\x02" "0!" + data + "\x03";
        char check = 0;
        for (char c : bytes)
            check = char(check ^ c);
        return bytes + check;
    }
    // The same with its check byte spoilt: an answer the link rejects.
    static std::string badFrame(const std::string& data)
    {
        std::string bytes = frame(data);
        bytes.back() = char(bytes.back() ^ 0x55);
        return bytes;
    }
    static std::string ack() { return "\x06"; }
    static std::string nak() { return "\x15"; }

    // What was written to the line, one frame per entry, in hex.
    static QStringList writtenHex()
    {
        QStringList out;
        for (const std::string& bytes : ConsolePlatform::port().writes())
            out << QString::fromStdString(hex(bytes));
        return out;
    }

    // The text of every box of the window, by name: what "nothing changed"
    // is checked against.
    static std::map<QString, QString> boxTexts(QWidget& window)
    {
        std::map<QString, QString> texts;
        for (const QLineEdit* box : window.findChildren<QLineEdit*>())
            texts[box->objectName()] = box->text();
        return texts;
    }
};

}  // namespace lettore::test
