#include "graphics/Graphics.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "graphics/Font.h"

namespace Quill {

namespace {

// The destination of a context made without one: 0 × 0, so nothing is ever drawn.
Image& Placeholder()
{
    static Image placeholder;
    return placeholder;
}

// Truncation toward zero, kept inside the int range.
int ToInt(double value)
{
    constexpr double lo = std::numeric_limits<int>::min();
    constexpr double hi = std::numeric_limits<int>::max();
    if (!(value >= lo))
        return std::numeric_limits<int>::min();
    if (value > hi)
        return std::numeric_limits<int>::max();
    return static_cast<int>(value);
}

// Value of a hexadecimal digit of a colour escape; anything else counts as 0.
int HexValue(char ch)
{
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    if (ch >= 'a' && ch <= 'f')
        return ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'F')
        return ch - 'A' + 10;
    return 0;
}

// Length of a colour escape: caret, six digits, caret.
constexpr std::size_t kEscapeLength = 8;

} // namespace

Graphics::Graphics(Image* destImage) : mDestImage(destImage != nullptr ? destImage : &Placeholder())
{
    mClipRect = Rect(0, 0, mDestImage->mWidth, mDestImage->mHeight);
}

Graphics::~Graphics() = default;

std::unique_ptr<Graphics> Graphics::Create() const
{
    return std::make_unique<Graphics>(*this);
}

int Graphics::TransX(int x) const
{
    return Rect::Bound(ToInt(static_cast<double>(static_cast<float>(x) + mTransX)));
}

int Graphics::TransY(int y) const
{
    return Rect::Bound(ToInt(static_cast<double>(static_cast<float>(y) + mTransY)));
}

Color Graphics::ImageColor() const
{
    return mColorizeImages ? mColor : Color::White;
}

void Graphics::Translate(int x, int y)
{
    mTransX += static_cast<float>(x);
    mTransY += static_cast<float>(y);
}

void Graphics::ClipRect(int x, int y, int width, int height)
{
    mClipRect = mClipRect.Intersection(Rect(TransX(x), TransY(y), width, height));
}

void Graphics::ClipRect(const Rect& rect)
{
    ClipRect(rect.mX, rect.mY, rect.mWidth, rect.mHeight);
}

// ---- Rectangles ----

void Graphics::FillRect(int x, int y, int width, int height)
{
    if (mColor.mAlpha == 0)
        return;
    const Rect r = Rect(TransX(x), TransY(y), width, height).Intersection(mClipRect);
    mDestImage->FillRect(r, mColor, mDrawMode);
}

void Graphics::FillRect(const Rect& rect)
{
    FillRect(rect.mX, rect.mY, rect.mWidth, rect.mHeight);
}

void Graphics::DrawRect(int x, int y, int width, int height)
{
    if (mColor.mAlpha == 0)
        return;
    x = Rect::Bound(x);
    y = Rect::Bound(y);
    width = Rect::Bound(width);
    height = Rect::Bound(height);
    const Rect full(TransX(x), TransY(y), width + 1, height + 1);
    if (full.Intersection(mClipRect) == full) {
        mDestImage->DrawRect(Rect(full.mX, full.mY, width, height), mColor, mDrawMode);
        return;
    }
    FillRect(x, y, width + 1, 1);
    FillRect(x, y + height, width + 1, 1);
    FillRect(x, y + 1, 1, height - 1);
    FillRect(x + width, y + 1, 1, height - 1);
}

void Graphics::DrawRect(const Rect& rect)
{
    DrawRect(rect.mX, rect.mY, rect.mWidth, rect.mHeight);
}

void Graphics::ClearRect(int x, int y, int width, int height)
{
    const Rect r = Rect(TransX(x), TransY(y), width, height).Intersection(mClipRect);
    if (r.mWidth > 0 && r.mHeight > 0)
        mDestImage->ClearRect(r);
}

void Graphics::ClearRect(const Rect& rect)
{
    ClearRect(rect.mX, rect.mY, rect.mWidth, rect.mHeight);
}

// ---- Images ----

void Graphics::DrawImage(Image* image, int x, int y)
{
    if (image == nullptr)
        return;
    DrawImage(image, x, y, Rect(0, 0, image->mWidth, image->mHeight));
}

void Graphics::DrawImage(Image* image, int x, int y, const Rect& givenSrcRect)
{
    if (image == nullptr)
        return;
    const Rect srcRect = givenSrcRect.Bounded();
    // A part reaching outside the picture draws nothing (on any side).
    if (srcRect.mX < 0 || srcRect.mY < 0 || srcRect.mX + srcRect.mWidth > image->mWidth ||
        srcRect.mY + srcRect.mHeight > image->mHeight)
        return;
    const int tx = TransX(x);
    const int ty = TransY(y);
    const Rect r = Rect(tx, ty, srcRect.mWidth, srcRect.mHeight).Intersection(mClipRect);
    if (r.mWidth < 1 || r.mHeight < 1)
        return;
    const Rect src(srcRect.mX + (r.mX - tx), srcRect.mY + (r.mY - ty), r.mWidth, r.mHeight);
    mDestImage->Blt(image, r.mX, r.mY, src, ImageColor(), mDrawMode);
}

void Graphics::DrawImage(Image* image, const Rect& destRect, const Rect& srcRect)
{
    if (image == nullptr)
        return;
    const Rect dest(TransX(destRect.mX), TransY(destRect.mY), destRect.mWidth, destRect.mHeight);
    mDestImage->StretchBlt(image, dest, srcRect, mClipRect, ImageColor(), mDrawMode, mFastStretch);
}

void Graphics::DrawImageCel(Image* image, int x, int y, int col, int row)
{
    if (image == nullptr || col < 0 || col >= image->mNumCols || row < 0 || row >= image->mNumRows)
        return;
    DrawImage(image, x, y, image->GetCelRect(col, row));
}

void Graphics::DrawImageCel(Image* image, int x, int y, int cel)
{
    if (image == nullptr)
        return;
    if (image->mNumRows < 2) {
        // A strip of columns.
        if (image->mNumRows <= 0 || cel < 0 || cel >= image->mNumCols)
            return;
        const int w = image->GetCelWidth();
        DrawImage(image, x, y, Rect(w * cel, 0, w, image->mHeight / image->mNumRows));
    } else {
        // A strip of rows.
        if (cel < 0 || cel >= image->mNumRows || image->mNumCols <= 0)
            return;
        const int h = image->GetCelHeight();
        DrawImage(image, x, y, Rect(0, h * cel, image->mWidth / image->mNumCols, h));
    }
}

void Graphics::DrawImageCel(Image* image, const Rect& destRect, int col, int row)
{
    if (image == nullptr || col < 0 || col >= image->mNumCols || row < 0 || row >= image->mNumRows)
        return;
    DrawImage(image, destRect, image->GetCelRect(col, row));
}

void Graphics::DrawImageBox(const Rect& destRect, Image* image)
{
    if (image == nullptr)
        return;
    DrawImageBox(Rect(0, 0, image->mWidth, image->mHeight), destRect, image);
}

void Graphics::TileImage(Image* image, const Rect& piece, int x, int y, int countX, int countY)
{
    if (piece.mWidth <= 0 || piece.mHeight <= 0 || countX <= 0 || countY <= 0)
        return;
    // Only the tiles that can reach the clip are drawn, however large the region.
    const std::int64_t tx = TransX(x);
    const std::int64_t ty = TransY(y);
    const std::int64_t firstX = std::max<std::int64_t>(0, (mClipRect.mX - tx) / piece.mWidth - 1);
    const std::int64_t lastX =
        std::min<std::int64_t>(countX, (mClipRect.mX + mClipRect.mWidth - tx) / piece.mWidth + 1);
    const std::int64_t firstY = std::max<std::int64_t>(0, (mClipRect.mY - ty) / piece.mHeight - 1);
    const std::int64_t lastY =
        std::min<std::int64_t>(countY, (mClipRect.mY + mClipRect.mHeight - ty) / piece.mHeight + 1);
    for (std::int64_t j = firstY; j < lastY; ++j)
        for (std::int64_t i = firstX; i < lastX; ++i)
            DrawImage(image, x + static_cast<int>(i) * piece.mWidth, y + static_cast<int>(j) * piece.mHeight,
                      piece);
}

void Graphics::DrawImageBox(const Rect& srcRect, const Rect& destRect, Image* image)
{
    if (image == nullptr)
        return;
    const Rect s = srcRect.Bounded();
    const Rect d = destRect.Bounded();
    const int cw = s.mWidth / 3;
    const int ch = s.mHeight / 3;
    const int mw = s.mWidth - 2 * cw;
    const int mh = s.mHeight - 2 * ch;
    // Tiles across the middle span and down the middle span (none for an empty piece).
    const int spanX = d.mWidth - 2 * cw;
    const int spanY = d.mHeight - 2 * ch;
    const int countX = (mw > 0 && spanX > 0) ? (spanX + mw - 1) / mw : 0;
    const int countY = (mh > 0 && spanY > 0) ? (spanY + mh - 1) / mh : 0;

    // Corners, unscaled.
    DrawImage(image, d.mX, d.mY, Rect(s.mX, s.mY, cw, ch));
    DrawImage(image, d.mX + d.mWidth - cw, d.mY, Rect(s.mX + cw + mw, s.mY, cw, ch));
    DrawImage(image, d.mX, d.mY + d.mHeight - ch, Rect(s.mX, s.mY + ch + mh, cw, ch));
    DrawImage(image, d.mX + d.mWidth - cw, d.mY + d.mHeight - ch,
              Rect(s.mX + cw + mw, s.mY + ch + mh, cw, ch));

    // Top and bottom edges.
    {
        Graphics g(*this);
        g.ClipRect(d.mX + cw, d.mY, spanX, d.mHeight);
        g.TileImage(image, Rect(s.mX + cw, s.mY, mw, ch), d.mX + cw, d.mY, countX, 1);
        g.TileImage(image, Rect(s.mX + cw, s.mY + ch + mh, mw, ch), d.mX + cw, d.mY + d.mHeight - ch, countX,
                    1);
    }
    // Left and right edges.
    {
        Graphics g(*this);
        g.ClipRect(d.mX, d.mY + ch, d.mWidth, spanY);
        g.TileImage(image, Rect(s.mX, s.mY + ch, cw, mh), d.mX, d.mY + ch, 1, countY);
        g.TileImage(image, Rect(s.mX + cw + mw, s.mY + ch, cw, mh), d.mX + d.mWidth - cw, d.mY + ch, 1,
                    countY);
    }
    // Centre.
    {
        Graphics g(*this);
        g.ClipRect(d.mX + cw, d.mY + ch, spanX, spanY);
        g.TileImage(image, Rect(s.mX + cw, s.mY + ch, mw, mh), d.mX + cw, d.mY + ch, countX, countY);
    }
}

// ---- Text ----

void Graphics::DrawString(std::string_view text, int x, int y)
{
    if (mFont != nullptr)
        mFont->DrawString(this, x, y, text, mColor, mClipRect);
}

int Graphics::DrawStringJustified(std::string_view text, int x, int y, int width, int justification,
                                  bool draw, int offset, int length)
{
    if (mFont == nullptr)
        return 0;
    x = Rect::Bound(x);
    y = Rect::Bound(y);
    width = Rect::Bound(width);
    if (draw && (justification == JUSTIFY_CENTER || justification == JUSTIFY_RIGHT)) {
        const int measured = DrawStringJustified(text, x, y, width, justification, false, offset, length);
        x += justification == JUSTIFY_CENTER ? (width - measured) / 2 : width - measured;
    }

    const std::size_t start = std::min(static_cast<std::size_t>(std::max(offset, 0)), text.size());
    std::size_t count = text.size() - start;
    if (length >= 0)
        count = std::min(count, static_cast<std::size_t>(length));
    const std::string_view part = text.substr(start, count);

    int total = 0;
    std::string run;
    // Draws (when drawing) and measures the characters collected since the last escape.
    auto flush = [&] {
        if (run.empty())
            return;
        if (draw)
            mFont->DrawString(this, x + total, y, run, mColor, mClipRect);
        total += mFont->StringWidth(run);
        run.clear();
    };

    std::size_t i = 0;
    while (i < part.size()) {
        const char ch = part[i];
        if (mWriteColoredString && ch == '^') {
            // A caret too near the end to complete an escape ends the text there.
            if (part.size() - i < kEscapeLength)
                break;
            if (part[i + 1] == '^') {
                run += '^';
                i += 2;
                continue;
            }
            flush();
            if (draw) {
                mColor.mRed = HexValue(part[i + 1]) * 16 + HexValue(part[i + 2]);
                mColor.mGreen = HexValue(part[i + 3]) * 16 + HexValue(part[i + 4]);
                mColor.mBlue = HexValue(part[i + 5]) * 16 + HexValue(part[i + 6]);
            }
            i += kEscapeLength;
            continue;
        }
        run += ch;
        ++i;
    }
    flush();
    return total;
}

int Graphics::DrawStringWrapped(const Rect& rect, std::string_view text, int lineSpacing, int justification,
                                int* maxWidth)
{
    return WrapString(rect, text, lineSpacing, justification, maxWidth, true);
}

int Graphics::MeasureWrappedHeight(int width, std::string_view text, int lineSpacing, int* maxWidth) const
{
    Graphics g;
    g.mFont = mFont;
    // Measured as it would be drawn by this context.
    g.mWriteColoredString = mWriteColoredString;
    return g.WrapString(Rect(0, 0, width, 0), text, lineSpacing, JUSTIFY_LEFT, maxWidth, false);
}

int Graphics::WrapString(const Rect& givenRect, std::string_view text, int lineSpacing, int justification,
                         int* maxWidth, bool draw)
{
    if (mFont == nullptr) {
        if (maxWidth != nullptr)
            *maxWidth = 0;
        return 0;
    }
    const Rect rect = givenRect.Bounded();
    const Color saved = mColor;
    if (lineSpacing == -1)
        lineSpacing = mFont->GetLineSpacing();
    lineSpacing = Rect::Bound(lineSpacing);
    // Wide, since many lines of a large spacing add up past the int range.
    long long yOffset = mFont->GetAscent() - mFont->GetAscentPadding();
    int widest = 0;

    auto drawLine = [&](std::size_t from, std::size_t to) {
        const int y = static_cast<int>(
            std::clamp<long long>(rect.mY + yOffset, -Rect::kCoordinateLimit, Rect::kCoordinateLimit));
        const int w = DrawStringJustified(text, rect.mX, y, rect.mWidth, justification, draw,
                                          static_cast<int>(from), static_cast<int>(to - from));
        widest = std::max(widest, w);
    };

    const std::size_t n = text.size();
    std::size_t lineStart = 0;
    std::size_t i = 0;
    long long lineWidth = 0;
    char prev = '\0';
    bool hasBreak = false;
    std::size_t breakPos = 0;
    auto newLine = [&](std::size_t start) {
        yOffset += lineSpacing;
        lineStart = start;
        i = start;
        lineWidth = 0;
        prev = '\0';
        hasBreak = false;
    };

    while (i < n) {
        const char c = text[i];
        std::size_t step = 1;
        const char ch = c;
        if (mWriteColoredString && c == '^') {
            if (i + 1 < n && text[i + 1] == '^') {
                step = 2;
            } else {
                // A colour escape has no width.
                i += kEscapeLength;
                continue;
            }
        }
        if (c == '\n') {
            drawLine(lineStart, i);
            newLine(i + 1);
            continue;
        }
        if (c == ' ') {
            hasBreak = true;
            breakPos = i;
        }
        lineWidth += mFont->CharWidthKern(ch, prev);
        prev = ch;
        if (lineWidth > rect.mWidth) {
            if (hasBreak) {
                drawLine(lineStart, breakPos);
                std::size_t next = breakPos + 1;
                while (next < n && text[next] == ' ')
                    ++next;
                newLine(next);
            } else {
                // No space to break at: cut before this character, keeping at least one per line.
                const std::size_t end = i > lineStart ? i : std::min(i + step, n);
                drawLine(lineStart, end);
                newLine(end);
            }
            continue;
        }
        i += step;
    }
    drawLine(lineStart, n);

    mColor = saved;
    if (maxWidth != nullptr)
        *maxWidth = widest;
    return static_cast<int>(std::clamp<long long>(yOffset + mFont->GetDescent(), -Rect::kCoordinateLimit,
                                                  Rect::kCoordinateLimit));
}

} // namespace Quill
