#pragma once

#include <array>
#include <functional>
#include <streambuf>

namespace lettore {

// A buffered output stream buffer on a file descriptor that remembers why
// a write failed, which std::cout does not: by the time a failed flush is
// noticed, later calls have long changed errno.
class DescriptorOutput : public std::streambuf {
public:
    explicit DescriptorOutput(int fd);
    ~DescriptorOutput() override;

    DescriptorOutput(const DescriptorOutput&) = delete;
    DescriptorOutput& operator=(const DescriptorOutput&) = delete;

    // errno of the first write that failed; 0 while none has.
    int error() const { return m_error; }
    // A write that a signal interrupts is tried again, unless `giveUp`
    // then says the program is ending: from then on nothing is written,
    // so a reader that stopped reading cannot hold the program.
    void giveUpWhen(std::function<bool()> giveUp) { m_giveUp = std::move(giveUp); }

protected:
    int_type overflow(int_type c) override;
    int sync() override;

private:
    // Writes out what is buffered; false when the write failed.
    bool flushBuffer();

    int m_fd = -1;
    std::array<char, 4096> m_buffer{};
    int m_error = 0;
    std::function<bool()> m_giveUp;
    bool m_givenUp = false;
};

}  // namespace lettore
