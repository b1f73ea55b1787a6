#include "platform/SystemClock.h"

#include <chrono>
#include <thread>

namespace Quill::Platform {

std::int64_t SystemClock::Now() const
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void SystemClock::Sleep(int ms)
{
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    else
        std::this_thread::yield();
}

} // namespace Quill::Platform
