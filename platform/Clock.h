#pragma once

#include <cstdint>

namespace Quill::Platform {

// The program's time source: a monotonic millisecond count and a way to wait.
// The application loop measures and sleeps only through this, so tests can run
// it on scripted time.
class Clock {
public:
    virtual ~Clock() = default;

    // Milliseconds since an arbitrary fixed point (it differs between runs);
    // never goes backwards. Safe from any thread.
    [[nodiscard]] virtual std::int64_t Now() const = 0;
    // Waits about ms milliseconds (nothing for ms <= 0). Safe from any thread.
    virtual void Sleep(int ms) = 0;
};

} // namespace Quill::Platform
