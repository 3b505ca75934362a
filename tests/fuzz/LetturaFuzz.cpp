// The console's reading handler under arbitrary texts: boxes, sound and bytes worked out from the text alone.
#include "ConsoleOnPort.h"
#include "FuzzInput.h"
#include "modLettori.h"

#include "ui_frmSibrant.h"

#include <QApplication>
#include <QDir>
#include <QFile>

#include <cstdlib>
#include <memory>
#include <optional>
#include <utility>

using namespace lettore;
using namespace lettore::test;
using namespace lettore::fuzz;

namespace {

// The sounds the console asked for, in order: file and whether asynchronous.
std::vector<std::pair<std::string, bool>> played;

// A reading is 16 characters; characters 2 and 3 carry the sender's address.
std::optional<int> readingAddress(const std::string& text)
{
    if (text.size() != 16)
        return std::nullopt;
    const int high = static_cast<unsigned char>(text[1]) - 48;
    const int address = high * 16 + static_cast<unsigned char>(text[2]) - 32;
    if (high < 0 || high > 15 || address < 0 || address > 255)
        return std::nullopt;
    return address;
}

// The acknowledgement to `address`: STX, the poll-form address, ACK, ETX, XOR.
std::string ackFrame(int address)
{
    const std::string frame{'\x02', static_cast<char>(0x30 + (address >> 4)),
                            static_cast<char>(0x20 + (address & 0x0F)), '\x06', '\x03'};
    return frame + xorOf(frame);
}

// Up to 255 arbitrary bytes, or rarely (long texts are slow to lay out) a piece repeated up to 1024 times.
std::string receivedText(FuzzInput& in)
{
    if (in.pick(32) != 0)
        return in.bytes(255);
    const std::string piece = in.bytes(16);
    const auto times = static_cast<size_t>(in.inRange(1, 1024));
    std::string text;
    for (size_t i = 0; i < times; ++i)
        text += piece;
    return text;
}

// The console, made once, started in a folder of its own.
class Harness {
public:
    Harness() : m_app(m_argc, m_argv)
    {
        installPlatform({{}, nullptr, {}, [](const std::string& f, bool async) { played.emplace_back(f, async); }});
        // The console makes its program folder current; the fuzzer's inputs may be named relative to its own.
        m_rig = std::make_unique<ConsoleOnPort>(nullptr);
        m_programFolder = QDir::currentPath();
        FUZZ_CHECK(QDir::setCurrent(m_fuzzerFolder));
    }

    void run(FuzzInput& in)
    {
        const bool multimaster = in.flag();
        m_rig->window().optMultiMaster[multimaster ? 1 : 0]->setChecked(true);
        constexpr Qt::CheckState ackStates[] = {Qt::Unchecked, Qt::Checked, Qt::PartiallyChecked};
        const Qt::CheckState autoAck = ackStates[in.pick(3)];
        m_rig->ui().ChkAutoAck->setCheckState(autoAck);
        const bool wav = in.flag();
        QFile chime(m_rig->path("LetturaOk.wav"));
        FUZZ_CHECK(wav ? chime.open(QIODevice::WriteOnly) && chime.write("RIFF") == 4
                       : !chime.exists() || chime.remove());
        chime.close();

        do {
            const std::string text = receivedText(in);
            std::pair<QString, QString> expected = boxes();
            m_rig->port().clearRecord();
            played.clear();

            // The handler looks for its sound in the console's program folder.
            FUZZ_CHECK(QDir::setCurrent(m_programFolder));
            m_rig->console().relay().ComRX(text);
            FUZZ_CHECK(QDir::setCurrent(m_fuzzerFolder));

            // A reading in multimaster mode shows its sender and badge, chimes, and is acknowledged if "Ack
            // automatico" is checked.
            std::vector<std::string> written;
            std::vector<std::pair<std::string, bool>> sounds;
            if (const auto address = multimaster ? readingAddress(text) : std::nullopt) {
                expected = {QString::number(*address), QString::fromLatin1(QByteArrayView(text).sliced(4, 10))};
                if (wav)
                    sounds = {{"LetturaOk.wav", true}};
                if (autoAck == Qt::Checked)
                    written = {ackFrame(*address)};
            }
            FUZZ_CHECK(boxes() == expected);
            FUZZ_CHECK(m_rig->port().writes() == written);
            FUZZ_CHECK(played == sounds);
        } while (!in.empty());
    }

private:
    // The only boxes a received text may change.
    std::pair<QString, QString> boxes() const
    {
        return {m_rig->ui().txtAddrMM->text(), m_rig->ui().TxtBadgeMM->text()};
    }

    int m_argc = 1;
    char m_name[13] = "fuzz_lettura";
    char* m_argv[2] = {m_name, nullptr};
    QApplication m_app;
    std::unique_ptr<ConsoleOnPort> m_rig;
    QString m_fuzzerFolder = QDir::currentPath(), m_programFolder;
};

}  // namespace

// For a sanitized build's leak checker: Qt 6.4's fallback-font lookup leaks fontconfig's patterns.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FUZZ_CHECK(setenv("QT_QPA_PLATFORM", "offscreen", 1) == 0);
    static Harness harness;
    FuzzInput in(data, size);
    harness.run(in);
    return 0;
}
