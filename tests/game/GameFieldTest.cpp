#include <gtest/gtest.h>

#include <vector>

#include "tests/game/RulesSupport.h"

using Quill::Figure;
using Quill::GameField;
using QuillTest::Game;

namespace {

constexpr int kEnter = 13;
constexpr int kPause = 19;
constexpr int kEscape = 27;
constexpr int kSpace = 32;
constexpr int kLeft = 37;
constexpr int kUp = 38;
constexpr int kDown = 40;
constexpr int kI = 0;
constexpr int kT = 2;

// Ticks at which the piece moved down, over the next `ticks` updates.
std::vector<int> FallTicks(Game& game, int ticks)
{
    std::vector<int> falls;
    for (int i = 0; i < ticks; ++i) {
        const int y = game->mPiece.mY;
        game.Tick();
        if (game->mPiece.mY != y)
            falls.push_back(game.app.updateCount);
    }
    return falls;
}

TEST(GameFieldTest, NewGameFallsAtItsStartSpeed)
{
    Game game;
    game.Play();
    game.Piece(kT);
    EXPECT_EQ(FallTicks(game, 300), (std::vector<int>{88, 176, 264}));

    Game fast(1, true);
    EXPECT_EQ(fast->mMultiplier, 3);
    fast.Play();
    fast.Piece(kT);
    EXPECT_EQ(FallTicks(fast, 200), (std::vector<int>{64, 128, 192}));
}

TEST(GameFieldTest, InputWaitsForTheDelayAndLeavesTheScreens)
{
    Game game;
    game.Tick(99);
    game->KeyDown(kSpace);
    game->MouseDown(400, 300, 1);
    EXPECT_EQ(game->mState, GameField::STATE_LEVEL_INTRO) << "input ignored for 100 ticks";
    game.Tick();
    game.app.altHeld = true;
    game->KeyDown(kEnter);
    game->KeyDown(kLeft);
    EXPECT_EQ(game->mState, GameField::STATE_LEVEL_INTRO);
    game.app.altHeld = false;
    game->KeyDown(kEnter);
    EXPECT_EQ(game->mState, GameField::STATE_PLAYING);

    game->mState = GameField::STATE_GAME_OVER;
    game->KeyDown(kLeft);
    EXPECT_EQ(game->mState, GameField::STATE_GAME_OVER);
    game->MouseDown(0, 0, -1);
    EXPECT_EQ(game->mState, GameField::STATE_FINISHED);

    Game click;
    click->mInputDelay = 0;
    click->MouseDown(400, 300, 1);
    EXPECT_EQ(click->mState, GameField::STATE_PLAYING);
    EXPECT_FALSE(click->mFastDrop) << "the click only leaves the level screen";

    Game quit;
    quit->mInputDelay = 0;
    quit->KeyDown(kEscape);
    EXPECT_EQ(quit->mState, GameField::STATE_FINISHED) << "Escape on the level screen";
}

TEST(GameFieldTest, RestingPieceLocksOnTheRestingIntervalUnlessMovedOverAGap)
{
    Game game;
    game.Play();
    // A stack two rows high in columns 4..10; the flat I rests on it.
    for (int row : {15, 16})
        game.FillRow(row, {0, 1, 2, 3});
    game.Piece(kI);
    ASSERT_TRUE(game->mPiece.Move(0, 13));
    game.TickToMultiple(88);
    EXPECT_TRUE(game->mResting);
    EXPECT_EQ(game->FallInterval(), 74);
    // Down neither lands it nor hurries the lock.
    game->KeyDown(kDown);
    game.Tick(73 - game.app.updateCount % 74);
    EXPECT_EQ(game->mCages[14][4], 0);
    game.Tick();
    EXPECT_EQ(game.app.updateCount % 74, 0);
    EXPECT_NE(game->mCages[14][4], 0) << "landed on a multiple of 80 - speed / 2";
    EXPECT_FALSE(game->mFastDrop) << "a landing ends the soft drop";

    // Rest again, then slide over the two-deep gap: the piece falls on.
    game.ClearWell();
    for (int row : {15, 16})
        game.FillRow(row, {0, 1, 2, 3});
    game.Piece(kI);
    ASSERT_TRUE(game->mPiece.Move(0, 14));
    game->mResting = true;
    for (int i = 0; i < 4; ++i)
        game->KeyDown(kLeft);
    game.TickToMultiple(74);
    EXPECT_EQ(game->mPiece.GetBounds().minRow, 15);
    EXPECT_FALSE(game->mResting);
    EXPECT_EQ(game->FallInterval(), 88);
    game->KeyDown(kDown);
    EXPECT_EQ(game->FallInterval(), 5);
    game->KeyUp(kDown);
    EXPECT_EQ(game->FallInterval(), 88);

    // Held down, a falling piece keeps the soft-drop pace until it lands: no lock delay.
    game.ClearWell();
    game.Piece(kT);
    ASSERT_TRUE(game->mPiece.Move(0, 13)); // two rows above the floor
    game->KeyDown(kDown);
    game.Tick(15);
    EXPECT_NE(game->mCages[16][5], 0);
}

TEST(GameFieldTest, HardDropLandsAtOnceWithATrailButWaitsForRescues)
{
    Game game;
    game.Play();
    game.Piece(kI);
    game.app.particles.clear();
    game->KeyDown(kSpace);
    for (int c = 4; c <= 7; ++c)
        EXPECT_NE(game->mCages[16][c], 0);
    EXPECT_EQ(game.app.particles.size(), 16u * 4u) << "one sparkle per cell and row fallen";
    EXPECT_EQ(game.app.Count(QuillTest::kBlit), 1);

    // Mark a cell at tick 80: the gravity step due at 88 falls inside the animation.
    game.Piece(kT);
    game.Tick(80);
    game->mCages[16][0] = 1;
    game->MarkCell(16, 0);
    game->KeyDown(kSpace);
    game->KeyDown(kDown);
    EXPECT_EQ(game->mPiece.GetBounds().minRow, 0);
    EXPECT_FALSE(game->mFastDrop);
    game->KeyDown(kLeft);
    EXPECT_EQ(game->mPiece.GetBounds().minColumn, 3) << "moves still work";
    game->KeyDown(kUp);
    EXPECT_EQ(game.app.Count(QuillTest::kRotate), 1) << "turns still work";
    EXPECT_EQ(FallTicks(game, 200), (std::vector<int>{176, 264}));
    EXPECT_EQ(game->mMarkedCount, 0);
}

TEST(GameFieldTest, MouseButtonsFollowTheDropOptions)
{
    struct Case {
        bool instant;
        bool doubleClick;
        int clicks;
        bool drops;
    };
    for (const Case& c : {Case{true, false, 1, true}, Case{false, true, 1, false}, Case{false, true, 2, true},
                          Case{false, true, 3, true}, Case{false, false, 2, false}}) {
        Game game;
        game.Play();
        game.Piece(kT);
        game.app.instantDrop = c.instant;
        game.app.doubleClickDrop = c.doubleClick;
        game->MouseDown(400, 300, c.clicks);
        EXPECT_EQ(game->mCages[16][5] != 0, c.drops) << c.instant << c.doubleClick << c.clicks;
        EXPECT_EQ(game->mFastDrop, !c.drops);
        game->mFastDrop = true;
        game->MouseUp(400, 300, c.clicks);
        EXPECT_EQ(game->mFastDrop, c.instant) << "releasing ends the soft drop unless clicks drop";
    }

    Game game;
    game.Play();
    game.Piece(kT);
    const Figure original = game->mPiece;
    Figure turned = game->mPiece;
    ASSERT_TRUE(turned.Rotate(true));
    game->MouseDown(0, 0, -1);
    EXPECT_EQ(game->mPiece.mCells, turned.mCells) << "right button turns clockwise";
    game->MouseWheel(+120);
    EXPECT_EQ(game->mPiece.mCells, original.mCells) << "wheel away turns counter-clockwise";
    game->MouseWheel(-120);
    EXPECT_EQ(game->mPiece.mCells, turned.mCells) << "wheel towards the player turns clockwise";
    game->mPaused = true;
    game->MouseDown(0, 0, -1);
    game->MouseWheel(-120);
    EXPECT_EQ(game->mPiece.mCells, turned.mCells) << "ignored while paused";
}

TEST(GameFieldTest, PieceFollowsTheMouseAcrossGamesUntilAKeyIsPressed)
{
    Game game;
    // Columns 4..6, centre x 401; on the level screen too.
    game.Piece(kT);
    game->MouseMove(401 - 14, 100);
    game.Tick();
    EXPECT_EQ(game->mPiece.GetBounds().minColumn, 4) << "within half a cell";
    game->MouseMove(401 - 15, 100);
    game.Tick();
    EXPECT_EQ(game->mPiece.GetBounds().minColumn, 3);
    game->MouseMove(247 + 28 * 9 + 14, 100); // middle of column 9
    game.Tick();
    EXPECT_EQ(game->mPiece.GetBounds().minColumn, 8);
    game->MouseMove(0, 100);
    game.Tick();
    EXPECT_EQ(game->mPiece.GetBounds().minColumn, 0) << "stops at the wall";

    QuillTest::FakeServices app;
    GameField next(&app, QuillTest::ShippedCatalogue());
    app.updateCount = 1;
    next.Update();
    EXPECT_EQ(next.mPiece.GetBounds().minColumn, 0) << "the mouse is kept from the last game";
    next.mInputDelay = 0;
    next.KeyDown(kLeft);
    EXPECT_FALSE(GameField::sMouseFollow) << "the keyboard takes over";
    ASSERT_TRUE(next.mPiece.Move(2, 0));
    next.Update();
    EXPECT_EQ(next.mPiece.GetBounds().minColumn, 2);
}

TEST(GameFieldTest, PauseKeyFreezesPlayOnly)
{
    Game game;
    game.Play();
    game.Piece(kT);
    game->KeyDown(kPause);
    ASSERT_TRUE(game->mPaused);
    game->KeyDown(kLeft);
    game.app.particleCount = 0;
    game.Tick(300);
    EXPECT_EQ(game->mPiece.GetBounds().minRow, 0);
    EXPECT_EQ(game->mPiece.GetBounds().minColumn, 4);
    EXPECT_EQ(game.app.particleCount, 0u) << "nothing advances";
    game->KeyDown(kPause);
    EXPECT_FALSE(game->mPaused);

    Game intro;
    intro->mInputDelay = 0;
    intro->KeyDown(kPause);
    EXPECT_FALSE(intro->mPaused) << "not on the level screen";
}

TEST(GameFieldTest, BlockedSpawnEndsTheGameWithoutRescuingItsRows)
{
    Game game;
    game.Play();
    game.Piece(kI);
    for (int i = 0; i < 4; ++i)
        game->KeyDown(kLeft);
    ASSERT_TRUE(game->mPiece.Move(0, 5)); // row 5, columns 0..3
    game.FillRow(5, {0, 1, 2, 3});
    for (int c = 4; c <= 7; ++c)
        game->mCages[0][c] = game->mCages[1][c] = game->mPets[0][c] = game->mPets[1][c] = 1;
    game->Land();
    EXPECT_EQ(game->mState, GameField::STATE_GAME_OVER);
    EXPECT_EQ(game->mInputDelay, 100);
    EXPECT_EQ(game.app.sounds.back().id, QuillTest::kGameOver);
    EXPECT_EQ(game->mMarkedCount, 0) << "the full row is not rescued";
    EXPECT_EQ(game->mScore, 0);
}

TEST(GameFieldTest, HintPagesOpenOnTheFirstUpdateAndTheFirstLanding)
{
    Game game;
    game.app.nextHint = 1;
    game.Tick();
    EXPECT_EQ(game.app.hintShown, std::vector<int>{1});
    game->mInputDelay = 0;
    game->KeyDown(kSpace);
    EXPECT_EQ(game->mState, GameField::STATE_LEVEL_INTRO) << "input ignored while a hint is open";
    game.Play();
    game.Piece(kT);
    game.Tick(500);
    EXPECT_EQ(game->mPiece.GetBounds().minRow, 0) << "no gravity under a hint";
    game.app.hintOpen = false;
    game->KeyDown(kSpace);
    EXPECT_EQ(game.app.hintShown, (std::vector<int>{1, 2}));
}

TEST(GameFieldTest, ReleasesAreNeverLostAndTheHiddenPieceDoesNotTurn)
{
    Game game;
    game.Play();
    game->KeyDown(kDown);
    ASSERT_TRUE(game->mFastDrop);
    game->mInputDelay = 10; // e.g. the focus just came back
    game->KeyUp(kDown);
    EXPECT_FALSE(game->mFastDrop);
    game->mFastDrop = true;
    game->mPaused = true;
    game->MouseUp(0, 0, 1);
    EXPECT_FALSE(game->mFastDrop);

    Game intro;
    intro->mInputDelay = 0;
    const Figure::Matrix cells = intro->mPiece.mCells;
    intro->MouseWheel(-120);
    EXPECT_EQ(intro->mPiece.mCells, cells);
    EXPECT_EQ(intro.app.Count(QuillTest::kRotate), 0);
}

} // namespace
