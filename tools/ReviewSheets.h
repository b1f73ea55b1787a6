#pragma once

#include <filesystem>

namespace Quill::Content {

class BakedFont;
class TypeFace;

// Review aids made from the generated files themselves: a contact sheet of
// every picture at 2x zoom and two mock screens (title screen and a game in
// progress) composed at the game's own coordinates.
class ReviewSheets {
public:
    // The fonts are those written to the data folder, used to set the game's
    // texts on the mock screens.
    ReviewSheets(std::filesystem::path dataFolder, const TypeFace& labelFace, const BakedFont& big,
                 const BakedFont& medium, const BakedFont& small, const BakedFont& tiny);

    [[nodiscard]] bool ContactSheet(const std::filesystem::path& file) const;
    [[nodiscard]] bool TitleScreen(const std::filesystem::path& file) const;
    [[nodiscard]] bool GameScreen(const std::filesystem::path& file) const;
    // The options dialog over the title screen, and a black-text message
    // dialog, as the dialog and control classes lay them out.
    [[nodiscard]] bool DialogScreen(const std::filesystem::path& file) const;

private:
    std::filesystem::path mData;
    const TypeFace& mLabelFace;
    const BakedFont& mBig;
    const BakedFont& mMedium;
    const BakedFont& mSmall;
    const BakedFont& mTiny;
};

} // namespace Quill::Content
