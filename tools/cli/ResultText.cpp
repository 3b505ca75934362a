#include "ResultText.h"

#include "ByteText.h"

namespace lettore {

std::string ResultText::format(const CommandResult& result)
{
    std::string out = "esito " + std::to_string(result.esito) + "\n";
    for (const CommandResult::Value& value : result.values)
        out += value.name + " " + (value.asHex ? ByteText::hex(value.bytes) : ByteText::escape(value.bytes)) + "\n";
    return out;
}

}  // namespace lettore
