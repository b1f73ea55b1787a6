#pragma once

#include <vector>

namespace Quill {

// How an image's cels play as an animation.
class AnimInfo {
public:
    enum AnimType {
        AnimType_None = 0,
        AnimType_Once = 1,
        AnimType_PingPong = 2,
        AnimType_Loop = 3
    };

    // One of AnimType.
    int mAnimType = AnimType_None;
    // Ticks each frame lasts unless the frame has its own delay.
    int mFrameDelay = 1;
    // Number of frames (after Compute: the length of the frame map if there is one).
    int mNumCels = 1;
    // Ticks per frame; empty means every frame lasts mFrameDelay.
    std::vector<int> mPerFrameDelay;
    // Cel shown by each frame; empty means frame i shows cel i.
    std::vector<int> mFrameMap;
    // Ticks of one pass through all frames.
    int mTotalAnimTime = 0;

    // Completes the record once its type, frame delay and lists are set:
    // ping-pong frame map, begin and end delays, per-frame delays, total time.
    // A begin delay of 0 and an end delay of 0 mean none.
    void Compute(int numCels, int beginFrameTime = 0, int endFrameTime = 0);

    // Frame shown after the given number of ticks: once stops on the last
    // frame, loop and ping-pong repeat, none stays on frame 0.
    [[nodiscard]] int GetPerFrameCel(int time) const;
    // Cel shown after the given number of ticks (the frame mapped through the frame map).
    [[nodiscard]] int GetCel(int time) const;
};

} // namespace Quill
