#pragma once

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <csignal>
#include <string>

namespace lettore::test {

// A port on 127.0.0.1 that nothing listens at, as the system names one.
inline uint16_t freeLoopbackPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// Debian's ser2net in front of a serial device on 127.0.0.1: a real device server.
class DeviceServer {
public:
    enum class Kind { Rfc2217, Raw };

    // options: YAML lines for the connection's "options:" map, e.g. "    chardelay: false\n".
    DeviceServer(const std::string& device, Kind kind, const QString& options = {})
        : m_kind(kind), m_port(freeLoopbackPort())
    {
        QFile config(m_folder.filePath("ser2net.yaml"));
        config.open(QIODevice::WriteOnly);
        config.write(QString("connection: &line\n  accepter: %1tcp,127.0.0.1,%2\n"
                             "  connector: serialdev,%3,9600n81,local\n%4")
                         .arg(kind == Kind::Rfc2217 ? "telnet(rfc2217)," : "")
                         .arg(m_port)
                         .arg(QString::fromStdString(device))
                         .arg(options.isEmpty() ? "" : "  options:\n" + options)
                         .toUtf8());
    }
    ~DeviceServer() { stop(); }

    uint16_t port() const { return m_port; }
    QString address() const
    {
        return QString("%1://127.0.0.1:%2").arg(m_kind == Kind::Rfc2217 ? "rfc2217" : "tcp").arg(m_port);
    }

    // True once it takes connections, within 5 s.
    bool start()
    {
        m_process.start("/usr/sbin/ser2net",
                        {"-n", "-c", m_folder.filePath("ser2net.yaml"), "-P", m_folder.filePath("ser2net.pid")});
        const QDeadlineTimer deadline(5000);
        while (!deadline.hasExpired() && m_process.state() != QProcess::NotRunning) {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, m_port);
            if (socket.waitForConnected(200))
                return true;
            m_process.waitForFinished(20);
        }
        return false;
    }

    // Kills the server, as a crash would.
    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        ::kill(static_cast<pid_t>(m_process.processId()), SIGKILL);
        m_process.waitForFinished(5000);
    }

private:
    Kind m_kind;
    uint16_t m_port;
    QTemporaryDir m_folder;
    QProcess m_process;
};

}  // namespace lettore::test
