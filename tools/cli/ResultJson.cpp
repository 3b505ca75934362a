#include "ResultJson.h"

#include "ByteText.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace lettore {

QString ResultJson::text(const std::string& bytes)
{
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string ResultJson::line(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString();
}

std::string ResultJson::format(const std::string& command, const CommandResult& result, const std::string& loneAnswer)
{
    QJsonObject values;
    for (const CommandResult::Value& value : result.values) {
        const QString name = text(value.name);
        const QString shown = value.asHex ? text(ByteText::hex(value.bytes)) : text(value.bytes);
        // The range gives one "stato" per status character: always a list.
        if (value.name == "stato") {
            QJsonArray list = values.value(name).toArray();
            list.append(shown);
            values.insert(name, list);
        } else {
            values.insert(name, shown);
        }
    }
    QJsonObject object{{"command", text(command)}, {"esito", result.esito}, {"values", values}};
    if (!loneAnswer.empty())
        object.insert("risposta", text(loneAnswer));
    return line(object) + "\n";
}

}  // namespace lettore
