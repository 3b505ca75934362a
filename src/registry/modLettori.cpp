#include "modLettori.h"

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

}  // namespace

bool installPlatform(Platform platform)
{
    if (registry())
        return false;
    installed() = std::move(platform);
    return true;
}

clsLettori& Lettori()
{
    auto& lettori = registry();
    if (!lettori) {
        Platform& platform = installed();
        if (!platform.makePort || !platform.clock)
            throw std::logic_error("Lettori() referenced before installPlatform()");
        lettori = std::make_unique<clsLettori>(platform.makePort(), *platform.clock,
                                               platform.yieldToEventLoop);
    }
    return *lettori;
}

}  // namespace lettore
