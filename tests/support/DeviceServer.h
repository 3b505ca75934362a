#pragma once

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>

#include <string>

namespace lettore::test {

// A port on 127.0.0.1 that nothing listens at, as the system names one.
inline uint16_t freeLoopbackPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// Debian's ser2net serving a serial device over RFC 2217 on 127.0.0.1: a real device server.
class DeviceServer {
public:
    // options: YAML lines for the connection's "options:" map, e.g. "    chardelay: false\n".
    explicit DeviceServer(const std::string& device, const QString& options = {}) : m_port(freeLoopbackPort())
    {
        QFile config(m_folder.filePath("ser2net.yaml"));
        config.open(QIODevice::WriteOnly);
        config.write(QString("connection: &line\n  accepter: telnet(rfc2217),tcp,127.0.0.1,%1\n"
                             "  connector: serialdev,%2,9600n81,local\n%3")
                         .arg(m_port)
                         .arg(QString::fromStdString(device))
                         .arg(options.isEmpty() ? "" : "  options:\n" + options)
                         .toUtf8());
    }
    ~DeviceServer() { stop(); }

    QString address() const { return QString("rfc2217://127.0.0.1:%1").arg(m_port); }

    // True once it listens, within 5 s. Seen in the kernel's socket table: a probe connection would make it open the
    // device, which it may still hold when another program opens the line.
    bool start()
    {
        m_process.start("/usr/sbin/ser2net",
                        {"-n", "-c", m_folder.filePath("ser2net.yaml"), "-P", m_folder.filePath("ser2net.pid")});
        const QByteArray listening
            = QString(" 0100007F:%1 00000000:0000 0A ").arg(m_port, 4, 16, QChar('0')).toUpper().toUtf8();
        for (const QDeadlineTimer deadline(5000); !deadline.hasExpired() && !m_process.waitForFinished(20);) {
            QFile sockets("/proc/net/tcp");
            if (sockets.open(QIODevice::ReadOnly) && sockets.readAll().contains(listening))
                return true;
        }
        return false;
    }

    // Kills the server (SIGKILL), as a crash would.
    void stop()
    {
        m_process.kill();
        m_process.waitForFinished(5000);
    }

private:
    uint16_t m_port;
    QTemporaryDir m_folder;
    QProcess m_process;
};

}  // namespace lettore::test
