#include "ReaderRig.h"
#include "ReadingListener.h"

#include <sstream>

namespace lettore::test {
namespace {

using ReadingListenerTest = ReaderRig;

// A reading prints as "lettura ADDR CODE status S TIME" and, when asked, is
// acknowledged to its sender; sent again unacknowledged, it is marked
// repeated. Anything else, a reading whose address does not decode
// included, prints as it came in hex and is never acknowledged.
TEST_F(ReadingListenerTest, PrintsEachTextAndAcknowledgesReadingsWhenAsked)
{
    // Reader 5's reading of 0000000042, and the same with an address
    // character past '?'.
    const std::string reading = "\x02\x30\x25" "10000000042\x03\x23";
    std::string odd = reading;
    odd[1] = '@';
    for (bool acknowledge : {false, true}) {
        SCOPED_TRACE(acknowledge);
        std::ostringstream out;
        ReadingListener listener(lettori, out, acknowledge, [] { return std::string("T"); });
        port.clearRecord();

        listener.ComRX(reading);
        listener.ComRX(ack());
        listener.ComRX("");
        listener.ComRX(odd);
        listener.ComRX(reading);

        EXPECT_EQ(out.str(), "lettura 5 0000000042 status 1 T\nComRX 06 T\nComRX  T\n"
                             "ComRX 02 40 25 31 30 30 30 30 30 30 30 30 34 32 03 23 T\n"
                             + std::string(acknowledge ? "lettura 5 0000000042 status 1 T\n"
                                                       : "lettura 5 0000000042 status 1 T repeated\n"));
        const std::vector<std::string> acks(acknowledge ? 2 : 0, "02 30 25 06 03 12");
        EXPECT_EQ(writtenHex(), acks);
    }
}

// Standard output failing (a full disk, say): the reading is not
// confirmed, so the reader keeps it rather than lose it.
TEST_F(ReadingListenerTest, ReadingThatCannotBeShownIsNotAcknowledged)
{
    std::ostringstream out;
    out.setstate(std::ios::badbit);
    ReadingListener listener(lettori, out, true);
    port.clearRecord();
    listener.ComRX("\x02\x30\x25" "10000000042\x03\x23");
    EXPECT_EQ(writtenHex(), std::vector<std::string>{});
}

}  // namespace
}  // namespace lettore::test
