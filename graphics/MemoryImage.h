#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "graphics/Image.h"
#include "graphics/PixelFormat.h"

namespace Quill {

class ImageRegistry;
// What the accelerated display keeps for an image (defined and owned there).
class TextureData;

// The software image: 32-bit 0xAARRGGBB pixels (or a 256-colour palette with
// one index per pixel), software filling and blitting, and derived data that
// is rebuilt lazily after every change of the pixels (alpha run lengths,
// additive run lengths, a premultiplied copy in the display's pixel format).
// Every change of the pixels must end with BitsChanged.
class MemoryImage : public Image {
public:
    // Written after the last pixel; a changed guard word means something wrote past the pixels.
    static constexpr std::uint32_t kGuardWord = 0x4BEEFADE;
    // Texture hint bits for mD3DFlags.
    static constexpr std::uint32_t TEXTURE_HINT_MINIMIZE_SUBDIVISION = 1;
    static constexpr std::uint32_t TEXTURE_HINT_A4R4G4B4 = 4;
    static constexpr std::uint32_t TEXTURE_HINT_A8R8G8B8 = 8;

    // Pixels, row-major, followed by the guard word; none while palettised or not yet made.
    std::unique_ptr<std::uint32_t[]> mBits;
    // Counts the changes of the pixels.
    int mBitsChangedCount = 0;
    // The accelerated display's data for this image (owned by the display) and its texture hints.
    TextureData* mD3DData = nullptr;
    std::uint32_t mD3DFlags = 0;
    // Palette form: 256 colours and one index per pixel.
    std::unique_ptr<std::uint32_t[]> mColorTable;
    std::unique_ptr<std::uint8_t[]> mColorIndices;
    // The two flags below were set by SetImageMode and are not recomputed.
    bool mForcedMode = false;
    // Some pixel has alpha 0.
    bool mHasTrans = false;
    // Some pixel has an alpha between 0 and 255.
    bool mHasAlpha = false;
    // The owner changes the pixels often (a hint for the display).
    bool mIsVolatile = false;
    // Derived data, dropped on every change: premultiplied copy in the display
    // format, and run lengths of alpha classes and of additive classes.
    std::unique_ptr<std::uint32_t[]> mNativeAlphaData;
    std::unique_ptr<std::uint8_t[]> mRLAlphaData;
    std::unique_ptr<std::uint8_t[]> mRLAdditiveData;
    // What an untinted blit onto an opaque destination needs per pixel
    // (BlendReference::OverTerms); dropped on every change.
    std::unique_ptr<std::uint64_t[]> mOverTerms;
    // What an untinted additive blit adds per pixel (BlendReference::AdditiveTerms),
    // built for the has-alpha flag noted beside it; dropped on every change.
    std::unique_ptr<std::uint32_t[]> mAdditiveTerms;
    bool mAdditiveTermsHaveAlpha = false;
    // The transparency and alpha flags wait to be recomputed.
    bool mBitsChanged = false;
    // The set of live images this one belongs to (not owned; none outside an application).
    ImageRegistry* mRegistry = nullptr;
    // Format the native copy and the additive run lengths were built for.
    PixelFormat mNativeFormat;

    // An empty image that joins the installed registry, if any.
    MemoryImage();
    // An empty image that joins the given registry (none: no registry).
    explicit MemoryImage(ImageRegistry* registry);
    // A copy of the pixels (or palette), size, cels, animation and flags; joins the same registry.
    MemoryImage(const MemoryImage& other);
    MemoryImage& operator=(const MemoryImage&) = delete;
    ~MemoryImage() override;

    void FillRect(const Rect& rect, const Color& color, int drawMode) override;
    void ClearRect(const Rect& rect) override;
    void Blt(Image* image, int x, int y, const Rect& srcRect, const Color& color, int drawMode) override;
    void BltF(Image* image, float x, float y, const Rect& srcRect, const Rect& clipRect, const Color& color,
              int drawMode) override;
    void BltRotated(Image* image, float x, float y, const Rect& srcRect, const Rect& clipRect,
                    const Color& color, int drawMode, double rot, float rotCenterX,
                    float rotCenterY) override;
    void StretchBlt(Image* image, const Rect& destRect, const Rect& srcRect, const Rect& clipRect,
                    const Color& color, int drawMode, bool fastStretch) override;

    // Premultiplied copy of the pixels in the given display format (alpha in
    // the top byte), built on first use; none for an image without pixels.
    virtual const std::uint32_t* GetNativeAlphaData(const PixelFormat& format);
    // Per pixel, how many pixels from it to the end of its run of equal alpha
    // class (0, 255, other) within the row, at most 255; built on first use.
    virtual const std::uint8_t* GetRLAlphaData();
    // The same over two classes: the native pixel's colour part is zero, or not.
    virtual const std::uint8_t* GetRLAdditiveData(const PixelFormat& format);
    // Frees the three derived caches.
    virtual void PurgeDerivedData();
    // Asks the registry (the display) to drop what it keeps for this image.
    virtual void DeleteExtraBuffers();
    // PurgeDerivedData, then DeleteExtraBuffers.
    virtual void DeleteAllNonSourceData();
    // Call after every change of the pixels: counts it, drops the caches and
    // marks the flags for recomputation.
    virtual void BitsChanged();
    // Recomputes the transparency and alpha flags if a change is pending and they are not forced.
    virtual void CommitBits();
    // Drops the native copy and the additive run lengths.
    virtual void DeleteNativeData();
    // Sets every pixel to 0 (transparent black).
    virtual void Clear();
    // Replaces size and pixels with a copy of width × height words.
    virtual void SetBits(const std::uint32_t* bits, int width, int height);
    // New size; the pixels are made (zeroed) on first access.
    virtual void Create(int width, int height);
    // The pixels, made or expanded from the palette as needed (the image is
    // then in pixel form). Callers may write them and must then call BitsChanged.
    virtual std::uint32_t* GetBits();
    // Sets the transparency and alpha flags and keeps them from being recomputed.
    virtual void SetImageMode(bool hasTrans, bool hasAlpha);
    virtual void SetVolatile(bool isVolatile);
    // Converts to palette form; false (pixels unchanged) when there are no
    // pixels or more than 256 distinct colours.
    [[nodiscard]] virtual bool Palletize();

    // Number of pixels, width × height (0 for a negative size).
    [[nodiscard]] std::size_t GetPixelCount() const;
    [[nodiscard]] bool HasPixels() const { return mBits != nullptr; }
    [[nodiscard]] bool IsPalettized() const { return mColorTable != nullptr && mColorIndices != nullptr; }
    // The pixel at (x, y) in either form; 0 outside the image or when there are no pixels.
    [[nodiscard]] std::uint32_t GetPixel(int x, int y) const;
    // False when something has overwritten the word after the last pixel.
    [[nodiscard]] bool GuardIntact() const;

    // The additive terms for the current has-alpha flag, built on first use.
    const std::uint32_t* GetAdditiveTerms();
    // The opaque-destination terms, built on first use.
    const std::uint64_t* GetOverTerms();

private:
    // BitsChanged after drawing that blends into the pixels.
    void BlendedIn();
    // Leaves the registry (if any) and takes up another one.
    void JoinRegistry(ImageRegistry* registry);
    // Writes the pixels of one source row (palette or pixel form) into a buffer or points at them.
    const std::uint32_t* SourceRow(int x, int y, int width, std::uint32_t* buffer) const;
    void NormalBlt(MemoryImage* src, int x, int y, const Rect& srcRect, const Color& color);
    void AdditiveBlt(MemoryImage* src, int x, int y, const Rect& srcRect, const Color& color);
    void SmoothStretchBlt(MemoryImage* src, const Rect& destRect, const Rect& srcRect, const Rect& clipRect,
                          const Color& color, int drawMode);
    void FastStretchBlt(MemoryImage* src, const Rect& destRect, const Rect& srcRect, const Rect& clipRect,
                        const Color& color, int drawMode);

    friend class ImageRegistry;
};

} // namespace Quill
