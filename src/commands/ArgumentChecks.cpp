#include "ArgumentChecks.h"

#include "ByteText.h"
#include "FieldCodec.h"
#include "Frame.h"
#include "NumberText.h"
#include "RangeInsertion.h"

#include <algorithm>

namespace lettore {

namespace {

using Kind = CommandEntry::Kind;

// The commands whose result is read out of the reader's answer; enrol and
// transactions read every code or record back.
bool isQuery(const CommandEntry& entry)
{
    return entry.command && std::string_view(entry.command->type) == "P" && entry.command->answersWithData();
}

}  // namespace

std::string ArgumentChecks::quoted(std::string_view text)
{
    const bool cut = text.size() > MaxQuoted;
    return "\"" + ByteText::escape(std::string(text.substr(0, MaxQuoted))) + (cut ? "...\"" : "\"");
}

std::string ArgumentChecks::integer(std::string_view name, std::string_view text, long long low, long long high)
{
    if (NumberText::whole(text, low, high))
        return {};
    return std::string(name) + " must be an integer from " + std::to_string(low) + " to " + std::to_string(high)
           + ", not " + quoted(text);
}

std::string ArgumentChecks::baudRate(std::string_view name, std::string_view text)
{
    const std::vector<std::string> rates = FieldCodec::baudRates();
    if (std::find(rates.begin(), rates.end(), text) != rates.end())
        return {};
    std::string known;
    for (const std::string& rate : rates)
        known += (known.empty() ? "" : " ") + rate;
    return std::string(name) + " must be one of " + known + ", not " + quoted(text);
}

std::string ArgumentChecks::argument(const CommandEntry::Input& input, std::string_view text)
{
    switch (input.kind) {
    case Kind::Text: return {};
    case Kind::Address:
        // A reader keeps only the low byte of a larger number: 300 would
        // reach reader 44.
        return integer(input.name, text, 0, 255);
    case Kind::BaudRate: return baudRate(input.name, text);
    case Kind::RangeBound: return integer(input.name, text, 0, RangeInsertion::MaxBound);
    case Kind::Bytes:
        if (ByteText::unescape(std::string(text)))
            return {};
        return std::string(input.name) + ": a backslash must start \\xHH or \\\\";
    }
    return {};
}

std::string ArgumentChecks::arguments(const CommandEntry& entry, const std::vector<std::string>& texts)
{
    if (texts.size() != entry.inputs.size())
        return std::string(entry.name) + " takes " + std::to_string(entry.inputs.size()) + " argument(s), not "
               + std::to_string(texts.size());
    for (size_t n = 0; n < texts.size(); ++n)
        if (std::string refusal = argument(entry.inputs[n], texts[n]); !refusal.empty())
            return refusal;
    // Two bounds in a row make a range, which would send nothing when it
    // ended below its start.
    for (size_t n = 1; n < texts.size(); ++n) {
        const CommandEntry::Input &first = entry.inputs[n - 1], &last = entry.inputs[n];
        if (first.kind == Kind::RangeBound && last.kind == Kind::RangeBound
            && *NumberText::whole(texts[n], 0, RangeInsertion::MaxBound)
                   < *NumberText::whole(texts[n - 1], 0, RangeInsertion::MaxBound))
            return std::string(last.name) + " (" + texts[n] + ") must not be below " + first.name + " (" + texts[n - 1]
                   + ")";
    }
    return {};
}

std::string ArgumentChecks::terminal(const CommandEntry& entry, int term)
{
    if (term != Frame::Broadcast || !isQuery(entry))
        return {};
    return "terminal " + std::to_string(term) + " reaches every reader at once and none answers: " + entry.name
           + " asks one reader, 0 to 255";
}

std::string ArgumentChecks::repeated(std::string_view option, std::set<std::string, std::less<>>& given)
{
    if (given.emplace(option).second)
        return {};
    return std::string(option) + " is given more than once";
}

}  // namespace lettore
