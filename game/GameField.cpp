#include "game/GameField.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <string_view>
#include <system_error>

#include "framework/Rand.h"
#include "game/GameServices.h"
#include "game/Res.h"
#include "platform/Files.h"

namespace Quill {

namespace {

// Virtual key codes the game reacts to.
constexpr int kKeyEnter = 13;
constexpr int kKeyPause = 19;
constexpr int kKeyEscape = 27;
constexpr int kKeySpace = 32;
constexpr int kKeyLeft = 37;
constexpr int kKeyUp = 38;
constexpr int kKeyRight = 39;
constexpr int kKeyDown = 40;

// The real catalogue is a few hundred bytes; anything past this is not one.
constexpr std::size_t kMaxCatalogueBytes = 64 * 1024;
constexpr const char* kCouldNotLoad = "Could not load properties/figures.dat";
constexpr const char* kInvalidFile = "Invalid properties/figures.dat file";

// Speeds and multipliers at the start of a game, without and with "IncSpeed".
constexpr int kStartSpeed = 12;
constexpr int kStartSpeedFast = 36;
constexpr int kStartMultiplier = 1;
constexpr int kStartMultiplierFast = 3;
constexpr int kSpeedStep = 8;
constexpr int kFirstQuota = 100;
constexpr int kSoftDropInterval = 5;

// Combo bar: points per landing, decay interval at the start, its step and floor.
constexpr int kBarPerLanding = 20;
constexpr int kStartDecayInterval = 20;
constexpr int kDecayStep = 3;
constexpr int kMinDecayInterval = 5;

// Blink timers: eyes open 300..599 ticks, closed 10..19 ticks.
constexpr int kOpenTicks = 300;
constexpr int kClosedTicks = 10;

// Next-piece preview, centred on this screen point.
constexpr int kPreviewX = 679;
constexpr int kPreviewY = 206;
constexpr Color kPreviewSparkle{255, 255, 255, 16};
constexpr Color kHardDropTrail{255, 255, 200, 24};
constexpr float kTrailSpeed = 0.3f;
// The burst when the combo bar fills, and the glow of a locked bar.
constexpr int kBurstCount = 48;
constexpr Color kBurstSparkle{255, 255, 255, 16};
constexpr float kBurstSpeed = 0.8f;
constexpr Color kGlowSparkle{255, 255, 255, 8};
constexpr float kGlowSpeed = 0.5f;

// Pets introduced on the screen of each new level; empty for none.
constexpr std::array<std::string_view, 13> kMeetNames{
    "", "Cat & Mouse", "Frog", "", "Pig", "", "Wolf", "", "Bird", "", "Snake", "", "Alien"};

std::string_view MeetNameFor(int level)
{
    if (level < 0 || level >= static_cast<int>(kMeetNames.size()))
        return {};
    return kMeetNames[static_cast<std::size_t>(level)];
}

int LevelFactor(int level)
{
    if (level <= 3)
        return 1;
    if (level <= 8)
        return 2;
    return 3;
}

// Extra points per pet for big batches of marked cells.
int CountBonus(int markedCount)
{
    if (markedCount <= 20)
        return 1;
    if (markedCount <= 30)
        return 2;
    return 3;
}

bool InsideGrid(int row, int column)
{
    return row >= 0 && row < GameField::kRows && column >= 0 && column < GameField::kColumns;
}

} // namespace

GameField::GameField(GameServices* app, const std::filesystem::path& cataloguePath) : mApp(app)
{
    mMeetName = MeetNameFor(1);
    mApp->PlaySample(soundMeet);
    mPiece.Init(mApp, this);
    if (!LoadCatalogue(cataloguePath))
        return;
    mCatalogueLoaded = true;

    // The well is empty: the first piece always fits.
    static_cast<void>(mPiece.Spawn(Rand() % Figure::kPlayableTemplates));
    mNextFigure = Rand() % Figure::kPlayableTemplates;

    mScore = 0;
    mRescued = 0;
    mLevel = 1;
    mState = STATE_LEVEL_INTRO;
    mInputDelay = kInputDelay;
    mNeeded = kFirstQuota;
    mFastDrop = false;
    const bool fast = mApp->IncSpeed();
    mSpeed = fast ? kStartSpeedFast : kStartSpeed;
    mMultiplier = fast ? kStartMultiplierFast : kStartMultiplier;
    mPaused = false;
    mBar = 0;
    mBarLocked = false;
    mDecayInterval = kStartDecayInterval;
    mResting = false;
    mRescueSoundPlayed = false;
}

bool GameField::LoadCatalogue(const std::filesystem::path& path)
{
    const auto fail = [this](const char* message) {
        mCatalogue.clear();
        mApp->Popup(message);
        mApp->Shutdown();
        return false;
    };
    const auto bytes = Platform::ReadWholeFile(path, kMaxCatalogueBytes);
    if (!bytes) {
        // A file that is there but far too large is a bad catalogue, not a missing one.
        std::error_code error;
        const bool exists = std::filesystem::is_regular_file(path, error);
        const auto size = exists ? std::filesystem::file_size(path, error) : 0;
        const bool tooLarge = exists && !error && size > kMaxCatalogueBytes;
        return fail(tooLarge ? kInvalidFile : kCouldNotLoad);
    }
    const std::string_view text(reinterpret_cast<const char*>(bytes->data()), bytes->size());
    const auto shapes = Figure::ParseCatalogue(text);
    if (!shapes)
        return fail(kInvalidFile);
    mCatalogue.reserve(shapes->size());
    for (const Figure::Shape& shape : *shapes) {
        Figure figure;
        figure.Init(mApp, this);
        figure.mSize = shape.size;
        figure.mCells = shape.cells;
        mCatalogue.push_back(figure);
    }
    return true;
}

int GameField::FallInterval() const
{
    int interval = 0;
    if (mResting)
        interval = 80 - mSpeed / 2;
    else if (mFastDrop)
        interval = kSoftDropInterval;
    else
        interval = 100 - mSpeed;
    // The board may write any speed; a tick count is never taken modulo 0.
    return std::max(1, interval);
}

void GameField::Update()
{
    if (!mCatalogueLoaded)
        return;
    if (mPaused && mState == STATE_PLAYING)
        return;
    if (mInputDelay > 0)
        --mInputDelay;
    const int tick = mApp->UpdateCount();
    const int interval = FallInterval();

    if (sMouseFollow)
        FollowMouse();

    // Gravity, which waits while a rescue animation runs.
    if (mMarkedCount == 0 && tick % interval == 0 && mState == STATE_PLAYING && !mApp->HintOpen()) {
        if (!mPiece.Move(0, 1))
            Land();
        if (!mFastDrop) {
            const bool couldFall = mPiece.Move(0, 1);
            if (couldFall)
                --mPiece.mY;
            mResting = !couldFall;
        }
    }

    // The rescue animation is over: the marked cells go.
    if (mMarkedCount > 0 && tick > mMarkTime + kRescueTicks) {
        for (int r = 0; r < kRows; ++r)
            for (int c = 0; c < kColumns; ++c)
                RemoveCell(r, c);
        CheckLevel();
    }

    if (mState == STATE_PLAYING && !mApp->HintOpen()) {
        for (int r = 0; r < kRows; ++r)
            for (int c = 0; c < kColumns; ++c)
                if (mPets[r][c] != 0)
                    AdvanceBlink(mBlinkTimers[r][c]);
        mPiece.Update();
        if (mBar > 0 && !mBarLocked && mMarkedCount == 0 && tick % mDecayInterval == 0)
            --mBar;
    }

    EmitTickSparkles();

    if (mApp->NextHint() == 1)
        mApp->ShowNextHint();
}

void GameField::AdvanceBlink(int& timer)
{
    if (timer < 0) {
        ++timer;
        if (timer == 0)
            timer = kOpenTicks + Rand() % kOpenTicks;
    } else {
        --timer;
        if (timer < 0)
            timer = -kClosedTicks - Rand() % kClosedTicks;
    }
}

void GameField::EmitTickSparkles()
{
    if (mNextFigure >= 0 && static_cast<std::size_t>(mNextFigure) < mCatalogue.size()) {
        const Figure& next = mCatalogue[static_cast<std::size_t>(mNextFigure)];
        const int half = (next.mSize * kCellSize) / 2;
        for (int r = 0; r < Figure::kMaxSize; ++r) {
            for (int c = 0; c < Figure::kMaxSize; ++c) {
                if (next.mCells[r][c] == 0)
                    continue;
                const int cellX = kPreviewX - half + kCellSize * c;
                const int cellY = kPreviewY - half + kCellSize * r;
                const int x = cellX + Rand() % 18 - 3;
                const int y = cellY + Rand() % 18 - 3;
                const int angle = Rand() % 360;
                mApp->AddParticle(Particle::Launch(x, y, angle, kTrailSpeed, kPreviewSparkle));
            }
        }
    }
    if (mBarLocked) {
        const int x = 190 + Rand() % 10;
        const int y = 217 + Rand() % 10;
        const int angle = Rand() % 360;
        mApp->AddParticle(Particle::Launch(x, y, angle, kGlowSpeed, kGlowSparkle));
    }
}

void GameField::FollowMouse()
{
    constexpr int halfCell = kCellSize / 2;
    int d = sMouseX - mPiece.GetCenterX();
    while (d < -halfCell && mPiece.Move(-1, 0))
        d = sMouseX - mPiece.GetCenterX();
    while (d > halfCell && mPiece.Move(+1, 0))
        d = sMouseX - mPiece.GetCenterX();
}

void GameField::Land()
{
    if (!mCatalogueLoaded)
        return;
    mPiece.Place();
    if (!mPiece.Spawn(mNextFigure)) {
        mState = STATE_GAME_OVER;
        mInputDelay = kInputDelay;
        mApp->PlaySample(soundGameOver);
        return;
    }
    mNextFigure = Rand() % Figure::kPlayableTemplates;
    FillBar();
    if (sMouseFollow)
        FollowMouse();
    mFastDrop = false;
    for (int r = 0; r < kRows; ++r) {
        const bool full = std::all_of(mCages[r].begin(), mCages[r].end(), [](int cage) { return cage != 0; });
        if (full)
            for (int c = 0; c < kColumns; ++c)
                MarkCell(r, c);
    }
}

void GameField::HardDrop()
{
    if (mMarkedCount != 0)
        return;
    while (mPiece.Move(0, 1))
        mPiece.EmitSparkles(kHardDropTrail, kTrailSpeed);
    Land();
}

void GameField::MarkCell(int row, int column)
{
    if (!InsideGrid(row, column) || mMarked[row][column] != 0)
        return;
    mMarked[row][column] = 1;
    ++mMarkedCount;
    if (mCages[row][column] != 0 && mState == STATE_PLAYING) {
        const std::int64_t points =
            std::int64_t{mMultiplier} * LevelFactor(mLevel) + CountBonus(mMarkedCount);
        // A score is kept in 32 bits (the high score file stores 4 bytes): it stops at the top.
        mScore = static_cast<int>(std::min<std::int64_t>(std::int64_t{mScore} + points, INT_MAX));
        ++mRescued;
    }
    mMarkTime = mApp->UpdateCount();
    if (!mRescueSoundPlayed) {
        mApp->PlaySample(soundRemove, 0);
        mRescueSoundPlayed = true;
    }
}

void GameField::RemoveCell(int row, int column)
{
    if (!InsideGrid(row, column) || mMarked[row][column] == 0)
        return;
    mMarked[row][column] = 0;
    --mMarkedCount;
    for (int r = row; r > 0; --r) {
        mPets[r][column] = mPets[r - 1][column];
        mCages[r][column] = mCages[r - 1][column];
    }
    mPets[0][column] = 0;
    mCages[0][column] = 0;
    mRescueSoundPlayed = false;
}

void GameField::CheckLevel()
{
    // A lost game stays lost and a closed one closed: rescues that complete
    // after the last piece could not appear do not open another level.
    if (mState == STATE_GAME_OVER || mState == STATE_FINISHED)
        return;
    if (mRescued < mNeeded)
        return;
    ++mLevel;
    mState = STATE_LEVEL_INTRO;
    mInputDelay = kInputDelay;
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kColumns; ++c)
            MarkCell(r, c);
    mRescued = 0;
    mNeeded = (mLevel * 5 + 20) * 4;
    mSpeed = std::min(mSpeed + kSpeedStep, kMaxSpeed);
    mMeetName = MeetNameFor(mLevel);
    if (!mMeetName.empty()) {
        mPetsInPlay = std::min(mPetsInPlay + 1, kPetKinds);
        mApp->PlaySample(soundMeet);
    } else {
        mApp->PlaySample(soundLevel);
    }
}

void GameField::FillBar()
{
    if (mBarLocked)
        return;
    mBar += kBarPerLanding;
    if (mBar < kBarFull)
        return;
    ++mMultiplier;
    mBar = 0;
    if (mDecayInterval > kMinDecayInterval) {
        mDecayInterval -= kDecayStep;
    } else {
        mBarLocked = true;
        mBar = kBarFull;
    }
    for (int i = 0; i < kBurstCount; ++i) {
        const int x = 186 + Rand() % 18;
        const int y = 213 + Rand() % 18;
        const int angle = Rand() % 360;
        mApp->AddParticle(Particle::Launch(x, y, angle, kBurstSpeed, kBurstSparkle));
    }
}

bool GameField::InputBlocked() const
{
    return !mCatalogueLoaded || mInputDelay > 0 || mApp->HintOpen();
}

void GameField::KeyDown(int key)
{
    if (InputBlocked())
        return;
    sMouseFollow = false;
    if (key == kKeyEscape) {
        mState = STATE_FINISHED;
        return;
    }
    const bool confirm = (key == kKeySpace || key == kKeyEnter) && !mApp->IsAltHeld();
    if (mState == STATE_LEVEL_INTRO) {
        if (confirm)
            mState = STATE_PLAYING;
        return;
    }
    if (mState == STATE_GAME_OVER) {
        if (confirm)
            mState = STATE_FINISHED;
        return;
    }
    if (key == kKeyPause)
        mPaused = !mPaused;
    if (mPaused)
        return;
    if (key == kKeyLeft)
        mPiece.Move(-1, 0);
    else if (key == kKeyRight)
        mPiece.Move(+1, 0);
    else if (key == kKeyUp)
        mPiece.Rotate(true);
    if (mMarkedCount == 0) {
        if (key == kKeySpace)
            HardDrop();
        else if (key == kKeyDown)
            mFastDrop = true;
    }
}

void GameField::KeyUp(int key)
{
    // A release always ends the soft drop, even while other input is ignored:
    // otherwise a key let go during a pause or the level screen would stay held.
    if (key == kKeyDown)
        mFastDrop = false;
}

void GameField::MouseDown(int /*x*/, int /*y*/, int clickCount)
{
    if (InputBlocked() || mPaused)
        return;
    if (mState == STATE_LEVEL_INTRO) {
        mState = STATE_PLAYING;
        return;
    }
    if (mState == STATE_GAME_OVER) {
        mState = STATE_FINISHED;
        return;
    }
    if (mState != STATE_PLAYING)
        return;
    if (mMarkedCount == 0 && clickCount > 0) {
        if (mApp->InstantDrop())
            HardDrop();
        else if (mApp->DoubleClickDrop() && clickCount >= 2)
            HardDrop();
        else
            mFastDrop = true;
    }
    if (clickCount < 0)
        mPiece.Rotate(true);
}

void GameField::MouseUp(int /*x*/, int /*y*/, int clickCount)
{
    // Like KeyUp: a release is never lost.
    if (clickCount > 0 && !mApp->InstantDrop())
        mFastDrop = false;
}

void GameField::MouseWheel(int delta)
{
    // The piece is hidden outside play; turning it there would only surprise.
    if (InputBlocked() || mPaused || mState != STATE_PLAYING)
        return;
    if (delta > 0)
        mPiece.Rotate(false);
    else if (delta < 0)
        mPiece.Rotate(true);
}

void GameField::MouseMove(int x, int /*y*/)
{
    sMouseFollow = true;
    sMouseX = x;
}

} // namespace Quill
