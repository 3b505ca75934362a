#include "LinkRelay.h"

namespace lettore {

LinkRelay::LinkRelay(std::function<TrafficView&()> monitor, std::function<void(const std::string&)> lettura)
    : m_monitor(std::move(monitor)), m_lettura(std::move(lettura))
{ }

void LinkRelay::ComTX(const std::string& Comando)
{
    TrafficView& monitor = m_monitor();
    monitor.setTextComando(Comando);
    monitor.AttivaLed_TX();
}

void LinkRelay::ComRX(const std::string& stringa)
{
    TrafficView& monitor = m_monitor();
    monitor.AttivaLed_RX();
    monitor.setRisposta(stringa);
    m_lettura(stringa);
}

void LinkRelay::ComTO() { m_monitor().AttivaLed_TO(); }

void LinkRelay::Errore(int16_t ErroreCodice, const std::string& ErroreDescrizione)
{
    m_monitor().MostraErrore(ErroreCodice, ErroreDescrizione);
}

}  // namespace lettore
