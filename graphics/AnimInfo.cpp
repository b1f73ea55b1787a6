#include "graphics/AnimInfo.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>

namespace Quill {

void AnimInfo::Compute(int numCels, int beginFrameTime, int endFrameTime)
{
    mNumCels = std::max(1, numCels);
    mFrameDelay = std::max(1, mFrameDelay);

    if (mAnimType == AnimType_PingPong && mNumCels >= 2) {
        // There and back, without repeating either end: 0, 1, ..., n − 1, n − 2, ..., 1.
        mFrameMap.clear();
        for (int i = 0; i < mNumCels; ++i)
            mFrameMap.push_back(i);
        for (int i = mNumCels - 2; i >= 1; --i)
            mFrameMap.push_back(i);
    }
    if (!mFrameMap.empty())
        mNumCels = static_cast<int>(mFrameMap.size());

    const auto frames = static_cast<std::size_t>(mNumCels);
    if (beginFrameTime >= 1) {
        if (mPerFrameDelay.empty())
            mPerFrameDelay.resize(1, 0);
        mPerFrameDelay.front() = beginFrameTime;
    }
    if (endFrameTime > 0) {
        if (mPerFrameDelay.size() < frames)
            mPerFrameDelay.resize(frames, 0);
        mPerFrameDelay[frames - 1] = endFrameTime;
    }

    // Delays come from the manifest: their total is summed wide and kept
    // within an int, so that large ones cannot wrap it around.
    std::int64_t total = 0;
    if (!mPerFrameDelay.empty()) {
        mPerFrameDelay.resize(frames, 0);
        for (int& delay : mPerFrameDelay) {
            if (delay < 1)
                delay = mFrameDelay;
            total += delay;
        }
    } else {
        total = std::int64_t{mNumCels} * mFrameDelay;
    }
    mTotalAnimTime = static_cast<int>(std::min<std::int64_t>(total, std::numeric_limits<int>::max()));
}

int AnimInfo::GetPerFrameCel(int time) const
{
    if (mAnimType == AnimType_None || mNumCels <= 1 || mTotalAnimTime <= 0 || time <= 0)
        return 0;
    if (mAnimType == AnimType_Once) {
        if (time >= mTotalAnimTime)
            return mNumCels - 1;
    } else {
        time %= mTotalAnimTime;
    }
    if (mPerFrameDelay.empty())
        return std::min(time / std::max(1, mFrameDelay), mNumCels - 1);
    int frame = 0;
    for (int delay : mPerFrameDelay) {
        if (time < delay)
            return frame;
        time -= delay;
        ++frame;
    }
    return mNumCels - 1;
}

int AnimInfo::GetCel(int time) const
{
    const int frame = GetPerFrameCel(time);
    if (frame >= 0 && static_cast<std::size_t>(frame) < mFrameMap.size())
        return mFrameMap[static_cast<std::size_t>(frame)];
    return frame;
}

} // namespace Quill
