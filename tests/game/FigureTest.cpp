#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "framework/MTRand.h"
#include "tests/game/RulesSupport.h"
#include "tests/support/TempDir.h"

using Quill::Figure;
using Quill::GameField;
using QuillTest::Game;

namespace {

constexpr int kI = 0;
constexpr int kT = 2;

void ExpectVelocity(const Quill::Particle& p, int angle, float speed, float drift)
{
    const double a = angle * 3.14159265358979 / 180.0;
    EXPECT_NEAR(p.mVelocityX, std::cos(a) * speed, 1e-4);
    EXPECT_NEAR(p.mVelocityY, -std::sin(a) * speed - drift, 1e-4);
}

TEST(FigureTest, SetUpDrawsTheGeneratorInTheDesignedOrder)
{
    for (std::uint32_t seed : {1u, 1234u, 987654321u}) {
        Game game(seed);
        Quill::MTRand ref(seed);
        for (int i = 0; i < 7; ++i) // the piece and six templates restart the countdown
            ref.Next();
        const int countdown = 20 + ref.Next() % 10; // the last template's
        const int t = ref.Next() % 7;
        const int cage = ref.Next() % 5 + 1;
        const Figure& piece = game->mPiece;
        EXPECT_EQ(piece.mSize, game->mCatalogue[t].mSize) << seed;
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c) {
                const bool filled = game->mCatalogue[t].mCells[r][c] != 0;
                EXPECT_EQ(piece.mCells[r][c], filled ? cage : 0);
                EXPECT_EQ(piece.mPets[r][c], filled ? ref.Next() % 2 + 1 : 0);
            }
        EXPECT_EQ(game->mNextFigure, ref.Next() % 7);
        EXPECT_EQ(game->mBonusCountdown, countdown - 1) << "the first spawn counts";
        EXPECT_EQ(game.app.sounds.front().id, QuillTest::kMeet);
    }
}

TEST(FigureTest, SpawnRaisesTheShapeWithOneCageAndPetsInPlay)
{
    QuillTest::TempDir dir;
    const auto path = dir.Write("low.dat", "3 0 0 0 0 0 0 1 1 1\n1 1\n1 1\n1 1\n1 1\n1 1\n1 1\n");
    Game game(5, false, path);
    game->mPetsInPlay = 5;
    game.app.cageKinds = 6;
    std::set<int> pets;
    std::set<int> cages;
    for (int i = 0; i < 300; ++i) {
        ASSERT_TRUE(game->mPiece.Spawn(0));
        const Figure::Bounds bounds = game->mPiece.GetBounds();
        ASSERT_EQ(bounds.minRow, 0);
        ASSERT_EQ(bounds.maxRow, 0) << "row 2 of the matrix is raised to the top";
        const int cage = game->mPiece.mCells[2][0];
        for (int c = 0; c < 3; ++c) {
            ASSERT_EQ(game->mPiece.mCells[2][c], cage);
            pets.insert(game->mPiece.mPets[2][c]);
        }
        cages.insert(cage);
    }
    EXPECT_EQ(pets, (std::set<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(cages, (std::set<int>{1, 2, 3, 4, 5, 6}));
}

TEST(FigureTest, SpawnIsBlockedOnlyByCagesNotMarkedForRescue)
{
    Game game;
    game.FillRow(0, {0, 1, 2, 3, 8, 9, 10});
    const int countdown = game->mBonusCountdown;
    EXPECT_FALSE(game->mPiece.Spawn(kI));
    EXPECT_EQ(game->mBonusCountdown, countdown) << "a blocked spawn is not counted";
    for (int c = 4; c <= 7; ++c)
        game->MarkCell(0, c);
    EXPECT_TRUE(game->mPiece.Spawn(kI));
}

TEST(FigureTest, BonusPieceEveryTwentiethToTwentyNinthSpawn)
{
    Game game(42);
    std::vector<int> bonusSpawns;
    std::set<int> kinds;
    for (int spawn = 2; spawn <= 3000; ++spawn) { // the game's first piece was spawn 1
        ASSERT_TRUE(game->mPiece.Spawn(spawn % 7));
        if (game->mPiece.mBonus != 0) {
            bonusSpawns.push_back(spawn);
            kinds.insert(game->mPiece.mBonus);
        }
    }
    ASSERT_GT(bonusSpawns.size(), 100u);
    EXPECT_GE(bonusSpawns[0], 20);
    EXPECT_LE(bonusSpawns[0], 29);
    std::set<int> gaps;
    for (std::size_t i = 1; i < bonusSpawns.size(); ++i)
        gaps.insert(bonusSpawns[i] - bonusSpawns[i - 1]);
    EXPECT_EQ(gaps, (std::set<int>{20, 21, 22, 23, 24, 25, 26, 27, 28, 29}));
    EXPECT_EQ(kinds, (std::set<int>{1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(game.app.Count(QuillTest::kBonus), static_cast<int>(bonusSpawns.size()));

    // A bonus spawn draws the cage, the pets, then the next countdown, then the kind.
    game->mBonusCountdown = 1;
    Quill::SeedRand(3);
    Quill::MTRand ref(3);
    ASSERT_TRUE(game->mPiece.Spawn(kT));
    for (int i = 0; i < 5; ++i)
        ref.Next();
    EXPECT_EQ(game->mBonusCountdown, 20 + ref.Next() % 10);
    EXPECT_EQ(game->mPiece.mBonus, ref.Next() % 7 + 1);
}

TEST(FigureTest, MovesStayInsideTheWellAndOffCages)
{
    Game game;
    game.Piece(kI); // columns 4..7 on row 0
    int moves = 0;
    while (game->mPiece.Move(-1, 0))
        ++moves;
    EXPECT_EQ(moves, 4);
    EXPECT_EQ(game->mPiece.GetBounds().minColumn, 0);
    while (game->mPiece.Move(+1, 0))
        ++moves;
    EXPECT_EQ(game->mPiece.GetBounds().maxColumn, 10);
    game->mCages[1][9] = 1;
    game->MarkCell(1, 9);
    EXPECT_FALSE(game->mPiece.Move(0, 1)) << "marked cages still block";
    game->mCages[1][9] = 0;
    EXPECT_TRUE(game->mPiece.Move(0, 1));
    EXPECT_EQ(game.app.Count(QuillTest::kRotate) + game.app.Count(QuillTest::kBlit), 0);
}

TEST(FigureTest, RotationTurnsBothMatricesAndPushesTheShapeInside)
{
    Game game;
    game.Piece(kT);
    Figure& piece = game->mPiece;
    piece.mPets = {{{0, 1, 0, 0}, {2, 3, 4, 0}}};
    piece.mBlinkTimers[0][1] = 7;
    const Figure original = piece;
    ASSERT_TRUE(piece.Rotate(true));
    EXPECT_EQ(piece.mPets, (Figure::Matrix{{{0, 2, 0, 0}, {0, 3, 1, 0}, {0, 4, 0, 0}}}));
    EXPECT_EQ(piece.mBlinkTimers, original.mBlinkTimers) << "timers stay with their places";
    ASSERT_TRUE(piece.Rotate(false));
    EXPECT_EQ(piece.mPets, original.mPets);
    EXPECT_EQ(piece.mCells, original.mCells);
    EXPECT_EQ(game.app.sounds.back().id, QuillTest::kRotate);
    EXPECT_EQ(game.app.sounds.back().pan, std::optional<int>(0));

    // A flat I turned at the top would stick out above: it is pushed down.
    game.Piece(kI);
    ASSERT_TRUE(piece.Rotate(true));
    EXPECT_EQ(piece.GetBounds().minRow, 0);
    EXPECT_EQ(piece.GetBounds().maxRow, 3);
    // Upright against the left wall and turned back: shifted right to fit.
    while (piece.Move(-1, 0)) {
    }
    ASSERT_TRUE(piece.Move(0, 5));
    const Figure upright = piece;
    const int sounds = static_cast<int>(game.app.sounds.size());
    game->mCages[7][3] = 1; // where the shifted shape would go
    EXPECT_FALSE(piece.Rotate(true));
    EXPECT_EQ(piece.mX, upright.mX);
    EXPECT_EQ(piece.mCells, upright.mCells);
    EXPECT_EQ(static_cast<int>(game.app.sounds.size()), sounds) << "a refused turn is silent";
    game->mCages[7][3] = 0;
    ASSERT_TRUE(piece.Rotate(true));
    const Figure::Bounds bounds = piece.GetBounds();
    EXPECT_EQ(bounds.minColumn, 0);
    EXPECT_EQ(bounds.maxColumn, 3);
    EXPECT_EQ(bounds.minRow, 7);

    // A T turned to point down beside the wall sticks out by one column.
    game.Piece(kT);
    ASSERT_TRUE(piece.Rotate(true));
    while (piece.Move(-1, 0)) {
    }
    ASSERT_TRUE(piece.Move(0, 5));
    ASSERT_TRUE(piece.Rotate(true));
    EXPECT_EQ(piece.GetBounds().minColumn, 0);
    EXPECT_EQ(piece.GetBounds().maxColumn, 2);
}

TEST(FigureTest, PlaceCopiesTheCellsAndOpensTheSecondHint)
{
    Game game;
    game.Piece(kT);
    game->mPiece.mBlinkTimers[1][1] = 55;
    ASSERT_TRUE(game->mPiece.Move(0, 10));
    game.app.nextHint = 2;
    game->mPiece.Place();
    const int cage = game->mPiece.mCells[0][1];
    EXPECT_EQ(game->mCages[10][5], cage);
    EXPECT_EQ(game->mPets[10][5], game->mPiece.mPets[0][1]);
    EXPECT_EQ(game->mCages[11][4] * game->mCages[11][5] * game->mCages[11][6], cage * cage * cage);
    EXPECT_EQ(game->mCages[10][4], 0);
    EXPECT_EQ(game->mBlinkTimers[11][5], 0) << "timers are not copied";
    EXPECT_EQ(game.app.sounds.back().id, QuillTest::kBlit);
    EXPECT_EQ(game.app.sounds.back().pan, std::optional<int>(0));
    EXPECT_EQ(game.app.hintShown, std::vector<int>{2});
}

TEST(FigureTest, SparklesAndBlinksDrawTheGeneratorInOrder)
{
    Game game;
    game.Piece(kI); // row 0, columns 4..7
    Quill::SeedRand(99);
    Quill::MTRand ref(99);
    const Quill::Color color(1, 2, 3, 4);
    game->mPiece.EmitSparkles(color, 0.3f);
    ASSERT_EQ(game.app.particles.size(), 4u);
    for (int k = 0; k < 4; ++k) {
        const Quill::Particle& p = game.app.particles[k];
        EXPECT_EQ(p.mX, 247 + 28 * (4 + k) + 1 + ref.Next() % 10);
        EXPECT_EQ(p.mY, 1 + 1 + ref.Next() % 10);
        ExpectVelocity(p, ref.Next() % 360, 0.3f, 0.4f);
        EXPECT_EQ(p.mColor, color);
        EXPECT_EQ(p.mFrame + p.mAge, 0);
    }

    // Preview sparkles of the next shape, then the locked bar's glow.
    game.app.particles.clear();
    game->mNextFigure = 1; // the 2 x 2 square
    game->mBarLocked = true;
    Quill::SeedRand(7);
    ref.Seed(7);
    game.Tick();
    ASSERT_EQ(game.app.particles.size(), 5u);
    for (int k = 0; k < 4; ++k) {
        const Quill::Particle& p = game.app.particles[k];
        EXPECT_EQ(p.mX, 679 - 28 + 28 * (k % 2) + ref.Next() % 18 - 3);
        EXPECT_EQ(p.mY, 206 - 28 + 28 * (k / 2) + ref.Next() % 18 - 3);
        ExpectVelocity(p, ref.Next() % 360, 0.3f, 0.0f);
        EXPECT_EQ(p.mColor, Quill::Color(255, 255, 255, 16));
    }
    const Quill::Particle& glow = game.app.particles[4];
    EXPECT_EQ(glow.mX, 190 + ref.Next() % 10);
    EXPECT_EQ(glow.mY, 217 + ref.Next() % 10);
    ExpectVelocity(glow, ref.Next() % 360, 0.5f, 0.0f);
    EXPECT_EQ(glow.mColor, Quill::Color(255, 255, 255, 8));

    // A blink: closed for 10..19 ticks, then open for 300..599.
    int timer = 0;
    GameField::AdvanceBlink(timer);
    EXPECT_EQ(timer, -10 - ref.Next() % 10);
    while (timer < -1)
        GameField::AdvanceBlink(timer);
    GameField::AdvanceBlink(timer);
    EXPECT_EQ(timer, 300 + ref.Next() % 300);
}

} // namespace
