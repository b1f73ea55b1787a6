#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

#include "platform/Clock.h"

namespace Quill::Platform {

// Scripted time for tests. Time moves only when the test advances it, when
// the owning thread (the one that made the clock, normally the test's main
// thread) sleeps, or by a fixed step on every reading (to model work taking
// time). Sleeps on other threads do not move time: they wait a real
// millisecond, so helper threads neither race the script nor spin.
class FakeClock : public Clock {
public:
    explicit FakeClock(std::int64_t start = kDefaultStart);

    [[nodiscard]] std::int64_t Now() const override;
    void Sleep(int ms) override;

    // Moves time forward by ms (backwards is refused: the clock is monotonic).
    void Advance(std::int64_t ms);
    // Every later reading of Now first moves time forward by ms (0 stops it).
    void SetAdvancePerRead(int ms);
    // Makes the calling thread the one whose sleeps move time.
    void SetOwnerThread();

    // Sleeps taken on the owning thread with ms > 0, and their total length.
    [[nodiscard]] int GetSleepCount() const;
    [[nodiscard]] std::int64_t GetSleptMs() const;

    // A start far from 0, so code that treats 0 as "never" is not fooled.
    static constexpr std::int64_t kDefaultStart = 1'000'000;

private:
    mutable std::atomic<std::int64_t> mNow;
    std::atomic<int> mAdvancePerRead{0};
    std::atomic<int> mSleepCount{0};
    std::atomic<std::int64_t> mSleptMs{0};
    std::atomic<std::thread::id> mOwner;
};

} // namespace Quill::Platform
