#pragma once

#include <memory>
#include <string_view>

#include "graphics/Color.h"
#include "graphics/Rect.h"

namespace Quill {

class Graphics;

// A text face: measures strings and draws them through a drawing context.
// Image fonts and system fonts derive from it.
class Font {
public:
    // Pixels from the top of a line to its baseline.
    int mAscent = 0;
    // Empty pixels at the top of the ascent, left out when lines are stacked.
    int mAscentPadding = 0;
    // Pixels of one line, ascent plus descent.
    int mHeight = 0;
    // Added to the height to give the distance between baselines.
    int mLineSpacingOffset = 0;

    Font() = default;
    Font(const Font&) = default;
    Font& operator=(const Font&) = default;
    virtual ~Font();

    [[nodiscard]] virtual int GetAscent() const;
    [[nodiscard]] virtual int GetAscentPadding() const;
    // Pixels below the baseline: height − ascent.
    [[nodiscard]] virtual int GetDescent() const;
    [[nodiscard]] virtual int GetHeight() const;
    [[nodiscard]] virtual int GetLineSpacingOffset() const;
    // Distance between baselines: height + line spacing offset.
    [[nodiscard]] virtual int GetLineSpacing() const;

    // Width of the text in pixels (base: 0).
    [[nodiscard]] virtual int StringWidth(std::string_view text);
    // Advance of one character (base: width of the one-character string).
    [[nodiscard]] virtual int CharWidth(char ch);
    // Advance of a character following another one, kerning included
    // (base: CharWidth). prev is '\0' at the start of a text.
    [[nodiscard]] virtual int CharWidthKern(char ch, char prev);
    // Draws the text with its baseline origin at (x, y) in the context's own
    // coordinates (its translation and clip apply) in the given colour
    // (base: nothing).
    virtual void DrawString(Graphics* g, int x, int y, std::string_view text, const Color& color,
                            const Rect& clipRect);
    // An independent copy that the caller owns.
    [[nodiscard]] virtual std::unique_ptr<Font> Duplicate() const = 0;
};

} // namespace Quill
