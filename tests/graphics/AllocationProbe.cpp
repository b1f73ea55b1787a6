#include "tests/graphics/AllocationProbe.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::size_t> gLargest{0};
std::atomic<int> gProbes{0};

void* Allocate(std::size_t size)
{
    if (gProbes.load(std::memory_order_relaxed) > 0) {
        std::size_t seen = gLargest.load(std::memory_order_relaxed);
        while (size > seen && !gLargest.compare_exchange_weak(seen, size, std::memory_order_relaxed)) {
        }
    }
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}

} // namespace

// Every plain allocation of the executable passes through here (and is freed
// with free below, keeping the sanitizer's pairing checks satisfied).
void* operator new(std::size_t size)
{
    return Allocate(size);
}
void* operator new[](std::size_t size)
{
    return Allocate(size);
}
void operator delete(void* p) noexcept
{
    std::free(p);
}
void operator delete[](void* p) noexcept
{
    std::free(p);
}
void operator delete(void* p, std::size_t /*size*/) noexcept
{
    std::free(p);
}
void operator delete[](void* p, std::size_t /*size*/) noexcept
{
    std::free(p);
}

namespace QuillTest {

AllocationProbe::AllocationProbe()
{
    gLargest.store(0);
    gProbes.fetch_add(1);
}

AllocationProbe::~AllocationProbe()
{
    gProbes.fetch_sub(1);
}

std::size_t AllocationProbe::Largest() const
{
    return gLargest.load();
}

} // namespace QuillTest
