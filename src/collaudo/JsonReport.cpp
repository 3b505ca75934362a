#include "JsonReport.h"

#include "ByteText.h"
#include "ReportText.h"
#include "TrafficText.h"

namespace lettore {

namespace {

std::string s(const std::string& words) { return ReportText::json(ReportText::words(words)); }
std::string bytes(const std::string& bytes) { return ReportText::json(ReportText::bytes(bytes)); }

template <typename Items, typename Write>
std::string list(const Items& items, Write write)
{
    std::string out = "[";
    for (const auto& item : items)
        out += (out.size() > 1 ? "," : "") + write(item);
    return out + "]";
}

std::string latency(const std::optional<uint32_t>& ms) { return ms ? std::to_string(*ms) : "null"; }

std::string row(const TrafficRow& row)
{
    return "{\"time\":" + s(row.time) + ",\"direction\":" + s(TrafficRow::name(row.direction))
           + ",\"kind\":" + s(TrafficRow::name(row.kind)) + ",\"decoded\":" + ReportText::json(TrafficText::fields(row))
           + ",\"hex\":" + s(ByteText::hex(row.bytes)) + ",\"text\":" + bytes(row.bytes) + "}";
}

std::string exchange(const ExchangeRecord& exchange)
{
    std::string arguments = "{";
    for (const auto& [name, value] : exchange.arguments)
        arguments += (arguments.size() > 1 ? "," : "") + s(name) + ":" + bytes(value);
    std::string values = "{";
    for (const ReaderCommand::Value& value : exchange.values)
        values += (values.size() > 1 ? "," : "") + s(value.name) + ":" + bytes(value.text);
    return "{\"command\":" + s(exchange.command) + ",\"arguments\":" + arguments + "},\"rate\":" + s(exchange.rate)
           + ",\"esito\":" + std::to_string(exchange.esito) + ",\"latencyMs\":" + latency(exchange.latencyMs)
           + ",\"values\":" + values + "},\"rows\":" + list(exchange.rows, row) + "}";
}

}  // namespace

std::string JsonReport::document(const RunInfo& run, const ReaderRecord& record)
{
    const ReaderIdentity& reader = record.reader;
    const auto step = [](const StepResult& step) {
        return "{\"id\":" + s(step.id) + ",\"title\":" + s(step.title) + ",\"expectation\":" + s(step.expectation)
               + ",\"verdict\":" + s(verdictText(step.verdict)) + ",\"reasons\":" + list(step.reasons, s)
               + ",\"latencyMs\":" + latency(step.latencyMs) + ",\"exchanges\":" + list(step.exchanges, exchange) + "}";
    };
    const auto undo = [](const UndoResult& undo) {
        return "{\"step\":" + s(undo.stepId) + ",\"change\":" + s(undo.change)
               + ",\"outcome\":" + s(outcomeText(undo.outcome)) + ",\"note\":" + s(undo.note)
               + ",\"exchanges\":" + list(undo.exchanges, exchange) + "}";
    };
    return "{\"program\":" + s(run.program) + ",\"plan\":{\"name\":" + s(run.planName)
           + ",\"sha256\":" + s(run.planSha256) + "},\"operator\":" + s(run.operatorName)
           + ",\"station\":" + s(run.station) + ",\"start\":" + s(record.start) + ",\"end\":" + s(record.end)
           + ",\"reader\":{\"address\":" + std::to_string(reader.address) + ",\"rate\":" + s(reader.rate)
           + ",\"model\":" + s(reader.model) + ",\"firmware\":" + bytes(reader.firmware)
           + ",\"firstSerial\":" + bytes(reader.firstSerial) + ",\"currentSerial\":" + bytes(reader.currentSerial)
           + "},\"passed\":" + (record.passed() ? "true" : "false") + ",\"stopped\":"
           + (record.stopped ? "true" : "false") + ",\"lineDropped\":" + (record.lineDropped ? "true" : "false")
           + ",\"changesLeft\":" + list(record.changesLeft(), s) + ",\"steps\":" + list(record.steps, step)
           + ",\"undos\":" + list(record.undos, undo) + ",\"traffic\":" + list(record.traffic, row) + "}\n";
}

}  // namespace lettore
