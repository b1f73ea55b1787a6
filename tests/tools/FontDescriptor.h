#pragma once

#include <array>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace QuillTest {

// A reader of the image font descriptor language, written from the language's
// rules (statements, quotes, backslashes, comments, lists, definitions) for
// the commands a font of the game may use. It reports the first error with
// its line, like the game's reader, and keeps what the font's layers say.
class FontDescriptor {
public:
    struct Rect {
        int x = 0;
        int y = 0;
        int w = 0;
        int h = 0;
    };
    struct Layer {
        std::string image;
        std::array<Rect, 256> rects{};
        std::array<int, 256> widths{};
        std::array<int, 256> offsetX{};
        std::array<int, 256> offsetY{};
        std::map<std::pair<int, int>, int> kerning;
        int ascent = 0;
        int pointSize = 0;
        int baseOrder = 0;
        int offsetLayerX = 0;
        int offsetLayerY = 0;
        std::array<double, 4> colourMult{1.0, 1.0, 1.0, 1.0};
        // Largest rectangle height + character offset y (the layer's default height).
        [[nodiscard]] int DefaultHeight() const;
    };

    // Reads the file; false with Error() set on the first failing statement.
    bool Read(const std::filesystem::path& file);
    [[nodiscard]] const std::string& Error() const { return mError; }
    [[nodiscard]] const std::vector<std::string>& LayerOrder() const { return mOrder; }
    [[nodiscard]] const Layer& LayerNamed(const std::string& upperName) const
    {
        return mLayers.at(upperName);
    }
    [[nodiscard]] int DefaultPointSize() const { return mDefaultPointSize; }

    // Measures a text as the game does: for each character the largest
    // width + kerning (with the previous character) over the layers.
    [[nodiscard]] int StringWidth(const std::string& text) const;
    // Font ascent: the largest layer ascent.
    [[nodiscard]] int Ascent() const;

private:
    struct Element {
        bool isList = false;
        std::string text;
        std::vector<Element> items;
    };

    bool Execute(const std::string& statement, int line);
    bool Split(const std::string& statement, Element& out);
    Element Resolve(const Element& e, int depth = 0) const;
    bool Fail(const std::string& text, int line);

    std::map<std::string, Element> mDefines;
    std::map<std::string, Layer> mLayers;
    std::vector<std::string> mOrder;
    std::filesystem::path mFolder;
    int mDefaultPointSize = 0;
    std::string mError;
};

} // namespace QuillTest
