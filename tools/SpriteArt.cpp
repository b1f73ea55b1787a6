#include "tools/SpriteArt.h"

#include <array>
#include <cmath>
#include <string>
#include <utility>

#include "tools/Palette.h"
#include "tools/SvgArt.h"

namespace Quill::Content {

namespace {

// Drawing files of the pets, in pet kind order (kind 1 first).
constexpr std::array<const char*, SpriteArt::kPets> kPetFiles = {"cat",  "mouse", "frog",  "pig",
                                                                 "wolf", "bird",  "snake", "alien"};

// A four-pointed star with rounded waist, centred on (cx, cy).
void StarPath(cairo_t* cr, double cx, double cy, double outer, double inner)
{
    cairo_new_path(cr);
    for (int i = 0; i < 8; ++i) {
        const double angle = M_PI / 4.0 * i - M_PI / 2.0;
        const double r = (i % 2 == 0) ? outer : inner;
        const double px = cx + std::cos(angle) * r;
        const double py = cy + std::sin(angle) * r;
        if (i == 0)
            cairo_move_to(cr, px, py);
        else
            cairo_line_to(cr, px, py);
    }
    cairo_close_path(cr);
}

} // namespace

SpriteArt::SpriteArt(std::filesystem::path artFolder) : mArt(std::move(artFolder)) {}

bool SpriteArt::DrawPetFace(const Canvas& target, int kind, double x, double y, double side,
                            bool eyesClosed) const
{
    const SvgArt art(mArt / "pets" / (std::string(kPetFiles[static_cast<std::size_t>(kind - 1)]) + ".svg"));
    return art.Render(target, x, y, side, side, eyesClosed ? "#open{display:none}" : "#closed{display:none}");
}

Canvas SpriteArt::Pets() const
{
    Canvas c(kCell * kPets, kCell * 2);
    for (int row = 0; row < 2; ++row) {
        for (int kind = 1; kind <= kPets; ++kind) {
            const double x = (kind - 1) * kCell;
            const double y = row * kCell;
            // A soft cream tile so every pet reads against any cage colour.
            cairo_new_path(c.Cr());
            c.RoundedRect(x + 1.0, y + 1.0, kCell - 2.0, kCell - 2.0, 6.0);
            c.FillVertical(y + 1.0, Hex(0xfffaf2), y + kCell - 1.0, Hex(0xf9e3cf));
            cairo_new_path(c.Cr());
            (void)DrawPetFace(c, kind, x + 1.5, y + 1.5, kCell - 3.0, row == 1);
        }
    }
    return c;
}

Canvas SpriteArt::PetRow(int side) const
{
    Canvas c(side * kPets, side);
    for (int kind = 1; kind <= kPets; ++kind)
        (void)DrawPetFace(c, kind, (kind - 1) * side, 0.0, side, false);
    return c;
}

Canvas SpriteArt::Cages() const
{
    const auto colours = Palette::Cages();
    Canvas c(kCell * static_cast<int>(colours.size()), kCell);
    cairo_t* cr = c.Cr();
    for (std::size_t k = 0; k < colours.size(); ++k) {
        const double x = static_cast<double>(k) * kCell;
        const Rgba base = colours[k];
        const Rgba light = Mix(base, Hex(0xffffff), 0.5);
        const Rgba dark = Mix(base, Palette::Ink(), 0.35);
        const Rgba outline = Mix(base, Palette::Ink(), 0.7);
        // A glassy tint of the cage colour, clear in the middle where the face is.
        cairo_new_path(cr);
        c.RoundedRect(x + 3.0, 3.0, kCell - 6.0, kCell - 6.0, 4.5);
        c.FillRadial(x + kCell / 2.0, kCell / 2.0, kCell * 0.62, {base.r, base.g, base.b, 0.0},
                     {base.r, base.g, base.b, 0.2});
        // Bars first, so the frame covers their ends; they pass between the eyes.
        for (double bx : {6.5, 14.0, 21.5}) {
            cairo_new_path(cr);
            cairo_rectangle(cr, x + bx - 0.75, 3.0, 1.5, kCell - 6.0);
            c.Fill({outline.r, outline.g, outline.b, 0.35});
            cairo_new_path(cr);
            cairo_rectangle(cr, x + bx - 0.75, 3.0, 0.75, kCell - 6.0);
            c.Fill({light.r, light.g, light.b, 0.6});
        }
        // The frame: a rounded ring, light at the top and deeper at the bottom.
        cairo_new_path(cr);
        cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
        c.RoundedRect(x + 0.5, 0.5, kCell - 1.0, kCell - 1.0, 7.5);
        c.RoundedRect(x + 4.0, 4.0, kCell - 8.0, kCell - 8.0, 3.5);
        cairo_pattern_t* ring = cairo_pattern_create_linear(0.0, 0.0, 0.0, kCell);
        cairo_pattern_add_color_stop_rgb(ring, 0.0, light.r, light.g, light.b);
        cairo_pattern_add_color_stop_rgb(ring, 0.45, base.r, base.g, base.b);
        cairo_pattern_add_color_stop_rgb(ring, 1.0, dark.r, dark.g, dark.b);
        cairo_set_source(cr, ring);
        cairo_fill_preserve(cr);
        cairo_pattern_destroy(ring);
        cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
        cairo_new_path(cr);
        c.RoundedRect(x + 0.75, 0.75, kCell - 1.5, kCell - 1.5, 7.5);
        c.Stroke(outline, 1.3);
        cairo_new_path(cr);
        c.RoundedRect(x + 4.0, 4.0, kCell - 8.0, kCell - 8.0, 3.5);
        c.Stroke({outline.r, outline.g, outline.b, 0.7}, 0.9);
        // A glint on the top left of the frame.
        cairo_new_path(cr);
        cairo_arc(cr, x + 8.0, 8.0, 5.6, M_PI * 1.08, M_PI * 1.42);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        c.Stroke({1.0, 1.0, 1.0, 0.9}, 1.5);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
        cairo_new_path(cr);
    }
    return c;
}

Canvas SpriteArt::Cell() const
{
    Canvas c(kCell, kCell);
    c.RoundedRect(1.5, 1.5, kCell - 3.0, kCell - 3.0, 6.0);
    c.FillVertical(0.0, {1.0, 1.0, 1.0, 0.75}, kCell, {1.0, 1.0, 1.0, 0.45});
    c.Stroke({1.0, 1.0, 1.0, 1.0}, 1.6);
    cairo_new_path(c.Cr());
    c.RoundedRect(5.0, 4.5, kCell - 10.0, 6.0, 3.0);
    c.Fill({1.0, 1.0, 1.0, 0.5});
    cairo_new_path(c.Cr());
    return c;
}

Canvas SpriteArt::Particle() const
{
    Canvas c(kSparkle * kSparkleFrames, kSparkle);
    cairo_t* cr = c.Cr();
    for (int f = 0; f < kSparkleFrames; ++f) {
        const double t = static_cast<double>(f) / (kSparkleFrames - 1);
        const double cx = f * kSparkle + kSparkle / 2.0;
        const double cy = kSparkle / 2.0;
        // Bright and full at birth, shrinking and fading to nothing.
        const double size = 7.5 * (1.0 - 0.65 * t);
        const double alpha = 1.0 - 0.85 * t * t;
        cairo_new_path(cr);
        cairo_arc(cr, cx, cy, size * 0.9, 0.0, 2.0 * M_PI);
        c.FillRadial(cx, cy, size * 0.9, {1.0, 1.0, 1.0, 0.55 * alpha}, {1.0, 1.0, 1.0, 0.0});
        StarPath(cr, cx, cy, size, size * 0.28);
        c.Fill({1.0, 1.0, 1.0, alpha});
        cairo_new_path(cr);
    }
    return c;
}

Canvas SpriteArt::Eyes() const
{
    // Two pupils kEyeSpacing apart; the picture's centre is between them.
    const int w = kEyeSpacing + 12;
    Canvas c(w, 12);
    cairo_t* cr = c.Cr();
    for (double px : {w / 2.0 - kEyeSpacing / 2.0, w / 2.0 + kEyeSpacing / 2.0}) {
        cairo_new_path(cr);
        cairo_arc(cr, px, 6.0, kPupilRadius, 0.0, 2.0 * M_PI);
        c.FillRadial(px - 1.0, 7.0, kPupilRadius + 1.0, Hex(0x6b4632), Hex(0x1e1420));
        cairo_new_path(cr);
        cairo_arc(cr, px + 1.4, 4.4, 1.5, 0.0, 2.0 * M_PI);
        c.Fill({1.0, 1.0, 1.0, 0.95});
    }
    cairo_new_path(cr);
    return c;
}

Canvas SpriteArt::Arrow() const
{
    Canvas c(40, 24);
    cairo_t* cr = c.Cr();
    cairo_new_path(cr);
    cairo_move_to(cr, 2.0, 12.0);
    cairo_line_to(cr, 16.0, 2.0);
    cairo_line_to(cr, 16.0, 8.0);
    cairo_line_to(cr, 36.0, 8.0);
    cairo_curve_to(cr, 39.0, 8.0, 39.0, 16.0, 36.0, 16.0);
    cairo_line_to(cr, 16.0, 16.0);
    cairo_line_to(cr, 16.0, 22.0);
    cairo_close_path(cr);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    c.Stroke({0.85, 0.85, 0.85, 1.0}, 1.5);
    c.FillVertical(2.0, Hex(0xffffff), 22.0, Hex(0xe6e6e6));
    cairo_new_path(cr);
    return c;
}

Canvas SpriteArt::Dot() const
{
    return Canvas(1, 1);
}

Canvas SpriteArt::Dialog() const
{
    // Corners are a third of each side; edges and centre are flat along the
    // direction they are tiled in.
    constexpr int kSide = 96;
    Canvas c(kSide, kSide);
    cairo_t* cr = c.Cr();
    c.RoundedRect(1.0, 1.0, kSide - 2.0, kSide - 2.0, 22.0);
    c.Fill(Palette::Ink());
    cairo_new_path(cr);
    c.RoundedRect(3.5, 3.5, kSide - 7.0, kSide - 7.0, 19.5);
    c.Fill(Palette::PanelLight());
    cairo_new_path(cr);
    c.RoundedRect(6.5, 6.5, kSide - 13.0, kSide - 13.0, 16.5);
    c.Fill(Palette::Panel());
    cairo_new_path(cr);
    c.RoundedRect(10.5, 10.5, kSide - 21.0, kSide - 21.0, 12.5);
    c.Stroke({1.0, 1.0, 1.0, 0.18}, 1.0);
    cairo_new_path(cr);
    return c;
}

Canvas SpriteArt::DialogButton() const
{
    // Used at its own height only, so the gradient runs top to bottom; it is
    // flat from left to right where it is tiled.
    constexpr int kW = 60;
    constexpr int kH = 30;
    Canvas c(kW, kH);
    cairo_t* cr = c.Cr();
    c.RoundedRect(1.0, 1.0, kW - 2.0, kH - 2.0, 9.0);
    c.Fill(Palette::Ink());
    cairo_new_path(cr);
    c.RoundedRect(2.5, 2.5, kW - 5.0, kH - 6.0, 7.5);
    c.FillVertical(2.5, Hex(0xff8fbf), kH - 3.5, Palette::Berry());
    cairo_new_path(cr);
    c.RoundedRect(6.0, 4.0, kW - 12.0, 6.5, 3.25);
    c.Fill({1.0, 1.0, 1.0, 0.28});
    cairo_new_path(cr);
    return c;
}

Canvas SpriteArt::Checkbox() const
{
    constexpr int kSide = 20;
    Canvas c(kSide * 2, kSide);
    cairo_t* cr = c.Cr();
    for (int frame = 0; frame < 2; ++frame) {
        const double x = frame * kSide;
        cairo_new_path(cr);
        c.RoundedRect(x + 1.5, 1.5, kSide - 3.0, kSide - 3.0, 5.0);
        c.FillVertical(1.5, Hex(0xfffdf8), kSide - 1.5, Hex(0xf3e2f0));
        c.Stroke(Palette::Ink(), 2.0);
        if (frame == 1) {
            cairo_new_path(cr);
            cairo_move_to(cr, x + 5.0, 10.5);
            cairo_line_to(cr, x + 8.8, 14.2);
            cairo_line_to(cr, x + 15.5, 5.5);
            cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
            cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
            c.Stroke(Palette::BerryDark(), 3.6);
            c.Stroke(Palette::Berry(), 2.2);
        }
    }
    cairo_new_path(cr);
    return c;
}

Canvas SpriteArt::SliderTrack() const
{
    // Three 20-pixel cels: left end, a middle that tiles, right end.
    constexpr int kCel = 20;
    constexpr int kH = 20;
    Canvas c(kCel * 3, kH);
    cairo_t* cr = c.Cr();
    c.RoundedRect(2.0, 5.0, kCel * 3 - 4.0, 10.0, 5.0);
    c.Fill(Palette::Ink());
    cairo_new_path(cr);
    c.RoundedRect(3.5, 6.5, kCel * 3 - 7.0, 7.0, 3.5);
    c.FillVertical(6.5, Hex(0x3b2350), 13.5, Palette::PanelDark());
    cairo_new_path(cr);
    cairo_rectangle(cr, 5.0, 12.0, kCel * 3 - 10.0, 1.0);
    c.Fill({1.0, 1.0, 1.0, 0.25});
    cairo_new_path(cr);
    return c;
}

Canvas SpriteArt::SliderThumb() const
{
    constexpr int kSide = 20;
    Canvas c(kSide, kSide);
    cairo_t* cr = c.Cr();
    cairo_arc(cr, 10.0, 10.0, 8.6, 0.0, 2.0 * M_PI);
    c.FillRadial(7.5, 6.5, 12.0, Hex(0xfff6fb), Hex(0xff9cc6));
    c.Stroke(Palette::Ink(), 2.0);
    cairo_new_path(cr);
    cairo_arc(cr, 10.0, 10.0, 3.2, 0.0, 2.0 * M_PI);
    c.Fill(Palette::Berry());
    cairo_new_path(cr);
    return c;
}

} // namespace Quill::Content
