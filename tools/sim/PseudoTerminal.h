#pragma once

#include <string>

namespace lettore {

// A pseudo-terminal pair in raw mode. The master side is this program's end
// of the line; the slave side is the serial device that a host opens. A
// descriptor of the slave stays open for the pair's whole life, so the line
// survives a host closing and reopening its port, and the line settings the
// host chose (baud rate) stay readable here.
class PseudoTerminal {
public:
    // Opens the pair; throws std::system_error on failure.
    PseudoTerminal();
    ~PseudoTerminal();

    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    int masterFd() const { return m_master; }
    int slaveFd() const { return m_slave; }
    const std::string& slavePath() const { return m_slavePath; }

    // The baud rate currently set on the line (by the host), e.g. 9600.
    int baudRate() const;

    // Makes `linkPath` a symbolic link to the slave, replacing an old link
    // but never another kind of file. Throws std::system_error on failure.
    // close() removes the link while it still points to this slave.
    void linkAs(const std::string& linkPath);

    // The device `linkPath` leads to when it is a symbolic link to a
    // character device that exists, as another line's live slave does;
    // empty otherwise.
    static std::string liveDeviceBehind(const std::string& linkPath);

    // Closes both sides: the host sees the line drop.
    void close();

    // After close(), opens a new pair and points the link made by linkAs()
    // at it. The kernel gives the lowest free number, so the device path is
    // the old one when every host has closed it and no other program took
    // it meanwhile. Throws std::system_error.
    void reopen();

private:
    void open();

    int m_master = -1;
    int m_slave = -1;
    std::string m_slavePath;
    std::string m_linkPath;
};

}  // namespace lettore
