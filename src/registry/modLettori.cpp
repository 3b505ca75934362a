#include "modLettori.h"

#include <filesystem>
#include <optional>
#include <stdexcept>

namespace lettore {

namespace {

Platform& installed()
{
    static Platform platform;
    return platform;
}

std::unique_ptr<clsLettori>& registry()
{
    static std::unique_ptr<clsLettori> lettori;
    return lettori;
}

bool& released()
{
    static bool gone = false;
    return gone;
}

}  // namespace

bool installPlatform(Platform platform)
{
    if (registry() || released())
        return false;
    installed() = std::move(platform);
    return true;
}

clsLettori& Lettori()
{
    auto& lettori = registry();
    if (!lettori) {
        if (released())
            throw std::logic_error("Lettori() referenced after releaseLettori()");
        Platform& platform = installed();
        if (!platform.openPort || !platform.clock)
            throw std::logic_error("Lettori() referenced before installPlatform()");
        lettori = std::make_unique<clsLettori>(platform.openPort, *platform.clock, platform.yieldToEventLoop);
    }
    return *lettori;
}

void releaseLettori()
{
    released() = true;
    registry().reset();
}

void RiproduciSuono(const std::string& fileName, bool async)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(fileName, error))
        return;
    if (const auto& play = installed().playSound)
        play(fileName, async);
}

}  // namespace lettore
