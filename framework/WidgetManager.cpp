#include "framework/WidgetManager.h"

#include <mutex>

#include "framework/CursorWidget.h"
#include "framework/Widget.h"
#include "graphics/Graphics.h"
#include "graphics/ImageRegistry.h"
#include "graphics/MemoryImage.h"
#include "platform/VirtualKeys.h"

namespace Quill {

namespace {

constexpr char32_t CHAR_TAB = U'\t';

// Nested walks the manager makes room for up front, so passes never allocate.
constexpr std::size_t WALK_DEPTH_RESERVE = 8;

// Button bit of a signed click count.
int ButtonBit(int clickCount)
{
    return 1 << DecodeClickCount(clickCount).mButton;
}

// The design's id of the last pressed button: 1 left, -1 right, 2 middle.
int ButtonId(int clickCount)
{
    switch (DecodeClickCount(clickCount).mButton) {
    case MOUSE_BUTTON_RIGHT:
        return -1;
    case MOUSE_BUTTON_MIDDLE:
        return 2;
    default:
        return 1;
    }
}

} // namespace

// Registers a walk for its lifetime, even when a widget's Update throws.
// Walks nest strictly, so the innermost is always the last one.
class WidgetManager::WalkScope {
public:
    WalkScope(WidgetManager& manager, Widget* start) : mManager(manager), mIndex(manager.mWalks.size())
    {
        manager.mWalks.push_back(Walk{start, false});
    }
    ~WalkScope() { mManager.mWalks.pop_back(); }
    WalkScope(const WalkScope&) = delete;
    WalkScope& operator=(const WalkScope&) = delete;

    // The widget to visit, or none at the end.
    [[nodiscard]] Widget* Current() const { return mManager.mWalks[mIndex].mCurrent; }
    // Steps past the widget just visited, unless a list change already did.
    void Advance()
    {
        Walk& walk = mManager.mWalks[mIndex];
        if (walk.mMoved)
            walk.mMoved = false;
        else
            walk.mCurrent = walk.mCurrent->mNextWidget;
    }

private:
    WidgetManager& mManager;
    std::size_t mIndex;
};

WidgetManager::Iterator& WidgetManager::Iterator::operator++()
{
    mWidget = mWidget->mNextWidget;
    return *this;
}

WidgetManager::WidgetManager(QuillAppBase* app) : mApp(app), mCursorWidget(std::make_unique<CursorWidget>())
{
    mWalks.reserve(WALK_DEPTH_RESERVE);
}

WidgetManager::~WidgetManager()
{
    Widget* widget = mFirstWidget;
    while (widget != nullptr) {
        Widget* next = widget->mNextWidget;
        widget->mPrevWidget = nullptr;
        widget->mNextWidget = nullptr;
        widget->mListedIn = nullptr;
        if (widget->mWidgetManager == this)
            widget->mWidgetManager = nullptr;
        widget = next;
    }
    mFirstWidget = nullptr;
    mLastWidget = nullptr;
    mWidgetCount = 0;
}

// ---------------------------------------------------------------- the list

void WidgetManager::LinkAtTop(Widget* widget)
{
    widget->mPrevWidget = mLastWidget;
    widget->mNextWidget = nullptr;
    if (mLastWidget != nullptr)
        mLastWidget->mNextWidget = widget;
    else
        mFirstWidget = widget;
    mLastWidget = widget;
    widget->mListedIn = this;
    ++mWidgetCount;
}

void WidgetManager::Unlink(Widget* widget)
{
    // Walks standing on the widget move on to what followed it.
    for (Walk& walk : mWalks) {
        if (walk.mCurrent == widget) {
            walk.mCurrent = widget->mNextWidget;
            walk.mMoved = true;
        }
    }
    if (widget->mPrevWidget != nullptr)
        widget->mPrevWidget->mNextWidget = widget->mNextWidget;
    else
        mFirstWidget = widget->mNextWidget;
    if (widget->mNextWidget != nullptr)
        widget->mNextWidget->mPrevWidget = widget->mPrevWidget;
    else
        mLastWidget = widget->mPrevWidget;
    widget->mPrevWidget = nullptr;
    widget->mNextWidget = nullptr;
    widget->mListedIn = nullptr;
    --mWidgetCount;
}

bool WidgetManager::HasWidget(const Widget* widget) const
{
    return widget != nullptr && widget->mListedIn == this;
}

bool WidgetManager::IsBelow(const Widget* a, const Widget* b) const
{
    if (!HasWidget(a) || !HasWidget(b))
        return false;
    for (const Widget* w = b->mPrevWidget; w != nullptr; w = w->mPrevWidget) {
        if (w == a)
            return true;
    }
    return false;
}

bool WidgetManager::TakesInput(const Widget* widget) const
{
    return HasWidget(widget) && !IsBelow(widget, mBaseModalWidget);
}

void WidgetManager::AddWidget(Widget* widget)
{
    if (widget == nullptr || HasWidget(widget))
        return;
    if (widget->mListedIn != nullptr)
        widget->mListedIn->RemoveWidget(widget);
    LinkAtTop(widget);
    widget->AddedToManager(this);
    widget->MarkDirty();
    // A widget made modal before it was listed takes effect now.
    if (widget == mBaseModalWidget)
        DropReferencesBelow(widget);
    RehupMouse();
}

void WidgetManager::RemoveWidget(Widget* widget)
{
    if (!HasWidget(widget))
        return;
    MarkAllDirty(widget);
    Unlink(widget);
    DisableWidget(widget);
    // Ctrl+Tab must not reach a widget that has left.
    if (mDefaultTab == widget)
        mDefaultTab = nullptr;
    widget->RemovedFromManager(this);
    // Whatever the widget uncovered under the pointer is hovered now.
    RehupMouse();
}

void WidgetManager::BringToFront(Widget* widget)
{
    if (!HasWidget(widget))
        return;
    if (widget != mLastWidget) {
        Unlink(widget);
        LinkAtTop(widget);
        // It now paints over what used to cover it.
        widget->MarkDirty();
    }
    widget->OrderInManagerChanged();
}

void WidgetManager::AddBaseModal(Widget* widget)
{
    mBaseModalWidget = widget;
    if (widget == nullptr)
        return;
    DropReferencesBelow(widget);
    RehupMouse();
}

void WidgetManager::DropReferencesBelow(Widget* widget)
{
    if (mOverWidget != nullptr && IsBelow(mOverWidget, widget))
        SetOverWidget(nullptr);
    if (mLastDownWidget != nullptr && IsBelow(mLastDownWidget, widget))
        ReleaseDownButtons();
    if (mFocusWidget != nullptr && IsBelow(mFocusWidget, widget)) {
        Widget* focus = mFocusWidget;
        mFocusWidget = nullptr;
        focus->LostFocus();
    }
}

void WidgetManager::SetFocus(Widget* widget)
{
    if (widget == mFocusWidget)
        return;
    // The keyboard cannot be handed to what lies under a modal widget.
    if (widget != nullptr && HasWidget(widget) && !TakesInput(widget))
        return;
    Widget* old = mFocusWidget;
    mFocusWidget = nullptr;
    if (old != nullptr)
        old->LostFocus();
    if (HasWidget(widget)) {
        mFocusWidget = widget;
        if (mHasFocus)
            widget->GotFocus();
    }
}

void WidgetManager::Resize(int width, int height)
{
    if (width != mWidth || height != mHeight)
        mOverlayCache.reset();
    mWidth = width;
    mHeight = height;
}

bool WidgetManager::IsKeyDown(int key) const
{
    return key >= 0 && key < NUM_KEYS && mKeyDown[static_cast<std::size_t>(key)];
}

// ---------------------------------------------------------------- dirty rules

void WidgetManager::MarkAllDirty()
{
    mDirty = true;
    for (Widget* w = mFirstWidget; w != nullptr; w = w->mNextWidget)
        w->mDirty = true;
}

void WidgetManager::MarkDirty(Widget* widget)
{
    mDirty = true;
    if (widget->mDirty)
        return;
    widget->mDirty = true;
    if (widget->mOverlayLayer)
        return;
    if (widget->mHasTransparencies)
        MarkAllDirty(widget);
    else
        MarkAboveDirty(widget);
}

void WidgetManager::MarkAboveDirty(Widget* widget)
{
    // Everything painted over the widget is painted again after it.
    for (Widget* w = widget->mNextWidget; w != nullptr; w = w->mNextWidget) {
        if (w->mVisible && w->Intersects(widget))
            w->MarkDirty();
    }
}

void WidgetManager::MarkAllDirty(Widget* widget)
{
    mDirty = true;
    widget->mDirty = true;
    if (widget->mOverlayLayer)
        return;
    const Rect screen = widget->GetRect().Intersection(Rect(0, 0, mWidth, mHeight));
    const bool coverable = screen.mWidth > 0 && screen.mHeight > 0;
    const int right = screen.mX + screen.mWidth - 1;
    const int bottom = screen.mY + screen.mHeight - 1;
    // Downwards until an opaque widget covers the whole on-screen extent.
    for (Widget* w = widget->mPrevWidget; w != nullptr; w = w->mPrevWidget) {
        if (!w->mVisible)
            continue;
        if (coverable && !w->mHasAlpha && !w->mHasTransparencies && w->Contains(screen.mX, screen.mY) &&
            w->Contains(right, bottom)) {
            w->MarkDirty();
            break;
        }
        if (w->Intersects(widget))
            w->MarkDirty();
    }
    MarkAboveDirty(widget);
}

// ---------------------------------------------------------------- hit testing and hover

Widget* WidgetManager::GetWidgetAt(int x, int y)
{
    for (Widget* w = mLastWidget; w != nullptr; w = w->mPrevWidget) {
        if (w->mVisible && w->mMouseVisible && w->GetInsetRect().Contains(x, y)) {
            // A disabled widget blocks what lies below it.
            if (w->mDisabled)
                return nullptr;
            if (w->IsPointVisible(x - w->mX, y - w->mY))
                return w;
        }
        if (w == mBaseModalWidget)
            break;
    }
    return nullptr;
}

void WidgetManager::SetOverWidget(Widget* widget)
{
    Widget* old = mOverWidget;
    mOverWidget = nullptr;
    if (old != nullptr)
        old->MouseLeave();
    // The leave handler may have taken the new widget away.
    if (widget == nullptr || !HasWidget(widget))
        return;
    mOverWidget = widget;
    widget->MouseEnter();
}

void WidgetManager::MousePosition(int x, int y)
{
    const bool moved = x != mLastMouseX || y != mLastMouseY;
    mLastMouseX = x;
    mLastMouseY = y;
    Widget* hit = GetWidgetAt(x, y);
    if (hit == mOverWidget) {
        if (moved && hit != nullptr)
            hit->MouseMove(x - hit->mX, y - hit->mY);
        return;
    }
    SetOverWidget(hit);
    if (hit != nullptr && mOverWidget == hit)
        hit->MouseMove(x - hit->mX, y - hit->mY);
}

void WidgetManager::DragPosition(int x, int y)
{
    mLastMouseX = x;
    mLastMouseY = y;
    if (mOverWidget != nullptr && mOverWidget != mLastDownWidget)
        SetOverWidget(nullptr);
    // Only the captured widget can be hovered during a drag.
    Widget* captured = mLastDownWidget;
    if (captured != nullptr && GetWidgetAt(x, y) == captured) {
        if (mOverWidget == nullptr)
            SetOverWidget(captured);
    } else {
        SetOverWidget(nullptr);
    }
}

void WidgetManager::RehupMouse()
{
    if (mDownButtons == 0) {
        if (mMouseIn)
            MousePosition(mLastMouseX, mLastMouseY);
        return;
    }
    if (mOverWidget != nullptr && GetWidgetAt(mLastMouseX, mLastMouseY) != mLastDownWidget)
        SetOverWidget(nullptr);
}

// ---------------------------------------------------------------- input

void WidgetManager::MouseMove(int x, int y)
{
    mLastInputUpdateCnt = mUpdateCnt;
    mMouseIn = true;
    if (mDownButtons == 0) {
        MousePosition(x, y);
        return;
    }
    mLastMouseX = x;
    mLastMouseY = y;
    if (mOverWidget != nullptr && mOverWidget != mLastDownWidget)
        SetOverWidget(nullptr);
    if (mLastDownWidget != nullptr)
        mLastDownWidget->MouseDrag(x - mLastDownWidget->mX, y - mLastDownWidget->mY);
    DragPosition(x, y);
}

void WidgetManager::MouseDown(int x, int y, int clickCount)
{
    mLastInputUpdateCnt = mUpdateCnt;
    const int bit = ButtonBit(clickCount);
    mActualDownButtons |= bit;
    // While buttons are held, pressing another must not hover a second widget.
    if (mDownButtons == 0)
        MousePosition(x, y);
    else
        DragPosition(x, y);
    Widget* target = mLastDownWidget != nullptr ? mLastDownWidget : GetWidgetAt(x, y);
    // Buttons pressed over nothing belong to no widget; the new capture owns
    // only what is pressed on it.
    if (target != nullptr && mLastDownWidget == nullptr)
        mDownButtons = 0;
    mLastDownButtonId = ButtonId(clickCount);
    mDownButtons |= bit;
    mLastDownWidget = target;
    if (target == nullptr)
        return;
    if (target->WantsFocus())
        SetFocus(target);
    // A focus handler may have taken the widget away.
    if (mLastDownWidget == target)
        target->MouseDown(x - target->mX, y - target->mY, clickCount);
}

void WidgetManager::MouseUp(int x, int y, int clickCount)
{
    mLastInputUpdateCnt = mUpdateCnt;
    const int bit = ButtonBit(clickCount);
    mActualDownButtons &= ~bit;
    Widget* widget = mLastDownWidget;
    if (widget != nullptr && (mDownButtons & bit) != 0) {
        mDownButtons &= ~bit;
        if (mDownButtons == 0)
            mLastDownWidget = nullptr;
        widget->MouseUp(x - widget->mX, y - widget->mY, clickCount);
    } else {
        mDownButtons &= ~bit;
    }
    if (mDownButtons == 0)
        MousePosition(x, y);
    else
        DragPosition(x, y);
}

void WidgetManager::MouseExit(int /*x*/, int /*y*/)
{
    mLastInputUpdateCnt = mUpdateCnt;
    mMouseIn = false;
    SetOverWidget(nullptr);
}

void WidgetManager::MouseWheel(int delta)
{
    mLastInputUpdateCnt = mUpdateCnt;
    if (mFocusWidget != nullptr)
        mFocusWidget->MouseWheel(delta);
}

void WidgetManager::KeyDown(int key)
{
    mLastInputUpdateCnt = mUpdateCnt;
    if (key >= 0 && key < NUM_KEYS)
        mKeyDown[static_cast<std::size_t>(key)] = true;
    if (mFocusWidget != nullptr)
        mFocusWidget->KeyDown(key);
}

void WidgetManager::KeyUp(int key)
{
    mLastInputUpdateCnt = mUpdateCnt;
    if (key >= 0 && key < NUM_KEYS)
        mKeyDown[static_cast<std::size_t>(key)] = false;
    if (key == Platform::VK_TAB && IsKeyDown(Platform::VK_CONTROL))
        return;
    if (mFocusWidget != nullptr)
        mFocusWidget->KeyUp(key);
}

void WidgetManager::KeyChar(char32_t ch)
{
    mLastInputUpdateCnt = mUpdateCnt;
    if (ch == CHAR_TAB && IsKeyDown(Platform::VK_CONTROL)) {
        // Ctrl+Tab goes to the default widget only, and never past a modal one.
        Widget* target = mDefaultTab;
        if (target != nullptr && !target->mDisabled && TakesInput(target))
            target->KeyChar(CHAR_TAB);
        return;
    }
    if (mFocusWidget != nullptr)
        mFocusWidget->KeyChar(ch);
}

void WidgetManager::GotFocus()
{
    mLastInputUpdateCnt = mUpdateCnt;
    if (mHasFocus)
        return;
    mHasFocus = true;
    if (mFocusWidget != nullptr)
        mFocusWidget->GotFocus();
}

void WidgetManager::LostFocus()
{
    mLastInputUpdateCnt = mUpdateCnt;
    if (!mHasFocus)
        return;
    mActualDownButtons = 0;
    for (int key = 0; key < NUM_KEYS; ++key) {
        if (mKeyDown[static_cast<std::size_t>(key)])
            KeyUp(key);
    }
    mHasFocus = false;
    if (mFocusWidget != nullptr)
        mFocusWidget->LostFocus();
}

void WidgetManager::DisableWidget(Widget* widget)
{
    if (widget == nullptr)
        return;
    if (mOverWidget == widget)
        SetOverWidget(nullptr);
    if (mLastDownWidget == widget)
        ReleaseDownButtons();
    if (mFocusWidget == widget) {
        mFocusWidget = nullptr;
        widget->LostFocus();
    }
    if (mBaseModalWidget == widget)
        mBaseModalWidget = nullptr;
}

void WidgetManager::ReleaseDownButtons()
{
    Widget* widget = mLastDownWidget;
    const int buttons = mDownButtons;
    // Cleared before delivering, so a release handler that removes the widget
    // cannot deliver the releases a second time.
    mLastDownWidget = nullptr;
    mDownButtons = 0;
    if (widget == nullptr)
        return;
    const int x = mLastMouseX - widget->mX;
    const int y = mLastMouseY - widget->mY;
    if ((buttons & MOUSE_BIT_LEFT) != 0)
        widget->MouseUp(x, y, 1);
    if ((buttons & MOUSE_BIT_RIGHT) != 0)
        widget->MouseUp(x, y, -1);
    if ((buttons & MOUSE_BIT_MIDDLE) != 0)
        widget->MouseUp(x, y, 3);
}

// ---------------------------------------------------------------- per tick

bool WidgetManager::UpdateFrame()
{
    ++mUpdateCnt;
    mDirty = false;
    WalkScope walk(*this, mFirstWidget);
    while (Widget* widget = walk.Current()) {
        if (widget->mUpdateMark != mUpdateCnt) {
            widget->mUpdateMark = mUpdateCnt;
            widget->Update();
        }
        walk.Advance();
    }
    return mDirty;
}

bool WidgetManager::UpdateFrameF(double fraction)
{
    ++mUpdateFCnt;
    mDirty = false;
    WalkScope walk(*this, mFirstWidget);
    while (Widget* widget = walk.Current()) {
        if (widget->mUpdateFMark != mUpdateFCnt) {
            widget->mUpdateFMark = mUpdateFCnt;
            widget->UpdateF(fraction);
        }
        walk.Advance();
    }
    return mDirty;
}

void WidgetManager::PaintWidget(Graphics& base, Widget* widget)
{
    Graphics g(base);
    if (widget->mClip)
        g.ClipRect(widget->mX, widget->mY, widget->mWidth, widget->mHeight);
    g.Translate(widget->mX, widget->mY);
    // Cleared first, so a widget asking for another paint while it draws keeps it.
    widget->mDirty = false;
    widget->Draw(g);
}

void WidgetManager::PaintRange(Graphics& g, Widget* from, const Widget* stop, bool all)
{
    WalkScope walk(*this, from);
    while (Widget* widget = walk.Current()) {
        if (widget == stop)
            break;
        if ((all || widget->mDirty) && widget->mVisible)
            PaintWidget(g, widget);
        walk.Advance();
    }
}

bool WidgetManager::DrawScreen()
{
    if (mImage == nullptr)
        return false;
    // Hidden widgets stay dirty until shown; only visible ones call for a paint.
    bool anyDirty = false;
    Widget* firstOverlay = nullptr;
    for (Widget* w = mFirstWidget; w != nullptr; w = w->mNextWidget) {
        if (w->mDirty && w->mVisible)
            anyDirty = true;
        if (w->mOverlayLayer && firstOverlay == nullptr)
            firstOverlay = w;
    }
    const bool hasOverlay = firstOverlay != nullptr;
    const bool overlayChanged = hasOverlay != mLastOverlayState;
    if (!anyDirty && !overlayChanged)
        return false;

    // The display side (the cursor thread's presents) must not read the
    // screen while it is half painted.
    std::unique_lock<std::recursive_mutex> displayLock;
    if (auto* memoryImage = dynamic_cast<MemoryImage*>(mImage);
        memoryImage != nullptr && memoryImage->mRegistry != nullptr)
        displayLock = std::unique_lock<std::recursive_mutex>(memoryImage->mRegistry->GetLock());

    Graphics screen(mImage);
    if (!hasOverlay) {
        PaintRange(screen, mFirstWidget, nullptr, overlayChanged);
    } else {
        bool fresh = false;
        // The screen size, or the screen image's own before the first Resize.
        const bool sized = mWidth > 0 && mHeight > 0;
        const int cacheWidth = sized ? mWidth : mImage->GetWidth();
        const int cacheHeight = sized ? mHeight : mImage->GetHeight();
        if (mOverlayCache == nullptr || mOverlayCache->GetWidth() != cacheWidth ||
            mOverlayCache->GetHeight() != cacheHeight) {
            mOverlayCache = std::make_unique<MemoryImage>();
            mOverlayCache->Create(cacheWidth, cacheHeight);
            fresh = true;
        }
        Graphics cache(mOverlayCache.get());
        PaintRange(cache, mFirstWidget, firstOverlay, overlayChanged || fresh);
        screen.DrawImage(mOverlayCache.get(), 0, 0);
        // The overlay and everything over it are painted afresh on the cache's picture.
        PaintRange(screen, firstOverlay, nullptr, true);
    }
    mLastOverlayState = hasOverlay;
    return true;
}

} // namespace Quill
