#pragma once

#include <functional>
#include <string>
#include <vector>

#include "framework/Widget.h"
#include "graphics/Graphics.h"

namespace QuillTest {

// A widget that writes what happens to it into a shared log ("A enter",
// "A down 3,4 b0 c1", ...) so that tests can check order across widgets.
class ProbeWidget : public Quill::Widget {
public:
    using Quill::Widget::MouseDown;
    using Quill::Widget::MouseUp;

    ProbeWidget(std::string name, std::vector<std::string>* log, int x = 0, int y = 0, int width = 0,
                int height = 0)
        : mName(std::move(name)), mLog(log)
    {
        mX = x;
        mY = y;
        mWidth = width;
        mHeight = height;
    }

    // Optional hooks run inside the event, for changes made from a handler.
    std::function<void()> mOnUpdate;
    std::function<void()> mOnMouseUp;
    std::function<void()> mOnDraw;
    bool mWantsFocus = false;
    // Refuses hits on its left half when set.
    bool mLeftHalfTransparent = false;
    // Fills its rectangle with this colour when drawn (alpha 0: draws nothing).
    Quill::Color mFill{0, 0, 0, 0};
    int mDrawCount = 0;
    // Clip and translation of the context of the last Draw.
    Quill::Rect mLastClip;
    float mLastTransX = 0;
    float mLastTransY = 0;

    void Update() override
    {
        Quill::Widget::Update();
        Log("update");
        if (mOnUpdate)
            mOnUpdate();
    }
    void UpdateF(double /*fraction*/) override { Log("updateF"); }
    void Draw(Quill::Graphics& g) override
    {
        ++mDrawCount;
        mLastClip = g.GetClipRect();
        mLastTransX = g.mTransX;
        mLastTransY = g.mTransY;
        Log("draw");
        if (mFill.mAlpha != 0) {
            g.SetColor(mFill);
            // Deliberately larger than the widget: the clip must hold it in.
            g.FillRect(-4, -4, mWidth + 8, mHeight + 8);
        }
        if (mOnDraw)
            mOnDraw();
    }
    bool WantsFocus() override { return mWantsFocus; }
    bool IsPointVisible(int x, int /*y*/) override { return !mLeftHalfTransparent || x >= mWidth / 2; }
    void GotFocus() override
    {
        Quill::Widget::GotFocus();
        Log("gotfocus");
    }
    void LostFocus() override
    {
        Quill::Widget::LostFocus();
        Log("lostfocus");
    }
    void KeyChar(char32_t ch) override { Log("char " + std::to_string(static_cast<int>(ch))); }
    void KeyDown(int key) override
    {
        Quill::Widget::KeyDown(key);
        Log("keydown " + std::to_string(key));
    }
    void KeyUp(int key) override { Log("keyup " + std::to_string(key)); }
    void MouseEnter() override
    {
        Quill::Widget::MouseEnter();
        Log("enter");
    }
    void MouseLeave() override
    {
        Quill::Widget::MouseLeave();
        Log("leave");
    }
    void MouseMove(int x, int y) override { Log("move " + Pos(x, y)); }
    void MouseDown(int x, int y, int button, int clickCount) override
    {
        Log("down " + Pos(x, y) + " b" + std::to_string(button) + " c" + std::to_string(clickCount));
    }
    void MouseUp(int x, int y, int button, int clickCount) override
    {
        Log("up " + Pos(x, y) + " b" + std::to_string(button) + " c" + std::to_string(clickCount));
        if (mOnMouseUp)
            mOnMouseUp();
    }
    void MouseDrag(int x, int y) override { Log("drag " + Pos(x, y)); }
    void MouseWheel(int delta) override { Log("wheel " + std::to_string(delta)); }

    const std::string mName;

private:
    static std::string Pos(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }
    void Log(const std::string& what)
    {
        if (mLog != nullptr)
            mLog->push_back(mName + " " + what);
    }

    std::vector<std::string>* mLog;
};

} // namespace QuillTest
