#include "PortList.h"

#include "ByteText.h"
#include "NumberText.h"
#include "PortNaming.h"
#include "ResultJson.h"

#include <QJsonArray>
#include <QSerialPortInfo>

#include <algorithm>
#include <fstream>
#include <limits>

namespace lettore {

namespace {

namespace fs = std::filesystem;

std::string hex4(quint16 value) { return QString("%1").arg(value, 4, 16, QChar('0')).toStdString(); }

// A timer above 1 ms is worth lowering: the driver may hold each answer that long.
std::string latency(const PortList::Device& device)
{
    if (!device.latencyTimerMs)
        return {};
    const std::string ms = std::to_string(*device.latencyTimerMs) + " ms";
    if (*device.latencyTimerMs <= 1)
        return " latency timer " + ms;
    const fs::path file = fs::path(PortList::UsbSerialDevices) / fs::path(device.path).filename() / "latency_timer";
    return " latency timer " + ms + " (adds up to " + ms + " to every answer; write 1 to " + file.string()
           + " for 1 ms)";
}

}  // namespace

std::optional<int> PortList::latencyTimerMs(const fs::path& usbSerialDevices, const std::string& devicePath)
{
    std::ifstream file(usbSerialDevices / fs::path(devicePath).filename() / "latency_timer");
    std::string text;
    if (!std::getline(file, text))
        return std::nullopt;
    const auto ms = NumberText::whole(text, 0, 255);
    return ms ? std::optional<int>(static_cast<int>(*ms)) : std::nullopt;
}

std::vector<PortList::Device> PortList::devices(const fs::path& usbSerialDevices)
{
    std::vector<Device> out;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        Device device{info.systemLocation().toStdString(),
                      info.description().toStdString(),
                      info.manufacturer().toStdString(),
                      info.serialNumber().toStdString(),
                      {},
                      {}};
        if (info.hasVendorIdentifier() && info.hasProductIdentifier())
            device.usb = hex4(info.vendorIdentifier()) + ":" + hex4(info.productIdentifier());
        device.latencyTimerMs = latencyTimerMs(usbSerialDevices, device.path);
        out.push_back(device);
    }
    return out;
}

std::vector<PortList::Link> PortList::links(const fs::path& folder)
{
    const PortNaming naming(folder.string());
    std::vector<Link> out, odd;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        const std::string digits = name.substr(std::min<size_t>(name.size(), 3));
        if (name.rfind("COM", 0) != 0 || digits.empty() || digits.find_first_not_of("-0123456789") != std::string::npos)
            continue;
        const auto number
            = NumberText::whole(digits, std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max());
        if (!number) {
            odd.push_back({name, 0, {}, false, "no port has that number (-32768 to 32767)"});
            continue;
        }
        const auto port = static_cast<int16_t>(*number);
        const std::string device = naming.devicePath(port);
        const std::string reaches = "port " + std::to_string(port) + " is " + (device.empty() ? "no device" : device);
        if ("COM" + std::to_string(port) != name)  // "COM007": port 7 looks for "COM7"
            odd.push_back(
                {name, port, device, false,
                 "not how port " + std::to_string(port) + " is named (COM" + std::to_string(port) + "); " + reaches});
        else if (!entry.is_symlink(error))
            odd.push_back(
                {name, port, device, false,
                 std::string(entry.is_directory(error) ? "a folder" : "a regular file") + ", not a link; " + reaches});
        else
            out.push_back({name, port, device, fs::exists(device, error), {}});
    }
    std::sort(out.begin(), out.end(), [](const Link& a, const Link& b) { return a.number < b.number; });
    std::sort(odd.begin(), odd.end(), [](const Link& a, const Link& b) { return a.name < b.name; });
    out.insert(out.end(), odd.begin(), odd.end());
    return out;
}

std::vector<PortList::Link> PortList::networkPorts(const PortTable& table)
{
    std::vector<Link> out;
    for (const auto& [number, address] : table.entries())
        out.push_back({PortTable::FileName, number, address.text(), true, {}});
    for (const std::string& problem : table.problems())
        out.push_back({PortTable::FileName, 0, {}, false, problem});
    return out;
}

std::string PortList::text(const std::vector<Device>& devices, const std::vector<Link>& links, int16_t defaultPort,
                           const std::string& defaultDevice)
{
    std::string out;
    const auto field = [](const char* name, const std::string& value) {
        return value.empty() ? std::string() : std::string(" ") + name + " \"" + ByteText::escape(value) + "\"";
    };
    for (const Device& device : devices)
        out += "device " + ByteText::escape(device.path) + field("description", device.description)
               + field("maker", device.maker) + field("serial", device.serialNumber)
               + (device.usb.empty() ? "" : " usb " + device.usb) + latency(device) + "\n";
    for (const Link& link : links)
        out += link.problem.empty()
                   ? "port " + std::to_string(link.number) + " " + link.name + " -> " + ByteText::escape(link.device)
                         + (link.present ? "" : " (missing)") + "\n"
                   : "odd " + ByteText::escape(link.name) + ": " + ByteText::escape(link.problem) + "\n";
    out += "default port " + std::to_string(defaultPort) + " "
           + (defaultDevice.empty() ? "(no device)" : ByteText::escape(defaultDevice)) + "\n";
    return out;
}

std::string PortList::json(const std::vector<Device>& devices, const std::vector<Link>& links, int16_t defaultPort,
                           const std::string& defaultDevice)
{
    QJsonArray deviceList;
    for (const Device& device : devices) {
        QJsonObject entry{{"path", QString::fromStdString(device.path)},
                          {"description", QString::fromStdString(device.description)},
                          {"maker", QString::fromStdString(device.maker)},
                          {"serial", QString::fromStdString(device.serialNumber)},
                          {"usb", QString::fromStdString(device.usb)}};
        if (device.latencyTimerMs)
            entry.insert("latencyTimerMs", *device.latencyTimerMs);
        deviceList.append(entry);
    }
    QJsonArray linkList, oddList;
    for (const Link& link : links) {
        if (!link.problem.empty())
            oddList.append(QJsonObject{{"entry", QString::fromStdString(link.name)},
                                       {"problem", QString::fromStdString(link.problem)}});
        else
            linkList.append(QJsonObject{{"link", QString::fromStdString(link.name)},
                                        {"port", link.number},
                                        {"device", QString::fromStdString(link.device)},
                                        {"present", link.present}});
    }
    const QJsonObject fallback{{"port", defaultPort}, {"device", QString::fromStdString(defaultDevice)}};
    return ResultJson::line({{"devices", deviceList}, {"links", linkList}, {"odd", oddList}, {"default", fallback}})
           + "\n";
}

}  // namespace lettore
