#pragma once

#include <filesystem>
#include <string>

#include "tools/Canvas.h"

namespace Quill::Content {

// A vector drawing from tools/content, rendered through librsvg. Parts of a
// drawing can be hidden with a style sheet (for example "#open{display:none}"
// draws a pet with its eyes closed).
class SvgArt {
public:
    explicit SvgArt(std::filesystem::path file);

    // Renders the whole drawing scaled into the rectangle; false (and nothing
    // drawn) when the file cannot be read or rendered.
    [[nodiscard]] bool Render(const Canvas& target, double x, double y, double w, double h,
                              const std::string& styleSheet = {}) const;
    [[nodiscard]] const std::filesystem::path& File() const { return mFile; }

private:
    std::filesystem::path mFile;
};

} // namespace Quill::Content
