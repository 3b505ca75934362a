#include "ReaderCommand.h"

#include "Esito.h"
#include "FieldCodec.h"
#include "Frame.h"
#include "NumberText.h"
#include "clsComunicazioni.h"

#include <climits>
#include <stdexcept>

namespace lettore {

namespace {

using Codec = ReaderCommand::Codec;
using Effect = ReaderCommand::Effect;
using FollowUp = ReaderCommand::FollowUp;
using Length = ReaderCommand::Length;

// The acknowledgement's data field: the ACK character alone.
constexpr char AckData[] = {Frame::ACK, '\0'};

// Answer lengths of the length-checked queries: data characters + 5.
constexpr std::size_t SetupBaseAnswer = 20;
constexpr std::size_t VersionAnswer = 21;
constexpr std::size_t TransactionAnswerAtLeast = 16;
constexpr std::size_t SerialNumberAnswer = 15;

std::optional<std::string> encoded(Codec codec, const std::string& text)
{
    switch (codec) {
    case Codec::Text: return text;
    case Codec::ThreeDigits: return FieldCodec::threeDigitField(text);
    case Codec::BaudCode:
        if (const auto code = FieldCodec::baudCode(text))
            return std::string(1, *code);
        return std::nullopt;
    case Codec::Address:
        if (const auto value = NumberText::whole(text, INT_MIN, INT_MAX))
            return FieldCodec::addressCharacters(static_cast<int>(*value));
        return std::nullopt;
    case Codec::Fixed: break;
    }
    return std::nullopt;
}

// The command descriptions keep their hand layout: a command's fields read
// together, a few to a line.
// clang-format off
ReaderCommand serialNumberQuery(const char* name, const char* code)
{
    return {.name = name, .type = "P", .code = code, .length = Length::Exact,
            .answerLength = SerialNumberAnswer, .placeholder = "N", .fields = {{"outCODICE", 4, 10}},
            .followUp = FollowUp::Always, .effect = Effect::Confirms};
}

}  // namespace

const std::vector<ReaderCommand>& ReaderCommand::all()
{
    static const std::vector<ReaderCommand> commands{
        {.name = "SetupBase", .type = "S", .code = "1",
         .inputs = {"TProto", "TMAC", "TBuzz", "RELE", "LED_V", "TMCODE"},
         .pieces = {{Codec::Text, "TProto"}, {Codec::Text, "RELE"}, {Codec::Text, "TMCODE"},
                    {Codec::Text, "TBuzz"}, {Codec::Text, "TMAC"}, {Codec::Text, "LED_V"}},
         .effect = Effect::Changes},
        {.name = "SetupSeriale", .type = "S", .code = "2", .inputs = {"BaudRate", "NewAddress"},
         .pieces = {{Codec::Address, "NewAddress"}, {Codec::BaudCode, "BaudRate"}},
         .effect = Effect::Changes},
        {.name = "SetOUTPUT", .type = "S", .code = "3", .inputs = {"RELE", "Buzzer", "LED_V"},
         .pieces = {{Codec::ThreeDigits, "RELE"}, {Codec::ThreeDigits, "Buzzer"}, {Codec::ThreeDigits, "LED_V"}},
         .effect = Effect::Changes},
        {.name = "CreaBadge", .type = "S", .code = "41", .inputs = {"CODICE"},
         .pieces = {{Codec::Text, "CODICE"}}, .fields = {{"outst", 4, 1}}, .effect = Effect::Changes},
        {.name = "EliminaBadge", .type = "S", .code = "42", .inputs = {"CODICE"},
         .pieces = {{Codec::Text, "CODICE"}}, .effect = Effect::Changes},
        {.name = "VerificaBadge", .type = "P", .code = "7", .inputs = {"CODICE"},
         .pieces = {{Codec::Text, "CODICE"}}, .needsAcceptance = true, .placeholder = "E",
         .fields = {{"outESISTE", 4, 1}}},
        // Ten zeros stand where a badge code would.
        {.name = "CancellaWL", .type = "S", .code = "43", .pieces = {{Codec::Fixed, "0000000000"}},
         .effect = Effect::Changes},
        // The reader holding card sCodice takes address nIndirizzo.
        {.name = "SetIndirizzo", .type = "S", .code = "5", .inputs = {"nIndirizzo", "sCodice"},
         .pieces = {{Codec::Address, "nIndirizzo"}, {Codec::Text, "sCodice"}}, .toEveryReader = true,
         .effect = Effect::Changes},
        {.name = "GetSetupBase", .type = "P", .code = "1", .length = Length::Exact,
         .answerLength = SetupBaseAnswer, .placeholder = "N",
         .fields = {{"outTPROTO", 4, 4}, {"outTMAC", 17, 1}, {"outRELE", 8, 3}, {"outLED_V", 18, 1},
                    {"outTMCODE", 11, 3}, {"outTBUZZ", 14, 3}}},
        {.name = "GetVersioneFirmware", .type = "P", .code = "2", .length = Length::Exact,
         .answerLength = VersionAnswer, .placeholder = "N", .fields = {{"outVERSION", 4, 16}}},
        // The first data character is skipped; the record is the rest.
        {.name = "GetTransazione", .type = "P", .code = "3", .length = Length::AtLeast,
         .answerLength = TransactionAnswerAtLeast, .placeholder = "N", .fields = {{"outCODICE", 5, UpToEnd}},
         .followUp = FollowUp::OnRequest},
        serialNumberQuery("GetMatricolaPrima", "4"),
        serialNumberQuery("GetMatricolaCorrente", "5"),
        serialNumberQuery("GetMatricolaNext", "6"),
        // Sent without waiting for an answer (the dialect's rule for it).
        {.name = "SendACK", .type = "P", .code = AckData, .effect = Effect::Confirms},
    };
    return commands;
}
// clang-format on

const ReaderCommand* ReaderCommand::find(std::string_view name)
{
    for (const ReaderCommand& command : all())
        if (name == command.name)
            return &command;
    return nullptr;
}

const ReaderCommand& ReaderCommand::named(std::string_view name)
{
    if (const ReaderCommand* command = find(name))
        return *command;
    throw std::out_of_range("no reader command " + std::string(name));
}

const ReaderCommand* ReaderCommand::carriedBy(std::string_view type, std::string_view data)
{
    for (const ReaderCommand& command : all())
        if (type == command.type && data.starts_with(command.code))
            return &command;
    return nullptr;
}

std::optional<std::string> ReaderCommand::dataField(const Arguments& arguments) const
{
    std::string data = code;
    for (const Piece& piece : pieces) {
        if (piece.codec == Codec::Fixed) {
            data += piece.input;
            continue;
        }
        const auto given = arguments.find(piece.input);
        if (given == arguments.end())
            return std::nullopt;
        const std::optional<std::string> text = encoded(piece.codec, given->second);
        if (!text)
            return std::nullopt;
        data += *text;
    }
    return data;
}

ReaderCommand::Arguments ReaderCommand::arguments(const std::vector<std::string>& positional) const
{
    Arguments byName;
    for (std::size_t i = 0; i < inputs.size() && i < positional.size(); ++i)
        byName.emplace(inputs[i], positional[i]);
    return byName;
}

bool ReaderCommand::usable(std::string_view answer, int16_t esito) const
{
    if (needsAcceptance && esito != Esito::Accepted)
        return false;
    switch (length) {
    case Length::Any: return true;
    case Length::Exact: return answer.size() == answerLength;
    case Length::AtLeast: return answer.size() >= answerLength;
    }
    return false;
}

std::vector<ReaderCommand::Value> ReaderCommand::read(std::string_view answer, int16_t esito) const
{
    const bool cut = usable(answer, esito);
    const std::string text(answer);
    std::vector<Value> values;
    for (const Field& field : fields) {
        // UpToEnd leaves out the end and check characters.
        const std::size_t length = field.length != UpToEnd        ? field.length
                                   : text.size() > field.position ? text.size() - field.position - 1
                                                                  : 0;
        values.push_back({field.name, cut ? FieldCodec::field(text, field.position, length) : placeholder});
    }
    return values;
}

ReaderCommand::Result ReaderCommand::run(clsComunicazioni& link, int16_t term, const Arguments& arguments,
                                         bool acknowledge) const
{
    Result result;
    if (const std::optional<std::string> data = dataField(arguments))
        link.Sibrant2(toEveryReader ? Frame::Broadcast : term, type, *data, result.esito, result.Risposta);
    else
        result.esito = Esito::Rejected;
    const bool due = followUp == FollowUp::Always || (followUp == FollowUp::OnRequest && acknowledge);
    if (due && usable(result.Risposta, result.esito))
        named("SendACK").run(link, term);
    result.values = read(result.Risposta, result.esito);
    return result;
}

std::string ReaderCommand::Result::value(std::string_view name) const
{
    for (const Value& value : values)
        if (value.name == name)
            return value.text;
    return {};
}

}  // namespace lettore
