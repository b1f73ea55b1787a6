#pragma once

// Row kernels of the software image: each applies one blending rule of
// BlendReference to n pixels. Two implementations exist: plain scalar code,
// and SSE2 vector code on x86-64 (with exact divisions by 255). The
// dispatching functions use the vector code unless SetScalarOnly(true).

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
// BlendReference::OverOpaque for a run whose source alphas all lie in 1..254.
void OverOpaquePartial(std::uint32_t* d, const std::uint32_t* s, int n);
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

// The scalar implementations.
namespace Scalar {
void OverOpaque(std::uint32_t* d, const std::uint32_t* s, int n);
void OverOpaquePartial(std::uint32_t* d, const std::uint32_t* s, int n);
void Composite(std::uint32_t* d, const std::uint32_t* s, int n);
void Tinted(std::uint32_t* d, const std::uint32_t* s, int n, const Color& c);
void Additive(std::uint32_t* d, const std::uint32_t* s, int n, bool srcHasAlpha);
void AdditiveTinted(std::uint32_t* d, const std::uint32_t* s, int n, const Color& c, bool srcHasAlpha);
void Fill(std::uint32_t* d, int n, const Color& c);
void Copy(std::uint32_t* d, const std::uint32_t* s, int n);
} // namespace Scalar

// The vector implementations (the scalar ones where no vector code exists).
namespace Simd {
void OverOpaque(std::uint32_t* d, const std::uint32_t* s, int n);
void OverOpaquePartial(std::uint32_t* d, const std::uint32_t* s, int n);
void Composite(std::uint32_t* d, const std::uint32_t* s, int n);
void Tinted(std::uint32_t* d, const std::uint32_t* s, int n, const Color& c);
void Additive(std::uint32_t* d, const std::uint32_t* s, int n, bool srcHasAlpha);
void AdditiveTinted(std::uint32_t* d, const std::uint32_t* s, int n, const Color& c, bool srcHasAlpha);
void Fill(std::uint32_t* d, int n, const Color& c);
void Copy(std::uint32_t* d, const std::uint32_t* s, int n);
} // namespace Simd

} // namespace Quill::PixelKernels
