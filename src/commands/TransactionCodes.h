#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace lettore {

// A transaction's text cut into the badge codes it carries, as the
// console's row of code boxes shows them.
class TransactionCodes {
public:
    // What each of `boxes` boxes shows for `outCODICE`: box i the ten
    // characters from character 10 × i on (fewer where the text ends), for
    // i up to length / 10 − 1 rounded to the nearest integer, a tie to the
    // even one; "" in every box after. So 30 characters fill three boxes,
    // 25 three (the tie goes to 2), 15 one and the placeholder "N" none; a
    // text of more codes than boxes fills them all.
    static std::vector<std::string> inBoxes(const std::string& outCODICE, std::size_t boxes);
};

}  // namespace lettore
