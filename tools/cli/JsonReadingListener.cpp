#include "JsonReadingListener.h"

#include "ByteText.h"
#include "ResultJson.h"

namespace lettore {

std::string JsonReadingListener::readingLine(int address, const std::string& code) const
{
    const QJsonObject reading{{"address", address}, {"code", ResultJson::text(code)}};
    return ResultJson::line({{"lettura", reading}});
}

std::string JsonReadingListener::otherLine(const std::string& stringa) const
{
    return ResultJson::line({{"ComRX", ResultJson::text(ByteText::hex(stringa))}});
}

}  // namespace lettore
