#pragma once

#include <array>
#include <span>
#include <string_view>
#include <vector>

#include "framework/Insets.h"
#include "graphics/Color.h"
#include "graphics/Point.h"
#include "graphics/Rect.h"

namespace Quill {

class Font;
class Graphics;
class Image;
class WidgetManager;

// Mouse buttons as widgets see them.
inline constexpr int MOUSE_BUTTON_LEFT = 0;
inline constexpr int MOUSE_BUTTON_RIGHT = 1;
inline constexpr int MOUSE_BUTTON_MIDDLE = 2;

// A button and its own click count (1 single, 2 double), decoded from the
// signed click count the application delivers.
struct ClickButton {
    int mButton = MOUSE_BUTTON_LEFT;
    int mCount = 1;
};

// 1 or 2 left, -1 or -2 right, 3 middle (counted once).
[[nodiscard]] constexpr ClickButton DecodeClickCount(int clickCount)
{
    if (clickCount == 3)
        return {MOUSE_BUTTON_MIDDLE, 1};
    if (clickCount < 0)
        return {MOUSE_BUTTON_RIGHT, -clickCount};
    return {MOUSE_BUTTON_LEFT, clickCount};
}

// Every visible element of the program: a rectangle in the widget manager's one
// flat list, painted bottom to top, fed input and a per-tick update. The manager
// never owns widgets; whoever creates one removes and deletes it.
//
// Subclasses that override one operation of an overloaded family (Resize,
// MouseDown, MouseUp, SetColors, WriteCenteredLine) add `using Widget::<name>;`
// so the other overloads stay visible.
class Widget {
public:
    Widget() = default;
    // A widget still in a manager's list leaves it first, so the manager never
    // holds a dangling reference.
    virtual ~Widget();
    Widget(const Widget&) = delete;
    Widget& operator=(const Widget&) = delete;

    // The manager's update pass in which this widget was last updated.
    int mUpdateMark = 0;
    // Position in screen pixels and size.
    int mX = 0;
    int mY = 0;
    int mWidth = 0;
    int mHeight = 0;
    // Must be repainted.
    bool mDirty = true;
    bool mVisible = true;
    // Takes part in hit testing.
    bool mMouseVisible = true;
    // Painting is clipped to the widget's rectangle.
    bool mClip = true;
    // Painted over a cached picture of everything below it (see SetOverlayLayer).
    bool mOverlayLayer = false;
    bool mDisabled = false;
    // Has the keyboard focus.
    bool mHasFocus = false;
    // A mouse button went down on it and is still held.
    bool mIsDown = false;
    // The pointer is over it.
    bool mIsOver = false;
    // The widget does not cover its whole rectangle with opaque pixels.
    bool mHasAlpha = false;
    bool mHasTransparencies = false;
    // The manager it was added to; none while not added.
    WidgetManager* mWidgetManager = nullptr;
    // Colour table, indexed by small integers each widget class defines.
    std::vector<Color> mColors;
    // Shrink the rectangle used for hit testing.
    Insets mMouseInsets;
    // Show the hand cursor while the pointer is over the widget.
    bool mDoFinger = false;
    // Number of Update calls received.
    int mUpdateCnt = 0;
    // Keyboard focus chain followed by Tab and Shift+Tab.
    Widget* mTabPrev = nullptr;
    Widget* mTabNext = nullptr;

    // Remembers the manager.
    virtual void AddedToManager(WidgetManager* manager);
    // Forgets the manager.
    virtual void RemovedFromManager(WidgetManager* manager);
    // Called after the manager moved the widget within its list.
    virtual void OrderInManagerChanged();
    virtual void SetVisible(bool visible);
    // Replaces the colour table: entries {r, g, b, a} or {r, g, b} (alpha 255).
    virtual void SetColors(std::span<const std::array<int, 4>> colors);
    virtual void SetColors(std::span<const std::array<int, 3>> colors);
    // Stores one entry, growing the table with black as needed. Negative
    // indices are ignored.
    virtual void SetColor(int index, const Color& color);
    // One entry; an index beyond the table grows it with black.
    virtual Color GetColor(int index);
    virtual void SetOverlayLayer(bool overlayLayer);
    // Disabling drops every reference the manager holds to the widget.
    virtual void SetDisabled(bool disabled);
    // Hand cursor (on) or pointer (off), through the application when there is one.
    virtual void ShowFinger(bool on);
    virtual void Resize(const Rect& rect);
    // Repaints the old and the new place.
    virtual void Resize(int x, int y, int width, int height);
    virtual void Move(int x, int y);
    // Whether a click should give it the keyboard focus.
    virtual bool WantsFocus();
    // The context's origin is the widget's top-left corner.
    virtual void Draw(Graphics& g);
    // Once per update tick (100 per second).
    virtual void Update();
    virtual void UpdateF(double fraction);
    virtual void GotFocus();
    virtual void LostFocus();
    virtual void KeyChar(char32_t ch);
    // Tab moves the focus along the chain (backwards with Shift held).
    virtual void KeyDown(int key);
    virtual void KeyUp(int key);
    virtual void MouseEnter();
    virtual void MouseLeave();
    // Mouse coordinates are relative to the widget.
    virtual void MouseMove(int x, int y);
    virtual void MouseDown(int x, int y, int button, int clickCount);
    // Sets IsDown, then the form above with the decoded button and count.
    virtual void MouseDown(int x, int y, int clickCount);
    virtual void MouseUp(int x, int y, int button, int clickCount);
    // The form below, then the one above with the decoded button and count.
    virtual void MouseUp(int x, int y, int clickCount);
    virtual void MouseUp(int x, int y);
    // The pointer moved while a button pressed on this widget is held.
    virtual void MouseDrag(int x, int y);
    virtual void MouseWheel(int delta);
    // Lets a widget refuse hits on its transparent parts.
    virtual bool IsPointVisible(int x, int y);
    // Centred line with a shadow: the shadow colour displaced first, then the
    // main colour. The line sits centred in the widget, moved down by
    // verticalShift. Returns the rectangle both cover.
    virtual Rect WriteCenteredLine(Graphics& g, int verticalShift, Font* font, std::string_view text,
                                   const Color& color, const Color& shadowColor, const Point& shadowOffset);
    // Centred horizontally at baseline y with the context's font; returns
    // (x, y - ascent, text width, font height).
    virtual Rect WriteCenteredLine(Graphics& g, int y, std::string_view text);
    // Draws (or measures) part of a text with colour escapes as sColoredText says.
    virtual int WriteString(Graphics& g, std::string_view text, int x, int y, int width, int justification,
                            bool draw, int offset, int length);
    // Word-wrapped text; returns the height used.
    virtual int WriteWordWrapped(Graphics& g, const Rect& rect, std::string_view text, int lineSpacing,
                                 int justification);
    virtual int GetWordWrappedHeight(Graphics& g, int width, std::string_view text, int lineSpacing);
    // Decimal digits of n; 1 for anything below 10.
    virtual int GetNumDigits(int n);
    // Draws a number from a strip of the ten digit glyphs 0..9 side by side.
    // Negative numbers draw their magnitude (the strip has no sign).
    virtual void WriteNumberFromStrip(Graphics& g, int number, int x, int y, Image* digitStrip, int spacing);
    virtual bool Contains(int x, int y);
    // The rectangle used for hit testing: GetRect shrunk by MouseInsets.
    virtual Rect GetInsetRect();
    virtual Rect GetRect();
    // The rectangles share at least one pixel.
    virtual bool Intersects(Widget* other);
    // This widget and whatever its extent touches must be repainted.
    virtual void MarkAllDirty();
    // This widget and whatever lies over it must be repainted.
    virtual void MarkDirty();

    // Whether WriteString and WriteWordWrapped interpret colour escapes.
    static inline bool sColoredText = true;

private:
    friend class WidgetManager;

    // Links of the manager's list, maintained by the manager alone.
    Widget* mPrevWidget = nullptr;
    Widget* mNextWidget = nullptr;
    WidgetManager* mListedIn = nullptr;
    // UpdateFrameF's own pass mark, so it never repeats or skips a widget either.
    int mUpdateFMark = 0;
};

} // namespace Quill
