#include "HtmlReport.h"

#include "ByteText.h"
#include "ReportText.h"
#include "TrafficText.h"

namespace lettore {

namespace {

const char* const Style = R"(<style>
@page { size: A4; margin: 14mm 12mm; }
body { font: 10.5pt/1.35 "DejaVu Sans", "Liberation Sans", Arial, sans-serif; color: #111; margin: 1.5em auto; max-width: 60em; padding: 0 1em; }
h1 { font-size: 17pt; margin: 0 0 .2em; }
h2 { font-size: 12.5pt; margin: 1.4em 0 .4em; border-bottom: 1px solid #888; }
h3 { font-size: 10.5pt; margin: 1em 0 .3em; }
table { border-collapse: collapse; width: 100%; }
th, td { border: 1px solid #aaa; padding: .25em .45em; text-align: left; vertical-align: top; }
th { background: #eee; }
table.facts th { width: 13em; }
.verdict { display: inline-block; font-weight: bold; font-size: 13pt; padding: .15em .6em; border: 2px solid; }
.passed { color: #0a5c1a; } .failed, .notrun { color: #a30000; } .skipped { color: #555; }
.verdict.passed { background: #e3f4e6; } .verdict.failed, .verdict.notrun { background: #fbe5e5; }
td.result { font-weight: bold; white-space: nowrap; }
.mono, td.hex { font-family: "DejaVu Sans Mono", "Liberation Mono", monospace; font-size: 8.5pt; word-break: break-all; }
.signatures { display: flex; gap: 3em; margin-top: 2.5em; }
.signatures div { flex: 1; }
.line { border-bottom: 1px solid #111; height: 3.2em; }
.caption { font-size: 9pt; color: #333; }
.details { break-before: page; }
tr, .signatures { break-inside: avoid; }
thead { display: table-header-group; }
@media print { body { margin: 0; max-width: none; padding: 0; font-size: 9pt; } a { color: inherit; text-decoration: none; } }
</style>
)";

std::string h(const std::string& text) { return ReportText::markup(text); }
std::string w(const std::string& text) { return h(ReportText::words(text)); }
std::string b(const std::string& bytes) { return h(ReportText::bytes(bytes)); }

const char* verdictClass(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Passed: return "passed";
    case Verdict::Failed: return "failed";
    case Verdict::Skipped: return "skipped";
    case Verdict::NotRun: return "notrun";
    }
    return "";
}

std::string fact(const std::string& name, const std::string& value)
{
    return "<tr><th>" + name + "</th><td>" + value + "</td></tr>\n";
}

std::string ms(const std::optional<uint32_t>& latency) { return latency ? std::to_string(*latency) + " ms" : "—"; }

std::string head(const std::string& title)
{
    return "<!DOCTYPE html>\n<html lang=\"it\">\n<head>\n<meta charset=\"utf-8\">\n<title>" + h(title) + "</title>\n"
           + Style + "</head>\n<body>\n";
}

std::string readerFacts(const ReaderIdentity& reader)
{
    const auto known = [](const std::string& text) { return text.empty() ? std::string("non noto") : b(text); };
    return fact("Lettore", "indirizzo " + std::to_string(reader.address) + ", " + h(reader.rate) + " baud")
           + fact("Modello", reader.model.empty() ? "non noto" : h(reader.model) + " (dal formato delle risposte)")
           + fact("Firmware", known(reader.firmware))
           + fact("Matricole", "prima " + known(reader.firstSerial) + ", corrente " + known(reader.currentSerial));
}

std::string runFacts(const RunInfo& run, const std::string& start, const std::string& end)
{
    return fact("Operatore", run.operatorName.empty() ? "—" : w(run.operatorName)) + fact("Postazione", w(run.station))
           + fact("Inizio (UTC)", h(start)) + fact("Fine (UTC)", h(end)) + fact("Programma", w(run.program))
           + fact("Piano", w(run.planName) + "<br><span class=\"mono\">SHA-256 " + h(run.planSha256) + "</span>");
}

std::string rowsTable(const std::vector<TrafficRow>& rows, bool withTime)
{
    std::string out
        = "<table>\n<thead><tr>" + std::string(withTime ? "<th>Ora (UTC)</th>" : "")
          + "<th>Verso</th><th>Tipo</th><th>Decodifica</th><th>Byte (hex)</th><th>Testo</th></tr></thead>\n";
    for (const TrafficRow& row : rows)
        out += "<tr>" + (withTime ? "<td class=\"mono\">" + h(row.time) + "</td>" : std::string()) + "<td>"
               + TrafficRow::name(row.direction) + "</td><td>" + TrafficRow::name(row.kind) + "</td><td>"
               + h(TrafficText::fields(row)) + "</td><td class=\"hex\">" + h(ByteText::hex(row.bytes))
               + "</td><td class=\"mono\">" + b(row.bytes) + "</td></tr>\n";
    return out + "</table>\n";
}

// Lines for the operator's and the customer's signatures, and the date.
std::string signatures(const std::string& operatorName)
{
    const auto line = [](const std::string& caption) {
        return "<div><div class=\"line\"></div><p class=\"caption\">" + caption + "</p></div>\n";
    };
    return "<div class=\"signatures\">\n"
           + line("Firma dell'operatore" + (operatorName.empty() ? std::string() : " (" + w(operatorName) + ")"))
           + line("Firma del cliente") + line("Data") + "</div>\n";
}

std::string exchangeDetail(const ExchangeRecord& exchange)
{
    std::string args;
    for (const auto& [name, value] : exchange.arguments)
        args += " " + name + "=" + value;
    std::string values;
    for (const ReaderCommand::Value& value : exchange.values)
        values += (values.empty() ? "" : ", ") + value.name + " \"" + ReportText::bytes(value.text) + "\"";
    return "<p><b>" + h(exchange.command) + "</b>" + b(args) + " — " + h(exchange.rate) + " baud, esito "
           + std::to_string(exchange.esito) + ", latenza " + ms(exchange.latencyMs)
           + (values.empty() ? "" : ", " + h(values)) + "</p>\n"
           + (exchange.rows.empty() ? std::string("<p class=\"caption\">nessun byte sulla linea</p>\n")
                                    : rowsTable(exchange.rows, true));
}

}  // namespace

std::string HtmlReport::verdict(const ReaderRecord& record)
{
    if (record.stopped)
        return "INTERROTTO";
    return record.passed() ? "SUPERATO" : "NON SUPERATO";
}

std::string HtmlReport::page(const RunInfo& run, const ReaderRecord& record)
{
    const std::string outcome = verdict(record);
    const char* outcomeClass = record.passed() ? "passed" : "failed";
    std::string out = head("Collaudo lettore " + std::to_string(record.reader.address) + " — " + outcome);
    out += "<h1>Rapporto di collaudo del lettore</h1>\n<p><span class=\"verdict " + std::string(outcomeClass) + "\">"
           + outcome + "</span></p>\n";
    const std::vector<std::string> left = record.changesLeft();
    std::string state = "lasciato com'era";
    if (!left.empty()) {
        state = "<b class=\"failed\">modifiche forse ancora in atto:</b><ul>";
        for (const std::string& change : left)
            state += "<li>" + w(change) + "</li>";
        state += "</ul>";
    }
    out += "<table class=\"facts\">\n" + readerFacts(record.reader) + runFacts(run, record.start, record.end)
           + fact("Passi", std::to_string(record.count(Verdict::Passed)) + " superati, "
                               + std::to_string(record.count(Verdict::Failed)) + " falliti, "
                               + std::to_string(record.count(Verdict::Skipped)) + " saltati, "
                               + std::to_string(record.count(Verdict::NotRun)) + " non eseguiti")
           + (record.lineDropped ? fact("Linea", "<b class=\"failed\">caduta durante il collaudo</b>") : "")
           + fact("Stato del lettore", state) + "</table>\n";

    out += "<h2>Passi</h2>\n<table>\n<colgroup><col style=\"width:3%\"><col style=\"width:22%\"><col "
           "style=\"width:37%\">"
           "<col style=\"width:10%\"><col style=\"width:8%\"><col style=\"width:20%\"></colgroup>\n"
           "<thead><tr><th>#</th><th>Passo</th><th>Atteso</th><th>Esito</th><th>Latenza</th><th>Note</th></tr></"
           "thead>\n";
    for (std::size_t i = 0; i < record.steps.size(); ++i) {
        const StepResult& step = record.steps[i];
        std::string notes;
        for (const std::string& reason : step.reasons)
            notes += (notes.empty() ? "" : "<br>") + w(reason);
        out += "<tr><td>" + std::to_string(i + 1) + "</td><td>" + w(step.title) + "<br><span class=\"caption mono\">"
               + w(step.id) + "</span></td><td class=\"caption\">" + w(step.expectation) + "</td><td class=\"result "
               + verdictClass(step.verdict) + "\">" + verdictText(step.verdict) + "</td><td>" + ms(step.latencyMs)
               + "</td><td>" + notes + "</td></tr>\n";
    }
    out += "</table>\n";

    out += "<h2>Modifiche rimesse</h2>\n";
    if (record.undos.empty()) {
        out += "<p>Nessuna modifica al lettore.</p>\n";
    } else {
        out += "<table>\n<thead><tr><th>Passo</th><th>Modifica</th><th>Esito</th><th>Note</th></tr></thead>\n";
        for (const UndoResult& undo : record.undos) {
            const bool back = undo.putBack();
            out += "<tr><td class=\"mono\">" + w(undo.stepId) + "</td><td>" + w(undo.change)
                   + "</td><td class=\"result " + (back ? "passed" : "failed") + "\">" + outcomeText(undo.outcome)
                   + "</td><td>" + w(undo.note) + "</td></tr>\n";
        }
        out += "</table>\n";
    }

    out += signatures(run.operatorName);

    out += "<section class=\"details\">\n<h2>Scambi di ogni passo</h2>\n";
    for (std::size_t i = 0; i < record.steps.size(); ++i) {
        const StepResult& step = record.steps[i];
        if (step.exchanges.empty())
            continue;
        out += "<h3>" + std::to_string(i + 1) + ". " + w(step.title) + "</h3>\n";
        for (const ExchangeRecord& exchange : step.exchanges)
            out += exchangeDetail(exchange);
    }
    for (const UndoResult& undo : record.undos) {
        if (undo.exchanges.empty())
            continue;
        out += "<h3>Rimessa: " + w(undo.change) + "</h3>\n";
        for (const ExchangeRecord& exchange : undo.exchanges)
            out += exchangeDetail(exchange);
    }
    out += "<h2>Traffico della linea</h2>\n" + rowsTable(record.traffic, true) + "</section>\n</body>\n</html>\n";
    return out;
}

std::string HtmlReport::summary(const RunInfo& run, const std::string& start, const std::string& end,
                                const std::vector<Line>& readers)
{
    std::size_t passed = 0;
    for (const Line& line : readers)
        passed += line.passed ? 1 : 0;
    const bool all = passed == readers.size() && !readers.empty();
    std::string out = head("Collaudo di " + std::to_string(readers.size()) + " lettori");
    out += "<h1>Riepilogo del collaudo</h1>\n<p><span class=\"verdict " + std::string(all ? "passed" : "failed") + "\">"
           + std::to_string(passed) + " di " + std::to_string(readers.size()) + " superati</span></p>\n";
    out += "<table class=\"facts\">\n" + runFacts(run, start, end) + "</table>\n";
    out += "<h2>Lettori</h2>\n<table>\n<thead><tr><th>Indirizzo</th><th>Velocità</th><th>Modello</th><th>Firmware</th>"
           "<th>Matricola</th><th>Esito</th><th>Rapporto</th></tr></thead>\n";
    for (const Line& line : readers)
        out += "<tr><td>" + std::to_string(line.reader.address) + "</td><td>" + h(line.reader.rate) + "</td><td>"
               + h(line.reader.model) + "</td><td>" + b(line.reader.firmware) + "</td><td>" + b(line.reader.firstSerial)
               + "</td><td class=\"result " + (line.passed ? "passed" : "failed") + "\">" + h(line.verdict)
               + "</td><td><a href=\"" + h(line.file) + "\">" + h(line.file) + "</a></td></tr>\n";
    out += "</table>\n" + signatures(run.operatorName) + "</body>\n</html>\n";
    return out;
}

}  // namespace lettore
