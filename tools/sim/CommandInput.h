#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lettore::sim {

// The program's standard input cut into command lines, within bounds,
// whatever it holds: a line longer than MaxLineBytes is refused as soon as
// it passes that length, and the rest of it dropped up to its line end; a
// line that goes on past MaxDroppedBytes (an endless one, such as
// /dev/zero gives) gives the input up. So the program never holds
// more than one line, nor spends its time on input that holds none.
class CommandInput {
public:
    static constexpr std::size_t MaxLineBytes = 4096;
    static constexpr std::size_t MaxDroppedBytes = 1 << 20;

    struct Line {
        enum class Kind {
            Command,  // text: a line, its line end taken off
            TooLong,  // a line past MaxLineBytes, refused
            GivenUp,  // no line end in MaxDroppedBytes: read no more
        };
        Kind kind = Kind::Command;
        std::string text;
    };

    // The lines that `bytes`, the next ones read, complete.
    std::vector<Line> feed(std::string_view bytes);
    // At the end of the input: its last line when it had no line end.
    std::optional<Line> finish();
    // True once the input is given up: feed() takes nothing more.
    bool givenUp() const { return m_givenUp; }

private:
    std::string m_line;
    // A line refused for its length: its bytes dropped so far.
    std::optional<std::size_t> m_dropped;
    bool m_givenUp = false;
};

}  // namespace lettore::sim
