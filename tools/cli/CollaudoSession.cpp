#include "CollaudoSession.h"

#include "ByteText.h"
#include "CliSession.h"
#include "Esito.h"
#include "EventLoopPause.h"
#include "FieldCodec.h"
#include "HtmlReport.h"
#include "PlanFile.h"
#include "PlanRunner.h"
#include "ReportFiles.h"
#include "SerialSettings.h"
#include "WallTime.h"
#include "clsLettori.h"

#include <QSysInfo>
#include <QTimer>

#include <cstdlib>

namespace lettore {

namespace {

std::string loginName()
{
    for (const char* name : {"USER", "LOGNAME", "USERNAME"})
        if (const char* value = std::getenv(name); value && *value)
            return value;
    return {};
}

}  // namespace

CollaudoSession::CollaudoSession(clsLettori& registry, Clock& clock, const Invocation& invocation,
                                 const ConnectionSettings& stored, TrafficCapture& traffic, std::ostream& out,
                                 std::ostream& err)
    : m_registry(registry), m_clock(clock), m_invocation(invocation), m_stored(stored), m_traffic(traffic), m_out(out),
      m_err(err)
{ }

void CollaudoSession::watchRequests()
{
    clsComunicazioni& link = m_registry.Comunicazione();
    m_requests.emplace([this, &link] {
        link.abandonWait();
        m_stopSignal = EndRequests::signal();
        m_err << "lettore: stopping; the reader is put back as it was found (again to leave it as it is)" << std::endl;
        // A second request is heard by a watch of its own.
        QTimer::singleShot(0, [this, &link] {
            m_requests.reset();
            m_requests.emplace([this, &link] {
                m_abandon = true;
                link.abandonWait();
            });
        });
    });
}

int CollaudoSession::run()
{
    std::string text = PlanFile::defaultText();
    try {
        m_plan = m_invocation.planFile.empty() ? PlanFile::parse(text) : PlanFile::load(m_invocation.planFile, text);
    } catch (const PlanError& error) {
        m_err << "lettore: " << error.what() << std::endl;
        return CliSession::ExitUsage;
    }
    const int16_t term = m_invocation.term.value_or(m_stored.Terminale);
    if (!m_invocation.collaudoScan && term > 255) {
        m_err << "lettore: collaudo tests one reader, and terminal " << term
              << " is every reader at once (the terminal of Seriale.cfg; --term chooses another)" << std::endl;
        return CliSession::ExitUsage;
    }
    m_info = {"lettore " LETTORE_VERSION, m_plan.name, PlanFile::sha256(text),
              m_invocation.operatorName.value_or(loginName()), QSysInfo::machineHostName().toStdString()};
    watchRequests();

    if (!m_invocation.collaudoScan) {
        ReaderRecord record;
        if (!test(term, m_invocation.alone, record))
            return CliSession::ExitOutput;
        if (m_stopSignal)
            return CliSession::ExitSignalBase + m_stopSignal;
        return record.lineDropped ? lineDropped() : record.passed() ? 0 : 1;
    }

    const std::string start = isoTime(std::chrono::system_clock::now());
    bool portFailed = false;
    const std::vector<ReaderScan::Found> found = scan(portFailed);
    if (portFailed)
        return lineDropped();
    // A scan of the whole line that finds one reader shows it alone.
    const auto [from, to] = *m_invocation.collaudoScan;
    const bool alone = found.size() == 1 && (m_invocation.alone || (from == 0 && to == 255));
    std::vector<HtmlReport::Line> lines;
    bool allPassed = !found.empty();
    bool dropped = false;
    for (const ReaderScan::Found& reader : found) {
        if (m_stopSignal)
            break;
        m_registry.Comunicazione().setCommSettings(SerialSettings::readersLine(reader.baud));
        ReaderRecord record;
        if (!test(static_cast<int16_t>(reader.address), alone, record))
            return CliSession::ExitOutput;
        allPassed = allPassed && record.passed();
        dropped = dropped || record.lineDropped;
        lines.push_back(
            {record.reader, record.passed(), HtmlReport::verdict(record), ReportFiles::baseName(record) + ".html"});
    }
    std::filesystem::path summary;
    if (const std::string refusal
        = ReportFiles(m_invocation.reportFolder)
              .writeSummary(m_info, start, isoTime(std::chrono::system_clock::now()), lines, summary);
        !refusal.empty()) {
        m_err << "lettore: " << refusal << std::endl;
        return CliSession::ExitOutput;
    }
    m_out << "riepilogo " << summary.string() << '\n' << std::flush;
    if (m_stopSignal)
        return CliSession::ExitSignalBase + m_stopSignal;
    return dropped ? lineDropped() : allPassed ? 0 : 1;
}

int CollaudoSession::lineDropped()
{
    m_err << "lettore: the line dropped or the device was removed during the run" << std::endl;
    return CliSession::ExitPort;
}

std::vector<ReaderScan::Found> CollaudoSession::scan(bool& portFailed)
{
    const auto found = [this](const ReaderScan::Found& reader) {
        m_out << "trovato " << reader.address << ' ' << reader.baud << ' ' << ByteText::escape(reader.firmware) << '\n'
              << std::flush;
    };
    const auto [from, to] = *m_invocation.collaudoScan;
    const ReaderScan::Result result = ReaderScan(m_registry, {}, found, [this] {
                                          return m_stopSignal != 0;
                                      }).run(from, to, FieldCodec::baudRates(), std::nullopt);
    portFailed = result.portFailed;
    m_out << "trovati " << result.found.size() << '\n' << std::flush;
    return result.found;
}

bool CollaudoSession::test(int16_t term, bool alone, ReaderRecord& record)
{
    PlanRunner::Hooks hooks{
        m_clock,
        pauseServingEvents,
        [this] { return m_stopSignal != 0; },
        [this] { return m_abandon; },
        [this](const std::string& text) { m_err << "lettore: " << text << std::endl; },
        [this](std::size_t, const StepResult& step, bool running) {
            if (running)
                return;
            m_out << verdictText(step.verdict) << ' ' << step.id;
            std::string reasons;
            for (const std::string& reason : step.reasons)
                reasons += (reasons.empty() ? "" : "; ") + reason;
            if (step.latencyMs)
                m_out << " (" << *step.latencyMs << " ms)";
            m_out << (reasons.empty() ? "" : ": " + reasons) << '\n' << std::flush;
        },
        [] { return isoTime(std::chrono::system_clock::now()); },
    };
    m_out << "collaudo lettore " << term << ", piano \"" << m_plan.name << "\"\n" << std::flush;
    record = PlanRunner(m_registry.Comunicazione(), m_traffic, hooks).run(m_plan, {term, alone, m_invocation.badge});
    for (const UndoResult& undo : record.undos)
        m_out << "rimesso " << undo.stepId << ": " << outcomeText(undo.outcome)
              << (undo.note.empty() ? "" : " (" + undo.note + ")") << '\n';
    for (const std::string& change : record.changesLeft())
        m_out << "lasciato " << change << '\n';
    m_out << "esito collaudo " << HtmlReport::verdict(record) << ": " << record.count(Verdict::Passed) << " superati, "
          << record.count(Verdict::Failed) << " falliti, " << record.count(Verdict::Skipped) << " saltati, "
          << record.count(Verdict::NotRun) << " non eseguiti\n";
    std::vector<std::filesystem::path> written;
    const std::string refusal = ReportFiles(m_invocation.reportFolder).write(m_info, record, written);
    for (const std::filesystem::path& path : written)
        m_out << "rapporto " << path.string() << '\n';
    m_out << std::flush;
    if (!refusal.empty())
        m_err << "lettore: " << refusal << std::endl;
    return refusal.empty();
}

}  // namespace lettore
