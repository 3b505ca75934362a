#include "Enrolment.h"

#include "BadgeCode.h"
#include "BetweenExchanges.h"
#include "ByteText.h"
#include "Esito.h"
#include "ReaderCommand.h"
#include "clsComunicazioni.h"

#include <algorithm>
#include <map>
#include <set>

namespace lettore {

namespace {

const char* commandOf(Enrolment::Step step)
{
    switch (step) {
    case Enrolment::Step::Remove: return "EliminaBadge";
    case Enrolment::Step::Add: return "CreaBadge";
    case Enrolment::Step::Scan:
    case Enrolment::Step::Verify: break;
    }
    return "VerificaBadge";
}

// Why a check did not find what it should: its result code, or the status
// it answered.
std::string answered(const Enrolment::Outcome& check)
{
    if (check.esito != 0)
        return "esito " + std::to_string(check.esito);
    return "risposta \"" + ByteText::escape(check.status) + "\"";
}

}  // namespace

const char* Enrolment::stepName(Step step)
{
    switch (step) {
    case Step::Scan: return "controllo";
    case Step::Remove: return "eliminazione";
    case Step::Add: return "inserimento";
    case Step::Verify: break;
    }
    return "verifica";
}

std::vector<std::string> Enrolment::Report::extra() const
{
    std::vector<std::string> codes;
    for (const Outcome& outcome : scanned)
        if (outcome.listed())
            codes.push_back(outcome.code);
    return codes;
}

std::vector<Enrolment::Mismatch> Enrolment::Report::mismatches() const
{
    std::map<std::string, const Outcome*> adds;
    for (const Outcome& add : added)
        adds[add.code] = &add;
    std::vector<Mismatch> out;
    for (const Outcome& check : checked) {
        if (check.listed())
            continue;
        const auto add = adds.find(check.code);
        std::string reason = check.notListed() ? "assente" : answered(check);
        if (add != adds.end() && add->second->esito == 0 && add->second->status == "2")
            reason = "lista piena";
        else if (add != adds.end() && add->second->esito != 0)
            reason += ", CreaBadge esito " + std::to_string(add->second->esito);
        out.push_back({check.code, reason});
    }
    for (const Outcome& check : checkedExtra)
        if (!check.notListed())
            out.push_back({check.code, check.listed() ? "ancora presente" : answered(check)});
    return out;
}

Enrolment::Enrolment(clsComunicazioni& link, int16_t term, ProgressHandler progress, StopRequested stop,
                     EnrolmentJournal* journal)
    : m_link(link), m_term(term), m_progress(std::move(progress)), m_stop(std::move(stop)), m_journal(journal)
{ }

Enrolment::Report Enrolment::compare(const std::vector<std::string>& codes, const std::optional<Range>& others) const
{
    Report report;
    // A dry run leaves no journal: what it learnt would not hold after a write.
    if (runAll(Step::Scan, rangeCodes(others, codes), report, report.scanned, nullptr,
               [](const Outcome& o) { return !o.notListed(); }))
        runAll(Step::Verify, codes, report, report.checked, nullptr);
    return report;
}

Enrolment::Report Enrolment::write(const std::vector<std::string>& codes, const std::optional<Range>& others,
                                   const std::vector<std::string>* toAdd) const
{
    Report report;
    const auto keepListed = [](const Outcome& o) { return !o.notListed(); };
    // Extra codes go first: they may be what fills the list.
    if (!runAll(Step::Scan, rangeCodes(others, codes), report, report.scanned, m_journal, keepListed))
        return report;
    const std::vector<std::string> extra = report.extra();
    if (runAll(Step::Remove, extra, report, report.removed, m_journal)
        && runAll(Step::Add, toAdd ? *toAdd : codes, report, report.added, m_journal)
        && runAll(Step::Verify, codes, report, report.checked, m_journal))
        runAll(Step::Verify, extra, report, report.checkedExtra, m_journal);
    return report;
}

bool Enrolment::runAll(Step step, const std::vector<std::string>& codes, Report& report, std::vector<Outcome>& into,
                       EnrolmentJournal* journal, const std::function<bool(const Outcome&)>& keep) const
{
    for (std::size_t i = 0; i < codes.size(); ++i) {
        Outcome outcome{codes[i], 0, {}};
        if (!run(step, i + 1, codes.size(), report, outcome, journal))
            return false;
        if (!keep || keep(outcome))
            into.push_back(std::move(outcome));
    }
    return true;
}

bool Enrolment::run(Step step, std::size_t index, std::size_t count, Report& report, Outcome& outcome,
                    EnrolmentJournal* journal) const
{
    const EnrolmentJournal::Outcome* done = journal ? journal->recorded(step, outcome.code) : nullptr;
    if (done) {
        outcome.esito = done->esito;
        outcome.status = done->status;
        ++report.resumed;
    } else {
        if (BetweenExchanges::stop(m_link, m_stop)) {
            report.stopped = true;
            return false;
        }
        if (journal && (step == Step::Add || step == Step::Remove))
            journal->forgetCheck(outcome.code);
        const ReaderCommand::Result result
            = ReaderCommand::named(commandOf(step)).run(m_link, m_term, {{"CODICE", outcome.code}});
        // The port is gone: every further code would fail the same way.
        if (result.esito == Esito::PortFailed) {
            report.esito = Esito::PortFailed;
            return false;
        }
        outcome.esito = result.esito;
        outcome.status = result.values.empty() ? "" : result.values.front().text;
        // Only an answered exchange is done: one that timed out (a close cuts
        // a wait short too) or was rejected is sent again by a resumed run.
        if (journal && outcome.esito == Esito::Accepted)
            journal->record(step, outcome.code, {outcome.esito, outcome.status});
    }
    if (m_progress)
        m_progress({step, index, count, outcome, done != nullptr});
    return true;
}

std::vector<std::string> Enrolment::rangeCodes(const std::optional<Range>& others,
                                               const std::vector<std::string>& codes) const
{
    std::vector<std::string> out;
    if (!others)
        return out;
    const std::set<std::string> listed(codes.begin(), codes.end());
    for (std::uint64_t n = others->first; n <= others->last; ++n)
        if (std::string code = BadgeCode::padded(std::to_string(n)); !listed.count(code))
            out.push_back(std::move(code));
    return out;
}

}  // namespace lettore
