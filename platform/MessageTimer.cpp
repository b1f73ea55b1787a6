#include "platform/MessageTimer.h"

#include <algorithm>

namespace Quill::Platform {

MessageTimer::MessageTimer(int timerId, int periodMs, std::int64_t now)
    : mId(timerId), mPeriod(std::max(periodMs, 1)), mStart(now)
{}

bool MessageTimer::TakeTick(std::int64_t now)
{
    if (now - mStart < mPeriod)
        return false;
    mStart = now;
    return true;
}

} // namespace Quill::Platform
