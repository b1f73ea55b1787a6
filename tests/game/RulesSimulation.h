#pragma once

// Seeded games played with random input, for the simulation harness and
// bench_rules. Free of any test framework.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

#include "framework/MTRand.h"
#include "tests/game/RulesSupport.h"

namespace QuillTest {

class RulesSimulation {
public:
    // Every game starts from the shared generator seeded once with `seed`;
    // the player's input comes from a generator of its own.
    // With `skilledPlayers` off every game is played by random input alone.
    explicit RulesSimulation(std::uint32_t seed, bool skilledPlayers = true)
        : mInput(seed ^ 0x5EEDu), mSkilledPlayers(skilledPlayers)
    {
        Quill::SeedRand(seed);
        mApp.keepParticles = false;
        mApp.keepSounds = false;
        NewGame();
    }

    // One application update: perhaps an input event, then the field's update.
    // A finished game is replaced by a new one, as the board would.
    void Step()
    {
        ++mApp.updateCount;
        if (mSkilled) {
            if (Chance(500))
                RandomInput();
            if (Chance(3))
                SkilledInput();
        } else if (Chance(12)) {
            RandomInput();
        }
        mField->Update();
        ++mTicks;
        if (mTicks >= mGameEnd)
            mField->mState = Quill::GameField::STATE_FINISHED; // the player quits
        if (mField->mState == Quill::GameField::STATE_FINISHED)
            NewGame();
    }

    // Empty when every invariant holds after the last step, else what broke.
    [[nodiscard]] std::string CheckInvariants()
    {
        const Quill::GameField& f = *mField;
        // The stream is made only when something broke: the check runs every tick.
        std::optional<std::ostringstream> report;
        const auto error = [&report]() -> std::ostream& {
            if (!report)
                report.emplace();
            return *report;
        };
        // A quick pass over the well; the cells are named only when one is wrong.
        int marks = 0;
        bool wrongCell = false;
        for (int r = 0; r < Quill::GameField::kRows; ++r) {
            for (int c = 0; c < Quill::GameField::kColumns; ++c) {
                wrongCell |= CellWrong(f, r, c);
                marks += f.mMarked[r][c];
            }
        }
        for (int r = 0; wrongCell && r < Quill::GameField::kRows; ++r)
            for (int c = 0; c < Quill::GameField::kColumns; ++c)
                if (CellWrong(f, r, c))
                    error() << "cell " << r << "," << c << " cage " << f.mCages[r][c] << " pet "
                            << f.mPets[r][c] << " mark " << f.mMarked[r][c] << "; ";
        if (marks != f.mMarkedCount)
            error() << "marked count " << f.mMarkedCount << " for " << marks << " marks; ";

        const Quill::Figure& piece = f.mPiece;
        if (piece.mSize < 1 || piece.mSize > 4 || piece.mBonus < 0 || piece.mBonus > 7)
            error() << "piece size " << piece.mSize << " bonus " << piece.mBonus << "; ";
        int cageKind = 0;
        for (int r = 0; r < 4; ++r) {
            for (int c = 0; c < 4; ++c) {
                if (piece.mCells[r][c] == 0)
                    continue;
                const int row = piece.mY + r - 1;
                const int column = piece.mX + c - 1;
                const bool inside = row >= 0 && row < Quill::GameField::kRows && column >= 0 &&
                                    column < Quill::GameField::kColumns;
                if (!inside && f.mState != Quill::GameField::STATE_GAME_OVER)
                    error() << "piece cell outside at " << row << "," << column << "; ";
                if (r >= piece.mSize || c >= piece.mSize)
                    error() << "piece cell outside its matrix; ";
                if (cageKind == 0)
                    cageKind = piece.mCells[r][c];
                if (piece.mCells[r][c] != cageKind || cageKind > mApp.cageKinds)
                    error() << "piece cages differ; ";
                if (piece.mPets[r][c] < 1 || piece.mPets[r][c] > f.mPetsInPlay)
                    error() << "piece pet " << piece.mPets[r][c] << "; ";
            }
        }

        if (f.mScore < mLastScore || f.mLevel < mLastLevel)
            error() << "score " << mLastScore << " -> " << f.mScore << ", level " << mLastLevel << " -> "
                    << f.mLevel << "; ";
        mLastScore = f.mScore;
        mLastLevel = f.mLevel;
        const int d = f.mDecayInterval;
        if (f.mBar < 0 || f.mBar > 179 || (f.mBarLocked && f.mBar != 179) || d < 5 || d > 20 ||
            (20 - d) % 3 != 0)
            error() << "bar " << f.mBar << " decay " << d << "; ";
        if (f.mMultiplier < 1 || f.mMultiplier > 9 || f.mSpeed < 12 || f.mSpeed > 90 || f.mPetsInPlay < 2 ||
            f.mPetsInPlay > 8 || f.mNextFigure < 0 || f.mNextFigure > 6 || f.mRescued < 0 ||
            f.mInputDelay < 0 || f.mInputDelay > 100 || f.mBonusCountdown < 1 || f.mBonusCountdown > 29 ||
            f.mState < 0 || f.mState > 3)
            error() << "counters out of range; ";
        return report ? report->str() : std::string();
    }

    [[nodiscard]] std::uint64_t Ticks() const { return mTicks; }
    [[nodiscard]] std::uint64_t Games() const { return mGames; }
    [[nodiscard]] int HighestLevel() const { return mHighestLevel; }
    [[nodiscard]] const Quill::GameField& Field() const { return *mField; }
    [[nodiscard]] const FakeServices& App() const { return mApp; }

private:
    // A cell is empty or holds a pet in a cage of kinds in play; a mark is 0 or 1.
    bool CellWrong(const Quill::GameField& f, int r, int c) const
    {
        const int cage = f.mCages[r][c];
        const int pet = f.mPets[r][c];
        const int mark = f.mMarked[r][c];
        return (cage < 0) | (cage > mApp.cageKinds) | (pet < 0) | (pet > f.mPetsInPlay) |
               ((cage == 0) != (pet == 0)) | (mark < 0) | (mark > 1);
    }

    bool Chance(int oneIn) { return mInput.Next() % oneIn == 0; }

    void NewGame()
    {
        if (mField)
            mHighestLevel = std::max(mHighestLevel, mField->mLevel);
        mField.reset();
        mApp.incSpeed = Chance(4);
        mApp.instantDrop = Chance(3);
        mApp.doubleClickDrop = Chance(2);
        mApp.hintOpen = false;
        mApp.nextHint = Chance(8) ? 1 : 3;
        mSkilled = Chance(2) && mSkilledPlayers;
        mGameEnd = mTicks + 20'000 + static_cast<std::uint64_t>(mInput.Next() % 200'000);
        mField = std::make_unique<Quill::GameField>(&mApp, ShippedCatalogue());
        mPlanned = false;
        mLastScore = 0;
        mLastLevel = 1;
        ++mGames;
    }

    // One event of the kinds the board forwards (and the board's own writes).
    void RandomInput()
    {
        static constexpr int kKeys[] = {37, 39, 38, 40, 32, 13, 19, 65, 37, 39, 38, 37, 39, 40};
        Quill::GameField& f = *mField;
        switch (mInput.Next() % 12) {
        case 0:
        case 1:
        case 2:
            f.KeyDown(kKeys[mInput.Next() % std::size(kKeys)]);
            break;
        case 3:
            f.KeyUp(40);
            break;
        case 4:
            f.MouseMove(mInput.Next() % 800, mInput.Next() % 600);
            break;
        case 5: {
            static constexpr int kClicks[] = {1, 1, 2, 3, -1, -2};
            const int clicks = kClicks[mInput.Next() % std::size(kClicks)];
            f.MouseDown(mInput.Next() % 800, mInput.Next() % 600, clicks);
            if (Chance(2))
                f.MouseUp(0, 0, clicks);
            break;
        }
        case 6:
            f.MouseWheel(Chance(2) ? 120 : -120);
            break;
        case 7:
            // The hint page closes (or, rarely, something else opens one).
            mApp.hintOpen = mApp.hintOpen ? !Chance(3) : Chance(400);
            break;
        case 8:
            mApp.altHeld = Chance(10);
            break;
        case 9:
            // Focus lost and regained, as the board handles it.
            if (Chance(20) && !mApp.hintOpen)
                f.mPaused = true;
            else if (f.mPaused) {
                f.mPaused = false;
                f.mInputDelay = 10;
            }
            break;
        case 10:
            if (Chance(2000))
                f.mState = Quill::GameField::STATE_FINISHED; // Escape or the quit button
            break;
        default:
            f.KeyDown(32);
            break;
        }
    }

    // Where the falling piece would do least harm: the turns and the column
    // that leave the lowest, flattest stack with the fewest holes.
    void Plan()
    {
        const Quill::GameField& f = *mField;
        int best = INT32_MAX;
        Quill::Figure probe = f.mPiece;
        for (int turns = 0; turns < 4; ++turns) {
            if (turns > 0 && !probe.Rotate(true))
                break;
            Quill::Figure slide = probe;
            while (slide.Move(-1, 0)) {
            }
            do {
                Quill::Figure drop = slide;
                while (drop.Move(0, 1)) {
                }
                const int cost = Cost(f, drop);
                if (cost < best) {
                    best = cost;
                    mTurns = turns;
                    mColumn = drop.GetBounds().minColumn;
                }
            } while (slide.Move(+1, 0));
        }
        mPlanned = true;
    }

    static int Cost(const Quill::GameField& f, const Quill::Figure& drop)
    {
        bool filled[Quill::GameField::kRows][Quill::GameField::kColumns];
        for (int r = 0; r < Quill::GameField::kRows; ++r)
            for (int c = 0; c < Quill::GameField::kColumns; ++c)
                filled[r][c] = f.mCages[r][c] != 0;
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c)
                if (drop.mCells[r][c] != 0)
                    filled[drop.mY + r - 1][drop.mX + c - 1] = true;
        int lines = 0;
        for (const auto& row : filled)
            lines += std::all_of(std::begin(row), std::end(row), [](bool b) { return b; }) ? 1 : 0;
        int height = 0;
        int holes = 0;
        int bumps = 0;
        int last = -1;
        for (int c = 0; c < Quill::GameField::kColumns; ++c) {
            int top = Quill::GameField::kRows;
            for (int r = Quill::GameField::kRows - 1; r >= 0; --r)
                if (filled[r][c])
                    top = r;
            for (int r = top; r < Quill::GameField::kRows; ++r)
                holes += filled[r][c] ? 0 : 1;
            const int h = Quill::GameField::kRows - top;
            height += h;
            bumps += last < 0 ? 0 : std::abs(h - last);
            last = h;
        }
        return 51 * height - 76 * lines + 36 * holes + 18 * bumps;
    }

    // A player who aims: turn, slide, then drop (or let gravity do it).
    void SkilledInput()
    {
        Quill::GameField& f = *mField;
        if (f.mState != Quill::GameField::STATE_PLAYING) {
            f.KeyDown(32);
            return;
        }
        const int landed = mApp.Count(kBlit);
        if (landed != mLanded) {
            mLanded = landed;
            mPlanned = false;
        }
        if (!mPlanned)
            Plan();
        if (mTurns > 0) {
            f.KeyDown(38);
            --mTurns;
            return;
        }
        const int column = f.mPiece.GetBounds().minColumn;
        if (column != mColumn) {
            f.KeyDown(column < mColumn ? 39 : 37);
            if (f.mPiece.GetBounds().minColumn == column)
                mColumn = column; // blocked: settle here
        } else if (Chance(4)) {
            f.KeyDown(32);
        } else if (Chance(8)) {
            f.KeyDown(40);
        }
    }

    FakeServices mApp;
    std::unique_ptr<Quill::GameField> mField;
    Quill::MTRand mInput;
    bool mSkilledPlayers = true;
    bool mSkilled = false;
    std::uint64_t mGameEnd = 0;
    bool mPlanned = false;
    int mLanded = 0;
    int mTurns = 0;
    int mColumn = 0;
    int mLastScore = 0;
    int mLastLevel = 1;
    int mHighestLevel = 1;
    std::uint64_t mTicks = 0;
    std::uint64_t mGames = 0;
};

} // namespace QuillTest
