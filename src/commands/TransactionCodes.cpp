#include "TransactionCodes.h"

#include "BadgeCode.h"

namespace lettore {

namespace {

// The last box filled for a text of `length` characters: length / 10 - 1
// rounded half to even, -1 when none is. In whole numbers, as the tie
// falls exactly on a length ending in 5.
int lastFilledBox(int length)
{
    const int excess = length - int(BadgeCode::Length);
    int whole = excess / 10;
    int rest = excess % 10;
    if (rest < 0) {  // floor division for a text under ten characters
        whole -= 1;
        rest += 10;
    }
    if (rest > 5 || (rest == 5 && whole % 2 != 0))
        whole += 1;
    return whole;
}

}  // namespace

std::vector<std::string> TransactionCodes::inBoxes(const std::string& outCODICE, std::size_t boxes)
{
    // A box filled begins within the text (10 * last <= length - 5).
    const int last = lastFilledBox(int(outCODICE.size()));
    std::vector<std::string> shown(boxes);
    for (int i = 0; i < int(boxes) && i <= last; ++i)
        shown[i] = outCODICE.substr(size_t(i) * BadgeCode::Length, BadgeCode::Length);
    return shown;
}

}  // namespace lettore
