// Fuzz target for the piece catalogue reader: any bytes give either no
// catalogue or one that play can use, and never a crash or a hang.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "game/Figure.h"

// libFuzzer's entry point.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto shapes = Quill::Figure::ParseCatalogue(text);
    if (!shapes)
        return 0;
    if (shapes->size() < static_cast<std::size_t>(Quill::Figure::kPlayableTemplates))
        std::abort();
    for (const Quill::Figure::Shape& shape : *shapes) {
        if (shape.size < 1 || shape.size > Quill::Figure::kMaxSize)
            std::abort();
        bool filled = false;
        for (int r = 0; r < Quill::Figure::kMaxSize; ++r) {
            for (int c = 0; c < Quill::Figure::kMaxSize; ++c) {
                if (shape.cells[r][c] == 0)
                    continue;
                if (r >= shape.size || c >= shape.size)
                    std::abort();
                filled = true;
            }
        }
        if (!filled)
            std::abort();
    }
    return 0;
}
