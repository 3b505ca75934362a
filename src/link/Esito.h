#pragma once

#include <cstdint>

namespace lettore {

// Result codes (`esito`) of an exchange, passed on unchanged by every
// dialect routine and every reader command.
namespace Esito {
inline constexpr int16_t Accepted = 0;  // answer accepted, lone ACK/NAK, or none awaited
inline constexpr int16_t TimedOut = 1;  // no complete answer within the time limit
inline constexpr int16_t Rejected = 2;  // an answer arrived but failed its check
inline constexpr int16_t PortFailed = 3;  // the port failed during the exchange; Errore tells why
inline constexpr int16_t InvalidArgument = 4;  // the frame could not be built; nothing was sent
inline constexpr int16_t LinkBusy = 5;  // another exchange or reception holds the link; nothing was sent
}  // namespace Esito

}  // namespace lettore
