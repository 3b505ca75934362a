#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lettore {

class clsComunicazioni;

// One command of the readers' command set, described as data: its frame
// type, how its data field is built from named arguments, which answer it
// can use and the named fields it cuts out of it, the acknowledgement that
// confirms what it read, and what it does to the reader. Running a
// description on the link is the whole command: the console's panels, the
// command table and clsSibrant all run these.
//
// Every position is 1-based in the answer as the link delivers it (start
// character, two address characters, data from character 4, end character
// and check character), so an answer with n data characters is n + 5
// characters long.
struct ReaderCommand {
    // Named arguments: an input's name and its text. Numbers are decimal.
    using Arguments = std::map<std::string, std::string, std::less<>>;

    // How one piece of the data field is made from an argument.
    enum class Codec {
        Text,  // the text unchanged
        Address,  // a number as two address characters (FieldCodec::addressCharacters)
        ThreeDigits,  // the last three characters of "000" + text
        BaudCode,  // a baud-rate text as its one-character code
        Fixed,  // no argument: the piece's own characters
    };
    struct Piece {
        Codec codec;
        const char* input;  // the argument's name; for Fixed, the characters themselves
    };

    // Which answers carry the fields.
    enum class Length {
        Any,  // whatever came, also none
        Exact,  // exactly `answerLength` characters
        AtLeast,  // `answerLength` characters or more
    };
    // A field of a usable answer: `length` characters from `position`, or
    // what there is of them.
    struct Field {
        const char* name;
        std::size_t position;
        std::size_t length;  // UpToEnd: up to the end and check characters
    };
    static constexpr std::size_t UpToEnd = 0;

    // The acknowledgement (SendACK to the same reader) sent once a usable
    // answer has come.
    enum class FollowUp { None, Always, OnRequest };

    // What running the command may do to the reader.
    enum class Effect {
        None,  // it only asks
        Changes,  // its settings, outputs, white list or address
        Confirms,  // a record read is confirmed: the reader may drop it or move on
    };

    // A field's value, under the field's name.
    struct Value {
        std::string name;
        std::string text;
    };
    // What one run gave: the exchange's result code, the answer as the link
    // delivered it, and every field in the description's order.
    struct Result {
        int16_t esito = 0;
        std::string Risposta;
        std::vector<Value> values;

        // The field named `name`; "" when the command has no such field.
        std::string value(std::string_view name) const;
    };

    const char* name;
    const char* type;  // "S" changes something, "P" asks for something
    const char* code;  // the data field's first characters
    std::vector<const char*> inputs{};  // argument names, in the operation's order
    std::vector<Piece> pieces{};  // the data field after the code
    bool toEveryReader = false;  // sent to address 256 whatever the terminal; no answer
    Length length = Length::Any;
    std::size_t answerLength = 0;
    bool needsAcceptance = false;  // an exchange that failed leaves the answer unusable
    const char* placeholder = "";  // every field's value when the answer is unusable
    std::vector<Field> fields{};  // in the operation's order of out-parameters
    FollowUp followUp = FollowUp::None;
    Effect effect = Effect::None;

    // The data field for `arguments`, or nothing when one is missing or
    // cannot be encoded (a baud rate with no code, an address that is no
    // number).
    std::optional<std::string> dataField(const Arguments& arguments) const;

    // Positional arguments, in the order of `inputs`, by name; the extra
    // ones are left out.
    Arguments arguments(const std::vector<std::string>& positional) const;

    // Whether `answer`, with the exchange's result code, carries the fields.
    bool usable(std::string_view answer, int16_t esito) const;
    // The fields of `answer`: cut out of a usable one, else the placeholder
    // in each.
    std::vector<Value> read(std::string_view answer, int16_t esito) const;

    // Frames the data field for `term` and runs it through the link's
    // Sibrant2 routine, reads the answer's fields and sends the follow-up
    // acknowledgement where one is due (`acknowledge` for OnRequest); the
    // acknowledgement's own result is dropped. Arguments that give no data
    // field send nothing and give Esito::Rejected with the placeholders.
    Result run(clsComunicazioni& link, int16_t term, const Arguments& arguments = {}, bool acknowledge = false) const;

    // Whether the answer carries fields a caller looks at.
    bool answersWithData() const { return !fields.empty(); }
    // What a run does to the reader; `acknowledge` as for run().
    Effect effectOf(bool acknowledge) const
    {
        return followUp == FollowUp::OnRequest && acknowledge ? Effect::Confirms : effect;
    }

    // The fifteen commands, in the command set's order.
    static const std::vector<ReaderCommand>& all();
    // The command named `name` exactly, or nullptr.
    static const ReaderCommand* find(std::string_view name);
    // As find(), for a name the program itself holds: throws
    // std::out_of_range for one that is not in the set.
    static const ReaderCommand& named(std::string_view name);
    // The command a frame of type `type` ("S" for the set form and the
    // broadcast, "P" for the poll form) with `data` carries: the one of
    // that type whose code begins the data. Nothing for any other data.
    static const ReaderCommand* carriedBy(std::string_view type, std::string_view data);
};

}  // namespace lettore
