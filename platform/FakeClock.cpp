#include "platform/FakeClock.h"

#include <chrono>

namespace Quill::Platform {

FakeClock::FakeClock(std::int64_t start) : mNow(start), mOwner(std::this_thread::get_id()) {}

std::int64_t FakeClock::Now() const
{
    const int step = mAdvancePerRead.load();
    return mNow.fetch_add(step) + step;
}

void FakeClock::Sleep(int ms)
{
    if (ms <= 0) {
        std::this_thread::yield();
        return;
    }
    if (std::this_thread::get_id() != mOwner.load()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return;
    }
    mNow.fetch_add(ms);
    mSleepCount.fetch_add(1);
    mSleptMs.fetch_add(ms);
    // Give helper threads a chance to run, as a real sleep would.
    std::this_thread::yield();
}

void FakeClock::Advance(std::int64_t ms)
{
    if (ms > 0)
        mNow.fetch_add(ms);
}

void FakeClock::SetAdvancePerRead(int ms)
{
    mAdvancePerRead.store(ms > 0 ? ms : 0);
}

void FakeClock::SetOwnerThread()
{
    mOwner.store(std::this_thread::get_id());
}

int FakeClock::GetSleepCount() const
{
    return mSleepCount.load();
}

std::int64_t FakeClock::GetSleptMs() const
{
    return mSleptMs.load();
}

} // namespace Quill::Platform
