// Delivery to subscribers that change while an event is being delivered.
#include "EventFanOut.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace lettore;

namespace {

// Logs each ComTO it hears under its name, then runs its handler.
struct Listener : LinkEvents {
    Listener(std::vector<std::string>& log, std::string name) : log(log), name(std::move(name)) {}
    void ComTO() override
    {
        log.push_back(name);
        if (onComTO)
            onComTO();
    }
    std::vector<std::string>& log;
    std::string name;
    std::function<void()> onComTO;
};

TEST(EventFanOut, SubscribersChangedByAHandlerCountFromTheNextEvent)
{
    std::vector<std::string> log;
    EventFanOut events;
    Listener first(log, "first"), second(log, "second"), added(log, "added");
    // The first handler drops the second (which may be gone by now) and adds another.
    first.onComTO = [&] {
        events.unsubscribe(&second);
        events.subscribe(&added);
    };
    events.subscribe(&first);
    events.subscribe(&second);
    events.subscribe(&first);  // once is enough
    events.ComTO();
    first.onComTO = nullptr;
    events.ComTO();
    EXPECT_EQ(log, (std::vector<std::string>{"first", "first", "added"}));
}

}  // namespace
