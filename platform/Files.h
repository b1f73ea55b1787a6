#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace Quill::Platform {

// Files the program reads are untrusted: a read refuses anything larger than
// this rather than allocating without bound.
inline constexpr std::size_t kMaxReadFileBytes = 256u * 1024u * 1024u;

// Whole content of a regular file, or nothing when it cannot be read or is
// larger than maxBytes.
[[nodiscard]] std::optional<std::vector<std::uint8_t>>
ReadWholeFile(const std::filesystem::path& path, std::size_t maxBytes = kMaxReadFileBytes);

// Replaces the file with the bytes atomically: a temporary file in the same
// folder is written, flushed to disk and renamed over the target, so readers
// see either the old or the new content and a failed write loses nothing.
// Creates missing parent folders. False when any step fails.
[[nodiscard]] bool WriteFileAtomically(const std::filesystem::path& path,
                                       std::span<const std::uint8_t> bytes);
[[nodiscard]] bool WriteFileAtomically(const std::filesystem::path& path, const std::string& text);

// Folder of the running executable (resolved through /proc/self/exe).
[[nodiscard]] std::filesystem::path ExecutableDir();

} // namespace Quill::Platform
