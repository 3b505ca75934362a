#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace lettore::fuzz {

// Typed values off a fuzzer's input, front to back; once it is used up, zero or empty.
class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : m_data(data), m_size(size) { }

    bool empty() const { return m_used >= m_size; }
    uint8_t byte() { return empty() ? 0 : m_data[m_used++]; }
    bool flag() { return (byte() & 1) != 0; }
    uint32_t u32() { return static_cast<uint32_t>(bigEndian(4)); }

    // low..high, both included, from as few bytes as the span needs.
    int64_t inRange(int64_t low, int64_t high)
    {
        const uint64_t span = static_cast<uint64_t>(high - low) + 1;
        const uint64_t raw = bigEndian(span <= 0x100 ? 1 : span <= 0x10000 ? 2 : 4);
        return low + static_cast<int64_t>(raw % span);
    }

    // One of `count` choices, 0..count-1.
    size_t pick(size_t count) { return static_cast<size_t>(inRange(0, static_cast<int64_t>(count) - 1)); }

    // A length byte (at most maxLength), then that many bytes.
    std::string bytes(size_t maxLength)
    {
        const size_t length = pick(maxLength + 1);
        std::string out;
        while (out.size() < length && !empty())
            out += static_cast<char>(byte());
        return out;
    }

private:
    // `count` bytes, most significant first, one read per statement so that stored inputs replay alike.
    uint64_t bigEndian(int count)
    {
        uint64_t value = 0;
        for (int i = 0; i < count; ++i)
            value = value << 8 | byte();
        return value;
    }

    const uint8_t* m_data;
    size_t m_size;
    size_t m_used = 0;
};

// XOR of every byte: what a frame's check character is worked out from.
inline char xorOf(const std::string& bytes)
{
    char x = 0;
    for (char c : bytes)
        x = static_cast<char>(x ^ c);
    return x;
}

// The last byte is the XOR of the others.
inline bool checkCharacterHolds(const std::string& frame)
{
    return frame.size() >= 3 && xorOf(frame.substr(0, frame.size() - 1)) == frame.back();
}

// STX, ..., ETX and a check character that holds.
inline bool wholeFrame(const std::string& frame)
{
    return checkCharacterHolds(frame) && frame[0] == '\x02' && frame[frame.size() - 2] == '\x03';
}

inline bool loneAckOrNak(const std::string& s) { return s == "\x06" || s == "\x15"; }

}  // namespace lettore::fuzz

// A property every input must keep: a breach is a crash, so the fuzzer keeps the input.
#define FUZZ_CHECK(condition)                                                                                          \
    ((condition)                                                                                                       \
         ? void()                                                                                                      \
         : (std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition), std::abort()))
