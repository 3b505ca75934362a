#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include <optional>

// Every message box and input box of the console goes through this, so
// tests can answer them in place of the user.
class Dialogs {
public:
    enum class Icon { None, Exclamation };

    virtual ~Dialogs() = default;

    // A message with only an OK button, titled with the application's title;
    // returns when the user has dismissed it.
    virtual void message(const QString& text, Icon icon = Icon::None) = 0;
    // Asks for a password: the text typed (possibly empty), or nullopt when
    // the user cancels.
    virtual std::optional<QString> askPassword(const QString& prompt, const QString& title) = 0;
};

// The dialogs the user sees: ordinary modal Qt message and input boxes,
// centred on `parent`, whose window's title (the console's, "Test lettore
// Sibrant") is the application's title of the message boxes.
class QtDialogs final : public Dialogs {
public:
    explicit QtDialogs(QWidget* parent = nullptr);

    void message(const QString& text, Icon icon = Icon::None) override;
    std::optional<QString> askPassword(const QString& prompt, const QString& title) override;

private:
    QPointer<QWidget> m_parent;
};
