#pragma once

// An image that records the drawing calls it receives, so that tests can see
// exactly which clipped, translated rectangles a drawing context hands on.

#include <string>
#include <vector>

#include "graphics/Image.h"

namespace QuillTest {

class RecordingImage : public Quill::Image {
public:
    // One received call.
    struct Call {
        std::string mOp;
        Quill::Rect mRect;
        Quill::Rect mSrc;
        Quill::Color mColor;
        int mDrawMode = 0;
        bool mFast = false;
        Quill::Image* mImage = nullptr;
        bool operator==(const Call&) const = default;
    };

    RecordingImage(int width, int height)
    {
        mWidth = width;
        mHeight = height;
    }

    void FillRect(const Quill::Rect& rect, const Quill::Color& color, int drawMode) override
    {
        mCalls.push_back({"FillRect", rect, {}, color, drawMode, false, nullptr});
    }
    void DrawRect(const Quill::Rect& rect, const Quill::Color& color, int drawMode) override
    {
        mCalls.push_back({"DrawRect", rect, {}, color, drawMode, false, nullptr});
    }
    void ClearRect(const Quill::Rect& rect) override
    {
        mCalls.push_back({"ClearRect", rect, {}, {}, 0, false, nullptr});
    }
    void Blt(Quill::Image* image, int x, int y, const Quill::Rect& srcRect, const Quill::Color& color,
             int drawMode) override
    {
        mCalls.push_back({"Blt", Quill::Rect(x, y, 0, 0), srcRect, color, drawMode, false, image});
    }
    void StretchBlt(Quill::Image* image, const Quill::Rect& destRect, const Quill::Rect& srcRect,
                    const Quill::Rect& clipRect, const Quill::Color& color, int drawMode,
                    bool fastStretch) override
    {
        mCalls.push_back({"StretchBlt", destRect, srcRect, color, drawMode, fastStretch, image});
        mStretchClip = clipRect;
    }

    std::vector<Call> mCalls;
    Quill::Rect mStretchClip;
};

} // namespace QuillTest
