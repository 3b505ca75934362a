#pragma once

#include "ReadingListener.h"

namespace lettore {

// `listen --json`: each reading as {"lettura": {"address": N, "code": C}},
// any other text as {"ComRX": "HEX"}, one object a line.
class JsonReadingListener : public ReadingListener {
public:
    using ReadingListener::ReadingListener;

protected:
    std::string readingLine(int address, const std::string& code) const override;
    std::string otherLine(const std::string& stringa) const override;
};

}  // namespace lettore
