#pragma once

#include <string>

#include "tools/Canvas.h"

namespace Quill::Content {

class SpriteArt;
class TypeFace;

// The two full-window pictures (title screen and playfield), the two
// characters drawn on both with their blink cels, and the buttons whose
// resting looks are part of the backgrounds and whose lit looks are separate
// pictures drawn over them.
class SceneArt {
public:
    // Eye centres of the two characters (between the two eyes), and where the
    // game draws their blink cels.
    static constexpr int kBoyEyeX = 436;
    static constexpr int kBoyEyeY = 531;
    static constexpr int kGirlEyeX = 362;
    static constexpr int kGirlEyeY = 542;
    static constexpr int kBoyBlinkX = 415;
    static constexpr int kBoyBlinkY = 519;
    static constexpr int kGirlBlinkX = 341;
    static constexpr int kGirlBlinkY = 527;
    static constexpr int kBlinkCels = 3;

    SceneArt(const SpriteArt& sprites, const TypeFace& display);

    [[nodiscard]] Canvas GameBackground() const;
    [[nodiscard]] Canvas MenuBackground() const;
    // Lit (or resting) look of a playfield button: "Pause", "Resume", "Menu".
    // The picture's top-left corner goes at (x, y); the pill sits at the same
    // screen place whatever y is.
    [[nodiscard]] Canvas GameButton(const std::string& label, bool lit, int x, int y, int height) const;
    // Lit look of a title screen button of the given size.
    [[nodiscard]] Canvas MenuButton(const std::string& label, bool lit, int width, int height) const;
    // Three cels of closing eyelids for the boy or the girl.
    [[nodiscard]] Canvas BlinkStrip(bool boy) const;

private:
    void DrawScenery(const Canvas& c, bool title) const;
    // Both characters; lid 0 = eyes open without pupils (the game draws the
    // pupils), 1..3 = closing eyelids over centred pupils.
    void DrawCharacters(const Canvas& c, int lid) const;
    void DrawCagedPet(const Canvas& c, const Canvas& pets, const Canvas& cages, int pet, int cage, double x,
                      double y) const;

    const SpriteArt& mSprites;
    const TypeFace& mDisplay;
};

} // namespace Quill::Content
