#include "PlanFile.h"

#include <gtest/gtest.h>

namespace {

using namespace lettore;

std::string plan(const std::string& steps) { return R"({"name": "p", "steps": [)" + steps + "]}"; }
// A plan of one step, "a", with `keys` beside its id and title.
std::string oneStep(const std::string& keys) { return plan(R"({"id": "a", "title": "t", )" + keys + "}"); }

std::string refusal(const std::string& text)
{
    try {
        PlanFile::parse(text);
        return "";
    } catch (const PlanError& error) {
        return error.what();
    }
}

TEST(PlanFileTest, DefaultPlanCoversTheBattery)
{
    const TestPlan builtIn = PlanFile::parse(PlanFile::defaultText());
    std::string commands;
    for (const PlanStep& step : builtIn.steps)
        commands += (step.kind == PlanStep::Kind::Command ? step.action.command
                     : step.rate.empty()                  ? "badge"
                                                          : step.rate)
                    + " ";
    EXPECT_EQ(
        commands,
        "GetVersioneFirmware GetMatricolaPrima GetMatricolaCorrente GetSetupBase SetupBase GetSetupBase SetupBase "
        "GetSetupBase VerificaBadge CreaBadge VerificaBadge EliminaBadge VerificaBadge SetOUTPUT SetOUTPUT "
        "GetTransazione 1200 2400 4800 9600 19200 38400 badge ");
}

// Each row names what the refusal must say.
TEST(PlanFileTest, RefusesWhatCannotRunSafely)
{
    const std::string read = R"({"id": "r", "title": "t", "command": "GetSetupBase"})";
    const struct {
        std::string text;
        const char* says;
    } rows[] = {
        {"[]", "plan: must be an object"},
        {"{", "not JSON"},
        {plan(""), "the plan has no steps"},
        {oneStep(R"("command": "GetSetupBase", "colour": 1)"), "step 1 (a): unknown key \"colour\""},
        {oneStep(R"("command": "SetOUTPUT", "args": {"RELE": "1", "Buzzer": "1", "LED_V": "1"})"),
         "SetOUTPUT changes the reader: the step needs an undo"},
        {oneStep(R"("command": "CancellaWL")"), "CancellaWL cannot be undone"},
        {oneStep(R"("command": "GetMatricolaNext")"), "GetMatricolaNext cannot be undone"},
        {oneStep(R"("command": "SetupSeriale", "args": {"BaudRate": "9600", "NewAddress": "2"})"),
         "SetupSeriale cannot be undone"},
        {oneStep(R"("command": "GetVersioneFirmwar")"), "unknown reader command"},
        {oneStep(R"("command": "VerificaBadge")"), "VerificaBadge needs the argument CODICE"},
        {oneStep(R"("command": "VerificaBadge", "args": {"CODICE": "1", "X": "2"})"),
         "VerificaBadge has no argument X"},
        {oneStep(R"("kind": "rate", "rate": "57600")"), "rate must be one of"},
        {oneStep(R"("command": "GetSetupBase", "needs": ["b"])"), "needs \"b\", which is not an earlier step"},
        {plan(read + ","
              + R"({"id": "a", "title": "t", "command": "VerificaBadge", "args": {"CODICE": "${r.nope}${z.x}"}})"),
         "${z.x} does not name a field of an earlier step"},
        {plan(read + "," + read), "step 2 (r): the id is used twice"},
        {oneStep(R"("command": "GetSetupBase", "expect": {"fields": {"outVERSION": "x"}})"),
         "GetSetupBase has no field outVERSION"},
        {oneStep(R"("command": "GetSetupBase", "expect": {"fields": {"outRELE": {"pattern": "("}}})"),
         "is not a regular expression"},
        {oneStep(R"("command": "GetSetupBase", "expect": {"answer": "maybe"})"),
         "answer must be ACK, NAK, frame or any"},
        {oneStep(R"("command": "VerificaBadge", "args": {"CODICE": "€"})"), "holds a character the line cannot carry"},
    };
    for (const auto& row : rows)
        EXPECT_NE(refusal(row.text).find(row.says), std::string::npos) << row.text << "\n -> " << refusal(row.text);
}

TEST(PlanFileTest, Sha256OfTheText)
{
    EXPECT_EQ(PlanFile::sha256("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

}  // namespace
