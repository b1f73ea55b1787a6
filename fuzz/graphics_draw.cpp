// Runs a stream of drawing operations taken from the input on small software
// images: every rectangle, position, angle and colour comes from the bytes, so
// clipping and resampling meet every kind of edge. The guard word after each
// image's pixels must survive, and text layout must finish.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"

namespace {

using namespace Quill;

// Reads values off the input, zeros once it runs out.
class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : mData(data), mSize(size) {}
    [[nodiscard]] bool Done() const { return mPos >= mSize; }
    std::uint8_t Byte() { return mPos < mSize ? mData[mPos++] : 0; }
    // Mostly small numbers, sometimes extreme ones.
    int Int()
    {
        const std::uint8_t kind = Byte();
        if (kind < 200)
            return static_cast<int>(Byte()) - 64;
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v = (v << 8) | Byte();
        return static_cast<int>(v);
    }
    Rect AnyRect() { return Rect(Int(), Int(), Int(), Int()); }
    Color AnyColor() { return Color(Int(), Int(), Int(), Int()); }
    std::string Text()
    {
        std::string text;
        const int length = Byte() % 40;
        for (int i = 0; i < length; ++i) {
            const std::uint8_t b = Byte();
            text += b < 64 ? "^ \nAb0f^"[b % 8] : static_cast<char>(b);
        }
        return text;
    }

private:
    const std::uint8_t* mData;
    std::size_t mSize;
    std::size_t mPos = 0;
};

// Fixed-width glyphs drawn as blocks through the context.
class BlockFont : public Font {
public:
    BlockFont()
    {
        mAscent = 6;
        mHeight = 8;
    }
    int StringWidth(std::string_view text) override { return 4 * static_cast<int>(text.size()); }
    void DrawString(Graphics* g, int x, int y, std::string_view text, const Color& color,
                    const Rect&) override
    {
        Graphics glyphs(*g);
        glyphs.SetColor(color);
        for (std::size_t i = 0; i < text.size(); ++i)
            glyphs.FillRect(x + 4 * static_cast<int>(i), y - mAscent, 3, mAscent);
    }
    std::unique_ptr<Font> Duplicate() const override { return std::make_unique<BlockFont>(*this); }
};

void Check(const MemoryImage& image)
{
    if (!image.GuardIntact())
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Reader in(data, size);
    MemoryImage dest(nullptr);
    dest.Create(17, 13);
    dest.Clear();
    MemoryImage src(nullptr);
    src.Create(9, 7);
    std::uint32_t* bits = src.GetBits();
    for (int i = 0; i < 9 * 7; ++i)
        bits[i] =
            (static_cast<std::uint32_t>(in.Byte()) << 24) | static_cast<std::uint32_t>(in.Byte()) * 0x010101u;
    src.BitsChanged();
    if (in.Byte() & 1)
        (void)src.Palletize();
    if (in.Byte() & 1)
        dest.SetImageMode(false, false);
    BlockFont font;
    Graphics g(&dest);
    g.SetFont(&font);

    for (int step = 0; step < 64 && !in.Done(); ++step) {
        const int mode = in.Byte() % 3; // 2: an unknown mode
        const Color color = in.AnyColor();
        switch (in.Byte() % 12) {
        case 0:
            dest.FillRect(in.AnyRect(), color, mode);
            break;
        case 1:
            dest.ClearRect(in.AnyRect());
            break;
        case 2: {
            const int x = in.Int();
            const int y = in.Int();
            dest.Blt(&src, x, y, in.AnyRect(), color, mode);
            break;
        }
        case 3: {
            const Rect d = in.AnyRect();
            const Rect s = in.AnyRect();
            dest.StretchBlt(&src, d, s, in.AnyRect(), color, mode, (in.Byte() & 1) != 0);
            break;
        }
        case 4: {
            const float x = static_cast<float>(in.Int()) / 4.0f;
            const float y = static_cast<float>(in.Int()) / 4.0f;
            const Rect s = in.AnyRect();
            const Rect clip = in.AnyRect();
            const double angle = in.Int() / 16.0;
            dest.BltRotated(&src, x, y, s, clip, color, mode, angle, static_cast<float>(in.Int()),
                            static_cast<float>(in.Int()));
            break;
        }
        case 5:
            dest.Blt(&dest, in.Int(), in.Int(), in.AnyRect(), color, mode);
            break;
        case 6:
            g.Translate(in.Int(), in.Int());
            g.ClipRect(in.AnyRect());
            break;
        case 7:
            g.SetColor(color);
            g.SetColorizeImages((in.Byte() & 1) != 0);
            g.SetDrawMode(mode);
            g.DrawImageBox(in.AnyRect(), in.AnyRect(), &src);
            break;
        case 8:
            g.SetColor(color);
            g.DrawRect(in.AnyRect());
            g.DrawImageCel(&src, in.Int(), in.Int(), in.Int());
            g.DrawImage(&src, in.AnyRect(), in.AnyRect());
            break;
        case 9: {
            g.SetWriteColoredString((in.Byte() & 1) != 0);
            const std::string text = in.Text();
            int widest = 0;
            g.DrawStringWrapped(in.AnyRect(), text, in.Byte() % 3 == 0 ? -1 : in.Int(), in.Int(), &widest);
            break;
        }
        case 10: {
            const std::string text = in.Text();
            g.DrawStringJustified(text, in.Int(), in.Int(), in.Int(), in.Int(), (in.Byte() & 1) != 0,
                                  in.Int(), in.Int());
            break;
        }
        default:
            (void)src.Palletize();
            (void)src.GetNativeAlphaData(PixelFormat::RGB565());
            (void)src.GetRLAdditiveData(PixelFormat::RGB888());
            break;
        }
        Check(dest);
        Check(src);
    }
    return 0;
}
