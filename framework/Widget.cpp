#include "framework/Widget.h"

#include <algorithm>
#include <cstdint>

#include "framework/QuillAppBase.h"
#include "framework/WidgetManager.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "platform/VirtualKeys.h"

namespace Quill {

namespace {

constexpr int NUM_STRIP_DIGITS = 10;

// Turns on or off colour escapes for one call and restores the previous state.
class ColoredTextScope {
public:
    explicit ColoredTextScope(Graphics& g) : mGraphics(g), mWas(g.GetWriteColoredString())
    {
        g.SetWriteColoredString(Widget::sColoredText);
    }
    ~ColoredTextScope() { mGraphics.SetWriteColoredString(mWas); }
    ColoredTextScope(const ColoredTextScope&) = delete;
    ColoredTextScope& operator=(const ColoredTextScope&) = delete;

private:
    Graphics& mGraphics;
    bool mWas;
};

} // namespace

Widget::~Widget()
{
    if (mListedIn != nullptr)
        mListedIn->RemoveWidget(this);
}

void Widget::AddedToManager(WidgetManager* manager)
{
    mWidgetManager = manager;
}

void Widget::RemovedFromManager(WidgetManager* /*manager*/)
{
    mWidgetManager = nullptr;
}

void Widget::OrderInManagerChanged() {}

void Widget::SetVisible(bool visible)
{
    if (visible == mVisible)
        return;
    mVisible = visible;
    if (visible) {
        // What lies over it was painted while it was hidden; a stale Dirty
        // flag must not stop the repaint spreading to it.
        mDirty = false;
        MarkDirty();
    } else {
        MarkAllDirty();
    }
    if (mWidgetManager != nullptr)
        mWidgetManager->RehupMouse();
}

void Widget::SetColors(std::span<const std::array<int, 4>> colors)
{
    mColors.clear();
    for (const auto& c : colors)
        mColors.emplace_back(c[0], c[1], c[2], c[3]);
    MarkDirty();
}

void Widget::SetColors(std::span<const std::array<int, 3>> colors)
{
    mColors.clear();
    for (const auto& c : colors)
        mColors.emplace_back(c[0], c[1], c[2]);
    MarkDirty();
}

void Widget::SetColor(int index, const Color& color)
{
    if (index < 0)
        return;
    const auto slot = static_cast<std::size_t>(index);
    if (slot >= mColors.size())
        mColors.resize(slot + 1);
    mColors[slot] = color;
    MarkDirty();
}

Color Widget::GetColor(int index)
{
    if (index < 0)
        return Color();
    const auto slot = static_cast<std::size_t>(index);
    if (slot >= mColors.size())
        mColors.resize(slot + 1);
    return mColors[slot];
}

void Widget::SetOverlayLayer(bool overlayLayer)
{
    if (overlayLayer == mOverlayLayer)
        return;
    if (overlayLayer) {
        MarkAllDirty();
        mOverlayLayer = true;
    } else {
        mOverlayLayer = false;
        // Painted in the plain way again: spread to what lies over it.
        mDirty = false;
        MarkDirty();
    }
}

void Widget::SetDisabled(bool disabled)
{
    if (disabled == mDisabled)
        return;
    mDisabled = disabled;
    if (disabled && mWidgetManager != nullptr)
        mWidgetManager->DisableWidget(this);
    MarkDirty();
    if (!disabled && mWidgetManager != nullptr && mWidgetManager->mMouseIn &&
        Contains(mWidgetManager->mLastMouseX, mWidgetManager->mLastMouseY))
        mWidgetManager->RehupMouse();
}

void Widget::ShowFinger(bool on)
{
    if (gQuillAppBase != nullptr)
        gQuillAppBase->SetCursor(on ? CURSOR_HAND : CURSOR_POINTER);
}

void Widget::Resize(const Rect& rect)
{
    Resize(rect.mX, rect.mY, rect.mWidth, rect.mHeight);
}

void Widget::Resize(int x, int y, int width, int height)
{
    if (x == mX && y == mY && width == mWidth && height == mHeight)
        return;
    MarkAllDirty();
    mX = x;
    mY = y;
    mWidth = width;
    mHeight = height;
    // The old place set Dirty; clear it so the new place spreads to what lies over it.
    mDirty = false;
    MarkDirty();
    if (mWidgetManager != nullptr)
        mWidgetManager->RehupMouse();
}

void Widget::Move(int x, int y)
{
    Resize(x, y, mWidth, mHeight);
}

bool Widget::WantsFocus()
{
    return false;
}

void Widget::Draw(Graphics& /*g*/) {}

void Widget::Update()
{
    ++mUpdateCnt;
}

void Widget::UpdateF(double /*fraction*/) {}

void Widget::GotFocus()
{
    mHasFocus = true;
}

void Widget::LostFocus()
{
    mHasFocus = false;
}

void Widget::KeyChar(char32_t /*ch*/) {}

void Widget::KeyDown(int key)
{
    if (key != Platform::VK_TAB || mWidgetManager == nullptr)
        return;
    Widget* next = mWidgetManager->IsKeyDown(Platform::VK_SHIFT) ? mTabPrev : mTabNext;
    if (next != nullptr)
        mWidgetManager->SetFocus(next);
}

void Widget::KeyUp(int /*key*/) {}

void Widget::MouseEnter()
{
    mIsOver = true;
    if (mDoFinger)
        ShowFinger(true);
}

void Widget::MouseLeave()
{
    mIsOver = false;
    if (mDoFinger)
        ShowFinger(false);
}

void Widget::MouseMove(int /*x*/, int /*y*/) {}

void Widget::MouseDown(int /*x*/, int /*y*/, int /*button*/, int /*clickCount*/) {}

void Widget::MouseDown(int x, int y, int clickCount)
{
    mIsDown = true;
    const ClickButton click = DecodeClickCount(clickCount);
    MouseDown(x, y, click.mButton, click.mCount);
}

void Widget::MouseUp(int /*x*/, int /*y*/, int /*button*/, int /*clickCount*/) {}

void Widget::MouseUp(int x, int y, int clickCount)
{
    MouseUp(x, y);
    const ClickButton click = DecodeClickCount(clickCount);
    MouseUp(x, y, click.mButton, click.mCount);
}

void Widget::MouseUp(int /*x*/, int /*y*/)
{
    mIsDown = false;
}

void Widget::MouseDrag(int /*x*/, int /*y*/) {}

void Widget::MouseWheel(int /*delta*/) {}

bool Widget::IsPointVisible(int /*x*/, int /*y*/)
{
    return true;
}

Rect Widget::WriteCenteredLine(Graphics& g, int verticalShift, Font* font, std::string_view text,
                               const Color& color, const Color& shadowColor, const Point& shadowOffset)
{
    if (font == nullptr)
        return Rect();
    const int width = font->StringWidth(text);
    const int x = (mWidth - width) / 2;
    const int y = (mHeight - font->GetHeight()) / 2 + font->GetAscent() + verticalShift;
    Graphics local(g);
    local.SetFont(font);
    local.SetColor(shadowColor);
    local.DrawString(text, x + shadowOffset.mX, y + shadowOffset.mY);
    local.SetColor(color);
    local.DrawString(text, x, y);
    const Rect face(x, y - font->GetAscent(), width, font->GetHeight());
    const Rect shadow(face.mX + shadowOffset.mX, face.mY + shadowOffset.mY, face.mWidth, face.mHeight);
    return face.Union(shadow);
}

Rect Widget::WriteCenteredLine(Graphics& g, int y, std::string_view text)
{
    Font* font = g.GetFont();
    if (font == nullptr)
        return Rect();
    const int width = font->StringWidth(text);
    const int x = (mWidth - width) / 2;
    g.DrawString(text, x, y);
    return Rect(x, y - font->GetAscent(), width, font->GetHeight());
}

int Widget::WriteString(Graphics& g, std::string_view text, int x, int y, int width, int justification,
                        bool draw, int offset, int length)
{
    ColoredTextScope colored(g);
    return g.DrawStringJustified(text, x, y, width, justification, draw, offset, length);
}

int Widget::WriteWordWrapped(Graphics& g, const Rect& rect, std::string_view text, int lineSpacing,
                             int justification)
{
    ColoredTextScope colored(g);
    return g.DrawStringWrapped(rect, text, lineSpacing, justification);
}

int Widget::GetWordWrappedHeight(Graphics& g, int width, std::string_view text, int lineSpacing)
{
    return g.MeasureWrappedHeight(width, text, lineSpacing);
}

int Widget::GetNumDigits(int n)
{
    int digits = 1;
    for (std::int64_t rest = n; rest >= 10; rest /= 10)
        ++digits;
    return digits;
}

void Widget::WriteNumberFromStrip(Graphics& g, int number, int x, int y, Image* digitStrip, int spacing)
{
    if (digitStrip == nullptr)
        return;
    const int glyphWidth = digitStrip->GetWidth() / NUM_STRIP_DIGITS;
    const int glyphHeight = digitStrip->GetHeight();
    // The magnitude, computed wide so that the most negative int has one.
    std::int64_t value = number;
    if (value < 0)
        value = -value;
    std::int64_t divisor = 1;
    while (value / divisor >= NUM_STRIP_DIGITS)
        divisor *= NUM_STRIP_DIGITS;
    int pen = x;
    for (; divisor > 0; divisor /= NUM_STRIP_DIGITS) {
        const int digit = static_cast<int>(value / divisor % NUM_STRIP_DIGITS);
        Graphics glyph(g);
        glyph.ClipRect(pen, y, glyphWidth, glyphHeight);
        glyph.DrawImage(digitStrip, pen - digit * glyphWidth, y);
        pen += glyphWidth + spacing;
    }
}

bool Widget::Contains(int x, int y)
{
    return x >= mX && x < mX + mWidth && y >= mY && y < mY + mHeight;
}

Rect Widget::GetInsetRect()
{
    return Rect(mX + mMouseInsets.mLeft, mY + mMouseInsets.mTop,
                mWidth - mMouseInsets.mLeft - mMouseInsets.mRight,
                mHeight - mMouseInsets.mTop - mMouseInsets.mBottom);
}

Rect Widget::GetRect()
{
    return Rect(mX, mY, mWidth, mHeight);
}

bool Widget::Intersects(Widget* other)
{
    return other != nullptr && GetRect().Intersects(other->GetRect());
}

void Widget::MarkAllDirty()
{
    if (mWidgetManager != nullptr)
        mWidgetManager->MarkAllDirty(this);
    else
        mDirty = true;
}

void Widget::MarkDirty()
{
    if (mWidgetManager != nullptr)
        mWidgetManager->MarkDirty(this);
    else
        mDirty = true;
}

} // namespace Quill
