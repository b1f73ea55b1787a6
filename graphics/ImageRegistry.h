#pragma once

#include <cstddef>
#include <mutex>
#include <unordered_set>

#include "graphics/PixelFormat.h"

namespace Quill {

class MemoryImage;

// The set of live software images, guarded by the display's lock, so that the
// display side can reach every image (to drop or rebuild display copies). The
// application owns one and installs it; its display layer uses GetLock() as
// its own lock and reports its pixel format here. Images join the installed
// registry when they are made and leave it when they go, under the lock.
class ImageRegistry {
public:
    ImageRegistry() = default;
    ImageRegistry(const ImageRegistry&) = delete;
    ImageRegistry& operator=(const ImageRegistry&) = delete;
    // Images still registered are let go (they no longer refer to this registry).
    virtual ~ImageRegistry();

    // The lock guarding the set (and the display's surfaces).
    [[nodiscard]] std::recursive_mutex& GetLock() const { return mLock; }

    // Called by the images themselves; both take the lock.
    void AddImage(MemoryImage* image);
    void RemoveImage(MemoryImage* image);
    [[nodiscard]] bool Contains(const MemoryImage* image) const;
    [[nodiscard]] std::size_t GetImageCount() const;
    // Calls fn(MemoryImage*) for every live image, holding the lock.
    template <class Fn>
    void ForEachImage(Fn&& fn)
    {
        std::lock_guard<std::recursive_mutex> lock(mLock);
        for (MemoryImage* image : mImages)
            fn(image);
    }

    // The display's pixel format, for native-format copies.
    void SetDisplayFormat(const PixelFormat& format);
    [[nodiscard]] PixelFormat GetDisplayFormat() const;

    // Drops whatever the display keeps for the image (its texture data). Called
    // by MemoryImage::DeleteExtraBuffers and, under the lock, when an image
    // leaves the registry. Base: nothing to drop.
    virtual void DeleteExtraBuffers(MemoryImage* image);

    // The registry new images join (none: images join none). The application
    // installs its own at start-up and uninstalls it before it goes.
    static void Install(ImageRegistry* registry);
    [[nodiscard]] static ImageRegistry* Installed();

private:
    mutable std::recursive_mutex mLock;
    std::unordered_set<MemoryImage*> mImages;
    PixelFormat mDisplayFormat;
};

} // namespace Quill
