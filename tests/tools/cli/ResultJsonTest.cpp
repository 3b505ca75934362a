#include "ResultJson.h"
#include "JsonReadingListener.h"
#include "PortList.h"
#include "ReaderRig.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <fstream>
#include <sstream>

namespace lettore::test {
namespace {

namespace fs = std::filesystem;

// One object on one line, parsed back.
QJsonObject parsed(const std::string& line)
{
    EXPECT_EQ(line.find('\n'), line.size() - 1) << line;
    return QJsonDocument::fromJson(QByteArray::fromStdString(line)).object();
}

using JsonOutputTest = ReaderRig;

// Any byte of a value comes back from a JSON parser as the character of its code; a frame stays hex; the range's
// statuses are a list; a lone answer is named. listen --json: a reading by address, code, status, time and repetition.
TEST_F(JsonOutputTest, ResultsAndReadingsParseBack)
{
    const std::string odd("V\x01\"\\\xff\x00z", 7);
    const CommandResult result{
        1, {{"outVERSION", odd}, {"Risposta", "\x02\x30\x21", true}, {"stato", "0 3"}, {"stato", "none 1"}}};
    const QJsonObject object = parsed(ResultJson::format("raw", result, "NAK"));
    EXPECT_EQ(object, (QJsonObject{{"command", "raw"},
                                   {"esito", 1},
                                   {"risposta", "NAK"},
                                   {"values", QJsonObject{{"outVERSION", QString::fromLatin1(odd.data(), 7)},
                                                          {"Risposta", "02 30 21"},
                                                          {"stato", QJsonArray{"0 3", "none 1"}}}}}));
    EXPECT_FALSE(parsed(ResultJson::format("raw", result, "")).contains("risposta"));

    std::ostringstream out;
    JsonReadingListener listener(lettori, out, false, [] { return std::string("T"); });
    for (int i = 0; i < 2; ++i)
        listener.ComRX("\x02\x30\x25"
                       "10000000042\x03\x23");
    EXPECT_EQ(
        parsed(out.str().substr(out.str().find('\n') + 1))["lettura"].toObject(),
        (QJsonObject{{"address", 5}, {"code", "0000000042"}, {"status", "1"}, {"time", "T"}, {"repeated", true}}));
    out.str("");
    listener.ComRX(ack());
    EXPECT_EQ(parsed(out.str()), (QJsonObject{{"ComRX", "06"}, {"time", "T"}}));
}

// Only links named COM<N> count, by number; one whose device is gone says so. Other entries named like them are
// odd, each with what is wrong and what its port reaches instead.
TEST(PortListTest, LinksAndTheirDevices)
{
    QTemporaryDir dir;
    const fs::path folder = dir.path().toStdString();
    const fs::path device = folder / "device";
    std::ofstream(device.string()).put('x');
    std::ofstream((folder / "COM9").string()).put('x');
    fs::create_directory(folder / "COM8");
    fs::create_directory(folder / "COM1x");
    fs::create_symlink(device, folder / "COM12");
    fs::create_symlink(folder / "gone", folder / "COM3");
    fs::create_symlink(device, folder / "COM007");
    const std::vector<PortList::Link> links = PortList::links(folder);
    const std::vector<PortList::Device> devices{{"/dev/ttyUSB0", "FT232R USB UART", "FTDI", "A1\"", "0403:6001"},
                                                {"/dev/ttyS0", "", "", "", ""}};
    EXPECT_EQ(
        PortList::text(devices, links, 1, "/dev/ttyS0"),
        "device /dev/ttyUSB0 description \"FT232R USB UART\" maker \"FTDI\" serial \"A1\"\" usb 0403:6001\n"
        "device /dev/ttyS0\nport 3 COM3 -> "
            + (folder / "gone").string()
            + " (missing)\n"
              "port 12 COM12 -> "
            + device.string()
            + "\nodd COM007: not how port 7 is named (COM7); port 7 is /dev/ttyS6\n"
              "odd COM8: a folder, not a link; port 8 is /dev/ttyS7\nodd COM9: a regular file, not a link; port 9 is "
              "/dev/ttyS8\ndefault port 1 /dev/ttyS0\n");
    const QJsonObject object = parsed(PortList::json(devices, links, 1, "/dev/ttyS0"));
    EXPECT_EQ(object["devices"].toArray()[0].toObject()["usb"].toString(), "0403:6001");
    EXPECT_EQ(
        object["links"].toArray()[1].toObject(),
        (QJsonObject{
            {"link", "COM12"}, {"port", 12}, {"device", QString::fromStdString(device.string())}, {"present", true}}));
    EXPECT_FALSE(object["links"].toArray()[0].toObject()["present"].toBool(true));
    EXPECT_EQ(object["odd"].toArray()[1].toObject(),
              (QJsonObject{{"entry", "COM8"}, {"problem", "a folder, not a link; port 8 is /dev/ttyS7"}}));
    EXPECT_EQ(object["default"].toObject(), (QJsonObject{{"port", 1}, {"device", "/dev/ttyS0"}}));
}

// A USB adapter's latency timer comes from its folder of the usb-serial devices; one above 1 ms is worth lowering.
TEST(PortListTest, UsbLatencyTimers)
{
    QTemporaryDir dir;
    const fs::path sysfs = dir.path().toStdString();
    const std::pair<std::string, std::string> files[]
        = {{"ttyUSB0", "16\n"}, {"ttyUSB1", "1\n"}, {"ttyUSB2", "fast\n"}};
    for (const auto& [name, text] : files) {
        fs::create_directory(sysfs / name);
        std::ofstream((sysfs / name / "latency_timer").string()) << text;
    }
    const std::pair<std::string, std::optional<int>> rows[]
        = {{"/dev/ttyUSB0", 16}, {"/dev/ttyUSB1", 1}, {"/dev/ttyUSB2", {}}, {"/dev/ttyACM0", {}}};
    for (const auto& [path, expected] : rows)
        EXPECT_EQ(PortList::latencyTimerMs(sysfs, path), expected) << path;

    std::vector<PortList::Device> devices{{"/dev/ttyUSB0", "", "", "", "0403:6001", 16},
                                          {"/dev/ttyUSB1", "", "", "", "0403:6001", 1}};
    EXPECT_EQ(PortList::text(devices, {}, 1, "/dev/ttyUSB1"),
              "device /dev/ttyUSB0 usb 0403:6001 latency timer 16 ms (adds up to 16 ms to every answer; write 1 to "
              "/sys/bus/usb-serial/devices/ttyUSB0/latency_timer for 1 ms)\n"
              "device /dev/ttyUSB1 usb 0403:6001 latency timer 1 ms\ndefault port 1 /dev/ttyUSB1\n");
    EXPECT_EQ(parsed(PortList::json(devices, {}, 1, ""))["devices"].toArray()[0].toObject()["latencyTimerMs"], 16);
}

}  // namespace
}  // namespace lettore::test
