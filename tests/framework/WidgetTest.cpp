// Base behaviours of Widget: colours, state changes, text and number drawing.
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/QuillAppBase.h"
#include "framework/WidgetManager.h"
#include "graphics/Font.h"
#include "graphics/MemoryImage.h"
#include "platform/FakeBackend.h"
#include "tests/framework/WidgetProbe.h"

namespace {

using Log = std::vector<std::string>;
using Quill::Color;
using Quill::Rect;
using QuillTest::ProbeWidget;

// Every character is 6 pixels wide; records what it is asked to draw.
class GridFont : public Quill::Font {
public:
    struct Call {
        int mX;
        int mY;
        std::string mText;
        Color mColor;
    };

    GridFont()
    {
        mAscent = 8;
        mHeight = 10;
    }
    int StringWidth(std::string_view text) override { return 6 * static_cast<int>(text.size()); }
    void DrawString(Quill::Graphics* /*g*/, int x, int y, std::string_view text, const Color& color,
                    const Rect& /*clipRect*/) override
    {
        mCalls.push_back({x, y, std::string(text), color});
    }
    std::unique_ptr<Quill::Font> Duplicate() const override { return std::make_unique<GridFont>(*this); }

    std::vector<Call> mCalls;
};

TEST(WidgetTest, ColourTableGrowsWithOpaqueBlackAndMarksDirty)
{
    Quill::WidgetManager manager;
    ProbeWidget w("W", nullptr, 0, 0, 10, 10);
    manager.AddWidget(&w);
    w.mDirty = false;

    w.SetColor(3, Color(1, 2, 3, 4));
    EXPECT_TRUE(w.mDirty);
    ASSERT_EQ(w.mColors.size(), 4u);
    EXPECT_EQ(w.mColors[0], Color::Black);
    EXPECT_EQ(w.GetColor(3), Color(1, 2, 3, 4));
    EXPECT_EQ(w.GetColor(6), Color::Black);
    EXPECT_EQ(w.mColors.size(), 7u);
    w.SetColor(-1, Color::White);
    EXPECT_EQ(w.GetColor(-1), Color::Black);
    EXPECT_EQ(w.mColors.size(), 7u);

    const std::array<std::array<int, 3>, 2> rgb{{{10, 20, 30}, {40, 50, 60}}};
    w.mDirty = false;
    w.SetColors(rgb);
    EXPECT_TRUE(w.mDirty);
    EXPECT_EQ(w.mColors, (std::vector<Color>{Color(10, 20, 30, 255), Color(40, 50, 60, 255)}));
    const std::array<std::array<int, 4>, 1> rgba{{{1, 2, 3, 128}}};
    w.SetColors(rgba);
    EXPECT_EQ(w.mColors, (std::vector<Color>{Color(1, 2, 3, 128)}));
}

TEST(WidgetTest, DisablingDropsHoverCaptureFocusAndModality)
{
    Log log;
    Quill::WidgetManager manager;
    ProbeWidget w("W", &log, 0, 0, 50, 50);
    manager.AddWidget(&w);
    w.mWantsFocus = true;
    manager.AddBaseModal(&w);
    manager.MouseMove(10, 10);
    manager.MouseDown(10, 10, 1);
    manager.MouseDown(10, 10, -1);
    log.clear();

    w.SetDisabled(true);
    EXPECT_EQ(log, (Log{"W leave", "W up 10,10 b0 c1", "W up 10,10 b1 c1", "W lostfocus"}));
    EXPECT_EQ(manager.mBaseModalWidget, nullptr);
    EXPECT_EQ(manager.GetWidgetAt(10, 10), nullptr);
    // Disabling twice changes nothing.
    log.clear();
    w.SetDisabled(true);
    EXPECT_TRUE(log.empty());
}

TEST(WidgetTest, HandCursorFollowsHoverOnlyForFingerWidgets)
{
    Quill::Platform::FakeBackend platform;
    Quill::QuillAppBase app(&platform);
    Quill::WidgetManager manager(&app);
    ProbeWidget finger("F", nullptr, 0, 0, 10, 10);
    finger.mDoFinger = true;
    ProbeWidget plain("P", nullptr, 20, 0, 10, 10);
    manager.AddWidget(&finger);
    manager.AddWidget(&plain);

    manager.MouseMove(5, 5);
    EXPECT_EQ(app.mCursorNum, Quill::CURSOR_HAND);
    manager.MouseMove(6, 6);
    EXPECT_EQ(app.mCursorNum, Quill::CURSOR_HAND);
    manager.MouseMove(25, 5);
    EXPECT_EQ(app.mCursorNum, Quill::CURSOR_POINTER);
    // A widget without the finger leaves the cursor alone.
    app.mCursorNum = Quill::CURSOR_TEXT;
    manager.MouseMove(26, 5);
    manager.MouseExit(26, 5);
    EXPECT_EQ(app.mCursorNum, Quill::CURSOR_TEXT);
    manager.MouseMove(5, 5);
    manager.RemoveWidget(&finger);
    EXPECT_EQ(app.mCursorNum, Quill::CURSOR_POINTER);
}

TEST(WidgetTest, NumberOfDecimalDigits)
{
    ProbeWidget w("W", nullptr);
    EXPECT_EQ(w.GetNumDigits(0), 1);
    EXPECT_EQ(w.GetNumDigits(9), 1);
    EXPECT_EQ(w.GetNumDigits(10), 2);
    EXPECT_EQ(w.GetNumDigits(99999), 5);
    EXPECT_EQ(w.GetNumDigits(100000), 6);
    EXPECT_EQ(w.GetNumDigits(INT_MAX), 10);
    EXPECT_EQ(w.GetNumDigits(-123), 1);
}

class NumberStripTest : public testing::Test {
protected:
    static constexpr int kGlyphWidth = 3;
    static constexpr int kGlyphHeight = 2;

    NumberStripTest() : mStrip(nullptr), mScreen(nullptr)
    {
        mStrip.Create(10 * kGlyphWidth, kGlyphHeight);
        for (int digit = 0; digit < 10; ++digit)
            mStrip.FillRect(Rect(digit * kGlyphWidth, 0, kGlyphWidth, kGlyphHeight), Glyph(digit),
                            Quill::DRAWMODE_NORMAL);
        mScreen.Create(60, 5);
        mScreen.FillRect(Rect(0, 0, 60, 5), Color::Black, Quill::DRAWMODE_NORMAL);
        // Made once the screen has its size: the context takes its clip from it.
        mGraphics = std::make_unique<Quill::Graphics>(&mScreen);
    }
    static Color Glyph(int digit) { return Color(100 + digit, 50, 7 * digit); }
    // The digit shown in the screen column (row 1), or -1 for background.
    int DigitAt(int x) const
    {
        for (int digit = 0; digit < 10; ++digit) {
            if (mScreen.GetPixel(x, 1) == Glyph(digit).ToInt())
                return digit;
        }
        EXPECT_EQ(mScreen.GetPixel(x, 1), Color::Black.ToInt()) << x;
        return -1;
    }
    std::vector<int> Row(int from, int to) const
    {
        std::vector<int> digits;
        for (int x = from; x < to; ++x)
            digits.push_back(DigitAt(x));
        return digits;
    }

    ProbeWidget mWidget{"W", nullptr};
    Quill::MemoryImage mStrip;
    Quill::MemoryImage mScreen;
    std::unique_ptr<Quill::Graphics> mGraphics;
};

TEST_F(NumberStripTest, DigitsAreCutFromTheStripMostSignificantFirst)
{
    mWidget.WriteNumberFromStrip(*mGraphics, 407, 5, 1, &mStrip, 1);
    EXPECT_EQ(Row(4, 18), (std::vector<int>{-1, 4, 4, 4, -1, 0, 0, 0, -1, 7, 7, 7, -1, -1}));
    // Nothing outside the glyph rows.
    EXPECT_EQ(mScreen.GetPixel(5, 0), Color::Black.ToInt());
    EXPECT_EQ(mScreen.GetPixel(5, 3), Color::Black.ToInt());

    // Zero draws one digit; negative numbers draw their magnitude.
    mWidget.WriteNumberFromStrip(*mGraphics, 0, 0, 1, &mStrip, 0);
    EXPECT_EQ(Row(0, 4), (std::vector<int>{0, 0, 0, -1}));
    mWidget.WriteNumberFromStrip(*mGraphics, -52, 10, 1, &mStrip, 0);
    EXPECT_EQ(Row(10, 17), (std::vector<int>{5, 5, 5, 2, 2, 2, -1}));
    mWidget.WriteNumberFromStrip(*mGraphics, INT_MIN, 20, 1, &mStrip, -2);
    // 2147483648 with overlapping glyphs: each column shows the glyph drawn last over it.
    EXPECT_EQ(Row(20, 31), (std::vector<int>{2, 1, 4, 7, 4, 8, 3, 6, 4, 8, 8}));
}

TEST(WidgetTextTest, CenteredLineWithShadowDrawsShadowFirstAndCoversBoth)
{
    Quill::MemoryImage screen(nullptr);
    screen.Create(100, 30);
    Quill::Graphics g(&screen);
    GridFont font;
    ProbeWidget w("W", nullptr, 0, 0, 100, 30);
    const Rect covered =
        w.WriteCenteredLine(g, 2, &font, "abcd", Color(1, 1, 1), Color(2, 2, 2), Quill::Point(2, 3));
    // 24 pixels wide, centred: x 38; baseline centred (10 of 30) plus the shift.
    ASSERT_EQ(font.mCalls.size(), 2u);
    EXPECT_EQ(font.mCalls[0].mColor, Color(2, 2, 2));
    EXPECT_EQ(font.mCalls[0].mX, 40);
    EXPECT_EQ(font.mCalls[0].mY, 23);
    EXPECT_EQ(font.mCalls[1].mColor, Color(1, 1, 1));
    EXPECT_EQ(font.mCalls[1].mX, 38);
    EXPECT_EQ(font.mCalls[1].mY, 20);
    EXPECT_EQ(covered, Rect(38, 12, 26, 13));
    // The caller's context keeps its own font and colour.
    EXPECT_EQ(g.GetFont(), nullptr);

    font.mCalls.clear();
    g.SetFont(&font);
    EXPECT_EQ(w.WriteCenteredLine(g, 15, "abcdefgh"), Rect(26, 7, 48, 10));
    ASSERT_EQ(font.mCalls.size(), 1u);
    EXPECT_EQ(font.mCalls[0].mX, 26);
    EXPECT_EQ(font.mCalls[0].mY, 15);
}

TEST(WidgetTextTest, ColourEscapesFollowTheProcessWideSwitch)
{
    Quill::MemoryImage screen(nullptr);
    screen.Create(100, 30);
    Quill::Graphics g(&screen);
    GridFont font;
    g.SetFont(&font);
    g.SetWriteColoredString(false);
    ProbeWidget w("W", nullptr, 0, 0, 100, 30);
    const std::string text = "^FF0000^ab";

    Quill::Widget::sColoredText = true;
    EXPECT_EQ(w.WriteString(g, text, 0, 10, 100, Quill::Graphics::JUSTIFY_LEFT, false, 0, -1), 12);
    EXPECT_FALSE(g.GetWriteColoredString());
    w.WriteString(g, text, 0, 10, 100, Quill::Graphics::JUSTIFY_LEFT, true, 0, -1);
    ASSERT_FALSE(font.mCalls.empty());
    EXPECT_EQ(font.mCalls.back().mText, "ab");
    EXPECT_EQ(font.mCalls.back().mColor, Color(255, 0, 0));

    Quill::Widget::sColoredText = false;
    font.mCalls.clear();
    g.SetColor(Color::Black);
    EXPECT_EQ(w.WriteString(g, text, 0, 10, 100, Quill::Graphics::JUSTIFY_LEFT, true, 0, -1), 60);
    ASSERT_EQ(font.mCalls.size(), 1u);
    EXPECT_EQ(font.mCalls[0].mText, text);
    EXPECT_EQ(font.mCalls[0].mColor, Color::Black);
    Quill::Widget::sColoredText = true;
}

} // namespace
