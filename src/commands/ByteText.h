#pragma once

#include <string>

namespace lettore::ByteText {

// The monitor's hexadecimal view of a byte string: for each byte, one blank
// and its value in upper-case hexadecimal without leading zeros, so the
// bytes 02 41 0D give " 2 41 D". An empty string gives an empty view.
std::string monitorHex(const std::string& bytes);

}  // namespace lettore::ByteText
