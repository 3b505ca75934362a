// Seriale.cfg: any content reads without failing, what it reads is written
// back in the stored form and reads again the same, and a file on disk reads
// as its contents do.
#include "FuzzInput.h"

#include "ConnectionSettings.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

using namespace lettore;

namespace {

bool same(const ConnectionSettings& a, const ConnectionSettings& b)
{
    return a.NSeriale == b.NSeriale && a.Velocita == b.Velocita && a.Terminale == b.Terminale;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string contents(reinterpret_cast<const char*>(data), size);
    const ConnectionSettings read = ConnectionSettings::parse(contents);
    FUZZ_CHECK(same(ConnectionSettings::parse(read.text()), read));
    FUZZ_CHECK(read.text() == ConnectionSettings::parse(read.text()).text());

    static const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("settings-fuzz-" + std::to_string(::getpid()) + ".cfg");
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << contents;
    }
    const ConnectionSettings loaded = ConnectionSettings::load(file);
    if (size <= ConnectionSettings::MaxFileBytes)
        FUZZ_CHECK(same(loaded, read));
    std::filesystem::remove(file);
    return 0;
}
