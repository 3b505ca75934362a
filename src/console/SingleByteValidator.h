#pragma once

#include <QValidator>

namespace lettore {

// Accepts only text the line carries one byte a character: Latin-1, codes 0
// to 255. On a box whose text goes out on the line, a character beyond that
// (an emoji, "€") is refused as it is typed or pasted, rather than leaving
// as other bytes.
class SingleByteValidator final : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString& input, int& /*position*/) const override
    {
        for (const QChar c : input) {
            if (c.unicode() > 0xFF)
                return Invalid;
        }
        return Acceptable;
    }
};

}  // namespace lettore
