#include "graphics/ImageRegistry.h"

#include <atomic>

#include "graphics/MemoryImage.h"

namespace Quill {

namespace {

std::atomic<ImageRegistry*> gInstalled{nullptr};

} // namespace

ImageRegistry::~ImageRegistry()
{
    ImageRegistry* self = this;
    gInstalled.compare_exchange_strong(self, nullptr);
    std::lock_guard<std::recursive_mutex> lock(mLock);
    for (MemoryImage* image : mImages)
        image->mRegistry = nullptr;
    mImages.clear();
}

void ImageRegistry::AddImage(MemoryImage* image)
{
    if (image == nullptr)
        return;
    std::lock_guard<std::recursive_mutex> lock(mLock);
    mImages.insert(image);
}

void ImageRegistry::RemoveImage(MemoryImage* image)
{
    if (image == nullptr)
        return;
    std::lock_guard<std::recursive_mutex> lock(mLock);
    if (mImages.erase(image) != 0)
        DeleteExtraBuffers(image);
}

bool ImageRegistry::Contains(const MemoryImage* image) const
{
    std::lock_guard<std::recursive_mutex> lock(mLock);
    return mImages.count(const_cast<MemoryImage*>(image)) != 0;
}

std::size_t ImageRegistry::GetImageCount() const
{
    std::lock_guard<std::recursive_mutex> lock(mLock);
    return mImages.size();
}

void ImageRegistry::SetDisplayFormat(const PixelFormat& format)
{
    std::lock_guard<std::recursive_mutex> lock(mLock);
    mDisplayFormat = format;
}

PixelFormat ImageRegistry::GetDisplayFormat() const
{
    std::lock_guard<std::recursive_mutex> lock(mLock);
    return mDisplayFormat;
}

void ImageRegistry::DeleteExtraBuffers(MemoryImage*) {}

void ImageRegistry::Install(ImageRegistry* registry)
{
    gInstalled.store(registry);
}

ImageRegistry* ImageRegistry::Installed()
{
    return gInstalled.load();
}

} // namespace Quill
