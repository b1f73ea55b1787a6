#pragma once

#include "platform/Clock.h"

namespace Quill::Platform {

// The real monotonic clock: milliseconds of std::chrono::steady_clock (on
// Linux, time since boot, so it differs between runs and can seed a random
// generator).
class SystemClock : public Clock {
public:
    [[nodiscard]] std::int64_t Now() const override;
    void Sleep(int ms) override;
};

} // namespace Quill::Platform
