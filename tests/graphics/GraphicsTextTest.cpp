// Text through the abstract font: colour escapes, justification, wrapping and
// measuring, with a fixed-width test font that draws each glyph as a block.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"

namespace {

using namespace Quill;

// Every glyph advances 6 pixels and is drawn as a 5 × 8 block above the
// baseline; "V" after "A" kerns 2 pixels closer. Records what it draws.
class BlockFont : public Font {
public:
    static constexpr int kAdvance = 6;

    struct Drawn {
        std::string mText;
        int mX = 0;
        int mY = 0;
        Color mColor;
    };

    BlockFont()
    {
        mAscent = 8;
        mAscentPadding = 1;
        mHeight = 11;
        mLineSpacingOffset = 2;
    }

    int StringWidth(std::string_view text) override
    {
        int w = 0;
        char prev = '\0';
        for (char c : text) {
            w += CharWidthKern(c, prev);
            prev = c;
        }
        return w;
    }
    int CharWidthKern(char ch, char prev) override { return kAdvance - (prev == 'A' && ch == 'V' ? 2 : 0); }
    void DrawString(Graphics* g, int x, int y, std::string_view text, const Color& color,
                    const Rect&) override
    {
        mDrawn.push_back({std::string(text), x, y, color});
        Graphics glyphs(*g);
        glyphs.SetColor(color);
        for (std::size_t i = 0; i < text.size(); ++i)
            glyphs.FillRect(x + static_cast<int>(i) * kAdvance, y - mAscent, kAdvance - 1, mAscent);
    }
    std::unique_ptr<Font> Duplicate() const override { return std::make_unique<BlockFont>(*this); }

    std::vector<Drawn> mDrawn;
};

class GraphicsText : public ::testing::Test {
protected:
    void SetUp() override
    {
        mImage.Create(120, 80);
        mImage.Clear();
        mG = Graphics(&mImage);
        mG.SetFont(&mFont);
        mG.SetColor(Color(10, 20, 30, 100));
    }
    std::vector<std::string> Texts() const
    {
        std::vector<std::string> out;
        for (const auto& d : mFont.mDrawn)
            out.push_back(d.mText);
        return out;
    }

    BlockFont mFont;
    MemoryImage mImage{nullptr};
    Graphics mG{&mImage};
};

TEST_F(GraphicsText, FontMetricsAndDrawingThroughTheContext)
{
    EXPECT_EQ(mFont.GetDescent(), 3);
    EXPECT_EQ(mFont.GetLineSpacing(), 13);
    // Drawn at the translated position and clipped by the context.
    mG.Translate(10, 20);
    mG.ClipRect(0, -20, 8, 100);
    mG.DrawString("ab", 0, 0);
    EXPECT_NE(mImage.GetPixel(10, 12), 0u);
    EXPECT_NE(mImage.GetPixel(17, 19), 0u);
    EXPECT_EQ(mImage.GetPixel(18, 19), 0u); // second glyph clipped at x 18
    EXPECT_EQ(mImage.GetPixel(12, 20), 0u); // below the baseline
    // No font: nothing drawn or measured.
    Graphics bare(&mImage);
    bare.DrawString("abc", 0, 0);
    EXPECT_EQ(bare.DrawStringJustified("abc", 0, 0, 100, -1), 0);
    EXPECT_EQ(bare.DrawStringWrapped(Rect(0, 0, 50, 50), "abc"), 0);
}

TEST_F(GraphicsText, ColourEscapesAndDoubledCarets)
{
    // A red escape, three letters and a doubled caret, with six more characters:
    // the letters and one caret in red.
    EXPECT_EQ(mG.DrawStringJustified("^FF0000^abc^^123456", 5, 30, 0, -1), 10 * 6);
    ASSERT_EQ(mFont.mDrawn.size(), 1u);
    EXPECT_EQ(mFont.mDrawn[0].mText, "abc^123456");
    EXPECT_EQ(mFont.mDrawn[0].mColor, Color(255, 0, 0, 100)); // alpha kept
    EXPECT_EQ(mG.GetColor(), Color(255, 0, 0, 100));          // stays after drawing

    // In the last 7 characters a caret, even a doubled one, ends the text.
    mFont.mDrawn.clear();
    EXPECT_EQ(mG.DrawStringJustified("^00FF00^abc^^", 5, 30, 0, -1), 3 * 6);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"abc"}));
    EXPECT_EQ(mG.DrawStringJustified("xy^00FF00", 5, 30, 0, -1), 2 * 6);

    // Runs between escapes each in their colour, at the width so far; bad digits count 0.
    mFont.mDrawn.clear();
    mG.SetColor(Color(1, 1, 1, 50));
    EXPECT_EQ(mG.DrawStringJustified("ab^00ff00^cd^FFzz1g^e", 5, 30, 0, -1), 5 * 6);
    ASSERT_EQ(mFont.mDrawn.size(), 3u);
    EXPECT_EQ(mFont.mDrawn[0].mColor, Color(1, 1, 1, 50));
    EXPECT_EQ(mFont.mDrawn[1].mText, "cd");
    EXPECT_EQ(mFont.mDrawn[1].mX, 5 + 12);
    EXPECT_EQ(mFont.mDrawn[1].mColor, Color(0, 255, 0, 50));
    EXPECT_EQ(mFont.mDrawn[2].mColor, Color(255, 0, 16, 50));

    // Measuring draws nothing and leaves the colour alone.
    mFont.mDrawn.clear();
    mG.SetColor(Color::Black);
    EXPECT_EQ(mG.DrawStringJustified("^FF0000^abcdefgh", 0, 0, 0, -1, false), 8 * 6);
    EXPECT_TRUE(mFont.mDrawn.empty());
    EXPECT_EQ(mG.GetColor(), Color::Black);

    // With coloured text off every character is drawn as it stands.
    mG.SetWriteColoredString(false);
    EXPECT_EQ(mG.DrawStringJustified("^FF0000^abc^^", 0, 0, 0, -1), 13 * 6);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"^FF0000^abc^^"}));
}

TEST_F(GraphicsText, PartsAndJustification)
{
    // Offset and length pick the part; the escapes inside it apply.
    EXPECT_EQ(mG.DrawStringJustified("xx^FF0000^abcyy", 0, 0, 0, -1, true, 2, 11), 3 * 6);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"abc"}));
    EXPECT_EQ(mG.DrawStringJustified("abc", 0, 0, 0, -1, false, 1, 100), 2 * 6);
    EXPECT_EQ(mG.DrawStringJustified("abc", 0, 0, 0, -1, false, 9, 2), 0);
    // Centred and right-aligned within the width.
    mFont.mDrawn.clear();
    mG.DrawStringJustified("abc", 10, 0, 41, Graphics::JUSTIFY_CENTER);
    mG.DrawStringJustified("abc", 10, 0, 41, Graphics::JUSTIFY_RIGHT);
    mG.DrawStringJustified("abc", 10, 0, 41, Graphics::JUSTIFY_LEFT);
    ASSERT_EQ(mFont.mDrawn.size(), 3u);
    EXPECT_EQ(mFont.mDrawn[0].mX, 10 + (41 - 18) / 2);
    EXPECT_EQ(mFont.mDrawn[1].mX, 10 + 41 - 18);
    EXPECT_EQ(mFont.mDrawn[2].mX, 10);
}

TEST_F(GraphicsText, WrapsAtSpacesAndMeasuresTheHeight)
{
    int widest = -1;
    // 40 pixels hold six glyphs.
    const int height = mG.DrawStringWrapped(Rect(3, 4, 40, 100), "aaa bbb ccc", -1, -1, &widest);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"aaa", "bbb", "ccc"}));
    ASSERT_EQ(mFont.mDrawn.size(), 3u);
    // First baseline at y + ascent − padding; then one line spacing (13) each.
    EXPECT_EQ(mFont.mDrawn[0].mY, 4 + 7);
    EXPECT_EQ(mFont.mDrawn[1].mY, 4 + 20);
    EXPECT_EQ(mFont.mDrawn[2].mY, 4 + 33);
    EXPECT_EQ(mFont.mDrawn[2].mX, 3);
    EXPECT_EQ(height, 33 + 3);
    EXPECT_EQ(widest, 18);
    // One line: ascent − padding + descent.
    EXPECT_EQ(mG.DrawStringWrapped(Rect(0, 0, 40, 0), "ab"), 7 + 3);
    // Measuring agrees and draws nothing; the given spacing replaces the font's.
    mFont.mDrawn.clear();
    int measuredWidest = -1;
    EXPECT_EQ(mG.MeasureWrappedHeight(40, "aaa bbb ccc", -1, &measuredWidest), height);
    EXPECT_EQ(measuredWidest, 18);
    EXPECT_EQ(mG.MeasureWrappedHeight(40, "aaa bbb ccc", 20), 7 + 40 + 3);
    EXPECT_TRUE(mFont.mDrawn.empty());
    // Further spaces after a break are skipped.
    mG.DrawStringWrapped(Rect(0, 0, 40, 100), "aaaaaa   bb");
    EXPECT_EQ(Texts(), (std::vector<std::string>{"aaaaaa", "bb"}));
}

TEST_F(GraphicsText, CutsLongWordsAndBreaksAtLineFeeds)
{
    mG.DrawStringWrapped(Rect(0, 0, 40, 100), "abcdefghij");
    EXPECT_EQ(Texts(), (std::vector<std::string>{"abcdef", "ghij"}));
    // Narrower than one glyph: still one character per line, and it ends.
    mFont.mDrawn.clear();
    mG.DrawStringWrapped(Rect(0, 0, 3, 100), "abc");
    EXPECT_EQ(Texts(), (std::vector<std::string>{"a", "b", "c"}));
    // A line feed breaks at once and keeps the spaces after it.
    mFont.mDrawn.clear();
    const int h = mG.DrawStringWrapped(Rect(0, 0, 100, 100), "ab\n  cd\n");
    EXPECT_EQ(Texts(), (std::vector<std::string>{"ab", "  cd"}));
    EXPECT_EQ(h, 7 + 2 * 13 + 3);
    // Kerned widths count: "AVAV" is 20 pixels, not 24.
    mFont.mDrawn.clear();
    mG.DrawStringWrapped(Rect(0, 0, 20, 100), "AVAVA");
    EXPECT_EQ(Texts(), (std::vector<std::string>{"AVAV", "A"}));
}

TEST_F(GraphicsText, WrappedEscapesHaveNoWidthAndTheColourIsRestored)
{
    const Color entry(7, 8, 9, 200);
    mG.SetColor(entry);
    int widest = 0;
    mG.DrawStringWrapped(Rect(0, 0, 60, 100), "^FF0000^aaaaaaaa ^^bbbbbbb cc", -1, Graphics::JUSTIFY_RIGHT,
                         &widest);
    ASSERT_EQ(mFont.mDrawn.size(), 3u);
    EXPECT_EQ(mFont.mDrawn[0].mText, "aaaaaaaa");
    EXPECT_EQ(mFont.mDrawn[0].mColor, Color(255, 0, 0, 200));
    // The colour carries over to the next line; "^^" is one caret wide.
    EXPECT_EQ(mFont.mDrawn[1].mText, "^bbbbbbb");
    EXPECT_EQ(mFont.mDrawn[1].mColor, Color(255, 0, 0, 200));
    EXPECT_EQ(mFont.mDrawn[1].mX, 60 - 48);
    EXPECT_EQ(mG.GetColor(), entry);
    EXPECT_EQ(widest, 48);
}

} // namespace
