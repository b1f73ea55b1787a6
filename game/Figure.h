#pragma once

#include <array>
#include <optional>
#include <string_view>
#include <vector>

#include "graphics/Color.h"

namespace Quill {

class GameField;
class GameServices;

// A piece of up to 4 x 4 cells: a catalogue template (only its shape) or the
// falling piece (cage kind and pet per cell, blink timers, bonus).
class Figure {
public:
    // Largest matrix side.
    static constexpr int kMaxSize = 4;
    // Column and row origins every template starts from.
    static constexpr int kStartX = 5;
    static constexpr int kStartY = 2;
    // Number of templates that can fall; further catalogue records are never used.
    static constexpr int kPlayableTemplates = 7;
    // Number of bonus kinds (bonus values 1 to kBonusKinds).
    static constexpr int kBonusKinds = 7;

    // Row-major 4 x 4 matrix; only the top-left size x size part is used.
    using Matrix = std::array<std::array<int, kMaxSize>, kMaxSize>;

    // One record of the catalogue file: a side and its cells (non-zero = filled).
    struct Shape {
        int size = 0;
        Matrix cells{};
    };

    // What a bonus piece looks like while it falls.
    struct BonusStyle {
        Color color;
        const char* title;
        const char* line;
    };

    // Grid bounds of the filled cells.
    struct Bounds {
        int minColumn = 0;
        int minRow = 0;
        int maxColumn = 0;
        int maxRow = 0;
    };

    // Services of the program (sounds, particles, hints); not owned.
    GameServices* mApp = nullptr;
    // The game whose grids the figure reads and writes; not owned.
    GameField* mField = nullptr;
    // Matrix column c lies on grid column mX + c - 1.
    int mX = kStartX;
    // Matrix row r lies on grid row mY + r - 1.
    int mY = kStartY;
    // The matrix is mSize x mSize.
    int mSize = 0;
    // Pet kind per cell, 0 for none.
    Matrix mPets{};
    // Template: non-zero for a filled cell. Falling piece: the cage kind, 0 for empty.
    Matrix mCells{};
    // Eye animation counter per cell of the falling piece.
    Matrix mBlinkTimers{};
    // 0 for an ordinary piece, 1 to 7 for a bonus piece of that kind.
    int mBonus = 0;

    // Colour, title and line of bonus kind 1 to 7.
    [[nodiscard]] static const BonusStyle& GetBonusStyle(int bonus);

    // Reads the catalogue text: integers in C "%i" syntax, each record a size
    // then size x size cells. Nothing when the text is not a usable catalogue
    // (a size outside 1..4, a record cut short, a template without a filled
    // cell, fewer than seven records, a token that is not a number, a number
    // outside 32 bits).
    [[nodiscard]] static std::optional<std::vector<Shape>> ParseCatalogue(std::string_view text);

    // Binds the figure to its game, puts it at the start origin, clears its
    // matrices and bonus, and restarts the game's bonus countdown.
    void Init(GameServices* app, GameField* field);

    // Turns the falling piece into a fresh copy of template `templateIndex` at
    // the top of the well. False when it is blocked there (the game is lost).
    [[nodiscard]] bool Spawn(int templateIndex);

    // Grid bounds of the filled cells.
    [[nodiscard]] Bounds GetBounds() const;
    // Horizontal pixel centre of the filled cells on screen.
    [[nodiscard]] int GetCenterX() const;

    // Moves the piece when every filled cell lands inside the grid on a cell
    // without a cage.
    bool Move(int dx, int dy);
    // Turns the piece a quarter, pushed back inside the walls and below the
    // top; refused (false, silent) when the turned piece does not fit.
    bool Rotate(bool clockwise);
    // Copies the piece into the grid, plays the landing sound and lets its
    // bonus take effect.
    void Place();

    // Per-tick animation of the falling piece: blinking and the bonus trail.
    void Update();
    // One sparkle per filled cell, flying at `speed` with an upward drift.
    void EmitSparkles(Color color, float speed);

    // True when any cell of the matrix is filled.
    [[nodiscard]] bool HasCells() const;

private:
    // The bonus effect of the landed piece: marks the cells its kind rescues.
    void ApplyBonus();
    // True when every filled cell of the matrix, placed at the piece's origin moved by
    // (dx, dy), lies inside the grid on a cell without a cage.
    [[nodiscard]] bool Fits(const Matrix& cells, int dx, int dy) const;
};

} // namespace Quill
