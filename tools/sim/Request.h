#pragma once

#include "Dialect.h"
#include "ReaderCommand.h"

#include <optional>
#include <string>
#include <string_view>

namespace lettore::sim {

// One request frame as a reader hears it: its form, address and data, and
// whether its check character holds.
struct Request {
    enum class Kind {
        Set,  // address field in the set form (type "S")
        Poll,  // address field in the poll form (any other type)
        Broadcast,  // address field 0x60 0x60: every reader, no answer
    };

    Kind kind = Kind::Poll;
    int address = 0;  // 0..255; unused for Broadcast
    std::string data;
    bool bccOk = true;

    // Decodes a whole frame (as cut by FrameSplitter). Returns nothing when
    // the frame is too short or its address field is none of the three
    // forms, so that no reader can take it as its own.
    static std::optional<Request> parse(std::string_view frame);

    // The request a reader of `model` at `address` takes `frame` (as cut
    // by FrameSplitter) to be: its own in the set or poll form, or the
    // model's broadcast; nothing for any other frame. A frame is the
    // model's when the model's own encoding of the address, type and data
    // gives it back, the check character aside. A Tolvane poll carries no
    // data and reads as the transaction query ("3").
    static std::optional<Request> heardBy(std::string_view frame, const Dialect& model, int address);

    // The command of the readers' set that `data` in a request of `kind`
    // carries (a broadcast is in the set form), or nullptr.
    static const ReaderCommand* command(Kind kind, const std::string& data);

    // Decodes two address characters of the set form ("0".."?" each, the
    // high then the low nibble), as carried inside a data field. Returns
    // nothing when either character is outside 0x30..0x3F.
    static std::optional<int> decodeAddress(char high, char low);

    // A short readable account for the log, e.g. "reader 1 P:
    // GetVersioneFirmware".
    std::string describe() const;
};

}  // namespace lettore::sim
