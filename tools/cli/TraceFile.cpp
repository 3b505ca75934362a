#include "TraceFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <unistd.h>

namespace lettore {

TraceFile::~TraceFile()
{
    m_out.reset();  // what is buffered goes out first
    if (m_fd != -1)
        ::close(m_fd);
}

std::string TraceFile::open(const std::string& path)
{
    m_fd = openDescriptor(path);
    if (m_fd == -1) {
        const int error = errno;
        std::error_code ignored;
        if (error == ENXIO && std::filesystem::is_fifo(path, ignored))
            return "a named pipe that nobody reads";
        return std::strerror(error);
    }
    m_out = std::make_unique<DescriptorOutput>(m_fd);
    return {};
}

void TraceFile::write(const std::string& text)
{
    if (m_out)
        m_out->sputn(text.data(), static_cast<std::streamsize>(text.size()));
}

void TraceFile::flush()
{
    if (m_out)
        m_out->pubsync();
}

void TraceFile::giveUpWhen(std::function<bool()> giveUp)
{
    if (m_out)
        m_out->giveUpWhen(std::move(giveUp));
}

}  // namespace lettore
