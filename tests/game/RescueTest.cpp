#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <utility>

#include "framework/MTRand.h"

#include "tests/game/RulesSupport.h"

using Quill::GameField;
using QuillTest::Game;

namespace {

constexpr int kSpace = 32;
constexpr int kI = 0;
constexpr int kO = 1;
constexpr int kT = 2;

using Cells = std::set<std::pair<int, int>>;

Cells Marked(const GameField& field)
{
    Cells cells;
    for (int r = 0; r < GameField::kRows; ++r)
        for (int c = 0; c < GameField::kColumns; ++c)
            if (field.mMarked[r][c] != 0)
                cells.insert({r, c});
    return cells;
}

Cells Rectangle(int top, int left, int bottom, int right)
{
    Cells cells;
    for (int r = top; r <= bottom; ++r)
        for (int c = left; c <= right; ++c)
            cells.insert({r, c});
    return cells;
}

TEST(RescueTest, FullRowsScoreTheWorkedExamples)
{
    struct Case {
        int level;
        int multiplier;
        int rows;
        int score;
    };
    // Level factors 1, 2, 3 from levels 1, 4, 9; count bonus 2 from the 21st mark, 3 from the 31st.
    for (const Case& c : {Case{1, 1, 1, 22}, Case{1, 1, 2, 46}, Case{9, 4, 1, 143}, Case{3, 1, 1, 22},
                          Case{4, 1, 1, 33}, Case{8, 1, 1, 33}, Case{1, 1, 3, 20 * 2 + 10 * 3 + 3 * 4}}) {
        Game game;
        game.Play();
        game->mLevel = c.level;
        game->mMultiplier = c.multiplier;
        if (c.rows == 1) {
            game.FillRow(16, {4, 5, 6, 7});
            game.Piece(kI);
        } else if (c.rows == 3) {
            for (int row : {14, 15, 16})
                game.FillRow(row, {6});
            game.Piece(kI);
            ASSERT_TRUE(game->mPiece.Rotate(true)); // upright in column 6
        } else {
            game.FillRow(15, {4, 5});
            game.FillRow(16, {4, 5});
            game.Piece(kO);
        }
        game->KeyDown(kSpace);
        EXPECT_EQ(game->mScore, c.score) << c.level << " " << c.rows;
        EXPECT_EQ(game->mMarkedCount, 11 * c.rows);
        EXPECT_EQ(game->mRescued, 11 * c.rows);
        EXPECT_EQ(game.app.Count(QuillTest::kRemove), 1) << "one rescue sound per batch";
        game.Tick(81);
        EXPECT_EQ(game->mMarkedCount, 0);
        int left = 0;
        for (const auto& row : game->mCages)
            for (int cage : row)
                left += cage != 0 ? 1 : 0;
        EXPECT_EQ(left, c.rows == 3 ? 1 : 0) << "the rows are gone, the upright piece's top dropped";
    }
}

TEST(RescueTest, MarksScoreOnceAndGoEightyTicksAfterTheLastMarking)
{
    Game game;
    game.Play();
    game.FillRow(16, {0, 1, 2});
    game->mCages[10][0] = 2; // above an empty bottom cell
    game->mPets[10][0] = 2;
    game.Tick(10);
    game.Piece(kT);
    ASSERT_TRUE(game->mPiece.Move(0, 5));
    game.LandWithBonus(2); // Orange: the bottom row
    EXPECT_EQ(game->mScore, 8 * 2) << "only the caged cells score";
    EXPECT_EQ(game->mMarkedCount, 11) << "empty cells count too";
    game->MarkCell(16, 5);
    EXPECT_EQ(game->mMarkedCount, 11);
    EXPECT_EQ(game->mScore, 16) << "a second mark scores nothing";
    game.Tick(40);
    game->MarkCell(0, 0); // restarts the animation for all
    EXPECT_EQ(game.app.Count(QuillTest::kRemove), 1);
    game.Tick(80);
    EXPECT_EQ(game->mMarkedCount, 12) << "still shown at mark time + 80";
    game.Tick();
    EXPECT_EQ(game->mMarkedCount, 0);
    EXPECT_EQ(game->mCages[11][0], 2) << "every column dropped, also over an empty cell";
    EXPECT_EQ(game->mCages[10][0], 0);
    EXPECT_EQ(game->mPets[11][0], 2);
    game->MarkCell(3, 3);
    EXPECT_EQ(game.app.Count(QuillTest::kRemove), 2) << "the sound plays again after a removal";
}

TEST(RescueTest, EachBonusMarksItsPattern)
{
    // Cages/pets: (3,0) 2/1, (5,7) 3/2, (12,1) 2/2, (16,10) 3/1; the T lands with
    // cage 4 and pets 2 on (8,5), (9,4), (9,5), (9,6).
    const Cells piece{{8, 5}, {9, 4}, {9, 5}, {9, 6}};
    const Cells expected[] = {
        Rectangle(0, 0, 16, 10), Rectangle(16, 0, 16, 10), Rectangle(15, 0, 16, 10), Rectangle(0, 4, 16, 6),
        Rectangle(8, 0, 9, 10),  Cells{{3, 0}, {12, 1}},   Cells{{3, 0}, {16, 10}},
    };
    for (int bonus = 1; bonus <= 7; ++bonus) {
        Game game;
        game.Play();
        const int setup[][4] = {{3, 0, 2, 1}, {5, 7, 3, 2}, {12, 1, 2, 2}, {16, 10, 3, 1}};
        for (const auto& cell : setup) {
            game->mCages[cell[0]][cell[1]] = cell[2];
            game->mPets[cell[0]][cell[1]] = cell[3];
        }
        game.Piece(kT);
        for (int r = 0; r < 2; ++r)
            for (int c = 0; c < 3; ++c)
                if (game->mPiece.mCells[r][c] != 0) {
                    game->mPiece.mCells[r][c] = 4;
                    game->mPiece.mPets[r][c] = 2;
                }
        ASSERT_TRUE(game->mPiece.Move(0, 8));
        game.LandWithBonus(bonus);
        EXPECT_EQ(Marked(*game), expected[bonus - 1]) << "bonus " << bonus;
        if (bonus == 1) {
            EXPECT_EQ(game->mScore, 8 * (1 + 3)) << "late cells get the count bonus of 3";
        }
    }

    // Yellow marks column by column, the bottom cell first: after one earlier
    // mark, (15,9) is the 21st mark and (16,10) the 22nd, both with bonus 2.
    Game game;
    game.Play();
    game->MarkCell(0, 0);
    game->mCages[15][9] = game->mCages[16][10] = game->mPets[15][9] = game->mPets[16][10] = 1;
    game.Piece(kT);
    ASSERT_TRUE(game->mPiece.Move(0, 8));
    game.LandWithBonus(3);
    EXPECT_EQ(game->mScore, 2 * (1 + 2));
}

TEST(RescueTest, LevelsSpeedUpAndIntroducePetsUpToTheEighth)
{
    Game game;
    game.Play();
    game->MarkCell(0, 0);
    const char* names[] = {"Frog", "", "Pig", "", "Wolf", "", "Bird", "", "Snake", "", "Alien", ""};
    const int speeds[] = {20, 28, 36, 44, 52, 60, 68, 76, 84, 90, 90, 90};
    const int resting[] = {70, 66, 62, 58, 54, 50, 46, 42, 38, 35, 35, 35};
    int pets = 2;
    for (int level = 2; level <= 13; ++level) {
        game->mRescued = game->mNeeded + (level == 2 ? 5 : 0);
        const int score = game->mScore;
        const int sounds = static_cast<int>(game.app.sounds.size());
        game.Tick(81);
        ASSERT_EQ(game->mLevel, level);
        const int i = level - 2;
        EXPECT_EQ(game->mState, GameField::STATE_LEVEL_INTRO);
        EXPECT_EQ(game->mInputDelay, 100);
        EXPECT_EQ(game->mRescued, 0) << "rescues beyond the quota are not carried over";
        EXPECT_EQ(game->mNeeded, (level * 5 + 20) * 4);
        EXPECT_EQ(game->mMarkedCount, 187) << "the whole well is rescued";
        EXPECT_EQ(game->mScore, score) << "for no points";
        EXPECT_EQ(game->mSpeed, speeds[i]);
        EXPECT_EQ(game->FallInterval(), 100 - speeds[i]);
        game->mResting = true;
        EXPECT_EQ(game->FallInterval(), resting[i]);
        game->mResting = false;
        EXPECT_EQ(game->mMeetName, names[i]);
        pets += names[i][0] != '\0' ? 1 : 0;
        EXPECT_EQ(game->mPetsInPlay, pets) << level;
        EXPECT_EQ(game.app.sounds.back().id, names[i][0] != '\0' ? QuillTest::kMeet : QuillTest::kLevel)
            << level;
        EXPECT_GT(static_cast<int>(game.app.sounds.size()), sounds);
    }
    EXPECT_EQ(game->mPetsInPlay, 8);
}

TEST(RescueTest, ComboBarFillsInNineLandingsLocksAtTheSixthAndDecays)
{
    Game game;
    game.Play();
    const auto landing = [&game] {
        game.ClearWell();
        game.Piece(kT);
        game->KeyDown(kSpace);
    };
    const int decay[] = {17, 14, 11, 8, 5, 5};
    for (int fill = 0; fill < 6; ++fill) {
        for (int i = 0; i < 8; ++i)
            landing();
        EXPECT_EQ(game->mBar, 160);
        EXPECT_EQ(game->mMultiplier, 1 + fill);
        game.ClearWell();
        game.Piece(kT);
        game.app.particles.clear();
        Quill::SeedRand(77 + fill);
        Quill::MTRand ref(77 + fill);
        game->KeyDown(kSpace);
        EXPECT_EQ(game->mMultiplier, 2 + fill);
        EXPECT_EQ(game->mDecayInterval, decay[fill]);
        // Draws: the trail (three a sparkle), the next piece (a cage, four pets),
        // the next shape, then the burst from the multiplier display.
        const std::size_t trail = game.app.particles.size() - 48;
        for (std::size_t i = 0; i < trail * 3 + 5; ++i)
            ref.Next();
        EXPECT_EQ(game->mNextFigure, ref.Next() % 7);
        EXPECT_EQ(game.app.particles[trail].mX, 186 + ref.Next() % 18);
        int burst = 0;
        for (const Quill::Particle& p : game.app.particles)
            burst += p.mColor == Quill::Color(255, 255, 255, 16) ? 1 : 0;
        EXPECT_EQ(burst, 48);
        EXPECT_EQ(game->mBarLocked, fill == 5);
        EXPECT_EQ(game->mBar, fill == 5 ? 179 : 0);
    }
    landing();
    EXPECT_EQ(game->mBar, 179);
    EXPECT_EQ(game->mMultiplier, 7) << "a locked bar changes nothing";
    game.app.particleCount = 0;
    game.Tick(100);
    EXPECT_EQ(game->mBar, 179) << "nor does it drain";

    // Draining: one point per decay interval, only in play and while nothing is marked.
    Game drain;
    drain.Play();
    drain->mBar = 50;
    drain.Tick(200);
    EXPECT_EQ(drain->mBar, 40);
    drain->mCages[16][0] = 1;
    drain->MarkCell(16, 0);
    drain.Tick(60);
    EXPECT_EQ(drain->mBar, 40);
    drain.Tick(140);
    drain->mState = GameField::STATE_LEVEL_INTRO;
    const int bar = drain->mBar;
    drain.Tick(100);
    EXPECT_EQ(drain->mBar, bar);
}

TEST(RescueTest, LostGameStaysLostWhenItsLastRescueMeetsTheQuota)
{
    Game game;
    game.Play();
    game.FillRow(16, {3});
    game->mRescued = game->mNeeded - 5;
    game.Piece(kT);
    ASSERT_TRUE(game->mPiece.Move(-4, 6));
    for (int c = 4; c <= 7; ++c)
        game->mCages[0][c] = game->mPets[0][c] = 1; // the next piece cannot appear
    game.LandWithBonus(2);
    ASSERT_EQ(game->mState, GameField::STATE_GAME_OVER);
    EXPECT_GE(game->mRescued, game->mNeeded);
    const int score = game->mScore;
    game.Tick(81);
    EXPECT_EQ(game->mMarkedCount, 0) << "the rescue still completes";
    EXPECT_EQ(game->mState, GameField::STATE_GAME_OVER);
    EXPECT_EQ(game->mLevel, 1);
    EXPECT_EQ(game->mScore, score);
    game.Tick(20);
    game->KeyDown(kSpace);
    EXPECT_EQ(game->mState, GameField::STATE_FINISHED);
}

TEST(RescueTest, ScoreStopsAtTheTopOfItsRange)
{
    Game game;
    game.Play();
    game->mScore = INT_MAX - 1;
    game->mCages[16][0] = 1;
    game->MarkCell(16, 0);
    EXPECT_EQ(game->mScore, INT_MAX);
}

} // namespace
