#include "Framing.h"

#include "Dialect.h"

namespace lettore {

namespace {

std::optional<std::string> encode(std::string_view dialect, int16_t term,
                                  std::string_view tipoComando, std::string_view strComando)
{
    return Dialect::find(dialect)->encode(Frame::of(term, tipoComando, strComando));
}

}  // namespace

std::vector<std::string> Framing::checkedFrames(std::string_view input)
{
    std::vector<std::string> frames;
    for (const Frame::Part& part : Frame::parse(input))
        if (part.kind == Frame::Part::Kind::Whole)
            frames.emplace_back(input.substr(part.begin, part.size));
    return frames;
}

// The single-byte dialects and Tolvane, by the names the link calls.
std::optional<std::string> Framing::sibrantFrame(int16_t term, std::string_view tipo, std::string_view data) { return encode("Sibrant", term, tipo, data); }
std::optional<std::string> Framing::parlowFrame(int16_t term, std::string_view tipo, std::string_view data) { return encode("Parlow", term, tipo, data); }
std::optional<std::string> Framing::quenFrame(int16_t term, std::string_view tipo, std::string_view data) { return encode("Quen", term, tipo, data); }
std::optional<std::string> Framing::zemFrame(int16_t term, std::string_view tipo, std::string_view data) { return encode("Zem", term, tipo, data); }
std::optional<std::string> Framing::tolvaneFrame(int16_t term, std::string_view tipo, std::string_view data) { return encode("Tolvane", term, tipo, data); }

}  // namespace lettore
