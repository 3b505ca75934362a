#include "ReaderRig.h"
#include "ReadingListener.h"

#include <sstream>

namespace lettore::test {
namespace {

using ReadingListenerTest = ReaderRig;

const std::string Reading = "\x02\x30\x25" "10000000042\x03\x23";  // reader 5's reading of 0000000042

// A reading prints as "lettura ADDR CODE status S TIME", acknowledged when
// asked, else marked repeated when it comes again. Anything else, a reading
// whose address does not decode included, prints in hex, never acknowledged.
TEST_F(ReadingListenerTest, PrintsEachTextAndAcknowledgesReadingsWhenAsked)
{
    std::string odd = Reading;
    odd[1] = '@';
    for (bool acknowledge : {false, true}) {
        std::ostringstream out;
        ReadingListener listener(lettori, out, acknowledge, [] { return std::string("T"); });
        port.clearRecord();
        for (const std::string& text : {Reading, ack(), std::string(), odd, Reading})
            listener.ComRX(text);
        EXPECT_EQ(out.str(), "lettura 5 0000000042 status 1 T\nComRX 06 T\nComRX  T\n"
                             "ComRX 02 40 25 31 30 30 30 30 30 30 30 30 34 32 03 23 T\n"
                             + std::string(acknowledge ? "lettura 5 0000000042 status 1 T\n"
                                                       : "lettura 5 0000000042 status 1 T repeated\n"));
        EXPECT_EQ(writtenHex(), std::vector<std::string>(acknowledge ? 2 : 0, "02 30 25 06 03 12")) << acknowledge;
    }
}

// A reading that cannot reach standard output is not confirmed: the reader keeps it.
TEST_F(ReadingListenerTest, ReadingThatCannotBeShownIsNotAcknowledged)
{
    std::ostringstream out;
    out.setstate(std::ios::badbit);
    ReadingListener listener(lettori, out, true);
    port.clearRecord();
    listener.ComRX(Reading);
    EXPECT_EQ(writtenHex(), std::vector<std::string>{});
}

}  // namespace
}  // namespace lettore::test
