#pragma once

#include "ReadingListener.h"

namespace lettore {

// `listen --json`: each reading as {"lettura": {"address": N, "code": C,
// "status": S, "time": T, "repeated": B}}, any other text as
// {"ComRX": "HEX", "time": T}, one object a line.
class JsonReadingListener : public ReadingListener {
public:
    using ReadingListener::ReadingListener;

protected:
    std::string readingLine(const Heard& reading) const override;
    std::string otherLine(const std::string& stringa, const std::string& time) const override;
};

}  // namespace lettore
