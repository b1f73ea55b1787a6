#pragma once

#include <cstddef>

namespace QuillTest {

// Records the largest single operator new request made while it exists (the
// test executable replaces the global allocation functions to see them), so a
// test can check that a reader refused a lying header before allocating for it.
class AllocationProbe {
public:
    AllocationProbe();
    ~AllocationProbe();
    AllocationProbe(const AllocationProbe&) = delete;
    AllocationProbe& operator=(const AllocationProbe&) = delete;

    // Largest request in bytes since construction.
    [[nodiscard]] std::size_t Largest() const;
};

} // namespace QuillTest
