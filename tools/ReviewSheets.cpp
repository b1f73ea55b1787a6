#include "tools/ReviewSheets.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "tools/BakedFont.h"
#include "tools/Canvas.h"
#include "tools/TypeFace.h"

namespace Quill::Content {

namespace {

// Where the game draws things (the board, the panel and the title screen).
constexpr int kWellLeft = 247;
constexpr int kWellTop = 1;
constexpr int kCell = 28;
constexpr int kBoyEyeX = 436;
constexpr int kBoyEyeY = 531;
constexpr int kGirlEyeX = 362;
constexpr int kGirlEyeY = 542;
constexpr int kPanelRight = 209;

// Every picture of the data folder, in the order of the contact sheet.
const char* const kSheetOrder[] = {
    "pets",           "cages",       "cell",      "bigpets",    "smallpets",     "particle",  "eyes",
    "boyblink",       "girlblink",   "arrow",     "dot",        "dialog",        "dialogbtn", "checkbox",
    "slidertrack",    "sliderthumb", "gamepause", "gameresume", "gameresumeoff", "gameback",  "menustart",
    "menuhighscores", "menuoptions", "menuexit",  "menumore",   "gamebgr",       "menubgr",
};

// Draws a picture tinted by a colour, as the game's colourised drawing does:
// each channel multiplied, alpha scaled.
void DrawTinted(const Canvas& target, const Canvas& source, int sx, int sy, int sw, int sh, double x,
                double y, const Rgba& tint, double dw = -1.0, double dh = -1.0)
{
    cairo_t* cr = target.Cr();
    Canvas part(sw, sh);
    part.PaintPart(source, sx, sy, sw, sh, 0.0, 0.0);
    if (tint.r != 1.0 || tint.g != 1.0 || tint.b != 1.0) {
        cairo_save(part.Cr());
        cairo_set_operator(part.Cr(), CAIRO_OPERATOR_MULTIPLY);
        cairo_set_source_rgb(part.Cr(), tint.r, tint.g, tint.b);
        cairo_mask_surface(part.Cr(), part.Surface(), 0.0, 0.0);
        cairo_restore(part.Cr());
    }
    cairo_save(cr);
    cairo_translate(cr, x, y);
    if (dw > 0.0 && dh > 0.0)
        cairo_scale(cr, dw / sw, dh / sh);
    cairo_set_source_surface(cr, part.Surface(), 0.0, 0.0);
    cairo_paint_with_alpha(cr, tint.a);
    cairo_restore(cr);
}

void FillRect(const Canvas& target, int x, int y, int w, int h, int r, int g, int b, int a)
{
    cairo_new_path(target.Cr());
    cairo_rectangle(target.Cr(), x, y, w, h);
    target.Fill({r / 255.0, g / 255.0, b / 255.0, a / 255.0});
    cairo_new_path(target.Cr());
}

// A nine-part picture drawn as the game's box drawing does: corners as they
// are, edges and centre tiled (never stretched).
void DrawBox(const Canvas& target, const Canvas& image, int x, int y, int w, int h)
{
    const int cw = image.Width() / 3;
    const int ch = image.Height() / 3;
    const int mw = image.Width() - 2 * cw;
    const int mh = image.Height() - 2 * ch;
    cairo_t* cr = target.Cr();
    auto piece = [&](int sx, int sy, int sw, int sh, int dx, int dy, int clipX, int clipY, int clipW,
                     int clipH) {
        cairo_save(cr);
        cairo_rectangle(cr, clipX, clipY, clipW, clipH);
        cairo_clip(cr);
        target.PaintPart(image, sx, sy, sw, sh, dx, dy);
        cairo_restore(cr);
    };
    for (int ty = 0; ty * mh < h - 2 * ch; ++ty) {
        for (int tx = 0; tx * mw < w - 2 * cw; ++tx)
            piece(cw, ch, mw, mh, x + cw + tx * mw, y + ch + ty * mh, x + cw, y + ch, w - 2 * cw, h - 2 * ch);
        piece(0, ch, cw, mh, x, y + ch + ty * mh, x, y + ch, w, h - 2 * ch);
        piece(cw + mw, ch, cw, mh, x + w - cw, y + ch + ty * mh, x, y + ch, w, h - 2 * ch);
    }
    for (int tx = 0; tx * mw < w - 2 * cw; ++tx) {
        piece(cw, 0, mw, ch, x + cw + tx * mw, y, x + cw, y, w - 2 * cw, h);
        piece(cw, ch + mh, mw, ch, x + cw + tx * mw, y + h - ch, x + cw, y, w - 2 * cw, h);
    }
    target.PaintPart(image, 0, 0, cw, ch, x, y);
    target.PaintPart(image, cw + mw, 0, cw, ch, x + w - cw, y);
    target.PaintPart(image, 0, ch + mh, cw, ch, x, y + h - ch);
    target.PaintPart(image, cw + mw, ch + mh, cw, ch, x + w - cw, y + h - ch);
}

} // namespace

ReviewSheets::ReviewSheets(std::filesystem::path dataFolder, const TypeFace& labelFace, const BakedFont& big,
                           const BakedFont& medium, const BakedFont& small, const BakedFont& tiny)
    : mData(std::move(dataFolder)), mLabelFace(labelFace), mBig(big), mMedium(medium), mSmall(small),
      mTiny(tiny)
{}

bool ReviewSheets::ContactSheet(const std::filesystem::path& file) const
{
    constexpr int kWidth = 1720;
    constexpr int kMargin = 16;
    constexpr int kLabel = 22;
    std::vector<std::pair<std::string, Canvas>> pictures;
    for (const char* name : kSheetOrder)
        pictures.emplace_back(name, Canvas(mData / "images" / (std::string(name) + ".png")));
    for (const char* font : {"big", "medium", "small", "tiny"})
        pictures.emplace_back(std::string("font ") + font,
                              Canvas(mData / "fonts" / (std::string(font) + ".png")));

    // Lay the pictures out in rows, each at twice its size.
    struct Place {
        int x;
        int y;
        int w;
        int h;
    };
    std::vector<Place> places;
    int x = kMargin;
    int y = kMargin;
    int rowHeight = 0;
    for (const auto& [name, canvas] : pictures) {
        int w = canvas.Width() * 2;
        int h = canvas.Height() * 2;
        // Font strips are long: show them at 1x, wrapped onto the sheet.
        if (name.rfind("font", 0) == 0) {
            w = kWidth - 2 * kMargin;
            h = (canvas.Width() / w + 1) * (canvas.Height() + 4);
        }
        if (x + w > kWidth - kMargin) {
            x = kMargin;
            y += rowHeight + kLabel + kMargin;
            rowHeight = 0;
        }
        places.push_back({x, y + kLabel, w, h});
        x += std::max(w, 120) + kMargin;
        rowHeight = std::max(rowHeight, h);
    }
    const int height = y + rowHeight + kLabel + kMargin;
    Canvas sheet(kWidth, height);
    cairo_t* cr = sheet.Cr();
    cairo_rectangle(cr, 0, 0, kWidth, height);
    sheet.Fill(Hex(0x2a2433));
    cairo_new_path(cr);
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        const auto& [name, canvas] = pictures[i];
        const Place& p = places[i];
        // A checkerboard shows the transparent parts.
        for (int cy = 0; cy < p.h; cy += 8) {
            for (int cx = 0; cx < p.w; cx += 8) {
                cairo_rectangle(cr, p.x + cx, p.y + cy, std::min(8, p.w - cx), std::min(8, p.h - cy));
                sheet.Fill(((cx / 8 + cy / 8) % 2) ? Hex(0x8a8a96) : Hex(0x6e6e7a));
                cairo_new_path(cr);
            }
        }
        if (name.rfind("font", 0) == 0) {
            const int strip = p.w;
            for (int sx = 0, row = 0; sx < canvas.Width(); sx += strip, ++row)
                sheet.PaintPart(canvas, sx, 0, std::min(strip, canvas.Width() - sx), canvas.Height(), p.x,
                                p.y + row * (canvas.Height() + 4));
        } else {
            cairo_save(cr);
            cairo_translate(cr, p.x, p.y);
            cairo_scale(cr, 2.0, 2.0);
            cairo_set_source_surface(cr, canvas.Surface(), 0, 0);
            cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
            cairo_paint(cr);
            cairo_restore(cr);
        }
        const std::string label =
            name + "  " + std::to_string(canvas.Width()) + " x " + std::to_string(canvas.Height());
        cairo_new_path(cr);
        mLabelFace.TextPath(cr, label, 13.0, p.x, p.y - 6);
        sheet.Fill(Hex(0xf0e8ff));
        cairo_new_path(cr);
    }
    return sheet.SavePng(file);
}

bool ReviewSheets::TitleScreen(const std::filesystem::path& file) const
{
    Canvas screen(800, 600);
    cairo_rectangle(screen.Cr(), 0, 0, 800, 600);
    screen.Fill(Hex(0xffffff));
    cairo_new_path(screen.Cr());
    screen.Paint(Canvas(mData / "images" / "menubgr.png"), 0, 0);
    const Canvas eyes(mData / "images" / "eyes.png");
    // The characters look towards the Start button.
    screen.Paint(eyes, kBoyEyeX - 1 - eyes.Width() / 2, kBoyEyeY - 2 - eyes.Height() / 2);
    screen.Paint(eyes, kGirlEyeX + 1 - eyes.Width() / 2, kGirlEyeY - 2 - eyes.Height() / 2);
    // The pointer rests on Start: its lit look.
    screen.Paint(Canvas(mData / "images" / "menustart.png"), 255, 183);
    mMedium.Draw(screen, "Welcome, Guest", 0, 140, Hex(0x000000), 800, 0);
    // The change-name link, as the hyperlink control draws it.
    const std::string link = "Change player's name";
    const int w = mSmall.StringWidth(link);
    const int h = mSmall.CellHeight() - mSmall.Padding() + 4;
    const int baseline = 150 + (h + mSmall.Ascent()) / 2 - 1;
    mSmall.Draw(screen, link, 400 - w / 2, baseline, Hex(0x0051d8));
    FillRect(screen, 400 - w / 2, baseline + 3, w, 1, 0, 81, 216, 255);
    return screen.SavePng(file);
}

bool ReviewSheets::GameScreen(const std::filesystem::path& file) const
{
    const Canvas pets(mData / "images" / "pets.png");
    const Canvas cages(mData / "images" / "cages.png");
    const Canvas cell(mData / "images" / "cell.png");
    const Canvas particle(mData / "images" / "particle.png");
    const Canvas eyes(mData / "images" / "eyes.png");
    const int cageKinds = cages.Width() / kCell;
    const int sparkle = particle.Height();

    Canvas screen(800, 600);
    screen.Paint(Canvas(mData / "images" / "gamebgr.png"), 0, 0);
    screen.Paint(eyes, kBoyEyeX + 1 - eyes.Width() / 2, kBoyEyeY - 2 - eyes.Height() / 2);
    const Canvas girlBlink(mData / "images" / "girlblink.png");
    // The girl is blinking (cel 1 of her strip).
    screen.PaintPart(girlBlink, girlBlink.Width() / 3, 0, girlBlink.Width() / 3, girlBlink.Height(), 341,
                     527);

    auto drawPet = [&](int row, int col, int pet, int cage, bool closed, double alpha) {
        const int x = kWellLeft + kCell * col;
        const int y = kWellTop + kCell * row;
        DrawTinted(screen, pets, (pet - 1) * kCell, closed ? kCell : 0, kCell, kCell, x, y, {1, 1, 1, alpha});
        DrawTinted(screen, cages, ((cage - 1) % cageKinds) * kCell, 0, kCell, kCell, x, y, {1, 1, 1, alpha});
    };
    // The landed stack: rows 12 to 16, a few holes.
    const char* stack[] = {
        "...........", "......56...", "1.22..55.44", "11223.3.344", "6112333.444",
    };
    int petSeed = 7;
    for (int r = 0; r < 5; ++r) {
        for (int c = 0; c < 11; ++c) {
            const char ch = stack[r][c];
            if (ch == '.')
                continue;
            petSeed = (petSeed * 37 + 11) % 97;
            drawPet(12 + r, c, 1 + petSeed % 4, ch - '0', (r + c) % 9 == 4, 1.0);
        }
    }
    // A row in the middle of its rescue animation (t = 0.4).
    {
        const double t = 0.4;
        for (int c = 0; c < 11; ++c) {
            if (c == 7)
                continue;
            const int x = kWellLeft + kCell * c;
            const int y = kWellTop + kCell * 11;
            const double alpha = (255 - std::trunc(t * t * 255)) / 255.0;
            const int x2 = static_cast<int>(std::trunc((x - 400) * t * 0.3 + x));
            const int y2 = static_cast<int>(std::trunc(t * t * 14 + y));
            const int pet = 1 + (c * 5) % 4;
            DrawTinted(screen, pets, (pet - 1) * kCell, 0, kCell, kCell, x2, y2, {1, 1, 1, alpha});
            const int h = kCell - static_cast<int>(std::trunc((1 - (1 - t) * (1 - t)) * 27));
            DrawTinted(screen, cages, 4 * kCell, 0, kCell, kCell, x2, y2, {1, 1, 1, alpha}, kCell, h);
        }
    }
    // The falling bonus piece (a T of cage kind 3) over its landing shadow.
    const int piece[4][2] = {{5, 4}, {5, 5}, {5, 6}, {6, 5}};
    const int landRow = 9;
    for (const auto& cellPos : piece)
        DrawTinted(screen, cell, 0, 0, kCell, kCell, kWellLeft + kCell * cellPos[1],
                   kWellTop + kCell * (cellPos[0] + landRow - 5), {1, 1, 1, 96 / 255.0});
    int pet = 1;
    for (const auto& cellPos : piece)
        drawPet(cellPos[0], cellPos[1], pet++, 3, false, 1.0);
    // Its sparkle trail.
    for (int i = 0; i < 14; ++i) {
        const int frame = i % 8;
        DrawTinted(screen, particle, frame * sparkle, 0, sparkle, sparkle, 360 + (i * 23) % 60,
                   120 + (i * 37) % 70, {1.0, 1.0, 0.0, 224 / 255.0});
    }
    // The bonus banner.
    FillRect(screen, 246, 16, 308, 56, 0, 0, 0, 64);
    mBig.Draw(screen, "Yellow Bonus", 0, 48, {1.0, 1.0, 0.0, 1.0}, 800, 0);
    mTiny.Draw(screen, "Rescue two lines", 0, 64, Hex(0xffffff), 800, 0);
    // The panel: level, score and multiplier, and the two bars.
    mMedium.Draw(screen, "3", 0, 150, Hex(0xffffff), kPanelRight, 1);
    mMedium.Draw(screen, "12840", 0, 210, Hex(0xffffff), kPanelRight, 1);
    mMedium.Draw(screen, "2", 0, 241, Hex(0xffffff), kPanelRight, 1);
    FillRect(screen, 30, 163, 179 * 62 / 140, 14, 255, 221, 127, 127);
    FillRect(screen, 30, 253, 60, 14, 255, 221, 127, 127);
    // The next piece, an L of three, centred on the preview's point.
    const int next[4][2] = {{0, 2}, {1, 0}, {1, 1}, {1, 2}};
    const int n = 3;
    for (const auto& p : next)
        screen.Paint(cell, 679 - (n * kCell) / 2 + kCell * p[1], 206 - (n * kCell) / 2 + kCell * p[0]);
    return screen.SavePng(file);
}

bool ReviewSheets::DialogScreen(const std::filesystem::path& file) const
{
    const std::filesystem::path images = mData / "images";
    const Canvas dialog(images / "dialog.png");
    const Canvas button(images / "dialogbtn.png");
    const Canvas track(images / "slidertrack.png");
    const Canvas thumb(images / "sliderthumb.png");
    const Canvas checkbox(images / "checkbox.png");
    Canvas screen(800, 600);
    screen.Paint(Canvas(images / "menubgr.png"), 0, 0);
    FillRect(screen, 0, 0, 800, 600, 0, 0, 0, 60);

    // The options dialog, 300 x 392, centred; insets 23, 20, 23, 20.
    const int dx = 40;
    const int dy = 104;
    const int dw = 300;
    const int dh = 392;
    DrawBox(screen, dialog, dx, dy, dw, dh);
    mMedium.Draw(screen, "Game Options", dx, dy + 20 + mMedium.Ascent(), Hex(0xffffff), dw, 0);
    const int sliderX = dx + 23;
    const int sliderW = dw - 46;
    const int sliderH = track.Height();
    const int cel = track.Width() / 3;
    const double values[] = {0.75, 0.25};
    int sliderY = dy + 80;
    int bottom = 0;
    for (int s = 0; s < 2; ++s) {
        mSmall.Draw(screen, s == 0 ? "Music volume:" : "Sound volume:", sliderX, sliderY - sliderH + 16,
                    Hex(0xffffff));
        screen.PaintPart(track, 0, 0, cel, sliderH, sliderX, sliderY);
        for (int x = sliderX + cel; x < sliderX + sliderW - cel; x += cel)
            screen.PaintPart(track, cel, 0, std::min(cel, sliderX + sliderW - cel - x), sliderH, x, sliderY);
        screen.PaintPart(track, 2 * cel, 0, cel, sliderH, sliderX + sliderW - cel, sliderY);
        screen.Paint(thumb, sliderX + static_cast<int>(values[s] * (sliderW - thumb.Width())),
                     sliderY + (sliderH - thumb.Height()) / 2);
        bottom = sliderY + sliderH;
        sliderY = bottom + 32;
    }
    const char* labels[] = {"Instant drop by click", "Increased start speed", "Drop by double click",
                            "Fullscreen"};
    const int box = checkbox.Width() / 2;
    int boxY = bottom + 20;
    for (int i = 0; i < 4; ++i) {
        screen.PaintPart(checkbox, i % 2 == 0 ? box : 0, 0, box, checkbox.Height(), sliderX + 4, boxY);
        mSmall.Draw(screen, labels[i], sliderX + 4 + 32, boxY + checkbox.Height() - 4, Hex(0xffffff));
        bottom = boxY + checkbox.Height();
        boxY = bottom + 10;
    }
    const int creditsY = bottom + 20;
    DrawBox(screen, button, sliderX, creditsY, sliderW, button.Height());
    auto buttonLabel = [&](const std::string& text, int x, int y, int w) {
        const int baseline = y + (button.Height() - mSmall.Ascent() / 6 - 1 + mSmall.Ascent()) / 2;
        mSmall.Draw(screen, text, x, baseline, Hex(0xffffff), w, 0);
    };
    buttonLabel("Credits", sliderX, creditsY, sliderW);
    const int closeY = dy + dh - 20 - button.Height();
    DrawBox(screen, button, sliderX, closeY, sliderW, button.Height());
    buttonLabel("CLOSE", sliderX, closeY, sliderW);

    // A framework message dialog as the game's dialog factory makes it: black
    // header in fontSmall, black lines in fontTiny, 30 pixels between them,
    // 300 x 250 (shown beside the options dialog instead of at (100, 100)).
    const int mx = 440;
    const int my = 150;
    DrawBox(screen, dialog, mx, my, 300, 250);
    int y = my + 24 + mSmall.Ascent();
    mSmall.Draw(screen, "No Windowed Mode", mx, y, Hex(0x000000), 300, 0);
    y += mSmall.CellHeight() - mSmall.Padding() - mSmall.Ascent() + 30 + mTiny.Ascent();
    const char* lines[] = {"Windowed mode is only available if your",
                           "desktop is running in either 16 bit or", "32 bit color mode, which it is not."};
    for (const char* line : lines) {
        mTiny.Draw(screen, line, mx + 26, y, Hex(0x000000));
        y += mTiny.CellHeight() - mTiny.Padding();
    }
    DrawBox(screen, button, mx + 24, my + 250 - 24 - button.Height(), 252, button.Height());
    buttonLabel("OK", mx + 24, my + 250 - 24 - button.Height(), 252);
    return screen.SavePng(file);
}

} // namespace Quill::Content
