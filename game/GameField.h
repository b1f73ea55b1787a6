#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "game/Figure.h"

namespace Quill {

class GameServices;

// The game's logic: the well of 17 x 11 cells, the falling piece, rescues,
// scoring, levels and the combo bar of one game. No drawing surface: the board
// forwards input, calls Update once per application update and reads the
// public state to draw it.
class GameField {
public:
    // Size of the well.
    static constexpr int kRows = 17;
    static constexpr int kColumns = 11;
    // Cell size in pixels and the screen position of the well's top-left cell.
    static constexpr int kCellSize = 28;
    static constexpr int kWellX = 247;
    static constexpr int kWellY = 1;
    // Ticks a rescue animation lasts before the marked cells are removed.
    static constexpr int kRescueTicks = 80;
    // Ticks input is ignored after the start of a game, a level or the game over.
    static constexpr int kInputDelay = 100;
    // Widest the combo bar gets (pixels).
    static constexpr int kBarFull = 179;
    // Highest speed (the fall interval is 100 - speed).
    static constexpr int kMaxSpeed = 90;
    // Number of pet kinds there are.
    static constexpr int kPetKinds = 8;

    // Where the catalogue lives, relative to the game's folder.
    static constexpr const char* kCataloguePath = "properties/figures.dat";

    // Where the game is: playing, on a level screen, lost (waiting for a click),
    // or to be closed by the board.
    enum State {
        STATE_PLAYING = 0,
        STATE_LEVEL_INTRO = 1,
        STATE_GAME_OVER = 2,
        STATE_FINISHED = 3,
    };

    // A 17 x 11 grid, row 0 at the top, column 0 at the left.
    using Grid = std::array<std::array<int, kColumns>, kRows>;

    // Sets up a new game on its level-1 screen, reading the catalogue from
    // `cataloguePath`. When the catalogue cannot be used the player is told,
    // the program shuts down and the field stays inert (see CatalogueLoaded).
    explicit GameField(GameServices* app, const std::filesystem::path& cataloguePath = kCataloguePath);
    GameField(const GameField&) = delete;
    GameField& operator=(const GameField&) = delete;

    // One application update.
    void Update();

    // Input from the board. Virtual key codes as the platform reports them;
    // click count 1 left, 2 left double, -1 right, -2 right double, 3 middle.
    void KeyDown(int key);
    void KeyUp(int key);
    void MouseDown(int x, int y, int clickCount);
    void MouseUp(int x, int y, int clickCount);
    void MouseWheel(int delta);
    void MouseMove(int x, int y);

    // The piece has landed: place it, bring the next one, fill the combo bar
    // and mark full rows.
    void Land();
    // Marks one cell for rescue, scoring it when it holds a caged pet.
    void MarkCell(int row, int column);
    // Removes one marked cell; the column above drops by one row.
    void RemoveCell(int row, int column);

    // Ticks between gravity steps at the current speed and drop mode.
    [[nodiscard]] int FallInterval() const;
    // Advances one pet's blink timer by a tick: eyes open for 3 to 6 seconds
    // (timer counting down from 300..599), then closed for 10 to 19 ticks
    // (timer counting up from -10..-19).
    static void AdvanceBlink(int& timer);
    // False when the catalogue could not be loaded: nothing happens then.
    [[nodiscard]] bool CatalogueLoaded() const { return mCatalogueLoaded; }

    // Services of the program; not owned.
    GameServices* mApp = nullptr;
    // Pet kind per cell, 0 for empty.
    Grid mPets{};
    // Cage kind per cell, 0 for empty; a cell is occupied when its cage is non-zero.
    Grid mCages{};
    // Eye animation counter of each cell's pet.
    Grid mBlinkTimers{};
    // Templates in file order.
    std::vector<Figure> mCatalogue;
    // The falling piece, reused for every piece of the game.
    Figure mPiece;
    // 1 for a cell being rescued.
    Grid mMarked{};
    // Number of marked cells.
    int mMarkedCount = 0;
    // Points of this game.
    int mScore = 0;
    // Pets rescued in the current level.
    int mRescued = 0;
    // Pets to rescue to finish the level.
    int mNeeded = 100;
    // Current level, from 1.
    int mLevel = 1;
    // Score multiplier, raised by each fill of the combo bar.
    int mMultiplier = 1;
    // One of State.
    int mState = STATE_LEVEL_INTRO;
    // 12 to 90; sets the fall interval.
    int mSpeed = 12;
    // Pet kinds new pieces may carry.
    int mPetsInPlay = 2;
    // Game paused (by the Pause key, or by the board).
    bool mPaused = false;
    // Ticks left during which input is ignored.
    int mInputDelay = kInputDelay;

    // Template of the next piece (the preview shows it).
    int mNextFigure = 0;
    // Spawns left until the next bonus piece.
    int mBonusCountdown = 0;
    // Soft drop held.
    bool mFastDrop = false;
    // The piece could not move down at the last probe (lock delay running).
    bool mResting = false;
    // Update count at the most recent marking.
    int mMarkTime = 0;
    // The rescue sound has played since the last removal.
    bool mRescueSoundPlayed = false;
    // Combo bar, 0 to 179.
    int mBar = 0;
    // Once set the bar stays full for the rest of the game.
    bool mBarLocked = false;
    // Ticks per point of bar decay.
    int mDecayInterval = 20;
    // Name of the pets introduced on the level screen, empty for none.
    std::string mMeetName;

    // The piece follows the mouse horizontally. Kept from one game to the next.
    static inline bool sMouseFollow = false;
    // Last mouse x reported, in window pixels. Kept from one game to the next.
    static inline int sMouseX = 0;

private:
    // Reads and checks the catalogue; reports failure to the player.
    [[nodiscard]] bool LoadCatalogue(const std::filesystem::path& path);
    // Moves the piece towards the column under the mouse.
    void FollowMouse();
    // Drops the piece as far as it goes, with a sparkle trail, and lands it.
    void HardDrop();
    // After a removal sweep: opens the next level when the quota is met.
    void CheckLevel();
    // After a landing whose next piece could spawn.
    void FillBar();
    // Per-tick sparkles: the next piece's preview and the locked bar's glow.
    void EmitTickSparkles();
    // True while input is to be ignored.
    [[nodiscard]] bool InputBlocked() const;

    // The catalogue was read and checked; otherwise the field stays inert.
    bool mCatalogueLoaded = false;
};

} // namespace Quill
