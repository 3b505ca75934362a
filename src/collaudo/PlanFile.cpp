#include "PlanFile.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <set>

namespace lettore {

namespace {

// One object of the plan, read key by key: every key it holds must be
// taken, so that a misspelt one is refused rather than ignored.
class Reader {
public:
    Reader(const QJsonValue& value, std::string where) : m_where(std::move(where))
    {
        if (!value.isObject())
            fail("must be an object");
        m_object = value.toObject();
    }
    ~Reader() noexcept(false)  // NOLINT(bugprone-exception-escape): throws on purpose, never while unwinding
    {
        if (std::uncaught_exceptions() > 0)
            return;
        for (const QString& key : m_object.keys())
            if (!m_taken.contains(key))
                fail("unknown key \"" + key.toStdString() + "\"");
    }

    bool has(const char* key) const { return m_object.contains(QLatin1String(key)); }
    QJsonValue take(const char* key)
    {
        m_taken.insert(QLatin1String(key));
        return m_object.value(QLatin1String(key));
    }
    // A text of the console's language (UTF-8).
    std::string words(const char* key, bool required)
    {
        const QJsonValue value = take(key);
        if (value.isUndefined() && !required)
            return {};
        if (!value.isString() || value.toString().isEmpty())
            fail(std::string(key) + " must be a text");
        return value.toString().toStdString();
    }
    // A text the line carries: one byte per character.
    std::string bytes(const QJsonValue& value, const std::string& what) const
    {
        if (!value.isString())
            fail(what + " must be a text");
        const QString text = value.toString();
        for (const QChar c : text)
            if (c.unicode() > 0xFF)
                fail(what + " holds a character the line cannot carry");
        return text.toLatin1().toStdString();
    }
    uint32_t number(const char* key, uint32_t fallback, uint32_t low, uint32_t high)
    {
        const QJsonValue value = take(key);
        if (value.isUndefined())
            return fallback;
        const double n = value.toDouble(-1);
        if (!value.isDouble() || n != static_cast<double>(static_cast<long long>(n)) || n < low || n > high)
            fail(std::string(key) + " must be a whole number from " + std::to_string(low) + " to "
                 + std::to_string(high));
        return static_cast<uint32_t>(n);
    }
    [[noreturn]] void fail(const std::string& what) const { throw PlanError(m_where + ": " + what); }
    const std::string& where() const { return m_where; }

private:
    QJsonObject m_object;
    std::set<QString> m_taken;
    std::string m_where;
};

PlanAction action(Reader& step, const QJsonValue& commandValue, const QJsonValue& argsValue)
{
    PlanAction action;
    action.command = step.bytes(commandValue, "command");
    if (argsValue.isUndefined())
        return action;
    if (!argsValue.isObject())
        step.fail("args must be an object of texts");
    const QJsonObject args = argsValue.toObject();
    for (auto it = args.begin(); it != args.end(); ++it)
        action.arguments.emplace(it.key().toStdString(), step.bytes(it.value(), "argument " + it.key().toStdString()));
    return action;
}

Expectation expectation(const QJsonValue& given, const std::string& where)
{
    Expectation expect;
    if (given.isUndefined())
        return expect;
    Reader in(given, where + ": expect");
    if (in.has("esito")) {
        const QJsonValue esito = in.take("esito");
        if (esito.isNull())
            expect.esito.reset();
        else
            expect.esito = static_cast<int16_t>(in.number("esito", 0, 0, 5));
    }
    if (in.has("answer")) {
        static const std::map<std::string, Expectation::Answer> answers{{"ACK", Expectation::Answer::Ack},
                                                                        {"NAK", Expectation::Answer::Nak},
                                                                        {"frame", Expectation::Answer::Frame},
                                                                        {"any", Expectation::Answer::Any}};
        const auto answer = answers.find(in.bytes(in.take("answer"), "answer"));
        if (answer == answers.end())
            in.fail("answer must be ACK, NAK, frame or any");
        expect.answer = answer->second;
    }
    if (in.has("maxLatencyMs"))
        expect.maxLatencyMs = in.number("maxLatencyMs", 0, 1, 60000);
    const QJsonValue value = in.take("fields");
    if (value.isUndefined())
        return expect;
    if (!value.isObject())
        in.fail("fields must be an object");
    const QJsonObject fields = value.toObject();
    for (auto it = fields.begin(); it != fields.end(); ++it) {
        Expectation::Field field{it.key().toStdString()};
        if (it.value().isString()) {
            field.equals = in.bytes(it.value(), "field " + field.name);
        } else {
            Reader check(it.value(), where + ": field " + field.name);
            field.isPattern = check.has("pattern");
            field.pattern = field.isPattern ? check.bytes(check.take("pattern"), "pattern") : "";
            field.equals = field.isPattern ? "" : check.bytes(check.take("equals"), "equals");
        }
        expect.fields.push_back(std::move(field));
    }
    return expect;
}

std::vector<std::string> ids(Reader& in, const char* key)
{
    const QJsonValue value = in.take(key);
    if (value.isUndefined())
        return {};
    if (!value.isArray())
        in.fail(std::string(key) + " must be a list of step ids");
    std::vector<std::string> list;
    for (const QJsonValue id : value.toArray())
        list.push_back(in.bytes(id, key));
    return list;
}

PlanStep step(const QJsonValue& value, std::size_t number)
{
    const QString id = value.toObject().value(QLatin1String("id")).toString();
    Reader in(value, "step " + std::to_string(number) + (id.isEmpty() ? "" : " (" + id.toStdString() + ")"));
    PlanStep step;
    step.id = in.bytes(in.take("id"), "id");
    step.title = in.words("title", true);
    const std::string kind = in.has("kind") ? in.bytes(in.take("kind"), "kind") : "command";
    if (kind == "command") {
        step.action = action(in, in.take("command"), in.take("args"));
        if (in.has("undo")) {
            Reader undo(in.take("undo"), in.where() + ": undo");
            step.undo = action(undo, undo.take("command"), undo.take("args"));
        }
        if (in.has("restores"))
            step.restores = in.bytes(in.take("restores"), "restores");
    } else if (kind == "rate") {
        step.kind = PlanStep::Kind::Rate;
        step.rate = in.bytes(in.take("rate"), "rate");
    } else if (kind == "badge") {
        step.kind = PlanStep::Kind::Badge;
        step.withinMs = in.number("withinMs", step.withinMs, 1, 600000);
    } else {
        in.fail("kind must be command, rate or badge");
    }
    step.needs = ids(in, "needs");
    step.expect = expectation(in.take("expect"), in.where());
    return step;
}

}  // namespace

TestPlan PlanFile::parse(const std::string& text)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
    if (document.isNull())
        throw PlanError("not JSON: " + error.errorString().toStdString() + " at byte " + std::to_string(error.offset));
    if (!document.isObject())
        throw PlanError("plan: must be an object");
    TestPlan plan;
    {
        Reader in(document.object(), "plan");
        plan.name = in.words("name", true);
        plan.maxLatencyMs = in.number("maxLatencyMs", plan.maxLatencyMs, 1, 60000);
        plan.lineBackWithinMs = in.number("lineBackWithinMs", plan.lineBackWithinMs, 0, 600000);
        const QJsonValue steps = in.take("steps");
        if (!steps.isArray())
            in.fail("steps must be a list");
        for (const QJsonValue value : steps.toArray())
            plan.steps.push_back(step(value, plan.steps.size() + 1));
    }
    if (std::string refusal = plan.check(); !refusal.empty())
        throw PlanError(refusal);
    return plan;
}

}  // namespace lettore

namespace lettore {

TestPlan PlanFile::load(const std::string& path, std::string& text)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        throw PlanError("cannot read the plan " + path + ": " + file.errorString().toStdString());
    text = file.readAll().toStdString();
    try {
        return parse(text);
    } catch (const PlanError& error) {
        throw PlanError("plan " + path + ": " + error.what());
    }
}

const std::string& PlanFile::defaultText()
{
    static const std::string text = [] {
        QFile file(QStringLiteral(":/collaudo/DefaultPlan.json"));
        file.open(QIODevice::ReadOnly);
        return file.readAll().toStdString();
    }();
    return text;
}

std::string PlanFile::sha256(const std::string& text)
{
    return QCryptographicHash::hash(QByteArray::fromStdString(text), QCryptographicHash::Sha256).toHex().toStdString();
}

}  // namespace lettore
