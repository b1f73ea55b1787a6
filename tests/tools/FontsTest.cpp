#include <gtest/gtest.h>

#include <set>

#include "tests/tools/ContentFiles.h"
#include "tests/tools/FontDescriptor.h"

namespace {

using QuillTest::ContentDataDir;
using QuillTest::FontDescriptor;

const char* const kFonts[] = {"fontBig", "fontMedium", "fontSmall", "fontTiny"};

FontDescriptor Load(const std::string& id)
{
    FontDescriptor font;
    for (const auto& e : QuillTest::ReadManifest(ContentDataDir() / "properties" / "resources.xml"))
        if (e.id == id) {
            EXPECT_TRUE(font.Read(ContentDataDir() / e.path)) << id << ": " << font.Error();
        }
    return font;
}

TEST(FontsTest, EveryFontCoversPrintableAsciiInAnOutlineAndAFaceLayer)
{
    for (const char* id : kFonts) {
        SCOPED_TRACE(id);
        const FontDescriptor font = Load(id);
        ASSERT_GE(font.LayerOrder().size(), 2u);
        // The outline layer is drawn before the face: a lower base order.
        int lowest = 1 << 30;
        int highest = -(1 << 30);
        for (const std::string& name : font.LayerOrder()) {
            const FontDescriptor::Layer& layer = font.LayerNamed(name);
            lowest = std::min(lowest, layer.baseOrder);
            highest = std::max(highest, layer.baseOrder);
            const auto picture = QuillTest::ReadPng(layer.image);
            ASSERT_TRUE(picture.has_value()) << layer.image;
            EXPECT_GT(layer.ascent, 0);
            for (int c = 32; c <= 126; ++c) {
                const FontDescriptor::Rect& r = layer.rects[static_cast<std::size_t>(c)];
                EXPECT_GT(layer.widths[static_cast<std::size_t>(c)], 0) << "width of " << c;
                EXPECT_GE(r.x, 0);
                EXPECT_GE(r.y, 0);
                EXPECT_LE(r.x + r.w, picture->width) << "rectangle of " << c;
                EXPECT_LE(r.y + r.h, picture->height) << "rectangle of " << c;
                if (c == 32)
                    continue;
                // Every visible character has ink in its rectangle.
                int ink = 0;
                for (int y = r.y; y < r.y + r.h && y < picture->height; ++y)
                    for (int x = r.x; x < r.x + r.w && x < picture->width; ++x)
                        ink += picture->Alpha(x, y) > 128;
                EXPECT_GT(ink, 0) << "no ink for " << static_cast<char>(c) << " in " << name;
            }
            // White glyphs with alpha only: at most 256 colours, so the game
            // can keep the picture in palette form.
            std::set<std::uint32_t> colours(picture->pixels.begin(), picture->pixels.end());
            EXPECT_LE(colours.size(), 256u);
        }
        EXPECT_LT(lowest, highest);
    }
}

TEST(FontsTest, KerningPairsComeFromTheFontAndAreSmall)
{
    for (const char* id : kFonts) {
        const FontDescriptor font = Load(id);
        const FontDescriptor::Layer& face = font.LayerNamed("MAIN");
        EXPECT_GT(face.kerning.size(), 10u) << id;
        for (const auto& [pair, k] : face.kerning) {
            EXPECT_LE(std::abs(k), 10) << id << " pair " << pair.first << "," << pair.second;
        }
        // Kerning narrows a string where the pair is kerned.
        const auto& [pair, k] = *face.kerning.begin();
        const std::string two{static_cast<char>(pair.first), static_cast<char>(pair.second)};
        EXPECT_EQ(font.StringWidth(two), face.widths[pair.first] + face.widths[pair.second] + k) << id;
    }
}

TEST(FontsTest, TheGamesTextsFitTheirPlaces)
{
    const FontDescriptor big = Load("fontBig");
    const FontDescriptor medium = Load("fontMedium");
    const FontDescriptor small = Load("fontSmall");
    const FontDescriptor tiny = Load("fontTiny");
    constexpr int kWell = 308;
    for (const char* title : {"Red Bonus", "Orange Bonus", "Yellow Bonus", "Green Bonus", "Light Blue Bonus",
                              "Dark Blue Bonus", "Magenta Bonus", "Game Paused"})
        EXPECT_LE(big.StringWidth(title), kWell - 16) << title;
    for (const char* line : {"Rescue all pets", "Rescue piece columns", "Rescue identical cages",
                             "Rescue identical pets", "Click or press space to continue"})
        EXPECT_LE(tiny.StringWidth(line), kWell - 16) << line;
    for (const char* line : {"Meet cute Cat & Mouse", "Level 12", "Game Over"}) {
        EXPECT_LE(medium.StringWidth(line), kWell - 16) << line;
    }
    // Panel numbers between their label and x 209 (a score of eight digits).
    EXPECT_LE(medium.StringWidth("99999999"), 209 - 100);
    // Dialog headers in their 300-wide dialogs, check box labels from 59 to 277.
    for (const char* header : {"Game Options", "Change Name", "Highscores", "Game Tips"}) {
        EXPECT_LE(medium.StringWidth(header), 300 - 48) << header;
    }
    for (const char* label : {"Instant drop by click", "Increased start speed", "Drop by double click",
                              "Fullscreen", "Music volume:", "Sound volume:"})
        EXPECT_LE(small.StringWidth(label), 277 - 59) << label;
    EXPECT_LE(small.StringWidth("Change player's name"), 400);
    // A 20-character name in the greeting still fits the window.
    EXPECT_LE(medium.StringWidth("Welcome, WWWWWWWWWWWWWWWWWWWW"), 780);
    // Sizes step down from big to tiny.
    EXPECT_GT(big.Ascent(), medium.Ascent());
    EXPECT_GT(medium.Ascent(), small.Ascent());
    EXPECT_GT(small.Ascent(), tiny.Ascent());
    EXPECT_GE(tiny.Ascent(), 9) << "tiny text must stay legible";
}

} // namespace
