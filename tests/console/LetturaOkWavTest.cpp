// The chime the build makes: 16-bit mono PCM, short, audible, unclipped, silent at both ends.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

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
    const uint32_t rate = le(wav, 24, 4);
    EXPECT_EQ(wav.substr(0, 4) + wav.substr(8, 8) + wav.substr(36, 4), "RIFFWAVEfmt data");
    // RIFF size, format size, PCM, mono, bytes a second, bytes a sample, bits, data size
    EXPECT_EQ((std::vector<uint32_t>{le(wav, 4, 4), le(wav, 16, 4), le(wav, 20, 2), le(wav, 22, 2), le(wav, 28, 4), le(wav, 32, 2),
                                     le(wav, 34, 2), le(wav, 40, 4)}),
              (std::vector<uint32_t>{uint32_t(wav.size() - 8), 16, 1, 1, rate * 2, 2, 16, uint32_t(wav.size() - 44)}));
    std::vector<int> samples;
    for (size_t at = 44; at + 1 < wav.size(); at += 2)
        samples.push_back(int16_t(le(wav, at, 2)));
    EXPECT_GE(double(samples.size()) / rate, 0.15);
    EXPECT_LE(double(samples.size()) / rate, 0.3);
    int peak = 0;
    for (const int sample : samples)
        peak = std::max(peak, std::abs(sample));
    EXPECT_GT(peak, 32767 / 5);
    EXPECT_LT(peak, 32767 * 9 / 10);
    EXPECT_LT(std::max(std::abs(samples.front()), std::abs(samples.back())), 328);
}
