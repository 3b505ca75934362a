#include "ReaderRig.h"
#include "ReadingListener.h"

#include <sstream>

namespace lettore::test {
namespace {

using ReadingListenerTest = ReaderRig;

// A reading prints as "lettura ADDR CODE" and, when asked, is acknowledged
// to its sender; anything else, a reading whose address does not decode
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
        ReadingListener listener(lettori, out, acknowledge);
        port.clearRecord();

        listener.ComRX(reading);
        listener.ComRX(ack());
        listener.ComRX("");
        listener.ComRX(odd);

        EXPECT_EQ(out.str(), "lettura 5 0000000042\nComRX 06\nComRX \n"
                             "ComRX 02 40 25 31 30 30 30 30 30 30 30 30 34 32 03 23\n");
        EXPECT_EQ(writtenHex(), acknowledge ? std::vector<std::string>{"02 30 25 06 03 12"}
                                            : std::vector<std::string>{});
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
