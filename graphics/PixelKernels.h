#pragma once

// Row kernels of the software image: each applies one blending rule of
// BlendReference to n pixels. Two implementations exist: plain scalar code,
// and SSE2 vector code on x86-64 (with exact divisions by 255). The
// dispatching functions use the vector code unless SetScalarOnly(true).

#include <cstddef>
#include <cstdint>

#include "graphics/Color.h"

namespace Quill::PixelKernels {

// True when the vector kernels are compiled in.
[[nodiscard]] bool HasSimd();
// Makes the dispatching kernels use the scalar code (tests run both paths).
void SetScalarOnly(bool scalarOnly);
[[nodiscard]] bool ScalarOnly();

// The rules, each over n pixels of d (destination) and s (source):
// BlendReference::OverOpaque per pixel.
void OverOpaque(std::uint32_t* d, const std::uint32_t* s, int n);
// BlendReference::OverOpaque with the source's prepared terms
// (BlendReference::OverTerms of each pixel): the fast form of the rule.
void OverOpaqueTerms(std::uint32_t* d, const std::uint32_t* s, const std::uint64_t* terms, int n);
// Adds prepared additive terms (BlendReference::AdditiveTerms) to d, saturating,
// keeping d's alpha: the same result as BlendReference::Additive of the source.
void AddTerms(std::uint32_t* d, const std::uint32_t* terms, int n);
// BlendReference::Composite.
void Composite(std::uint32_t* d, const std::uint32_t* s, int n);
// BlendReference::Tinted (c other than White).
void Tinted(std::uint32_t* d, const std::uint32_t* s, int n, const Color& c);
// BlendReference::Additive.
void Additive(std::uint32_t* d, const std::uint32_t* s, int n, bool srcHasAlpha);
// BlendReference::AdditiveTinted (c other than White).
void AdditiveTinted(std::uint32_t* d, const std::uint32_t* s, int n, const Color& c, bool srcHasAlpha);
// BlendReference::Fill.
void Fill(std::uint32_t* d, int n, const Color& c);
// Copies n pixels.
void Copy(std::uint32_t* d, const std::uint32_t* s, int n);
// The same four over a block of rows: row j of each starts at its first
// pixel plus j times its stride (in pixels).
void OverOpaqueTerms(std::uint32_t* d, std::ptrdiff_t dStride, const std::uint32_t* s,
                     const std::uint64_t* terms, std::ptrdiff_t sStride, int width, int height);
void AddTerms(std::uint32_t* d, std::ptrdiff_t dStride, const std::uint32_t* terms, std::ptrdiff_t tStride,
              int width, int height);
void AdditiveTinted(std::uint32_t* d, std::ptrdiff_t dStride, const std::uint32_t* s, std::ptrdiff_t sStride,
                    int width, int height, const Color& c, bool srcHasAlpha);
void Fill(std::uint32_t* d, std::ptrdiff_t dStride, int width, int height, const Color& c);

// The scalar implementations.
namespace Scalar {
void OverOpaque(std::uint32_t* d, const std::uint32_t* s, int n);
// BlendReference::OverOpaque over one row as the rule is stated, led by the
// source's alpha run lengths: opaque runs copied, transparent runs skipped.
void OverOpaqueRuns(std::uint32_t* d, const std::uint32_t* s, const std::uint8_t* runs, int n);
void OverOpaqueTerms(std::uint32_t* d, const std::uint32_t* s, const std::uint64_t* terms, int n);
void AddTerms(std::uint32_t* d, const std::uint32_t* terms, int n);
void Composite(std::uint32_t* d, const std::uint32_t* s, int n);
void Tinted(std::uint32_t* d, const std::uint32_t* s, int n, const Color& c);
void Additive(std::uint32_t* d, const std::uint32_t* s, int n, bool srcHasAlpha);
void AdditiveTinted(std::uint32_t* d, const std::uint32_t* s, int n, const Color& c, bool srcHasAlpha);
void Fill(std::uint32_t* d, int n, const Color& c);
void Copy(std::uint32_t* d, const std::uint32_t* s, int n);
void OverOpaqueTerms(std::uint32_t* d, std::ptrdiff_t dStride, const std::uint32_t* s,
                     const std::uint64_t* terms, std::ptrdiff_t sStride, int width, int height);
void AddTerms(std::uint32_t* d, std::ptrdiff_t dStride, const std::uint32_t* terms, std::ptrdiff_t tStride,
              int width, int height);
void AdditiveTinted(std::uint32_t* d, std::ptrdiff_t dStride, const std::uint32_t* s, std::ptrdiff_t sStride,
                    int width, int height, const Color& c, bool srcHasAlpha);
void Fill(std::uint32_t* d, std::ptrdiff_t dStride, int width, int height, const Color& c);
} // namespace Scalar

// The vector implementations (the scalar ones where no vector code exists).
namespace Simd {
void OverOpaque(std::uint32_t* d, const std::uint32_t* s, int n);
void OverOpaqueTerms(std::uint32_t* d, const std::uint32_t* s, const std::uint64_t* terms, int n);
void AddTerms(std::uint32_t* d, const std::uint32_t* terms, int n);
void Composite(std::uint32_t* d, const std::uint32_t* s, int n);
void Tinted(std::uint32_t* d, const std::uint32_t* s, int n, const Color& c);
void Additive(std::uint32_t* d, const std::uint32_t* s, int n, bool srcHasAlpha);
void AdditiveTinted(std::uint32_t* d, const std::uint32_t* s, int n, const Color& c, bool srcHasAlpha);
void Fill(std::uint32_t* d, int n, const Color& c);
void Copy(std::uint32_t* d, const std::uint32_t* s, int n);
void OverOpaqueTerms(std::uint32_t* d, std::ptrdiff_t dStride, const std::uint32_t* s,
                     const std::uint64_t* terms, std::ptrdiff_t sStride, int width, int height);
void AddTerms(std::uint32_t* d, std::ptrdiff_t dStride, const std::uint32_t* terms, std::ptrdiff_t tStride,
              int width, int height);
void AdditiveTinted(std::uint32_t* d, std::ptrdiff_t dStride, const std::uint32_t* s, std::ptrdiff_t sStride,
                    int width, int height, const Color& c, bool srcHasAlpha);
void Fill(std::uint32_t* d, std::ptrdiff_t dStride, int width, int height, const Color& c);
} // namespace Simd

} // namespace Quill::PixelKernels
