#include "CommandNames.h"

#include "CommandLine.h"
#include "ReaderCommand.h"

#include <algorithm>
#include <cctype>

namespace lettore {

namespace {

std::string lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Edits (insertion, deletion, substitution, swap of two neighbours) that
// turn a into b.
size_t editDistance(const std::string& a, const std::string& b)
{
    std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
    for (size_t i = 0; i <= a.size(); ++i)
        d[i][0] = i;
    for (size_t j = 0; j <= b.size(); ++j)
        d[0][j] = j;
    for (size_t i = 1; i <= a.size(); ++i)
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    return d[a.size()][b.size()];
}

}  // namespace

const CommandEntry& CommandNames::ports()
{
    static const CommandEntry entry{
        "ports", {}, false, false, "list the serial devices and the COM<N> links with their port numbers"};
    return entry;
}

const CommandEntry& CommandNames::scan()
{
    static const CommandEntry entry{
        "scan", {}, false, false, "find the readers on the line: each address at each rate, firmware version"};
    return entry;
}

const CommandEntry& CommandNames::collaudo()
{
    static const CommandEntry entry{
        "collaudo", {}, false, false, "test a reader end to end, leave it as it was found, write the reports"};
    return entry;
}

const CommandEntry& CommandNames::help()
{
    static const CommandEntry entry{
        "help", {{"COMMAND", CommandEntry::Kind::Text}}, false, false, "a command's arguments and an example"};
    return entry;
}

const CommandEntry& CommandNames::enrol()
{
    // Every code of the list is read back with the existence check.
    static const CommandEntry entry{"enrol",
                                    {{"FILE", CommandEntry::Kind::Text}},
                                    false,
                                    false,
                                    "put a list of badge codes on a reader and read every code back",
                                    nullptr,
                                    &ReaderCommand::named("VerificaBadge")};
    return entry;
}

const CommandEntry& CommandNames::transactions()
{
    static const CommandEntry entry{"transactions",
                                    {},
                                    false,
                                    false,
                                    "download every stored transaction into a CSV file, none lost",
                                    nullptr,
                                    &ReaderCommand::named("GetTransazione")};
    return entry;
}

const std::vector<const CommandEntry*>& CommandNames::all()
{
    static const std::vector<const CommandEntry*> entries = [] {
        std::vector<const CommandEntry*> out;
        for (const CommandEntry& entry : CommandTable::all())
            out.push_back(&entry);
        for (const CommandEntry* own :
             {&CommandLine::listenEntry(), &ports(), &scan(), &collaudo(), &help(), &enrol(), &transactions()})
            out.push_back(own);
        return out;
    }();
    return entries;
}

const CommandEntry* CommandNames::find(const std::string& typed)
{
    const std::string wanted = lowered(typed);
    for (const CommandEntry* entry : all())
        if (lowered(entry->name) == wanted)
            return entry;
    return nullptr;
}

std::string CommandNames::suggestion(const std::string& typed)
{
    const std::string wanted = lowered(typed);
    // Up to one edit in three letters, so "scna" finds scan but "raw" is
    // not offered for "ack".
    size_t best = wanted.size() / 3 + 1;
    std::string nearest;
    for (const CommandEntry* entry : all()) {
        const size_t distance = editDistance(wanted, lowered(entry->name));
        if (distance < best) {
            best = distance;
            nearest = entry->name;
        }
    }
    return nearest;
}

}  // namespace lettore
