// Seriale.cfg: any content reads, writes back and reads again the same, from memory or from disk.
#include "FuzzInput.h"

#include "ConnectionSettings.h"

#include <filesystem>
#include <fstream>
#include <tuple>
#include <unistd.h>

using namespace lettore;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto fields = [](const ConnectionSettings& s) { return std::tie(s.NSeriale, s.Velocita, s.Terminale); };
    const std::string contents(reinterpret_cast<const char*>(data), size);
    const ConnectionSettings read = ConnectionSettings::parse(contents);
    const ConnectionSettings again = ConnectionSettings::parse(read.text());
    FUZZ_CHECK(fields(again) == fields(read) && again.text() == read.text());

    static const std::string name = "settings-fuzz-" + std::to_string(::getpid()) + ".cfg";
    static const std::filesystem::path file = std::filesystem::temp_directory_path() / name;
    std::ofstream(file, std::ios::binary | std::ios::trunc) << contents;
    const ConnectionSettings loaded = ConnectionSettings::load(file);
    FUZZ_CHECK(size > ConnectionSettings::MaxFileBytes || fields(loaded) == fields(read));
    std::filesystem::remove(file);
    return 0;
}
