#pragma once

#include <QLineEdit>
#include <QValidator>

namespace lettore {

// Keeps a box whose text goes out on the line to text the line carries one
// byte a character: Latin-1, codes 0 to 255. A character beyond that (an
// emoji, "€") is refused as it is typed or pasted, rather than leaving as
// other bytes. Text set whole, by the program or by an assistive technology
// through the accessibility interface, passes no validator: holding more,
// it is refused whole too, and the box keeps what it held.
class SingleByteValidator final : public QValidator {
public:
    // Guards `box` for as long as the box lives.
    explicit SingleByteValidator(QLineEdit& box) : QValidator(&box), m_kept(box.text())
    {
        box.setValidator(this);
        connect(&box, &QLineEdit::textChanged, this, [this, &box](const QString& text) {
            if (fits(text))
                m_kept = text;
            else
                box.setText(m_kept);
        });
    }

    State validate(QString& input, int& /*position*/) const override { return fits(input) ? Acceptable : Invalid; }

    static bool fits(const QString& text)
    {
        for (const QChar c : text) {
            if (c.unicode() > 0xFF)
                return false;
        }
        return true;
    }

private:
    QString m_kept;
};

}  // namespace lettore
