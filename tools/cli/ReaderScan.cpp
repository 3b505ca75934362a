#include "ReaderScan.h"

#include "Esito.h"
#include "SerialSettings.h"
#include "clsLettori.h"

namespace lettore {

ReaderScan::ReaderScan(clsLettori& registry, Progress progress, FoundOne found, std::function<bool()> stopRequested)
    : m_registry(registry), m_progress(std::move(progress)), m_found(std::move(found)),
      m_stopRequested(std::move(stopRequested))
{ }

uint32_t ReaderScan::defaultTimeoutMs(int baud) { return 100 + (30 * 10 * 1000 + baud - 1) / baud; }

uint32_t ReaderScan::pollTimeoutMs(int baud, std::optional<uint32_t> timeoutMs, std::optional<uint32_t> roundTripMs)
{
    return timeoutMs.value_or(defaultTimeoutMs(baud)) + roundTripMs.value_or(0);
}

std::optional<std::string> ReaderScan::poll(int address, bool& portFailed)
{
    std::string version;
    const int16_t esito = m_registry.Sibrant().GetVersioneFirmware(static_cast<int16_t>(address), version);
    portFailed = esito == Esito::PortFailed;
    // "N": the answer was not a version (a lone ACK or NAK, another frame).
    if (esito != Esito::Accepted || version == "N")
        return std::nullopt;
    return version;
}

ReaderScan::Result ReaderScan::run(int from, int to, const std::vector<std::string>& rates,
                                   std::optional<uint32_t> timeoutMs)
{
    clsComunicazioni& link = m_registry.Comunicazione();
    const uint32_t timeLimit = link.answerTimeLimit();
    const uint32_t quietGap = link.quietGapAfterTimeOut();
    // A silent address costs only its time limit; the second poll of a
    // find stands in for the quiet gap.
    link.setQuietGapAfterTimeOut(0);
    Result result;
    for (const std::string& rate : rates) {
        link.setCommSettings(SerialSettings::readersLine(rate));
        link.setAnswerTimeLimit(pollTimeoutMs(std::stoi(rate), timeoutMs, link.roundTripMs()));
        for (int address = from; address <= to && !result.portFailed; ++address) {
            if (m_stopRequested && m_stopRequested()) {
                result.stopped = true;
                break;
            }
            if (m_progress)
                m_progress(address, rate);
            if (!poll(address, result.portFailed) || result.portFailed)
                continue;
            if (const auto version = poll(address, result.portFailed)) {
                result.found.push_back({address, rate, *version});
                if (m_found)
                    m_found(result.found.back());
            }
        }
        if (result.stopped || result.portFailed)
            break;
    }
    link.setAnswerTimeLimit(timeLimit);
    link.setQuietGapAfterTimeOut(quietGap);
    return result;
}

}  // namespace lettore
