#include "JunitReport.h"

#include "ReportText.h"
#include "TrafficText.h"

#include <cstdio>

namespace lettore {

namespace {

std::string x(const std::string& text) { return ReportText::markup(ReportText::words(text)); }

std::string seconds(const std::optional<uint32_t>& ms)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", ms.value_or(0) / 1000.0);
    return text;
}

std::string property(const std::string& name, const std::string& value)
{
    return "      <property name=\"" + name + "\" value=\"" + x(value) + "\"/>\n";
}

std::string output(const std::vector<ExchangeRecord>& exchanges)
{
    std::string text;
    for (const ExchangeRecord& exchange : exchanges) {
        text += exchange.command + " at " + exchange.rate + " baud: esito " + std::to_string(exchange.esito)
                + (exchange.latencyMs ? ", " + std::to_string(*exchange.latencyMs) + " ms" : "") + "\n";
        for (const TrafficRow& row : exchange.rows)
            text += "  " + TrafficText::line(row) + "\n";
    }
    return text.empty() ? "" : "      <system-out>" + x(text) + "</system-out>\n";
}

std::string testCase(const std::string& suite, const std::string& name, const std::optional<uint32_t>& ms,
                     const std::string& inside)
{
    return "    <testcase classname=\"" + x(suite) + "\" name=\"" + x(name) + "\" time=\"" + seconds(ms) + "\""
           + (inside.empty() ? "/>\n" : ">\n" + inside + "    </testcase>\n");
}

}  // namespace

std::string JunitReport::document(const RunInfo& run, const ReaderRecord& record)
{
    const std::string suite = "collaudo.lettore" + std::to_string(record.reader.address);
    std::string cases;
    std::size_t failures = 0;
    std::size_t skipped = 0;
    for (const StepResult& step : record.steps) {
        std::string reasons;
        for (const std::string& reason : step.reasons)
            reasons += (reasons.empty() ? "" : "; ") + reason;
        std::string inside;
        if (step.verdict == Verdict::Failed || step.verdict == Verdict::NotRun) {
            ++failures;
            inside = "      <failure message=\"" + x(std::string(verdictText(step.verdict)) + ": " + reasons) + "\">"
                     + x(step.expectation) + "</failure>\n";
        } else if (step.verdict == Verdict::Skipped) {
            ++skipped;
            inside = "      <skipped message=\"" + x(reasons) + "\"/>\n";
        }
        cases += testCase(suite, step.id + ": " + step.title, step.latencyMs, inside + output(step.exchanges));
    }
    for (const UndoResult& undo : record.undos) {
        std::string inside;
        if (!undo.putBack()) {
            ++failures;
            inside
                = "      <failure message=\"" + x(std::string(outcomeText(undo.outcome)) + ": " + undo.note) + "\"/>\n";
        }
        cases += testCase(suite, "ripristino " + undo.stepId + ": " + undo.change, std::nullopt,
                          inside + output(undo.exchanges));
    }
    const std::size_t tests = record.steps.size() + record.undos.size();
    const ReaderIdentity& reader = record.reader;
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites name=\"collaudo\" tests=\"" + std::to_string(tests)
           + "\" failures=\"" + std::to_string(failures) + "\" skipped=\"" + std::to_string(skipped) + "\">\n"
           + "  <testsuite name=\"" + x(suite) + "\" tests=\"" + std::to_string(tests) + "\" failures=\""
           + std::to_string(failures) + "\" errors=\"0\" skipped=\"" + std::to_string(skipped) + "\" timestamp=\""
           + x(record.start.substr(0, 19)) + "\" hostname=\"" + x(run.station) + "\">\n    <properties>\n"
           + property("program", run.program) + property("plan", run.planName) + property("plan.sha256", run.planSha256)
           + property("operator", run.operatorName) + property("station", run.station) + property("start", record.start)
           + property("end", record.end) + property("reader.address", std::to_string(reader.address))
           + property("reader.rate", reader.rate) + property("reader.model", reader.model)
           + property("reader.firmware", ReportText::bytes(reader.firmware))
           + property("reader.firstSerial", ReportText::bytes(reader.firstSerial))
           + property("reader.currentSerial", ReportText::bytes(reader.currentSerial)) + "    </properties>\n" + cases
           + "  </testsuite>\n</testsuites>\n";
}

}  // namespace lettore
