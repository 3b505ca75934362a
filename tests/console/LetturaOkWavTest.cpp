// The reading chime the build makes: a well-formed PCM wave that any player
// takes, short, audible, unclipped, and silent at both ends so it does not
// click.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

uint32_t le(const std::string& bytes, size_t at, int size)
{
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

}  // namespace

TEST(LetturaOkWav, IsAShortCleanMonoChime)
{
    std::ifstream file(LETTURA_OK_WAV, std::ios::binary);
    const std::string wav((std::istreambuf_iterator<char>(file)), {});
    ASSERT_GE(wav.size(), 44u);
    EXPECT_EQ(wav.substr(0, 4), "RIFF");
    EXPECT_EQ(le(wav, 4, 4), wav.size() - 8);
    EXPECT_EQ(wav.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(le(wav, 16, 4), 16u);  // format chunk size
    EXPECT_EQ(le(wav, 20, 2), 1u);   // PCM
    EXPECT_EQ(le(wav, 22, 2), 1u);   // mono
    const uint32_t rate = le(wav, 24, 4);
    EXPECT_EQ(le(wav, 28, 4), rate * 2);
    EXPECT_EQ(le(wav, 32, 2), 2u);
    EXPECT_EQ(le(wav, 34, 2), 16u);
    EXPECT_EQ(wav.substr(36, 4), "data");
    const uint32_t dataBytes = le(wav, 40, 4);
    ASSERT_EQ(dataBytes, wav.size() - 44);

    std::vector<int> samples;
    for (size_t at = 44; at + 1 < wav.size(); at += 2)
        samples.push_back(int16_t(le(wav, at, 2)));
    const double seconds = double(samples.size()) / rate;
    EXPECT_GE(seconds, 0.15);
    EXPECT_LE(seconds, 0.3);
    int peak = 0;
    for (const int sample : samples)
        peak = std::max(peak, std::abs(sample));
    EXPECT_GT(peak, 32767 / 5);
    EXPECT_LT(peak, 32767 * 9 / 10);
    EXPECT_LT(std::abs(samples.front()), 328);
    EXPECT_LT(std::abs(samples.back()), 328);
}
