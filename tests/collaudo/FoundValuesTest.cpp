#include "FoundValues.h"

#include <gtest/gtest.h>

namespace {

using namespace lettore;

// Each reference is replaced; one not known makes the whole text unknown and is named.
TEST(FoundValuesTest, ResolvesKnownReferencesAndNamesTheMissingOne)
{
    FoundValues values;
    values.set("setup", "outRELE", "005");
    values.set("setup", "outTMAC", "2");
    const struct {
        const char* text;
        const char* resolved;  // nullptr: not resolved
        const char* missing;
    } rows[] = {
        {"plain", "plain", ""},
        {"${setup.outRELE}", "005", ""},
        {"a${setup.outRELE}b${setup.outTMAC}c", "a005b2c", ""},
        {"${setup.outLED_V}", nullptr, "setup.outLED_V"},
        {"${setup.outRELE", nullptr, "setup.outRELE"},
    };
    for (const auto& row : rows) {
        std::string missing;
        const auto resolved = values.resolve(row.text, &missing);
        EXPECT_EQ(resolved.value_or("(none)"), row.resolved ? row.resolved : "(none)") << row.text;
        EXPECT_EQ(missing, row.missing) << row.text;
    }
    EXPECT_EQ(FoundValues::references("x${a.b}y${c.d}"), (std::vector<std::string>{"a.b", "c.d"}));
}

}  // namespace
