#include "DescriptorOutput.h"

#include <cerrno>
#include <unistd.h>

namespace lettore {

DescriptorOutput::DescriptorOutput(int fd) : m_fd(fd) { setp(m_buffer.data(), m_buffer.data() + m_buffer.size()); }

DescriptorOutput::~DescriptorOutput() { flushBuffer(); }

DescriptorOutput::int_type DescriptorOutput::overflow(int_type c)
{
    if (!flushBuffer())
        return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof()))
        sputc(traits_type::to_char_type(c));
    return traits_type::not_eof(c);
}

int DescriptorOutput::sync() { return flushBuffer() ? 0 : -1; }

// What cannot be written is dropped, so a failing descriptor is not
// retried for every later byte.
bool DescriptorOutput::flushBuffer()
{
    const char* next = m_givenUp ? pptr() : pbase();
    while (next < pptr()) {
        const ssize_t written = ::write(m_fd, next, static_cast<size_t>(pptr() - next));
        if (written < 0 && errno == EINTR && m_giveUp && m_giveUp()) {
            m_givenUp = true;
            break;
        }
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (m_error == 0)
                m_error = written < 0 ? errno : EIO;
            break;
        }
        next += written;
    }
    const bool done = next == pptr() || m_givenUp;
    setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
    return done && m_error == 0;
}

}  // namespace lettore
