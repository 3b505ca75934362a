#include "PlanRunner.h"

#include "ArgumentChecks.h"
#include "ByteText.h"
#include "CommandTable.h"
#include "Esito.h"
#include "FieldCodec.h"
#include "Frame.h"
#include "ReadingDecoder.h"
#include "ScopedSubscription.h"
#include "SerialSettings.h"
#include "TrafficCapture.h"
#include "clsComunicazioni.h"

#include <algorithm>
#include <functional>
#include <regex>

namespace lettore {

namespace {

const std::string Ack(1, Frame::ACK);
const std::string Nak(1, Frame::NAK);
const char* const Stopped = "collaudo interrotto";
const char* const LineDropped = "la linea è caduta";

std::string esitoText(int16_t esito)
{
    const char* words = "";
    switch (esito) {
    case Esito::Accepted: words = "risposta accettata"; break;
    case Esito::TimedOut: words = "nessuna risposta in tempo"; break;
    case Esito::Rejected: words = "risposta scartata"; break;
    case Esito::PortFailed: words = "errore della porta seriale"; break;
    case Esito::InvalidArgument: words = "indirizzo non valido"; break;
    case Esito::LinkBusy: words = "collegamento occupato"; break;
    }
    return "esito " + std::to_string(esito) + " (" + words + ")";
}

std::string answerText(const std::string& answer)
{
    if (answer.empty())
        return "nessuna risposta";
    if (answer == Ack)
        return "ACK";
    if (answer == Nak)
        return "NAK (rifiuto)";
    return "una trama";
}

std::string argumentsText(const ReaderCommand::Arguments& arguments)
{
    std::string text;
    for (const auto& [name, value] : arguments)
        text += " " + name + "=" + value;
    return text;
}

std::string changeText(const PlanStep& step, const PlanAction& action)
{
    return step.title + ":" + argumentsText(action.arguments);
}

// What `step` expects, in words; `shown` gives a text with the values found so far in place.
std::string expectationText(const PlanStep& step, uint32_t planLatency,
                            const std::function<std::string(const std::string&)>& shown)
{
    const uint32_t latency = step.expect.maxLatencyMs.value_or(planLatency);
    const std::string bound = "latenza al più " + std::to_string(latency) + " ms";
    switch (step.kind) {
    case PlanStep::Kind::Rate:
        return "il lettore passa a " + step.rate + " baud e risponde, poi torna e risponde; " + bound;
    case PlanStep::Kind::Badge:
        return "un badge presentato entro " + std::to_string(step.withinMs / 1000) + " s, letto da questo lettore";
    case PlanStep::Kind::Command: break;
    }
    ReaderCommand::Arguments arguments;
    for (const auto& [name, value] : step.action.arguments)
        arguments.emplace(name, shown(value));
    std::string text = step.action.command + argumentsText(arguments) + ":";
    if (step.expect.esito)
        text += " esito " + std::to_string(*step.expect.esito) + ";";
    switch (step.expect.answer) {
    case Expectation::Answer::NotRefused: text += " risposta che non sia un rifiuto;"; break;
    case Expectation::Answer::Ack: text += " risposta ACK;"; break;
    case Expectation::Answer::Nak: text += " risposta NAK;"; break;
    case Expectation::Answer::Frame: text += " risposta con dati;"; break;
    case Expectation::Answer::Any: break;
    }
    for (const Expectation::Field& field : step.expect.fields)
        text += " " + field.name
                + (field.isPattern ? " corrisponde a /" + field.pattern + "/;" : " = \"" + shown(field.equals) + "\";");
    return text + " " + bound;
}

// The check that `value` meets `field` (its text already resolved);
// "" when it does.
std::string fieldProblem(const Expectation::Field& field, const std::string& wanted, const std::string& value)
{
    if (field.isPattern) {
        if (std::regex_match(value, std::regex(wanted)))
            return {};
        return field.name + " \"" + ByteText::escape(value) + "\" non corrisponde a /" + wanted + "/";
    }
    if (value == wanted)
        return {};
    return field.name + " \"" + ByteText::escape(value) + "\", atteso \"" + ByteText::escape(wanted) + "\"";
}

// A short wait at each rate while a reader that moved is looked for: 100 ms
// plus the time 30 bytes take, as a scan of the line waits.
uint32_t searchTimeLimit(const std::string& rate) { return 100 + 300000 / static_cast<uint32_t>(std::stoi(rate)); }

}  // namespace

PlanRunner::PlanRunner(clsComunicazioni& link, TrafficCapture& traffic, Hooks hooks)
    : m_link(link), m_traffic(traffic), m_hooks(std::move(hooks))
{ }

ReaderRecord PlanRunner::run(const TestPlan& plan, const Options& options)
{
    m_plan = &plan;
    m_options = options;
    m_record = {};
    m_values = {};
    m_journal = {};
    m_passed.clear();
    m_lineDown = m_ending = m_portFailed = false;
    m_record.reader.address = options.term;
    m_record.reader.rate = lineRate();
    m_record.start = m_hooks.now();
    ScopedSubscription watching(m_link, *this);
    m_traffic.setListener([this](const TrafficRow& row) { heard(row); });

    const auto raw = [](const std::string& text) { return text; };
    for (const PlanStep& step : plan.steps)
        m_record.steps.push_back({step.id, step.title, expectationText(step, plan.maxLatencyMs, raw)});
    for (std::size_t i = 0; i < plan.steps.size(); ++i) {
        StepResult& result = m_record.steps[i];
        if (!m_ending && m_hooks.stopRequested()) {
            m_record.stopped = true;
            m_ending = true;
        }
        if (m_ending) {
            result.reasons.push_back(m_record.lineDropped ? LineDropped : Stopped);
            m_hooks.stepChanged(i, result, false);
            continue;
        }
        if (std::string reason = skipReason(plan.steps[i]); !reason.empty()) {
            result.verdict = Verdict::Skipped;
            result.reasons.push_back(reason);
            m_hooks.stepChanged(i, result, false);
            continue;
        }
        result.expectation = expectationText(plan.steps[i], plan.maxLatencyMs, [this](const std::string& text) {
            return m_values.resolve(text).value_or(text);
        });
        m_hooks.stepChanged(i, result, true);
        runStep(plan.steps[i], result);
        finish(result);
        m_hooks.stepChanged(i, result, false);
        // The reader goes back as it was found before anything else runs.
        if (result.verdict == Verdict::Failed)
            undoAll();
    }
    undoAll();
    m_traffic.setListener({});
    m_record.end = m_hooks.now();
    return m_record;
}

std::string PlanRunner::skipReason(const PlanStep& step) const
{
    for (const std::string& needed : step.needs)
        if (std::find(m_passed.begin(), m_passed.end(), needed) == m_passed.end())
            return "richiede il passo " + needed + ", non superato o già rimesso";
    if (step.kind == PlanStep::Kind::Rate && step.rate == lineRate())
        return "è la velocità della linea";
    if (step.kind == PlanStep::Kind::Rate && !m_options.alone)
        return "solo con il lettore unico sulla linea";
    if (step.kind == PlanStep::Kind::Badge && !m_options.badge)
        return "prova con l'operatore non richiesta";
    std::string missing;
    if (step.kind == PlanStep::Kind::Command
        && (!resolved(step.action, missing) || (step.undo && !resolved(*step.undo, missing))))
        return "manca il valore ${" + missing + "}";
    return {};
}

std::optional<PlanAction> PlanRunner::resolved(const PlanAction& action, std::string& missing) const
{
    PlanAction out{action.command, {}};
    for (const auto& [name, text] : action.arguments) {
        const std::optional<std::string> value = m_values.resolve(text, &missing);
        if (!value)
            return std::nullopt;
        out.arguments.emplace(name, *value);
    }
    return out;
}

void PlanRunner::runStep(const PlanStep& step, StepResult& result)
{
    switch (step.kind) {
    case PlanStep::Kind::Command: runCommand(step, result); break;
    case PlanStep::Kind::Rate: runRate(step, result); break;
    case PlanStep::Kind::Badge: runBadge(step, result); break;
    }
}

void PlanRunner::runCommand(const PlanStep& step, StepResult& result)
{
    std::string missing;
    const PlanAction action = *resolved(step.action, missing);
    // Values found by the run are checked as the command line checks its own.
    const ReaderCommand& command = ReaderCommand::named(action.command);
    if (const CommandEntry* entry = commandLineEntry(command)) {
        std::vector<std::string> positional;
        for (const char* input : command.inputs)
            positional.push_back(action.arguments.at(input));
        if (std::string refusal = ArgumentChecks::arguments(*entry, positional); !refusal.empty()) {
            result.verdict = Verdict::Failed;
            result.reasons.push_back("argomenti non validi: " + refusal);
            return;
        }
    }
    if (step.undo)
        m_journal.add({step.id, changeText(step, action), resolved(*step.undo, missing), {}});
    const bool passed = judge(step.expect, result, send(action.command, action.arguments));
    // A change the reader refused was not made: there is nothing to put back.
    if (step.undo && result.exchanges.back().answer == Nak && m_journal.discharge(step.id))
        m_record.undos.push_back(
            {step.id, changeText(step, action), UndoResult::Outcome::NotMade, "il lettore l'ha rifiutata", {}});
    if (!passed)
        return;
    for (const ReaderCommand::Value& value : result.exchanges.back().values)
        m_values.set(step.id, value.name, value.text);
    result.verdict = Verdict::Passed;
    if (!step.restores.empty() && m_journal.discharge(step.restores)) {
        m_record.undos.push_back({step.restores,
                                  m_plan->find(step.restores)->title,
                                  UndoResult::Outcome::Discharged,
                                  "dal passo " + step.id,
                                  {}});
        std::erase(m_passed, step.restores);
    }
}

bool PlanRunner::judge(const Expectation& expectation, StepResult& result, ExchangeRecord exchange)
{
    Expectation expect = expectation;
    if (!expect.maxLatencyMs)
        expect.maxLatencyMs = m_plan->maxLatencyMs;
    std::vector<std::string> found = problems(expect, exchange);
    result.exchanges.push_back(std::move(exchange));
    if (m_lineDown) {
        result.verdict = Verdict::Failed;
        result.reasons.push_back(LineDropped);
    } else if (m_ending && result.exchanges.back().esito == Esito::TimedOut) {
        result.verdict = Verdict::NotRun;
        result.reasons.push_back(Stopped);
    } else if (!found.empty()) {
        result.verdict = Verdict::Failed;
        result.reasons.insert(result.reasons.end(), found.begin(), found.end());
    }
    return result.reasons.empty();
}

std::vector<std::string> PlanRunner::problems(const Expectation& expect, const ExchangeRecord& exchange) const
{
    if (expect.esito && exchange.esito != *expect.esito)
        return {esitoText(exchange.esito) + ", atteso " + std::to_string(*expect.esito)};
    std::vector<std::string> found;
    const std::string& answer = exchange.answer;
    const bool kindRight = [&] {
        switch (expect.answer) {
        case Expectation::Answer::NotRefused: return answer != Nak;
        case Expectation::Answer::Ack: return answer == Ack;
        case Expectation::Answer::Nak: return answer == Nak;
        case Expectation::Answer::Frame: return answer.size() > 1;
        case Expectation::Answer::Any: return true;
        }
        return true;
    }();
    if (!kindRight)
        found.push_back("risposta " + answerText(answer));
    for (const Expectation::Field& field : expect.fields) {
        const auto value = std::find_if(exchange.values.begin(), exchange.values.end(),
                                        [&](const ReaderCommand::Value& v) { return v.name == field.name; });
        const std::string wanted = m_values.resolve(field.isPattern ? field.pattern : field.equals).value_or("");
        if (std::string problem = fieldProblem(field, wanted, value == exchange.values.end() ? "" : value->text);
            !problem.empty())
            found.push_back(problem);
    }
    if (expect.maxLatencyMs && exchange.latencyMs && *exchange.latencyMs > *expect.maxLatencyMs)
        found.push_back("latenza " + std::to_string(*exchange.latencyMs) + " ms, al più "
                        + std::to_string(*expect.maxLatencyMs) + " ms");
    return found;
}

void PlanRunner::runRate(const PlanStep& step, StepResult& result)
{
    const std::string home = lineRate();
    const std::string address = std::to_string(m_options.term);
    m_journal.add({step.id, "velocità portata a " + step.rate + " baud", std::nullopt, home});
    const Expectation moved{.answer = Expectation::Answer::Ack};
    const Expectation answers{.answer = Expectation::Answer::Frame, .fields = {{"outVERSION", {}, "[^N].*", true}}};
    // There, answer there, back, answer at home: each only after the one before passed.
    bool ok = judge(moved, result, send("SetupSeriale", {{"BaudRate", step.rate}, {"NewAddress", address}}));
    if (ok && !m_ending) {
        setLineRate(step.rate);
        ok = judge(answers, result, send("GetVersioneFirmware"));
    }
    if (ok && !m_ending)
        ok = judge(moved, result, send("SetupSeriale", {{"BaudRate", home}, {"NewAddress", address}}));
    setLineRate(home);
    if (ok && !m_ending)
        judge(answers, result, send("GetVersioneFirmware"));
    if (!result.reasons.empty() || m_ending)
        return;
    result.verdict = Verdict::Passed;
    m_journal.discharge(step.id);
    m_record.undos.push_back({step.id, step.title, UndoResult::Outcome::Discharged, "dal passo stesso", {}});
}

void PlanRunner::runBadge(const PlanStep& step, StepResult& result)
{
    const ReaderCommand& query = ReaderCommand::named("GetTransazione");
    // A badge makes a record behind those stored; reading it would confirm
    // theirs first, which nothing could give back.
    const Expectation anything{.answer = Expectation::Answer::Any};
    if (!judge(anything, result, send("GetTransazione")) || m_ending)
        return;
    if (query.usable(result.exchanges.back().answer, result.exchanges.back().esito)) {
        result.verdict = Verdict::Skipped;
        result.reasons.push_back("il lettore ha transazioni in memoria: la prova le consumerebbe");
        return;
    }
    // Readings sent on their own are heard while waiting.
    m_link.OnComm_Attivato();
    m_readings.clear();
    m_hooks.tell("presentare un badge al lettore " + std::to_string(m_options.term) + " entro "
                 + std::to_string(step.withinMs / 1000) + " s");
    const uint32_t start = m_hooks.clock.nowMs();
    std::optional<Reading> reading;
    while (!reading && elapsedMs(start, m_hooks.clock.nowMs()) < step.withinMs) {
        if (m_hooks.stopRequested()) {
            m_record.stopped = m_ending = true;
            result.reasons.push_back(Stopped);
            return;
        }
        m_hooks.pause(PollMs);
        if (m_portFailed) {
            lineDropped();
            result.verdict = Verdict::Failed;
            result.reasons.push_back(LineDropped);
            return;
        }
        for (const TrafficRow& row : m_readings)
            if (auto decoded = ReadingDecoder::decode(row.bytes); decoded && decoded->address == m_options.term)
                reading = decoded;
        if (reading)
            break;
        ExchangeRecord poll = send("GetTransazione");
        if (poll.esito == Esito::PortFailed || query.usable(poll.answer, poll.esito)) {
            reading = ReadingDecoder::decode(poll.answer);
            if (!judge(anything, result, std::move(poll)))
                return;
        }
    }
    if (!reading) {
        result.verdict = Verdict::Failed;
        result.reasons.push_back("nessun badge entro " + std::to_string(step.withinMs / 1000) + " s");
        return;
    }
    // The record or reading the badge made is confirmed: the reader keeps
    // nothing of the test.
    judge(anything, result, send("SendACK"));
    const std::vector<ReaderCommand::Value> values{
        {"indirizzo", reading->address ? std::to_string(*reading->address) : ""}, {"codice", reading->code}};
    result.exchanges.back().values = values;
    for (const Expectation::Field& field : step.expect.fields) {
        const auto value
            = std::find_if(values.begin(), values.end(), [&](const auto& v) { return v.name == field.name; });
        const std::string wanted = m_values.resolve(field.isPattern ? field.pattern : field.equals).value_or("");
        if (std::string problem = fieldProblem(field, wanted, value->text); !problem.empty())
            result.reasons.push_back(problem);
    }
    if (!result.reasons.empty()) {
        result.verdict = Verdict::Failed;
        return;
    }
    for (const ReaderCommand::Value& value : values)
        m_values.set(step.id, value.name, value.text);
    result.verdict = Verdict::Passed;
}

void PlanRunner::finish(StepResult& result)
{
    for (const ExchangeRecord& exchange : result.exchanges)
        if (exchange.latencyMs)
            result.latencyMs = std::max(result.latencyMs.value_or(0), *exchange.latencyMs);
    if (result.verdict == Verdict::Passed)
        m_passed.push_back(result.id);
    if (result.verdict == Verdict::NotRun && result.reasons.empty())
        result.reasons.push_back(m_lineDown ? LineDropped : Stopped);
}

ExchangeRecord PlanRunner::send(const std::string& command, const ReaderCommand::Arguments& arguments)
{
    ExchangeRecord record{command, arguments, lineRate()};
    m_exchange = &record;
    m_sentAt.reset();
    m_answeredAt.reset();
    const ReaderCommand::Result result = ReaderCommand::named(command).run(m_link, m_options.term, arguments);
    m_exchange = nullptr;
    record.esito = result.esito;
    record.answer = result.Risposta;
    record.values = result.values;
    if (m_sentAt && m_answeredAt)
        record.latencyMs = elapsedMs(*m_sentAt, *m_answeredAt);
    if (record.esito == Esito::PortFailed || m_portFailed) {
        lineDropped();
    } else if (m_hooks.stopRequested() && !m_ending) {
        m_record.stopped = m_ending = true;
    }
    noteIdentity(record);
    return record;
}

// The port may fail between two exchanges too, and reopen by itself
// before the next one: the reader may have been changed or restarted
// meanwhile, so that counts as a drop as well.
void PlanRunner::lineDropped()
{
    m_lineDown = m_ending = true;
    m_record.lineDropped = true;
}

void PlanRunner::noteIdentity(const ExchangeRecord& exchange)
{
    ReaderIdentity& reader = m_record.reader;
    // The framing tells the model even of an answer that failed its check.
    for (const TrafficRow& row : exchange.rows)
        if (reader.model.empty() && row.kind == TrafficRow::Kind::Answer && !row.dialect.empty())
            reader.model = row.dialect;
    const ReaderCommand& command = ReaderCommand::named(exchange.command);
    if (!command.answersWithData() || !command.usable(exchange.answer, exchange.esito))
        return;
    const auto keep = [&](std::string& field) {
        if (field.empty())
            field = exchange.values.front().text;
    };
    if (exchange.command == "GetVersioneFirmware")
        keep(reader.firmware);
    else if (exchange.command == "GetMatricolaPrima")
        keep(reader.firstSerial);
    else if (exchange.command == "GetMatricolaCorrente")
        keep(reader.currentSerial);
}

void PlanRunner::undoAll()
{
    while (!m_journal.empty()) {
        const UndoJournal::Entry entry = m_journal.takeLatest();
        m_record.undos.push_back(undo(entry));
        std::erase(m_passed, entry.stepId);
    }
}

UndoResult PlanRunner::undo(const UndoJournal::Entry& entry)
{
    UndoResult result{entry.stepId, entry.change};
    if (m_hooks.abandonRequested()) {
        result.note = "abbandonato su richiesta";
        return result;
    }
    if (m_lineDown && !waitForLine()) {
        result.note = "la linea non è tornata";
        return result;
    }
    if (!entry.rateBack.empty()) {
        bringRateBack(entry.rateBack, result);
        return result;
    }
    ExchangeRecord exchange = send(entry.action->command, entry.action->arguments);
    // A line that drops under the undo is waited for, and the undo sent once more.
    if (exchange.esito == Esito::PortFailed) {
        result.exchanges.push_back(std::move(exchange));
        if (!waitForLine()) {
            result.note = "la linea non è tornata";
            return result;
        }
        exchange = send(entry.action->command, entry.action->arguments);
    }
    const bool accepted = exchange.esito == Esito::Accepted;
    result.outcome = accepted && exchange.answer == Nak    ? UndoResult::Outcome::Refused
                     : accepted                            ? UndoResult::Outcome::Done
                     : exchange.esito == Esito::PortFailed ? UndoResult::Outcome::NotRun
                                                           : UndoResult::Outcome::Unconfirmed;
    result.note = entry.action->command + argumentsText(entry.action->arguments) + ": " + esitoText(exchange.esito)
                  + ", risposta " + answerText(exchange.answer);
    result.exchanges.push_back(std::move(exchange));
    return result;
}

// The reader listens at one rate only, which may be the one it was sent to
// or not: the way home is sent at each rate in turn, the one it was sent
// to first, until one is acknowledged; then it must answer at home.
void PlanRunner::bringRateBack(const std::string& home, UndoResult& result)
{
    const std::string address = std::to_string(m_options.term);
    const uint32_t timeLimit = m_link.answerTimeLimit();
    const uint32_t quietGap = m_link.quietGapAfterTimeOut();
    m_link.setQuietGapAfterTimeOut(0);
    std::vector<std::string> rates = FieldCodec::baudRates();
    const std::string away = m_plan->find(result.stepId)->rate;
    std::stable_partition(rates.begin(), rates.end(), [&](const std::string& r) { return r == away; });
    for (const std::string& rate : rates) {
        setLineRate(rate);
        m_link.setAnswerTimeLimit(searchTimeLimit(rate));
        result.exchanges.push_back(send("SetupSeriale", {{"BaudRate", home}, {"NewAddress", address}}));
        if (result.exchanges.back().answer == Ack || m_lineDown || m_hooks.abandonRequested())
            break;
    }
    setLineRate(home);
    m_link.setAnswerTimeLimit(timeLimit);
    m_link.setQuietGapAfterTimeOut(quietGap);
    result.exchanges.push_back(send("GetVersioneFirmware"));
    const ExchangeRecord& check = result.exchanges.back();
    const bool answered = ReaderCommand::named("GetVersioneFirmware").usable(check.answer, check.esito)
                          && check.esito == Esito::Accepted;
    result.outcome = answered ? UndoResult::Outcome::Done : UndoResult::Outcome::Unconfirmed;
    result.note = answered ? "il lettore risponde a " + home + " baud" : "il lettore non risponde a " + home + " baud";
}

bool PlanRunner::waitForLine()
{
    if (!m_lineDown)
        return true;
    m_hooks.tell("la linea è caduta: si attende che torni, al più " + std::to_string(m_plan->lineBackWithinMs / 1000)
                 + " s, per rimettere il lettore com'era");
    const uint32_t start = m_hooks.clock.nowMs();
    while (elapsedMs(start, m_hooks.clock.nowMs()) < m_plan->lineBackWithinMs && !m_hooks.abandonRequested()) {
        m_hooks.pause(PollMs);
        // The reader answers again, on a port that holds: a time-out could
        // be another device behind the same name.
        m_portFailed = false;
        const int16_t esito = send("GetVersioneFirmware").esito;
        if ((esito == Esito::Accepted || esito == Esito::Rejected) && !m_portFailed) {
            m_lineDown = false;
            return true;
        }
    }
    return false;
}

std::string PlanRunner::lineRate() const
{
    const auto settings = SerialSettings::parse(m_link.CommSettings());
    return settings ? std::to_string(settings->baudRate) : "";
}

void PlanRunner::setLineRate(const std::string& rate) { m_link.setCommSettings(SerialSettings::readersLine(rate)); }

void PlanRunner::ComTX(const std::string&)
{
    if (m_exchange && !m_sentAt)
        m_sentAt = m_hooks.clock.nowMs();
}

void PlanRunner::ComRX(const std::string&)
{
    if (m_exchange && m_sentAt && !m_answeredAt)
        m_answeredAt = m_hooks.clock.nowMs();
}

// A time-out is no answer: no latency.
void PlanRunner::ComTO() { }

void PlanRunner::heard(const TrafficRow& row)
{
    m_record.traffic.push_back(row);
    if (m_exchange)
        m_exchange->rows.push_back(row);
    if (row.kind == TrafficRow::Kind::Reading)
        m_readings.push_back(row);
    if (row.kind == TrafficRow::Kind::PortFailed)
        m_portFailed = true;
}

}  // namespace lettore
