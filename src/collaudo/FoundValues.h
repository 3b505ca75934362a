#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace lettore {

// The values a run found so far (a field of a step's answer, under
// "step.field"), and the texts of a plan that name them as ${step.field}:
// the original setup that a later step writes back, say.
class FoundValues {
public:
    void set(const std::string& step, const std::string& field, const std::string& value);

    // `text` with each ${step.field} replaced by its value; nothing when
    // one is not known, and then `missing` (when given) holds its name.
    std::optional<std::string> resolve(const std::string& text, std::string* missing = nullptr) const;

    // The names `text` refers to, "step.field" each, in order; a "${" with
    // no closing brace gives the rest of the text as a name.
    static std::vector<std::string> references(const std::string& text);

private:
    std::map<std::string, std::string> m_values;
};

}  // namespace lettore
