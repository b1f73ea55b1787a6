#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "tests/tools/ContentFiles.h"
#include "tests/tools/FontDescriptor.h"

namespace {

using QuillTest::ContentDataDir;
using QuillTest::Picture;

// Pictures by manifest id, with the manifest's cel grid.
struct Loaded {
    Picture picture;
    int rows = 1;
    int cols = 1;
};

const std::map<std::string, Loaded>& Pictures()
{
    static const std::map<std::string, Loaded> pictures = [] {
        std::map<std::string, Loaded> out;
        for (const auto& e : QuillTest::ReadManifest(ContentDataDir() / "properties" / "resources.xml")) {
            if (e.kind != "Image")
                continue;
            if (auto p = QuillTest::ReadPng(ContentDataDir() / e.path))
                out[e.id] = {*p, e.rows, e.cols};
        }
        return out;
    }();
    return pictures;
}

const Loaded& Get(const std::string& id)
{
    const auto it = Pictures().find(id);
    if (it == Pictures().end()) {
        ADD_FAILURE() << "missing picture " << id;
        static const Loaded empty{};
        return empty;
    }
    return it->second;
}

int Luminance(std::uint32_t p)
{
    return static_cast<int>((((p >> 16) & 0xFF) * 3 + ((p >> 8) & 0xFF) * 6 + (p & 0xFF)) / 10);
}

// Eye-white: every channel bright (skin is bright too, but not in blue).
bool IsWhite(std::uint32_t p)
{
    return ((p >> 16) & 0xFF) > 225 && ((p >> 8) & 0xFF) > 225 && (p & 0xFF) > 225;
}

int ChannelDistance(std::uint32_t a, std::uint32_t b)
{
    int d = 0;
    for (int shift = 0; shift < 32; shift += 8)
        d = std::max(d,
                     std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)));
    return d;
}

TEST(PicturesTest, SizesAndCelGridsAreThoseTheGameIndexes)
{
    struct Expect {
        const char* id;
        int celW; // 0 = any
        int celH;
        int rows;
        int cols; // 0 = at least minCols
        int minCols;
    };
    const Expect expects[] = {
        {"imagePets", 28, 28, 2, 8, 0},      {"imageCages", 28, 28, 1, 0, 5},
        {"imageCell", 28, 28, 1, 1, 0},      {"imageBigPets", 0, 0, 1, 8, 0},
        {"imageSmallPets", 0, 0, 1, 8, 0},   {"imageParticle", 0, 0, 1, 0, 2},
        {"imageGameBgr", 800, 600, 1, 1, 0}, {"imageMenuBgr", 800, 600, 1, 1, 0},
        {"imageBoyBlink", 42, 24, 1, 3, 0},  {"imageGirlBlink", 42, 30, 1, 3, 0},
        {"imageDot", 1, 1, 1, 1, 0},         {"imageSliderTrack", 0, 0, 1, 3, 0},
    };
    for (const Expect& e : expects) {
        const Loaded& l = Get(e.id);
        SCOPED_TRACE(e.id);
        EXPECT_EQ(l.rows, e.rows);
        if (e.cols > 0) {
            EXPECT_EQ(l.cols, e.cols);
        } else {
            EXPECT_GE(l.cols, e.minCols);
        }
        ASSERT_GT(l.cols, 0);
        EXPECT_EQ(l.picture.width % l.cols, 0);
        EXPECT_EQ(l.picture.height % l.rows, 0);
        if (e.celW > 0) {
            EXPECT_EQ(l.picture.width / l.cols, e.celW);
            EXPECT_EQ(l.picture.height / l.rows, e.celH);
        }
    }
    // The blink cels are centred on the eyes: (415, 519) and (341, 527) are
    // their corners, (436, 531) and (362, 542) the eye centres.
    EXPECT_EQ(Get("imageBoyBlink").picture.width / 3, 2 * (436 - 415));
    EXPECT_EQ(Get("imageGirlBlink").picture.height, 2 * (542 - 527));
    EXPECT_EQ(Get("imageDot").picture.Alpha(0, 0), 0);
    EXPECT_EQ(Get("imageCheckbox").picture.width % 2, 0);
}

TEST(PicturesTest, PetsAreDistinctAndBlinkAndCagesShowThem)
{
    const Picture& pets = Get("imagePets").picture;
    const Picture& cages = Get("imageCages").picture;
    ASSERT_EQ(pets.width, 8 * 28);
    auto difference = [](const Picture& a, int ax, int ay, const Picture& b, int bx, int by) {
        int differing = 0;
        for (int y = 0; y < 28; ++y)
            for (int x = 0; x < 28; ++x)
                differing += ChannelDistance(a.At(ax + x, ay + y), b.At(bx + x, by + y)) > 40;
        return differing;
    };
    for (int k = 0; k < 8; ++k) {
        // Closed eyes differ from open ones, but only a little.
        const int blink = difference(pets, k * 28, 0, pets, k * 28, 28);
        EXPECT_GT(blink, 10) << "pet " << k + 1;
        EXPECT_LT(blink, 28 * 28 / 3) << "pet " << k + 1;
        for (int j = k + 1; j < 8; ++j) {
            EXPECT_GT(difference(pets, k * 28, 0, pets, j * 28, 0), 150)
                << "pets " << k + 1 << " and " << j + 1;
        }
    }
    // Each cage kind has its own colour, and leaves the middle (the face) visible.
    const int kinds = cages.width / 28;
    std::vector<std::array<double, 3>> colours;
    for (int k = 0; k < kinds; ++k) {
        std::array<double, 3> sum{};
        double weight = 0.0;
        double middleAlpha = 0.0;
        for (int y = 0; y < 28; ++y) {
            for (int x = 0; x < 28; ++x) {
                const std::uint32_t p = cages.At(k * 28 + x, y);
                const double a = (p >> 24) / 255.0;
                sum[0] += a * ((p >> 16) & 0xFF);
                sum[1] += a * ((p >> 8) & 0xFF);
                sum[2] += a * (p & 0xFF);
                weight += a;
                if (x >= 8 && x < 20 && y >= 8 && y < 20)
                    middleAlpha += a;
            }
        }
        ASSERT_GT(weight, 0.0);
        colours.push_back({sum[0] / weight, sum[1] / weight, sum[2] / weight});
        EXPECT_LT(middleAlpha / 144.0, 0.5) << "cage " << k + 1 << " hides its pet";
    }
    for (std::size_t a = 0; a < colours.size(); ++a)
        for (std::size_t b = a + 1; b < colours.size(); ++b) {
            const double d = std::hypot(colours[a][0] - colours[b][0], colours[a][1] - colours[b][1],
                                        colours[a][2] - colours[b][2]);
            EXPECT_GT(d, 40.0) << "cages " << a + 1 << " and " << b + 1 << " look alike";
        }
}

TEST(PicturesTest, LevelScreenPetsRowFitsItsBoxBetweenTheTexts)
{
    const Picture& big = Get("imageBigPets").picture;
    const Picture& small = Get("imageSmallPets").picture;
    const int B = big.width / 8;
    const int H = big.height;
    const int S = small.width / 8;
    const int h = small.height;
    const int Y = 217 - h / 2;
    const int L = (100 - S) * 4;
    const int D = (B - S) / 2;
    QuillTest::FontDescriptor medium;
    QuillTest::FontDescriptor tiny;
    ASSERT_TRUE(medium.Read(ContentDataDir() / "fonts" / "medium.txt")) << medium.Error();
    ASSERT_TRUE(tiny.Read(ContentDataDir() / "fonts" / "tiny.txt")) << tiny.Error();
    const int meetBottom = 189 + medium.LayerNamed("MAIN").DefaultHeight() - medium.Ascent();
    const int clickTop = 249 - tiny.Ascent();
    // Horizontal extent over every number of pets in play (2 uses two big cels).
    int left = 400 - (B / 2) * 2;
    int right = 400 + B;
    for (int p = 3; p <= 8; ++p) {
        for (int i = 0; i < 8; ++i) {
            const int x = i == p - 1 ? L - D + i * S : i < p - 1 ? L - D + i * S : L + D + i * S;
            const int w = i == p - 1 ? B : S;
            left = std::min(left, x);
            right = std::max(right, x + w);
        }
    }
    EXPECT_GE(left, 246);
    EXPECT_LE(right, 246 + 308);
    const int top = std::min(Y, Y - (H - h) / 2);
    const int bottom = std::max(Y + h, Y - (H - h) / 2 + H);
    EXPECT_GE(top, meetBottom - 4) << "overlaps \"Meet cute %s\"";
    EXPECT_LE(bottom, clickTop) << "overlaps \"Click or press space to continue\"";
}

// For a picture tiled from column a to column b (exclusive), the column after
// the last is the first again: the two must match.
void ExpectSeamlessColumns(const Picture& p, int a, int b, int y0, int y1, const char* what)
{
    for (int y = y0; y < y1; ++y) {
        EXPECT_LE(ChannelDistance(p.At(a, y), p.At(b - 1, y)), 2) << what << " row " << y;
    }
}

void ExpectSeamlessRows(const Picture& p, int a, int b, int x0, int x1, const char* what)
{
    for (int x = x0; x < x1; ++x) {
        EXPECT_LE(ChannelDistance(p.At(x, a), p.At(x, b - 1)), 2) << what << " column " << x;
    }
}

TEST(PicturesTest, NinePartAndThreeCelPicturesTileWithoutSeams)
{
    // Dialog: edges and centre tile both ways; its whole middle band must be
    // flat along the tiling direction.
    const Picture& dialog = Get("imageDialog").picture;
    const int cw = dialog.width / 3;
    const int ch = dialog.height / 3;
    ExpectSeamlessColumns(dialog, cw, dialog.width - cw, 0, dialog.height, "dialog");
    ExpectSeamlessRows(dialog, ch, dialog.height - ch, 0, dialog.width, "dialog");
    // Its centre is opaque, so text is drawn on the panel colour.
    EXPECT_EQ(dialog.Alpha(dialog.width / 2, dialog.height / 2), 255);
    // Dialog buttons are drawn at the picture's own height: they tile across only.
    const Picture& button = Get("imageDialogBtn").picture;
    ExpectSeamlessColumns(button, button.width / 3, button.width - button.width / 3, 0, button.height,
                          "button");
    // Slider track: left end, a middle repeated, right end; all joins match.
    const Picture& track = Get("imageSliderTrack").picture;
    const int cel = track.width / 3;
    ExpectSeamlessColumns(track, cel, 2 * cel, 0, track.height, "track middle");
    for (int y = 0; y < track.height; ++y) {
        EXPECT_LE(ChannelDistance(track.At(cel - 1, y), track.At(2 * cel - 1, y)), 2) << "left join " << y;
        EXPECT_LE(ChannelDistance(track.At(cel, y), track.At(2 * cel, y)), 2) << "right join " << y;
    }
    // The thumb fits in the slider's height (the track's).
    EXPECT_LE(Get("imageSliderThumb").picture.height, track.height);
}

TEST(PicturesTest, TintablePicturesAreWhite)
{
    // Sparkles and the arrow are tinted by the game: white where opaque.
    for (const char* id : {"imageParticle", "imageArrow"}) {
        const Picture& p = Get(id).picture;
        long bright = 0;
        long opaque = 0;
        for (std::uint32_t px : p.pixels) {
            if ((px >> 24) < 128)
                continue;
            ++opaque;
            bright += Luminance(px) > 200;
        }
        ASSERT_GT(opaque, 0) << id;
        EXPECT_GT(static_cast<double>(bright) / opaque, 0.8) << id;
    }
    // A sparkle fades over its life: each cel holds no more light than the one before.
    const Loaded& particle = Get("imageParticle");
    const int w = particle.picture.width / particle.cols;
    long previous = -1;
    for (int c = 0; c < particle.cols; ++c) {
        long sum = 0;
        for (int y = 0; y < particle.picture.height; ++y)
            for (int x = 0; x < w; ++x)
                sum += particle.picture.Alpha(c * w + x, y);
        EXPECT_GT(sum, 0) << "cel " << c;
        if (previous >= 0) {
            EXPECT_LE(sum, previous) << "cel " << c;
        }
        previous = sum;
    }
    // The arrow points left: its leftmost opaque pixel is at the left edge,
    // half-way down.
    const Picture& arrow = Get("imageArrow").picture;
    int tipX = arrow.width;
    int tipY = 0;
    for (int x = 0; x < arrow.width && tipX == arrow.width; ++x)
        for (int y = 0; y < arrow.height; ++y)
            if (arrow.Alpha(x, y) > 128) {
                tipX = x;
                tipY = y;
                break;
            }
    EXPECT_LT(tipX, arrow.width / 6);
    EXPECT_NEAR(tipY, arrow.height / 2, arrow.height / 6);
}

// Pupil centres of imageEyes relative to the picture's centre (as the game
// places it: eye position minus half the size).
std::vector<int> PupilOffsets(const Picture& eyes)
{
    std::vector<int> centres;
    int runStart = -1;
    for (int x = 0; x <= eyes.width; ++x) {
        bool dark = false;
        for (int y = 0; x < eyes.width && y < eyes.height; ++y)
            dark |= eyes.Alpha(x, y) > 200 && Luminance(eyes.At(x, y)) < 90;
        if (dark && runStart < 0)
            runStart = x;
        if (!dark && runStart >= 0) {
            centres.push_back((runStart + x - 1) / 2 - eyes.width / 2);
            runStart = -1;
        }
    }
    return centres;
}

TEST(PicturesTest, CharactersEyesAndBlinksSitWhereTheGameDrawsThem)
{
    const Picture& eyes = Get("imageEyes").picture;
    const std::vector<int> pupils = PupilOffsets(eyes);
    ASSERT_EQ(pupils.size(), 2u) << "one pair of pupils";
    struct Kid {
        int eyeX, eyeY, blinkX, blinkY;
        const char* blink;
    };
    const Kid kids[] = {{436, 531, 415, 519, "imageBoyBlink"}, {362, 542, 341, 527, "imageGirlBlink"}};
    for (const char* bg : {"imageGameBgr", "imageMenuBgr"}) {
        const Picture& back = Get(bg).picture;
        for (const Kid& k : kids) {
            // Eye whites under each pupil, with room for the pupils to look
            // 2 pixels any way.
            for (int dx : pupils)
                for (int oy = -2; oy <= 2; ++oy)
                    for (int ox = -2; ox <= 2; ++ox) {
                        EXPECT_TRUE(IsWhite(back.At(k.eyeX + dx + ox, k.eyeY + oy)))
                            << bg << " eye white at " << k.eyeX + dx + ox << "," << k.eyeY + oy;
                    }
            // The blink cels: closing lids over the whites; the last shuts them.
            const Loaded& blink = Get(k.blink);
            const int celW = blink.picture.width / 3;
            for (int cel = 0; cel < 3; ++cel) {
                int whiteAtPupil = 0;
                for (int dx : pupils)
                    whiteAtPupil +=
                        IsWhite(blink.picture.At(cel * celW + k.eyeX - k.blinkX + dx, k.eyeY - 3 - k.blinkY));
                if (cel == 2) {
                    EXPECT_EQ(whiteAtPupil, 0) << k.blink << " closed cel shows eye whites";
                }
                // Away from the eyes a cel matches the character under it.
                int mismatched = 0;
                for (int y = 0; y < blink.picture.height; ++y)
                    for (int x = 0; x < celW; ++x) {
                        const int sx = k.blinkX + x;
                        const int sy = k.blinkY + y;
                        const bool nearEye = std::abs(sy - k.eyeY) <= 12 &&
                                             std::abs(std::abs(sx - k.eyeX) - std::abs(pupils[1])) <= 10;
                        if (!nearEye && blink.picture.Alpha(cel * celW + x, y) == 255)
                            mismatched +=
                                ChannelDistance(blink.picture.At(cel * celW + x, y), back.At(sx, sy)) > 6;
                    }
                EXPECT_EQ(mismatched, 0) << k.blink << " cel " << cel << " on " << bg;
            }
        }
    }
}

TEST(PicturesTest, PanelTroughsAndButtonsMatchTheirPlaces)
{
    const Picture& game = Get("imageGameBgr").picture;
    // Bar troughs: dark slots exactly 179 x 14 at (30, 163) and (30, 253), so
    // the game's translucent bars read on them; a frame just outside.
    for (int top : {163, 253}) {
        long sum = 0;
        for (int y = top; y < top + 14; ++y)
            for (int x = 30; x < 209; ++x)
                sum += Luminance(game.At(x, y));
        EXPECT_LT(sum / (179 * 14), 90) << "trough at " << top;
        EXPECT_GT(ChannelDistance(game.At(29, top + 7), game.At(30, top + 7)), 10)
            << "trough edge at " << top;
        EXPECT_GT(ChannelDistance(game.At(209, top + 7), game.At(208, top + 7)), 10)
            << "trough edge at " << top;
    }
    // The panel numbers are white, right-aligned to x 209: their place is darker.
    for (int baseline : {150, 210, 241}) {
        long sum = 0;
        for (int y = baseline - 14; y < baseline; ++y)
            for (int x = 150; x < 209; ++x)
                sum += Luminance(game.At(x, y));
        EXPECT_LT(sum / (59 * 14), 150) << "number place at " << baseline;
    }
    // The well is a calm, dark field for the pets.
    long well = 0;
    for (int y = 1; y < 477; y += 4)
        for (int x = 247; x < 555; x += 4)
            well += Luminance(game.At(x, y));
    EXPECT_LT(well / (119 * 77), 110);

    // Lit buttons fit the window at their places and differ from the resting
    // looks painted into the backgrounds; the resume look covers the pause one.
    struct Button {
        const char* id;
        const char* bg;
        int x, y;
    };
    const Button buttons[] = {
        {"imageMenuStart", "imageMenuBgr", 255, 183},   {"imageMenuHighscores", "imageMenuBgr", 255, 251},
        {"imageMenuOptions", "imageMenuBgr", 255, 319}, {"imageMenuExit", "imageMenuBgr", 255, 387},
        {"imageMenuMore", "imageMenuBgr", 470, 455},    {"imageGamePause", "imageGameBgr", 0, 546},
        {"imageGameResume", "imageGameBgr", 0, 545},    {"imageGameResumeOff", "imageGameBgr", 0, 545},
        {"imageGameBack", "imageGameBgr", 688, 546}};
    for (const Button& b : buttons) {
        const Picture& lit = Get(b.id).picture;
        const Picture& back = Get(b.bg).picture;
        EXPECT_LE(b.x + lit.width, 800) << b.id;
        EXPECT_LE(b.y + lit.height, 600) << b.id;
        EXPECT_EQ(lit.Alpha(lit.width / 2, lit.height / 2), 255) << b.id;
        int differing = 0;
        for (int y = 0; y < lit.height; ++y)
            for (int x = 0; x < lit.width; ++x)
                differing +=
                    lit.Alpha(x, y) == 255 && ChannelDistance(lit.At(x, y), back.At(b.x + x, b.y + y)) > 30;
        if (std::string(b.id) != "imageGameResumeOff") {
            EXPECT_GT(differing, lit.width * lit.height / 8) << b.id << " does not light up";
        }
    }
    const Picture& pause = Get("imageGamePause").picture;
    const Picture& resumeOff = Get("imageGameResumeOff").picture;
    for (int y = 0; y < pause.height; ++y)
        for (int x = 0; x < pause.width; ++x)
            if (pause.Alpha(x, y) == 255) {
                EXPECT_EQ(resumeOff.Alpha(x, y + 1), 255) << "pause look shows through at " << x << "," << y;
            }
}

TEST(PicturesTest, OptionsDialogLayoutFromThePictureSizesFitsTheDialog)
{
    // The options dialog (300 x 392, insets 23/20) lays its controls out from
    // the sizes of these pictures; the "Credits" button must end above the
    // footer button, with the check box labels beside their boxes.
    const int track = Get("imageSliderTrack").picture.height;
    const int box = Get("imageCheckbox").picture.height;
    const int button = Get("imageDialogBtn").picture.height;
    const int musicTop = 80;
    const int soundTop = musicTop + track + 32;
    const int firstBox = soundTop + track + 20;
    const int lastBoxBottom = firstBox + 4 * box + 3 * 10;
    const int creditsBottom = lastBoxBottom + 20 + button;
    const int footerTop = 392 - 20 - button;
    EXPECT_LE(creditsBottom + 4, footerTop);
    EXPECT_LE(Get("imageCheckbox").picture.width / 2, 28) << "label starts 32 pixels right of a box";
    // The volume labels stand above their sliders (baseline at top - height + 16).
    EXPECT_LE(16 - track, 0);
}

} // namespace
