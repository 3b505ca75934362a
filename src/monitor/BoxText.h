#pragma once

#include <QString>

#include <string>

namespace lettore {

// A text box's text as the line carries it, and back: one byte a
// character (Latin-1), so what the user typed goes out character for
// character. The boxes that are sent refuse a character Latin-1 cannot
// hold, however it comes (SingleByteValidator); elsewhere such a character
// becomes "?".
class BoxText {
public:
    static std::string bytes(const QString& text) { return text.toLatin1().toStdString(); }
    static QString text(const std::string& bytes)
    {
        return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    }
};

}  // namespace lettore
