#pragma once

#include <filesystem>

#include "tools/Canvas.h"

namespace Quill::Content {

// The small pictures of the game: pets, cages, cells, sparkles, eyes and the
// parts that dialogs and controls are drawn from. Each function returns the
// finished picture with the cel layout the game indexes.
class SpriteArt {
public:
    // Side of one cell of the well.
    static constexpr int kCell = 28;
    // Number of pet kinds.
    static constexpr int kPets = 8;
    // Cel sides of the level screen's big and small pets.
    static constexpr int kBigPet = 38;
    static constexpr int kSmallPet = 30;
    // Cels of the sparkle strip (its life in frames).
    static constexpr int kSparkleFrames = 8;
    static constexpr int kSparkle = 16;
    // Distance between the two eyes of a character, and the pupils' radius.
    static constexpr int kEyeSpacing = 24;
    static constexpr double kPupilRadius = 4.6;

    explicit SpriteArt(std::filesystem::path artFolder);

    // 8 columns of pets, row 0 eyes open, row 1 eyes closed.
    [[nodiscard]] Canvas Pets() const;
    // The pets' faces without their tiles, side by side, in cels of the side.
    [[nodiscard]] Canvas PetRow(int side) const;
    [[nodiscard]] Canvas Cages() const;
    [[nodiscard]] Canvas Cell() const;
    [[nodiscard]] Canvas Particle() const;
    [[nodiscard]] Canvas Eyes() const;
    [[nodiscard]] Canvas Arrow() const;
    [[nodiscard]] Canvas Dot() const;
    [[nodiscard]] Canvas Dialog() const;
    [[nodiscard]] Canvas DialogButton() const;
    [[nodiscard]] Canvas Checkbox() const;
    [[nodiscard]] Canvas SliderTrack() const;
    [[nodiscard]] Canvas SliderThumb() const;

    // Renders pet kind (1..8) face into the square, eyes open or closed.
    [[nodiscard]] bool DrawPetFace(const Canvas& target, int kind, double x, double y, double side,
                                   bool eyesClosed) const;

private:
    std::filesystem::path mArt;
};

} // namespace Quill::Content
