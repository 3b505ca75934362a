#include "EnrolmentJournal.h"

#include "ByteText.h"

#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <system_error>

namespace lettore {

namespace {

const std::string Heading = "lettore enrolment journal 1 ";

// FNV-1a, 64 bits: tells one list from another, nothing more.
std::uint64_t fingerprint(const std::vector<std::string>& codes)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (const std::string& code : codes)
        for (const char c : code + "\n")
            hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return hash;
}

// A status as the journal writes it: "-" for none, else its byte in hex.
std::optional<std::string> statusOf(const std::string& text)
{
    if (text == "-")
        return std::string();
    if (text.size() != 2 || text.find_first_not_of("0123456789ABCDEF") != std::string::npos)
        return std::nullopt;
    return std::string(1, static_cast<char>(std::stoi(text, nullptr, 16)));
}

}  // namespace

std::filesystem::path EnrolmentJournal::pathFor(const std::filesystem::path& list)
{
    std::filesystem::path journal = list;
    return journal += ".journal";
}

std::string EnrolmentJournal::identity(const std::vector<std::string>& codes, const std::string& reader)
{
    char hash[17];
    std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(fingerprint(codes)));
    return std::to_string(codes.size()) + " codes " + hash + ", " + ByteText::escape(reader);
}

bool EnrolmentJournal::open(const std::filesystem::path& path, const std::string& identity)
{
    m_path = path;
    m_steps.clear();
    std::ifstream in(path, std::ios::binary);
    std::string line;
    const bool same = std::getline(in, line) && line == Heading + identity;
    // A line cut short by a kill, or anything else that does not read as
    // a step, is left out.
    while (same && std::getline(in, line)) {
        std::istringstream fields(line);
        char step = 0;
        std::string code, status;
        int esito = 0;
        const std::optional<std::string> byte
            = fields >> step >> code >> esito >> status && fields.eof() ? statusOf(status) : std::nullopt;
        if (!byte)
            continue;
        if (step == char(Step::Add) || step == char(Step::Remove))
            forgetCheck(code);
        m_steps[{step, code}] = {static_cast<int16_t>(esito), *byte};
    }
    m_resumed = m_steps.size();
    in.close();
    if (!m_file.open(path, same ? DurableFile::Mode::Append : DurableFile::Mode::Replace))
        return false;
    // A new line after one a kill cut short.
    return m_file.append(same ? "\n" : Heading + identity + "\n");
}

const EnrolmentJournal::Outcome* EnrolmentJournal::recorded(Step step, const std::string& code) const
{
    const auto found = m_steps.find({static_cast<char>(step), code});
    return found == m_steps.end() ? nullptr : &found->second;
}

bool EnrolmentJournal::record(Step step, const std::string& code, const Outcome& outcome)
{
    // The status is one character of any code, or none.
    const std::string status = outcome.status.empty() ? "-" : ByteText::hex(outcome.status.substr(0, 1));
    return m_file.append(std::string(1, static_cast<char>(step)) + " " + code + " " + std::to_string(outcome.esito)
                         + " " + status + "\n");
}

void EnrolmentJournal::forgetCheck(const std::string& code) { m_steps.erase({char(Step::Verify), code}); }

void EnrolmentJournal::remove()
{
    m_file.close();
    std::error_code ignored;
    std::filesystem::remove(m_path, ignored);
}

}  // namespace lettore
