#pragma once

#include <cstdint>

namespace Quill::Platform {

// A repeating window timer with the classic behaviour: it fires at most once
// per check, never queues up missed ticks, and the next period starts when a
// tick is taken.
class MessageTimer {
public:
    MessageTimer(int timerId, int periodMs, std::int64_t now);

    // True (and the next period begins) when a period has passed since the
    // timer started or last fired.
    [[nodiscard]] bool TakeTick(std::int64_t now);

    [[nodiscard]] int GetId() const { return mId; }
    [[nodiscard]] int GetPeriod() const { return mPeriod; }

private:
    int mId = 0;
    int mPeriod = 1;
    // When the current period began.
    std::int64_t mStart = 0;
};

} // namespace Quill::Platform
