#include "EnrolReport.h"

#include "ByteText.h"
#include "CliSession.h"
#include "EndRequests.h"
#include "ErrorWatcher.h"
#include "Esito.h"
#include "ReaderName.h"
#include "ResultJson.h"
#include "StandardStreams.h"
#include "clsLettori.h"

#include <QJsonArray>

#include <algorithm>

namespace lettore {

namespace {

using Outcome = Enrolment::Outcome;

QJsonArray codeArray(const std::vector<std::string>& codes)
{
    QJsonArray array;
    for (const std::string& code : codes)
        array.append(ResultJson::text(code));
    return array;
}

std::size_t countOf(const std::vector<Outcome>& outcomes, bool (*test)(const Outcome&))
{
    return static_cast<std::size_t>(std::count_if(outcomes.begin(), outcomes.end(), test));
}

const char* problemName(CodeList::Problem problem)
{
    switch (problem) {
    case CodeList::Problem::Overlong: return "overlong";
    case CodeList::Problem::Duplicate: return "duplicate";
    case CodeList::Problem::Malformed: break;
    }
    return "malformed";
}

}  // namespace

EnrolReport::EnrolReport(clsLettori& registry, const Invocation& invocation, const ConnectionSettings& stored,
                         std::ostream& out, std::ostream& err)
    : m_registry(registry), m_invocation(invocation), m_out(out), m_err(err),
      m_term(invocation.term.value_or(stored.Terminale)), m_reader(ReaderName::of(invocation, stored)),
      m_file(invocation.args.at(0))
{ }

int EnrolReport::readList()
{
    std::string error;
    m_list = CodeList::load(m_file, error);
    if (!m_list) {
        m_err << "lettore: cannot read " << m_file << ": " << error << std::endl;
        return ExitListUnreadable;
    }
    if (m_list->headerLine)
        m_err << m_file << ":" << m_list->headerLine << ": a header, left out" << std::endl;
    QJsonArray problems;
    for (const CodeList::Issue& issue : m_list->issues) {
        m_err << m_file << ":" << issue.line << ": " << issue.message() << '\n';
        problems.append(QJsonObject{{"line", issue.line},
                                    {"problem", problemName(issue.problem)},
                                    {"text", ResultJson::text(issue.text)},
                                    {"message", ResultJson::text(issue.message())}});
    }
    if (!m_list->issues.empty())
        m_err << "lettore: " << m_list->issues.size() << " line(s) of " << m_file
              << " give no new badge code: nothing was sent" << std::endl;
    else if (m_list->entries.empty())
        m_err << "lettore: " << m_file << " holds no badge code: nothing was sent" << std::endl;
    else
        return 0;
    if (m_invocation.json)
        m_out << ResultJson::line({{"command", "enrol"}, {"file", ResultJson::text(m_file)}, {"problems", problems}})
              << std::endl;
    return ExitListProblems;
}

int EnrolReport::run(const ErrorWatcher& errors)
{
    clsComunicazioni& link = m_registry.Comunicazione();
    const EndRequests stoppable;
    const bool showProgress = StandardStreams::errorIsTerminal();
    const auto progress = [&](const Enrolment::Progress& step) {
        if (showProgress)
            m_err << '\r' << Enrolment::stepName(step.step) << ' ' << step.index << " di " << step.count << "    "
                  << std::flush;
    };
    const auto stop = [&stoppable] { return stoppable.signal() != 0; };
    const std::vector<std::string> codes = m_list->codes();
    Enrolment::Report report;
    if (m_invocation.dryRun) {
        report = Enrolment(link, m_term, progress, stop).compare(codes, m_invocation.range);
    } else {
        EnrolmentJournal journal;
        const std::filesystem::path path = EnrolmentJournal::pathFor(m_file);
        const bool kept = journal.open(path, EnrolmentJournal::identity(codes, m_reader));
        if (!kept)
            m_err << "lettore: cannot keep the journal " << path.string() << " (" << journal.error()
                  << "): a stopped run will start again from the first code" << std::endl;
        else if (journal.resumed())
            m_err << "lettore: resuming: " << journal.resumed() << " steps were done by an earlier run" << std::endl;
        report = Enrolment(link, m_term, progress, stop, kept ? &journal : nullptr).write(codes, m_invocation.range);
        if (kept && report.finished())
            journal.remove();
    }
    if (showProgress)
        m_err << '\n';
    const int status = m_invocation.dryRun ? printedDryRun(report) : printed(report);
    if (report.esito == Esito::PortFailed) {
        m_err << "lettore: " << errors.last().value_or("the port failed") << std::endl;
        return CliSession::ExitPort;
    }
    if (report.stopped) {
        m_err << "lettore: stopped" << (m_invocation.dryRun ? "" : "; the same command resumes where it stopped")
              << std::endl;
        return CliSession::ExitSignalBase + stoppable.signal();
    }
    return status;
}

int EnrolReport::printedDryRun(const Enrolment::Report& report)
{
    std::vector<std::string> missing, extra;
    std::vector<const Outcome*> unknown;
    for (const Outcome& check : report.checked) {
        if (check.notListed())
            missing.push_back(check.code);
        else if (!check.listed())
            unknown.push_back(&check);
    }
    for (const Outcome& check : report.scanned)
        (check.listed() ? extra.push_back(check.code) : unknown.push_back(&check));
    const std::size_t present = countOf(report.checked, [](const Outcome& o) { return o.listed(); });
    if (m_invocation.json) {
        QJsonArray unanswered;
        for (const Outcome* check : unknown)
            unanswered.append(QJsonObject{{"code", ResultJson::text(check->code)},
                                          {"esito", check->esito},
                                          {"status", ResultJson::text(check->status)}});
        m_out << ResultJson::line({{"command", "enrol"},
                                   {"file", ResultJson::text(m_file)},
                                   {"dryRun", true},
                                   {"codes", qint64(report.checked.size())},
                                   {"present", qint64(present)},
                                   {"missing", codeArray(missing)},
                                   {"extra", codeArray(extra)},
                                   {"unknown", unanswered},
                                   {"stopped", report.stopped}})
              << '\n';
    } else {
        for (const std::string& code : missing)
            m_out << "mancante " << code << '\n';
        for (const std::string& code : extra)
            m_out << "estraneo " << code << '\n';
        for (const Outcome* check : unknown)
            m_out << "ignoto " << check->code << " esito " << check->esito
                  << (check->esito == 0 ? " risposta " + ByteText::escape(check->status) : "") << '\n';
        m_out << "codici " << report.checked.size() << "\npresenti " << present << "\nmancanti " << missing.size()
              << '\n'
              << (m_invocation.range ? "estranei " + std::to_string(extra.size()) + "\n" : "") << "ignoti "
              << unknown.size() << '\n';
    }
    m_out << std::flush;
    return missing.empty() && extra.empty() && unknown.empty() ? 0 : 1;
}

int EnrolReport::printed(const Enrolment::Report& report)
{
    const std::size_t added = countOf(report.added, [](const Outcome& o) { return o.notListed(); });
    const std::size_t present = countOf(report.added, [](const Outcome& o) { return o.listed(); });
    const std::size_t removed = countOf(report.removed, [](const Outcome& o) { return o.esito == 0; });
    const std::size_t verified = countOf(report.checked, [](const Outcome& o) { return o.listed(); });
    // A run that did not end gives no verdict.
    const std::vector<Enrolment::Mismatch> mismatches
        = report.finished() ? report.mismatches() : std::vector<Enrolment::Mismatch>{};
    if (m_invocation.json) {
        QJsonArray named;
        for (const Enrolment::Mismatch& mismatch : mismatches)
            named.append(
                QJsonObject{{"code", ResultJson::text(mismatch.code)}, {"reason", ResultJson::text(mismatch.reason)}});
        m_out << ResultJson::line({{"command", "enrol"},
                                   {"file", ResultJson::text(m_file)},
                                   {"dryRun", false},
                                   {"codes", qint64(m_list->entries.size())},
                                   {"added", qint64(added)},
                                   {"present", qint64(present)},
                                   {"removed", qint64(removed)},
                                   {"verified", qint64(verified)},
                                   {"mismatches", named},
                                   {"resumed", qint64(report.resumed)},
                                   {"stopped", report.stopped}})
              << '\n';
    } else {
        for (const Enrolment::Mismatch& mismatch : mismatches)
            m_out << "discordante " << mismatch.code << ' ' << mismatch.reason << '\n';
        m_out << "codici " << m_list->entries.size() << "\naggiunti " << added << "\npresenti " << present << '\n'
              << (m_invocation.range ? "eliminati " + std::to_string(removed) + "\n" : "") << "verificati " << verified
              << "\ndiscordanti " << mismatches.size() << "\nripresi " << report.resumed << '\n';
    }
    m_out << std::flush;
    return mismatches.empty() ? 0 : 1;
}

}  // namespace lettore
