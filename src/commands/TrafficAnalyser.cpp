#include "TrafficAnalyser.h"

#include "ByteText.h"
#include "Esito.h"
#include "Frame.h"
#include "ReaderCommand.h"
#include "ReadingDecoder.h"
#include "WallTime.h"

#include <limits>

namespace lettore {

namespace {

using Kind = TrafficRow::Kind;
using Direction = TrafficRow::Direction;

int clamped(long long ms)
{
    return ms < 0                                 ? RowAnalysis::None
           : ms > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max()
                                                  : static_cast<int>(ms);
}

const ReaderCommand* commandAt(int index)
{
    return index >= 0 && index < static_cast<int>(ReaderCommand::all().size()) ? &ReaderCommand::all()[index] : nullptr;
}

std::string readerText(int reader)
{
    return reader == Frame::Broadcast ? std::string("tutti i lettori") : "lettore " + std::to_string(reader);
}

}  // namespace

RowAnalysis TrafficAnalyser::next(const TrafficRow& row)
{
    RowAnalysis analysis;
    const std::optional<long long> now = isoMilliseconds(row.time);
    if (now && m_lastMs)
        analysis.sincePreviousMs = clamped(*now - *m_lastMs);
    if (now)
        m_lastMs = now;

    // The row that ends the exchange waiting, with the exchange's result.
    const auto end = [&](int esito) {
        analysis.command = m_waiting->command;
        analysis.reader = m_waiting->reader;
        analysis.esito = esito;
        if (now && m_waiting->timed)
            analysis.latencyMs = clamped(*now - m_waiting->sentMs);
        m_waiting.reset();
    };

    switch (row.kind) {
    case Kind::Command: {
        if (row.direction != Direction::Sent)
            break;
        m_waiting.reset();  // an exchange left without an end has none
        const ReaderCommand* command = ReaderCommand::carriedBy(row.type, row.data);
        analysis.command = command ? static_cast<int>(command - ReaderCommand::all().data()) : RowAnalysis::None;
        analysis.reader = row.address ? *row.address : RowAnalysis::None;
        const bool awaitsNothing
            = row.address == Frame::Broadcast || (command && command->name == std::string_view("SendACK"));
        if (awaitsNothing)
            analysis.esito = Esito::Accepted;
        else
            m_waiting = Waiting{now.value_or(0), now.has_value(), analysis.command, analysis.reader};
        break;
    }
    case Kind::Answer:
        if (m_waiting)
            end(row.check == TrafficRow::Check::Good || row.check == TrafficRow::Check::None ? Esito::Accepted
                                                                                             : Esito::Rejected);
        else
            analysis.reader = row.address ? *row.address : RowAnalysis::None;
        break;
    case Kind::Ack:
    case Kind::Nak:
        if (m_waiting && row.direction == Direction::Received)
            end(Esito::Accepted);
        break;
    case Kind::TimedOut:
        if (m_waiting)
            end(Esito::TimedOut);
        break;
    case Kind::PortFailed:
        if (m_waiting)
            end(Esito::PortFailed);
        break;
    case Kind::Noise:
    case Kind::Unfinished:
        // Bytes that came while an answer was awaited belong to its exchange.
        if (m_waiting && row.direction == Direction::Received)
            analysis.reader = m_waiting->reader;
        break;
    case Kind::Reading: analysis.reader = row.address ? *row.address : RowAnalysis::None; break;
    }
    return analysis;
}

const char* TrafficAnalyser::esitoName(int esito)
{
    switch (esito) {
    case Esito::Accepted: return "accettato";
    case Esito::TimedOut: return "time-out";
    case Esito::Rejected: return "rifiutato";
    case Esito::PortFailed: return "errore porta";
    case Esito::InvalidArgument: return "argomento non valido";
    case Esito::LinkBusy: return "linea occupata";
    }
    return "";
}

std::string TrafficAnalyser::meaning(const TrafficRow& row, const RowAnalysis& analysis)
{
    const ReaderCommand* command = commandAt(analysis.command);
    switch (row.kind) {
    case Kind::Command: {
        if (!command)
            return {};
        const std::string_view rest = std::string_view(row.data).substr(std::string_view(command->code).size());
        return rest.empty() || command->name == std::string_view("SendACK")
                   ? std::string(command->name)
                   : std::string(command->name) + " " + ByteText::escape(std::string(rest));
    }
    case Kind::Answer:
    case Kind::Ack:
    case Kind::Nak: {
        if (!command)
            return {};
        std::string text = std::string("risposta a ") + command->name;
        // A rejected answer's characters are not the reader's fields.
        if (row.kind == Kind::Answer && analysis.esito == Esito::Accepted
            && command->usable(row.bytes, static_cast<int16_t>(analysis.esito)))
            for (const ReaderCommand::Value& value : command->read(row.bytes, static_cast<int16_t>(analysis.esito)))
                text += " "
                        + std::string(std::string_view(value.name).starts_with("out") ? value.name.substr(3)
                                                                                      : value.name)
                        + "=" + ByteText::escape(value.text);
        return text;
    }
    case Kind::Reading: {
        const std::optional<Reading> reading = ReadingDecoder::decode(row.bytes);
        if (!reading)
            return {};
        return (reading->address ? "indirizzo " + std::to_string(*reading->address) + " " : std::string()) + "stato "
               + ByteText::escape(row.bytes.substr(3, 1)) + " badge " + ByteText::escape(reading->code);
    }
    case Kind::TimedOut:
        return command ? std::string("nessuna risposta a ") + command->name + " dal " + readerText(analysis.reader)
               : analysis.reader != RowAnalysis::None ? "nessuna risposta dal " + readerText(analysis.reader)
                                                      : std::string();
    default: return {};
    }
}

}  // namespace lettore
