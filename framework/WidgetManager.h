#pragma once

#include <array>
#include <cstddef>
#include <iterator>
#include <memory>
#include <vector>

namespace Quill {

class CursorWidget;
class Graphics;
class Image;
class MemoryImage;
class QuillAppBase;
class Widget;

// Mouse button bits of DownButtons and ActualDownButtons.
inline constexpr int MOUSE_BIT_LEFT = 1;
inline constexpr int MOUSE_BIT_RIGHT = 2;
inline constexpr int MOUSE_BIT_MIDDLE = 4;

// Holds every widget in one flat ordered list (first painted first, last on
// top), paints the dirty ones, runs their per-tick update and routes input to
// them with hover, capture, focus and modality rules. It never owns the widgets.
//
// The list is intrusive (the links live in the widgets), so adding, removing
// and reordering never allocate, and the update and paint walks keep a cursor
// the list operations move along when they take away the widget it stands on.
class WidgetManager {
public:
    // Number of virtual key codes whose held state is recorded.
    static constexpr int NUM_KEYS = 255;

    explicit WidgetManager(QuillAppBase* app = nullptr);
    // Widgets still in the list are let go (they forget the manager).
    ~WidgetManager();
    WidgetManager(const WidgetManager&) = delete;
    WidgetManager& operator=(const WidgetManager&) = delete;

    // Update passes run.
    int mUpdateCnt = 0;
    // Receives the Tab character typed with Ctrl held.
    Widget* mDefaultTab = nullptr;
    // The application (may be none, as in tests).
    QuillAppBase* mApp = nullptr;
    // The screen image painted into; set by the application after each display
    // initialisation.
    Image* mImage = nullptr;
    // Picture of everything below the first overlay layer (created on first need).
    std::unique_ptr<MemoryImage> mOverlayCache;
    // Whether the last paint had an overlay layer.
    bool mLastOverlayState = false;
    // Screen size (Resize).
    int mWidth = 0;
    int mHeight = 0;
    // The application has the input focus.
    bool mHasFocus = true;
    Widget* mFocusWidget = nullptr;
    // The widget that owns the held mouse buttons.
    Widget* mLastDownWidget = nullptr;
    // The widget under the pointer.
    Widget* mOverWidget = nullptr;
    // Nothing below it in the list gets input.
    Widget* mBaseModalWidget = nullptr;
    // The pointer is inside the window.
    bool mMouseIn = false;
    int mLastMouseX = 0;
    int mLastMouseY = 0;
    // Buttons (MOUSE_BIT_*) held on LastDownWidget.
    int mDownButtons = 0;
    // Buttons physically held.
    int mActualDownButtons = 0;
    // UpdateCnt at the most recent input event.
    int mLastInputUpdateCnt = 0;
    // Keys held, indexed by virtual key code.
    std::array<bool, NUM_KEYS> mKeyDown{};
    // 1 left, -1 right, 2 middle.
    int mLastDownButtonId = 0;
    // Some widget was marked dirty during the current update pass.
    bool mDirty = false;
    // Draws a custom cursor picture; owned here and never added to the list.
    std::unique_ptr<CursorWidget> mCursorWidget;

    // The widget set.
    // Appends on top (ignored when already present) and marks it dirty.
    void AddWidget(Widget* widget);
    // Repaints what it covered and drops every reference to it first.
    void RemoveWidget(Widget* widget);
    void BringToFront(Widget* widget);
    // Nothing below the widget in the list gets input any more.
    void AddBaseModal(Widget* widget);
    void SetFocus(Widget* widget);
    void Resize(int width, int height);
    // Every widget must be repainted.
    void MarkAllDirty();

    [[nodiscard]] bool HasWidget(const Widget* widget) const;
    [[nodiscard]] std::size_t GetWidgetCount() const { return mWidgetCount; }
    // True while the key is held (false for codes outside 0..254).
    [[nodiscard]] bool IsKeyDown(int key) const;
    // Forgets every held key without telling anyone.
    void ClearKeysDown() { mKeyDown.fill(false); }

    // Input entry points, in screen coordinates.
    void MouseMove(int x, int y);
    void MouseDown(int x, int y, int clickCount);
    void MouseUp(int x, int y, int clickCount);
    void MouseExit(int x, int y);
    void MouseWheel(int delta);
    void KeyDown(int key);
    void KeyUp(int key);
    void KeyChar(char32_t ch);
    // The application gained or lost the input focus.
    void GotFocus();
    void LostFocus();

    // Per tick. Each returns whether anything was marked dirty (UpdateFrame,
    // UpdateFrameF) or painted (DrawScreen).
    bool UpdateFrame();
    bool UpdateFrameF(double fraction);
    bool DrawScreen();

    // The topmost widget that takes a click at the point, or none.
    [[nodiscard]] Widget* GetWidgetAt(int x, int y);
    // Drops hover, capture, focus and modality references to the widget.
    void DisableWidget(Widget* widget);
    // Delivers a release of every button held on LastDownWidget (left, right,
    // middle) at the last pointer position and forgets the capture.
    void ReleaseDownButtons();
    // Re-evaluates the hover state after the widgets changed under the pointer.
    void RehupMouse();
    // The widget and whatever is painted over it must be repainted.
    void MarkDirty(Widget* widget);
    // The widget and everything its extent touches must be repainted.
    void MarkAllDirty(Widget* widget);

    // Bottom-to-top iteration over the list.
    class Iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = Widget*;
        using difference_type = std::ptrdiff_t;
        using pointer = Widget* const*;
        using reference = Widget* const&;

        Iterator() = default;
        explicit Iterator(Widget* widget) : mWidget(widget) {}
        reference operator*() const { return mWidget; }
        Iterator& operator++();
        Iterator operator++(int)
        {
            Iterator before = *this;
            ++*this;
            return before;
        }
        bool operator==(const Iterator&) const = default;

    private:
        Widget* mWidget = nullptr;
    };
    [[nodiscard]] Iterator begin() const { return Iterator(mFirstWidget); }
    [[nodiscard]] Iterator end() const { return Iterator(); }
    [[nodiscard]] Widget* GetBottomWidget() const { return mFirstWidget; }
    [[nodiscard]] Widget* GetTopWidget() const { return mLastWidget; }

private:
    // A walk over the list that list changes keep valid: when the widget it
    // stands on leaves its place, the walk moves on to what followed it.
    struct Walk {
        Widget* mCurrent = nullptr;
        // The current widget was taken away and mCurrent already moved on.
        bool mMoved = false;
    };
    class WalkScope;

    void LinkAtTop(Widget* widget);
    void Unlink(Widget* widget);
    // a lies below b in the list.
    [[nodiscard]] bool IsBelow(const Widget* a, const Widget* b) const;
    // The widget takes input: listed and not below the base modal widget.
    [[nodiscard]] bool TakesInput(const Widget* widget) const;
    // Drops hover, capture and focus held by widgets below the given one.
    void DropReferencesBelow(Widget* widget);
    // Hover for the stored position: the plain rule, or the drag rule while
    // buttons are held.
    void MousePosition(int x, int y);
    void DragPosition(int x, int y);
    void SetOverWidget(Widget* widget);
    void MarkAboveDirty(Widget* widget);
    void PaintWidget(Graphics& base, Widget* widget);
    // Paints every widget from the walk's position up to (not including) stop.
    void PaintRange(Graphics& g, Widget* from, const Widget* stop, bool all);

    // The list: first is the bottom, last the top.
    Widget* mFirstWidget = nullptr;
    Widget* mLastWidget = nullptr;
    std::size_t mWidgetCount = 0;
    // The walks in progress, innermost last (update passes may nest, as when a
    // modal loop runs inside an update). Room for several is kept from the
    // start, so walks allocate nothing.
    std::vector<Walk> mWalks;
    // UpdateFrameF's own pass counter.
    int mUpdateFCnt = 0;
};

} // namespace Quill
