#include "PortList.h"

#include "ByteText.h"
#include "CommandLine.h"
#include "PortNaming.h"
#include "ResultJson.h"

#include <QJsonArray>
#include <QSerialPortInfo>

#include <algorithm>
#include <limits>

namespace lettore {

namespace {

namespace fs = std::filesystem;

std::string hex4(quint16 value) { return QString("%1").arg(value, 4, 16, QChar('0')).toStdString(); }

}  // namespace

std::vector<PortList::Device> PortList::devices()
{
    std::vector<Device> out;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        Device device{info.systemLocation().toStdString(), info.description().toStdString(),
                      info.manufacturer().toStdString(), info.serialNumber().toStdString(), {}};
        if (info.hasVendorIdentifier() && info.hasProductIdentifier())
            device.usb = hex4(info.vendorIdentifier()) + ":" + hex4(info.productIdentifier());
        out.push_back(device);
    }
    return out;
}

std::vector<PortList::Link> PortList::links(const fs::path& folder)
{
    const PortNaming naming(folder.string());
    std::vector<Link> out;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("COM", 0) != 0 || !entry.is_symlink(error))
            continue;
        const auto number = CommandLine::integer(name.substr(3), 0, std::numeric_limits<int16_t>::max());
        // "COM007" would be port 7 too, but port 7 looks for "COM7".
        if (!number || "COM" + std::to_string(*number) != name)
            continue;
        const std::string device = naming.devicePath(static_cast<int16_t>(*number));
        out.push_back({name, static_cast<int16_t>(*number), device, fs::exists(device, error)});
    }
    std::sort(out.begin(), out.end(), [](const Link& a, const Link& b) { return a.number < b.number; });
    return out;
}

std::string PortList::text(const std::vector<Device>& devices, const std::vector<Link>& links,
                           int16_t defaultPort, const std::string& defaultDevice)
{
    std::string out;
    const auto field = [](const char* name, const std::string& value) {
        return value.empty() ? std::string() : std::string(" ") + name + " \"" + ByteText::escape(value) + "\"";
    };
    for (const Device& device : devices)
        out += "device " + ByteText::escape(device.path) + field("description", device.description)
               + field("maker", device.maker) + field("serial", device.serialNumber)
               + (device.usb.empty() ? "" : " usb " + device.usb) + "\n";
    for (const Link& link : links)
        out += "port " + std::to_string(link.number) + " " + link.name + " -> " + ByteText::escape(link.device)
               + (link.present ? "" : " (missing)") + "\n";
    out += "default port " + std::to_string(defaultPort) + " "
           + (defaultDevice.empty() ? "(no device)" : ByteText::escape(defaultDevice)) + "\n";
    return out;
}

std::string PortList::json(const std::vector<Device>& devices, const std::vector<Link>& links,
                           int16_t defaultPort, const std::string& defaultDevice)
{
    QJsonArray deviceList;
    for (const Device& device : devices)
        deviceList.append(QJsonObject{{"path", QString::fromStdString(device.path)},
                                      {"description", QString::fromStdString(device.description)},
                                      {"maker", QString::fromStdString(device.maker)},
                                      {"serial", QString::fromStdString(device.serialNumber)},
                                      {"usb", QString::fromStdString(device.usb)}});
    QJsonArray linkList;
    for (const Link& link : links)
        linkList.append(QJsonObject{{"link", QString::fromStdString(link.name)},
                                    {"port", link.number},
                                    {"device", QString::fromStdString(link.device)},
                                    {"present", link.present}});
    const QJsonObject fallback{{"port", defaultPort}, {"device", QString::fromStdString(defaultDevice)}};
    return ResultJson::line({{"devices", deviceList}, {"links", linkList}, {"default", fallback}}) + "\n";
}

}  // namespace lettore
