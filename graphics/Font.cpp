#include "graphics/Font.h"

namespace Quill {

Font::~Font() = default;

int Font::GetAscent() const
{
    return mAscent;
}

int Font::GetAscentPadding() const
{
    return mAscentPadding;
}

int Font::GetDescent() const
{
    return mHeight - mAscent;
}

int Font::GetHeight() const
{
    return mHeight;
}

int Font::GetLineSpacingOffset() const
{
    return mLineSpacingOffset;
}

int Font::GetLineSpacing() const
{
    return mHeight + mLineSpacingOffset;
}

int Font::StringWidth(std::string_view)
{
    return 0;
}

int Font::CharWidth(char ch)
{
    return StringWidth(std::string_view(&ch, 1));
}

int Font::CharWidthKern(char ch, char)
{
    return CharWidth(ch);
}

void Font::DrawString(Graphics*, int, int, std::string_view, const Color&, const Rect&) {}

} // namespace Quill
