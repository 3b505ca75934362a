#include "JsonReadingListener.h"

#include "ByteText.h"
#include "ResultJson.h"

namespace lettore {

std::string JsonReadingListener::readingLine(const Heard& reading) const
{
    const QJsonObject object{{"address", reading.address},
                             {"code", ResultJson::text(reading.code)},
                             {"status", ResultJson::text(reading.status)},
                             {"time", ResultJson::text(reading.time)},
                             {"repeated", reading.repeated}};
    return ResultJson::line({{"lettura", object}});
}

std::string JsonReadingListener::otherLine(const std::string& stringa, const std::string& time) const
{
    return ResultJson::line({{"ComRX", ResultJson::text(ByteText::hex(stringa))}, {"time", ResultJson::text(time)}});
}

}  // namespace lettore
