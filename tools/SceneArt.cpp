#include "tools/SceneArt.h"

#include <cmath>
#include <cstdint>
#include <random>

#include "tools/Palette.h"
#include "tools/SpriteArt.h"
#include "tools/TypeFace.h"

namespace Quill::Content {

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
// The well of the playfield (inclusive pixel bounds 247..554 and 1..476).
constexpr int kWellX = 247;
constexpr int kWellY = 1;
constexpr int kWellW = 308;
constexpr int kWellH = 476;
constexpr int kCell = 28;
// The side panel's bar troughs and the right edge of its numbers.
constexpr int kTroughX = 30;
constexpr int kLevelTroughY = 163;
constexpr int kComboTroughY = 253;
constexpr int kTroughW = 179;
constexpr int kTroughH = 14;
// The next-piece preview's centre.
constexpr int kNextX = 679;
constexpr int kNextY = 206;
// Playfield buttons: pause/resume at the bottom left, back at the bottom right.
constexpr int kButtonW = 112;
constexpr int kPauseX = 0;
constexpr int kPauseY = 546;
constexpr int kBackX = 688;
// Title screen buttons.
constexpr int kMenuX = 255;
constexpr int kMenuYs[] = {183, 251, 319, 387};
constexpr int kMenuW = 290;
constexpr int kMenuH = 56;
constexpr int kMoreX = 470;
constexpr int kMoreY = 455;
constexpr int kMoreW = 112;
constexpr int kMoreH = 40;
// Eye geometry shared by both characters.
constexpr double kEyeRx = 7.0;
constexpr double kEyeRy = 8.4;

// Deterministic scatter of decorations.
class Scatter {
public:
    explicit Scatter(std::uint32_t seed) : mEngine(seed) {}
    double Next(double lo, double hi)
    {
        return lo + (hi - lo) * (static_cast<double>(mEngine()) / 4294967296.0);
    }

private:
    std::mt19937 mEngine;
};

void Cloud(const Canvas& c, double x, double y, double s)
{
    cairo_t* cr = c.Cr();
    const double blobs[][3] = {{0, 0, 18},  {22, -10, 22}, {46, -2, 17},
                               {62, 6, 12}, {-16, 8, 11},  {28, 8, 16}};
    cairo_new_path(cr);
    for (const auto& b : blobs) {
        cairo_new_sub_path(cr);
        cairo_arc(cr, x + b[0] * s, y + b[1] * s, b[2] * s, 0.0, 2.0 * M_PI);
    }
    c.FillVertical(y - 32 * s, {1, 1, 1, 0.95}, y + 24 * s, Hex(0xfbe8f6, 0.9));
    cairo_new_path(cr);
}

void Flower(const Canvas& c, double x, double y, double r, const Rgba& petal)
{
    cairo_t* cr = c.Cr();
    for (int i = 0; i < 5; ++i) {
        const double a = 2.0 * M_PI * i / 5.0 - M_PI / 2.0;
        cairo_new_path(cr);
        cairo_arc(cr, x + std::cos(a) * r * 0.9, y + std::sin(a) * r * 0.9, r * 0.62, 0.0, 2.0 * M_PI);
        c.Fill(petal);
        c.Stroke({Palette::Ink().r, Palette::Ink().g, Palette::Ink().b, 0.25}, 0.8);
    }
    cairo_new_path(cr);
    cairo_arc(cr, x, y, r * 0.45, 0.0, 2.0 * M_PI);
    c.Fill(Palette::Gold());
    cairo_new_path(cr);
}

void Sparkle(const Canvas& c, double x, double y, double r, double alpha)
{
    cairo_t* cr = c.Cr();
    cairo_new_path(cr);
    cairo_move_to(cr, x, y - r);
    cairo_curve_to(cr, x + r * 0.12, y - r * 0.12, x + r * 0.12, y - r * 0.12, x + r, y);
    cairo_curve_to(cr, x + r * 0.12, y + r * 0.12, x + r * 0.12, y + r * 0.12, x, y + r);
    cairo_curve_to(cr, x - r * 0.12, y + r * 0.12, x - r * 0.12, y + r * 0.12, x - r, y);
    cairo_curve_to(cr, x - r * 0.12, y - r * 0.12, x - r * 0.12, y - r * 0.12, x, y - r);
    cairo_close_path(cr);
    c.Fill({1.0, 1.0, 1.0, alpha});
    cairo_new_path(cr);
}

// A rounded panel with an ink outline and a light inner rim.
void Panel(const Canvas& c, double x, double y, double w, double h, double r)
{
    cairo_t* cr = c.Cr();
    cairo_new_path(cr);
    c.RoundedRect(x + 2, y + 4, w, h, r);
    c.Fill({0.2, 0.1, 0.25, 0.25});
    cairo_new_path(cr);
    c.RoundedRect(x, y, w, h, r);
    c.Fill(Palette::Ink());
    cairo_new_path(cr);
    c.RoundedRect(x + 2.5, y + 2.5, w - 5, h - 5, r - 2.5);
    c.Fill(Palette::PanelLight());
    cairo_new_path(cr);
    c.RoundedRect(x + 5, y + 5, w - 10, h - 10, r - 5);
    c.FillVertical(y, Hex(0x9a6fb8), y + h, Palette::PanelDark());
    cairo_new_path(cr);
}

// A recessed slot the game fills with a bar.
void Trough(const Canvas& c, double x, double y, double w, double h)
{
    cairo_t* cr = c.Cr();
    cairo_new_path(cr);
    c.RoundedRect(x - 2, y - 2, w + 4, h + 4, 4);
    c.Fill(Palette::Ink());
    cairo_new_path(cr);
    cairo_rectangle(cr, x, y, w, h);
    c.FillVertical(y, Hex(0x24142f), y + h, Hex(0x3d2752));
    cairo_new_path(cr);
    cairo_rectangle(cr, x, y + h - 1, w, 1);
    c.Fill({1, 1, 1, 0.12});
    cairo_new_path(cr);
}

// A label in the panels' lettering.
void PanelLabel(const Canvas& c, const TypeFace& face, const std::string& text, double size, double x,
                double baseline, const Rgba& colour)
{
    cairo_t* cr = c.Cr();
    cairo_save(cr);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_new_path(cr);
    face.TextPath(cr, text, size, x, baseline + 1.5);
    c.Stroke({0.15, 0.06, 0.2, 0.5}, 3.5);
    cairo_new_path(cr);
    face.TextPath(cr, text, size, x, baseline);
    c.Stroke(Palette::Ink(), 3.0);
    c.Fill(colour);
    cairo_new_path(cr);
    cairo_restore(cr);
}

struct Kid {
    double eyeX;
    double eyeY;
    double headX;
    double headY;
    double rx;
    double ry;
    Rgba skin;
    Rgba hair;
    Rgba shirt;
    bool girl;
};

const Kid kBoy{SceneArt::kBoyEyeX,
               SceneArt::kBoyEyeY,
               SceneArt::kBoyEyeX,
               SceneArt::kBoyEyeY + 8.0,
               40.0,
               37.0,
               Hex(0xffdcc2),
               Hex(0x8a5636),
               Hex(0x3fb6c6),
               false};
const Kid kGirl{SceneArt::kGirlEyeX,
                SceneArt::kGirlEyeY,
                SceneArt::kGirlEyeX,
                SceneArt::kGirlEyeY + 7.0,
                36.0,
                34.0,
                Hex(0xffe0c9),
                Hex(0xc0603f),
                Hex(0xff7aa8),
                true};

void DrawKid(const Canvas& c, const Kid& k, int lid)
{
    cairo_t* cr = c.Cr();
    const Rgba ink = Palette::Ink();
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    // Shoulders.
    cairo_new_path(cr);
    c.RoundedRect(k.headX - k.rx - 8, k.headY + k.ry - 12, 2 * k.rx + 16, 80, 26);
    c.FillVertical(k.headY + k.ry - 12, Mix(k.shirt, Hex(0xffffff), 0.2), kHeight, Mix(k.shirt, ink, 0.2));
    c.Stroke(ink, 2.5);
    cairo_new_path(cr);
    // Collar.
    cairo_move_to(cr, k.headX - 14, k.headY + k.ry - 6);
    cairo_line_to(cr, k.headX, k.headY + k.ry + 8);
    cairo_line_to(cr, k.headX + 14, k.headY + k.ry - 6);
    c.Stroke(Hex(0xffffff), 4.0);
    cairo_new_path(cr);
    if (k.girl) {
        // Pigtails behind the head.
        for (double side : {-1.0, 1.0}) {
            cairo_new_path(cr);
            cairo_arc(cr, k.headX + side * (k.rx + 5), k.headY + 6, 13, 0, 2 * M_PI);
            c.FillRadial(k.headX + side * (k.rx + 2), k.headY, 18, Mix(k.hair, Hex(0xffffff), 0.2), k.hair);
            c.Stroke(ink, 2.2);
        }
    } else {
        // Ears.
        for (double side : {-1.0, 1.0}) {
            cairo_new_path(cr);
            cairo_arc(cr, k.headX + side * (k.rx - 1), k.eyeY + 6, 7.5, 0, 2 * M_PI);
            c.Fill(k.skin);
            c.Stroke(ink, 2.0);
        }
    }
    // Head.
    cairo_new_path(cr);
    cairo_save(cr);
    cairo_translate(cr, k.headX, k.headY);
    cairo_scale(cr, k.rx, k.ry);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
    c.FillRadial(k.headX - 8, k.headY - 10, k.rx * 1.3, Mix(k.skin, Hex(0xffffff), 0.35), k.skin);
    c.Stroke(ink, 2.5);
    cairo_new_path(cr);
    // Hair: a cap over the top with rounded bangs ending above the eyes.
    const double top = k.headY - k.ry - (k.girl ? 4 : 7);
    const double fringe = k.eyeY - kEyeRy - (k.girl ? 5.5 : 6.5);
    cairo_move_to(cr, k.headX - k.rx - 2, k.headY + 4);
    cairo_curve_to(cr, k.headX - k.rx - 4, top + 4, k.headX - k.rx * 0.5, top, k.headX, top);
    cairo_curve_to(cr, k.headX + k.rx * 0.5, top, k.headX + k.rx + 4, top + 4, k.headX + k.rx + 2,
                   k.headY + 4);
    const int scallops = k.girl ? 5 : 4;
    const double span = 2 * k.rx + 4;
    for (int i = 0; i < scallops; ++i) {
        const double x0 = k.headX + k.rx + 2 - span * i / scallops;
        const double x1 = k.headX + k.rx + 2 - span * (i + 1) / scallops;
        const double side = std::fabs((x0 + x1) / 2 - k.headX) / k.rx;
        const double y = fringe + side * side * (k.headY + 4 - fringe);
        const double yNext = fringe + std::pow(std::fabs(x1 - k.headX) / k.rx, 2.0) * (k.headY + 4 - fringe);
        cairo_curve_to(cr, x0 - 2, y + 5, x1 + 2, y + 5, x1, std::min(yNext, k.headY + 4));
    }
    cairo_close_path(cr);
    c.FillRadial(k.headX - 10, top + 8, k.rx * 1.4, Mix(k.hair, Hex(0xffffff), 0.3), k.hair);
    c.Stroke(ink, 2.5);
    cairo_new_path(cr);
    // A shine on the hair.
    cairo_arc(cr, k.headX - 6, top + 14, 14, M_PI * 1.15, M_PI * 1.55);
    c.Stroke({1, 1, 1, 0.45}, 3.0);
    cairo_new_path(cr);
    if (k.girl) {
        // A bow on the right.
        const double bx = k.headX + 18;
        const double by = top + 6;
        for (double side : {-1.0, 1.0}) {
            cairo_new_path(cr);
            cairo_move_to(cr, bx, by);
            cairo_curve_to(cr, bx + side * 6, by - 14, bx + side * 18, by - 10, bx + side * 16, by);
            cairo_curve_to(cr, bx + side * 18, by + 10, bx + side * 6, by + 12, bx, by);
            c.FillVertical(by - 12, Hex(0xff9cc6), by + 10, Palette::Berry());
            c.Stroke(ink, 2.0);
        }
        cairo_new_path(cr);
        cairo_arc(cr, bx, by, 4.2, 0, 2 * M_PI);
        c.Fill(Palette::Berry());
        c.Stroke(ink, 2.0);
        cairo_new_path(cr);
    } else {
        // A cowlick.
        cairo_move_to(cr, k.headX + 2, top + 1);
        cairo_curve_to(cr, k.headX + 2, top - 10, k.headX + 12, top - 12, k.headX + 14, top - 6);
        c.Stroke(ink, 4.5);
        c.Stroke(k.hair, 2.0);
        cairo_new_path(cr);
    }
    // Cheeks, nose and smile.
    for (double side : {-1.0, 1.0}) {
        cairo_new_path(cr);
        cairo_save(cr);
        cairo_translate(cr, k.eyeX + side * 19, k.eyeY + 11);
        cairo_scale(cr, 6, 3.6);
        cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
        cairo_restore(cr);
        c.Fill(Hex(0xff7a9a, 0.45));
    }
    cairo_new_path(cr);
    cairo_arc(cr, k.eyeX, k.eyeY + 10, 1.6, 0, 2 * M_PI);
    c.Fill(Mix(k.skin, ink, 0.35));
    cairo_new_path(cr);
    cairo_move_to(cr, k.eyeX - 6, k.eyeY + 16);
    cairo_curve_to(cr, k.eyeX - 3, k.eyeY + 21, k.eyeX + 3, k.eyeY + 21, k.eyeX + 6, k.eyeY + 16);
    c.Stroke(ink, 2.0);
    cairo_new_path(cr);
    // Eyes: whites with an outline; pupils and lids only while blinking.
    const double lidFraction[] = {0.0, 0.5, 0.82, 1.0};
    for (double side : {-1.0, 1.0}) {
        const double ex = k.eyeX + side * SpriteArt::kEyeSpacing / 2.0;
        const double ey = k.eyeY;
        auto eyePath = [&](double grow) {
            cairo_new_path(cr);
            cairo_save(cr);
            cairo_translate(cr, ex, ey);
            cairo_scale(cr, kEyeRx + grow, kEyeRy + grow);
            cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
            cairo_restore(cr);
        };
        eyePath(0.0);
        c.Fill(Hex(0xffffff));
        c.Stroke(ink, 1.4);
        cairo_new_path(cr);
        // A lash line over the top of each eye.
        cairo_save(cr);
        cairo_translate(cr, ex, ey);
        cairo_scale(cr, kEyeRx + 0.6, kEyeRy + 0.6);
        cairo_arc(cr, 0, 0, 1, M_PI * 1.08, M_PI * 1.92);
        cairo_restore(cr);
        c.Stroke(ink, 2.6);
        cairo_new_path(cr);
        if (lid == 0)
            continue;
        // Pupils looking straight ahead, as in the game's pupils picture.
        cairo_arc(cr, ex, ey, SpriteArt::kPupilRadius, 0, 2 * M_PI);
        c.FillRadial(ex - 1, ey - 1, SpriteArt::kPupilRadius + 1, Hex(0x5a3a2a), Hex(0x1e1420));
        cairo_new_path(cr);
        const double f = lidFraction[lid];
        const double edge = ey - kEyeRy + f * 2 * kEyeRy;
        if (lid == SceneArt::kBlinkCels) {
            eyePath(1.3);
            c.Fill(k.skin);
            cairo_new_path(cr);
            cairo_move_to(cr, ex - kEyeRx, ey + 0.5);
            cairo_curve_to(cr, ex - 3, ey + 5, ex + 3, ey + 5, ex + kEyeRx, ey + 0.5);
            c.Stroke(ink, 2.0);
            cairo_new_path(cr);
            continue;
        }
        // The upper lid: skin over the top of the eye, a lash line at its edge.
        cairo_save(cr);
        eyePath(1.3);
        cairo_clip(cr);
        cairo_new_path(cr);
        cairo_move_to(cr, ex - kEyeRx - 2, ey - kEyeRy - 2);
        cairo_line_to(cr, ex + kEyeRx + 2, ey - kEyeRy - 2);
        cairo_line_to(cr, ex + kEyeRx + 2, edge);
        cairo_curve_to(cr, ex + 3, edge + 2.5, ex - 3, edge + 2.5, ex - kEyeRx - 2, edge);
        cairo_close_path(cr);
        c.Fill(k.skin);
        cairo_new_path(cr);
        cairo_move_to(cr, ex - kEyeRx - 2, edge);
        cairo_curve_to(cr, ex - 3, edge + 2.5, ex + 3, edge + 2.5, ex + kEyeRx + 2, edge);
        c.Stroke(ink, 2.4);
        cairo_restore(cr);
        cairo_new_path(cr);
    }
}

} // namespace

SceneArt::SceneArt(const SpriteArt& sprites, const TypeFace& display) : mSprites(sprites), mDisplay(display)
{}

void SceneArt::DrawScenery(const Canvas& c, bool title) const
{
    cairo_t* cr = c.Cr();
    // Sky.
    cairo_rectangle(cr, 0, 0, kWidth, kHeight);
    c.FillVertical(0, Palette::SkyTop(), 470, Palette::SkyBottom());
    cairo_new_path(cr);
    // A warm glow in the upper right and soft bokeh.
    cairo_arc(cr, 700, 40, 220, 0, 2 * M_PI);
    c.FillRadial(700, 40, 220, Hex(0xfff4c2, 0.55), Hex(0xfff4c2, 0.0));
    cairo_new_path(cr);
    Scatter scatter(title ? 7u : 11u);
    for (int i = 0; i < 26; ++i) {
        const double x = scatter.Next(0, kWidth);
        const double y = scatter.Next(0, 420);
        const double r = scatter.Next(6, 22);
        cairo_arc(cr, x, y, r, 0, 2 * M_PI);
        c.Fill({1, 1, 1, scatter.Next(0.08, 0.2)});
        cairo_new_path(cr);
    }
    Cloud(c, 70, 40, 1.0);
    Cloud(c, 600, 300, 0.8);
    Cloud(c, 660, 70, 1.15);
    Cloud(c, 120, 330, 0.75);
    if (title)
        Cloud(c, 330, 250, 0.6);
    // Rolling hills: a pale one behind, the meadow in front.
    cairo_move_to(cr, 0, 470);
    cairo_curve_to(cr, 150, 420, 260, 440, 400, 465);
    cairo_curve_to(cr, 540, 490, 660, 410, 800, 440);
    cairo_line_to(cr, 800, 600);
    cairo_line_to(cr, 0, 600);
    cairo_close_path(cr);
    c.FillVertical(420, Hex(0xc8eea0), 600, Hex(0xa5dd7e));
    cairo_new_path(cr);
    cairo_move_to(cr, 0, 520);
    cairo_curve_to(cr, 180, 470, 330, 505, 420, 520);
    cairo_curve_to(cr, 560, 545, 680, 480, 800, 505);
    cairo_line_to(cr, 800, 600);
    cairo_line_to(cr, 0, 600);
    cairo_close_path(cr);
    c.FillVertical(480, Palette::Meadow(), 600, Hex(0x5fb85a));
    c.Stroke({0.25, 0.5, 0.2, 0.35}, 2.0);
    cairo_new_path(cr);
    // Flowers on the meadow, in the colours of the cages.
    const auto petals = Palette::Cages();
    Scatter flowers(title ? 3u : 5u);
    for (int i = 0; i < 34; ++i) {
        const double x = flowers.Next(10, 790);
        const double y = flowers.Next(530, 596);
        // Keep the characters' faces clear.
        if (x > 310 && x < 490)
            continue;
        Flower(c, x, y, flowers.Next(3.5, 6.5),
               Mix(petals[static_cast<std::size_t>(i) % petals.size()], Hex(0xffffff), 0.25));
    }
}

void SceneArt::DrawCagedPet(const Canvas& c, const Canvas& pets, const Canvas& cages, int pet, int cage,
                            double x, double y) const
{
    c.PaintPart(pets, (pet - 1) * kCell, 0, kCell, kCell, x, y);
    c.PaintPart(cages, (cage - 1) * kCell, 0, kCell, kCell, x, y);
}

void SceneArt::DrawCharacters(const Canvas& c, int lid) const
{
    DrawKid(c, kGirl, lid);
    DrawKid(c, kBoy, lid);
}

Canvas SceneArt::GameBackground() const
{
    Canvas c(kWidth, kHeight);
    cairo_t* cr = c.Cr();
    DrawScenery(c, false);

    // The well: a cream frame around a calm, deep playfield with a faint grid.
    cairo_new_path(cr);
    c.RoundedRect(kWellX - 11, -20, kWellW + 22, kWellH + 33, 18);
    c.Fill({0.2, 0.1, 0.25, 0.3});
    cairo_new_path(cr);
    c.RoundedRect(kWellX - 9, -20, kWellW + 18, kWellH + 29, 16);
    c.Fill(Palette::Ink());
    cairo_new_path(cr);
    c.RoundedRect(kWellX - 6.5, -20, kWellW + 13, kWellH + 24, 13.5);
    c.FillVertical(0, Palette::Cream(), kWellH, Hex(0xffe3ef));
    cairo_new_path(cr);
    cairo_rectangle(cr, kWellX - 2, kWellY - 2, kWellW + 4, kWellH + 3);
    c.Fill(Palette::Ink());
    cairo_new_path(cr);
    cairo_rectangle(cr, kWellX, kWellY, kWellW, kWellH);
    c.FillVertical(kWellY, Hex(0x2f2150), kWellY + kWellH, Hex(0x4b2f66));
    cairo_new_path(cr);
    cairo_rectangle(cr, kWellX, kWellY, kWellW, kWellH);
    c.FillRadial(kWellX + kWellW / 2.0, kWellY + kWellH * 0.55, kWellH * 0.6, Hex(0x7a55a8, 0.35),
                 Hex(0x7a55a8, 0.0));
    cairo_new_path(cr);
    for (int col = 1; col < 11; ++col) {
        cairo_rectangle(cr, kWellX + col * kCell, kWellY, 1, kWellH);
        c.Fill({1, 1, 1, 0.045});
        cairo_new_path(cr);
    }
    for (int row = 1; row < 17; ++row) {
        cairo_rectangle(cr, kWellX, kWellY + row * kCell, kWellW, 1);
        c.Fill({1, 1, 1, 0.045});
        cairo_new_path(cr);
    }
    Scatter stars(23u);
    for (int i = 0; i < 18; ++i)
        Sparkle(c, stars.Next(kWellX + 8, kWellX + kWellW - 8), stars.Next(kWellY + 8, kWellY + kWellH - 8),
                stars.Next(2.0, 4.0), stars.Next(0.12, 0.3));

    // Title in the top left.
    mDisplay.DrawLabel(c, "Mewbloom", 38, 121, 62, Hex(0xff9ccc), Palette::Berry(), Palette::Ink(), 3.0);
    Sparkle(c, 40, 30, 7, 0.9);
    Sparkle(c, 205, 70, 5, 0.8);

    // Side panel: level, score and multiplier with the two bar troughs.
    Panel(c, 14, 96, 212, 190, 18);
    const Rgba label = Hex(0xffe7a3);
    PanelLabel(c, mDisplay, "Level", 17, 30, 150, label);
    Trough(c, kTroughX, kLevelTroughY, kTroughW, kTroughH);
    PanelLabel(c, mDisplay, "Score", 17, 30, 210, label);
    PanelLabel(c, mDisplay, "Multiplier", 17, 30, 241, label);
    Trough(c, kTroughX, kComboTroughY, kTroughW, kTroughH);

    // Next piece box.
    Panel(c, kNextX - 84, kNextY - 110, 168, 198, 18);
    const double nameWidth = mDisplay.TextWidth(cr, "Next", 19);
    PanelLabel(c, mDisplay, "Next", 19, kNextX - nameWidth / 2, kNextY - 80, label);
    cairo_new_path(cr);
    c.RoundedRect(kNextX - 70, kNextY - 66, 140, 140, 12);
    c.Fill(Palette::Ink());
    cairo_new_path(cr);
    c.RoundedRect(kNextX - 68, kNextY - 64, 136, 136, 10);
    c.FillVertical(kNextY - 64, Hex(0x2f2150), kNextY + 72, Hex(0x4b2f66));
    cairo_new_path(cr);

    // Pets waiting on the hills, caged, on both sides.
    const Canvas pets = mSprites.Pets();
    const Canvas cages = mSprites.Cages();
    DrawCagedPet(c, pets, cages, 3, 4, 40, 470);
    DrawCagedPet(c, pets, cages, 1, 1, 68, 470);
    DrawCagedPet(c, pets, cages, 2, 1, 68, 442);
    DrawCagedPet(c, pets, cages, 6, 3, 704, 455);
    DrawCagedPet(c, pets, cages, 4, 5, 732, 455);
    DrawCagedPet(c, pets, cages, 5, 5, 732, 427);

    DrawCharacters(c, 0);
    // Resting looks of the playfield buttons.
    c.Paint(GameButton("Pause", false, kPauseX, kPauseY, kHeight - kPauseY), kPauseX, kPauseY);
    c.Paint(GameButton("Menu", false, kBackX, kPauseY, kHeight - kPauseY), kBackX, kPauseY);
    return c;
}

Canvas SceneArt::MenuBackground() const
{
    Canvas c(kWidth, kHeight);
    cairo_t* cr = c.Cr();
    DrawScenery(c, true);

    // Falling caged pets on both sides, as in the game.
    const Canvas pets = mSprites.Pets();
    const Canvas cages = mSprites.Cages();
    const int left[][4] = {{1, 1, 0, 0}, {2, 1, 1, 0}, {3, 1, 1, 1}, {4, 1, 1, 2}};
    for (const auto& p : left)
        DrawCagedPet(c, pets, cages, p[0], p[1], 60 + p[2] * kCell, 300 + p[3] * kCell);
    const int stack[][4] = {{5, 4, 0, 0}, {6, 4, 1, 0}, {7, 4, 2, 0}, {8, 4, 1, -1}};
    for (const auto& p : stack)
        DrawCagedPet(c, pets, cages, p[0], p[1], 640 + p[2] * kCell, 420 + p[3] * kCell);
    const int falling[][4] = {{1, 5, 0, 0}, {3, 5, 1, 0}, {2, 5, 1, 1}, {4, 5, 2, 1}};
    for (const auto& p : falling)
        DrawCagedPet(c, pets, cages, p[0], p[1], 650 + p[2] * kCell, 215 + p[3] * kCell);
    for (int i = 0; i < 5; ++i)
        Sparkle(c, 680 + (i * 13) % 40, 190 - i * 14, 5 - i * 0.6, 0.9 - i * 0.12);
    for (int i = 0; i < 4; ++i)
        Sparkle(c, 96 + (i * 17) % 30, 280 - i * 16, 5 - i * 0.8, 0.85 - i * 0.15);

    // The game's name.
    cairo_save(cr);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    const double size = 66;
    const double w = mDisplay.TextWidth(cr, "Mewbloom", size);
    const double x = 400 - w / 2;
    const double baseline = 96;
    cairo_new_path(cr);
    mDisplay.TextPath(cr, "Mewbloom", size, x + 2, baseline + 5);
    c.Stroke({0.2, 0.08, 0.25, 0.3}, 14);
    cairo_new_path(cr);
    mDisplay.TextPath(cr, "Mewbloom", size, x, baseline);
    c.Stroke(Palette::Ink(), 12);
    c.Stroke(Palette::Cream(), 7);
    cairo_pattern_t* fill = cairo_pattern_create_linear(0, baseline - size * 0.75, 0, baseline);
    cairo_pattern_add_color_stop_rgb(fill, 0.0, 1.0, 0.72, 0.86);
    cairo_pattern_add_color_stop_rgb(fill, 0.55, 0.93, 0.35, 0.6);
    cairo_pattern_add_color_stop_rgb(fill, 1.0, 0.72, 0.2, 0.5);
    cairo_set_source(cr, fill);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(fill);
    cairo_new_path(cr);
    cairo_restore(cr);
    // Cat ears on the first letter and sparkles around the name.
    for (double side : {0.0, 1.0}) {
        const double ex = x + 10 + side * 34;
        cairo_new_path(cr);
        cairo_move_to(cr, ex, baseline - 44);
        cairo_line_to(cr, ex + 7 + side * 4, baseline - 66);
        cairo_line_to(cr, ex + 18, baseline - 46);
        cairo_close_path(cr);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        c.Stroke(Palette::Ink(), 8);
        c.Stroke(Palette::Cream(), 4);
        c.Fill(Hex(0xff9ccc));
    }
    cairo_new_path(cr);
    Sparkle(c, x - 18, baseline - 50, 9, 0.95);
    Sparkle(c, x + w + 16, baseline - 40, 7, 0.9);
    Sparkle(c, x + w - 10, baseline - 64, 5, 0.85);

    // A light banner behind the greeting and the change-name link.
    cairo_new_path(cr);
    c.RoundedRect(190, 114, 420, 64, 22);
    c.Fill(Hex(0xfffaf3, 0.82));
    c.Stroke(Hex(0x4a2a5e, 0.35), 2.0);
    cairo_new_path(cr);

    for (std::size_t i = 0; i < std::size(kMenuYs); ++i) {
        static const char* const kLabels[] = {"Start", "Highscores", "Options", "Exit"};
        c.Paint(MenuButton(kLabels[i], false, kMenuW, kMenuH), kMenuX, kMenuYs[i]);
    }
    c.Paint(MenuButton("more", false, kMoreW, kMoreH), kMoreX, kMoreY);
    DrawCharacters(c, 0);
    return c;
}

Canvas SceneArt::GameButton(const std::string& label, bool lit, int x, int y, int height) const
{
    Canvas c(kButtonW, height);
    cairo_t* cr = c.Cr();
    // The pill keeps its screen place: its top is at screen y 552.
    const double top = 552 - y;
    const double left = 8;
    const double w = kButtonW - 16;
    const double h = 40;
    (void)x;
    cairo_new_path(cr);
    c.RoundedRect(left + 1, top + 3, w, h, h / 2);
    c.Fill({0.2, 0.08, 0.25, 0.3});
    cairo_new_path(cr);
    c.RoundedRect(left, top, w, h, h / 2);
    c.Fill(Palette::Ink());
    cairo_new_path(cr);
    c.RoundedRect(left + 2.5, top + 2.5, w - 5, h - 5, (h - 5) / 2);
    if (lit)
        c.FillVertical(top, Hex(0xff9ccc), top + h, Palette::Berry());
    else
        c.FillVertical(top, Palette::Cream(), top + h, Hex(0xffd7e8));
    cairo_new_path(cr);
    c.RoundedRect(left + 10, top + 5, w - 20, 9, 4.5);
    c.Fill({1, 1, 1, lit ? 0.35 : 0.7});
    cairo_new_path(cr);
    if (lit)
        mDisplay.DrawLabel(c, label, 19, kButtonW / 2.0, top + 27, Hex(0xffffff), Hex(0xfff0f6),
                           Palette::Ink(), 2.0);
    else
        mDisplay.DrawLabel(c, label, 19, kButtonW / 2.0, top + 27, Palette::Berry(), Palette::BerryDark(),
                           Hex(0xffffff), 1.5);
    return c;
}

Canvas SceneArt::MenuButton(const std::string& label, bool lit, int width, int height) const
{
    Canvas c(width, height);
    cairo_t* cr = c.Cr();
    const double w = width - 6;
    const double h = height - 6;
    cairo_new_path(cr);
    c.RoundedRect(4, 5, w, h, h / 2);
    c.Fill({0.2, 0.08, 0.25, 0.3});
    cairo_new_path(cr);
    c.RoundedRect(2, 1, w, h, h / 2);
    c.Fill(Palette::Ink());
    cairo_new_path(cr);
    c.RoundedRect(5, 4, w - 6, h - 6, (h - 6) / 2);
    if (lit)
        c.FillVertical(4, Hex(0xff9ccc), h - 2, Palette::Berry());
    else
        c.FillVertical(4, Palette::Cream(), h - 2, Hex(0xffd7e8));
    cairo_new_path(cr);
    c.RoundedRect(16, 7, w - 30, h * 0.28, h * 0.14);
    c.Fill({1, 1, 1, lit ? 0.35 : 0.75});
    cairo_new_path(cr);
    const double size = height >= 50 ? 27 : 19;
    const double baseline = 1 + h / 2 + size * 0.36;
    if (lit) {
        mDisplay.DrawLabel(c, label, size, 2 + w / 2, baseline, Hex(0xffffff), Hex(0xfff0f6), Palette::Ink(),
                           2.5);
        Sparkle(c, w - 18, 14, 5, 0.95);
        Sparkle(c, 24, h - 8, 3.5, 0.8);
    } else {
        mDisplay.DrawLabel(c, label, size, 2 + w / 2, baseline, Palette::Berry(), Palette::BerryDark(),
                           Hex(0xffffff), 2.0);
    }
    return c;
}

Canvas SceneArt::BlinkStrip(bool boy) const
{
    const int x0 = boy ? kBoyBlinkX : kGirlBlinkX;
    const int y0 = boy ? kBoyBlinkY : kGirlBlinkY;
    const int eyeY = boy ? kBoyEyeY : kGirlEyeY;
    // A cel is centred on the eyes: as wide as twice the distance from its
    // left edge to the eye centre, and as high likewise.
    const int celW = 2 * ((boy ? kBoyEyeX : kGirlEyeX) - x0);
    const int celH = 2 * (eyeY - y0);
    Canvas strip(celW * kBlinkCels, celH);
    for (int cel = 0; cel < kBlinkCels; ++cel) {
        Canvas full(kWidth, kHeight);
        DrawCharacters(full, cel + 1);
        strip.PaintPart(full, x0, y0, celW, celH, cel * celW, 0);
    }
    return strip;
}

} // namespace Quill::Content
