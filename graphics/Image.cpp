#include "graphics/Image.h"

namespace Quill {

Image::Image(const Image& other)
    : mWidth(other.mWidth), mHeight(other.mHeight), mNumRows(other.mNumRows), mNumCols(other.mNumCols),
      mAnimInfo(other.mAnimInfo ? std::make_unique<AnimInfo>(*other.mAnimInfo) : nullptr)
{}

Image& Image::operator=(const Image& other)
{
    if (this != &other) {
        mWidth = other.mWidth;
        mHeight = other.mHeight;
        mNumRows = other.mNumRows;
        mNumCols = other.mNumCols;
        mAnimInfo = other.mAnimInfo ? std::make_unique<AnimInfo>(*other.mAnimInfo) : nullptr;
    }
    return *this;
}

Image::~Image() = default;

int Image::GetCelWidth() const
{
    return mNumCols > 0 ? mWidth / mNumCols : 0;
}

int Image::GetCelHeight() const
{
    return mNumRows > 0 ? mHeight / mNumRows : 0;
}

Rect Image::GetCelRect(int col, int row) const
{
    const int w = GetCelWidth();
    const int h = GetCelHeight();
    return Rect(w * col, h * row, w, h);
}

Rect Image::GetCelRect(int cel) const
{
    const int cols = mNumCols > 0 ? mNumCols : 1;
    return GetCelRect(cel % cols, cel / cols);
}

Rect Image::GetAnimCelRect(int time) const
{
    return GetCelRect(mAnimInfo ? mAnimInfo->GetCel(time) : 0);
}

bool Image::PolyFill(const Point*, int, const Rect*, const Color&, int, int, int, bool)
{
    return false;
}

void Image::FillRect(const Rect&, const Color&, int) {}

void Image::DrawRect(const Rect& rect, const Color& color, int drawMode)
{
    const int x = rect.mX;
    const int y = rect.mY;
    const int w = rect.mWidth;
    const int h = rect.mHeight;
    FillRect(Rect(x, y, w + 1, 1), color, drawMode);
    FillRect(Rect(x, y + h, w + 1, 1), color, drawMode);
    FillRect(Rect(x, y + 1, 1, h - 1), color, drawMode);
    FillRect(Rect(x + w, y + 1, 1, h - 1), color, drawMode);
}

void Image::ClearRect(const Rect&) {}

void Image::DrawLine(double, double, double, double, const Color&, int) {}

void Image::FillScanLines(const Span* spans, int count, const Color& color, int drawMode)
{
    if (spans == nullptr)
        return;
    for (int i = 0; i < count; ++i)
        FillRect(Rect(spans[i].mX, spans[i].mY, spans[i].mWidth, 1), color, drawMode);
}

void Image::Blt(Image*, int, int, const Rect&, const Color&, int) {}

void Image::BltF(Image*, float, float, const Rect&, const Rect&, const Color&, int) {}

void Image::BltRotated(Image*, float, float, const Rect&, const Rect&, const Color&, int, double, float,
                       float)
{}

void Image::StretchBlt(Image*, const Rect&, const Rect&, const Rect&, const Color&, int, bool) {}

void Image::BltMirror(Image*, int, int, const Rect&, const Color&, int) {}

void Image::StretchBltMirror(Image*, const Rect&, const Rect&, const Rect&, const Color&, int, bool) {}

} // namespace Quill
