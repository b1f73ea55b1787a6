#pragma once

// Fake program services and a small game driver for the rules tests, the
// simulation harness and bench_rules. Free of any test framework.

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/Rand.h"
#include "game/GameField.h"
#include "game/GameServices.h"
#include "game/Res.h"

namespace QuillTest {

// Sound ids the fake binds, so tests can tell the samples apart.
enum TestSound {
    kBlit = 1,
    kBonus,
    kButton,
    kGameOver,
    kLevel,
    kMeet,
    kRemove,
    kRotate
};

// Services as the board and application would give them, recorded for checks.
class FakeServices : public Quill::GameServices {
public:
    struct Played {
        int id;
        std::optional<int> pan;
    };

    FakeServices()
    {
        Quill::soundBlit = kBlit;
        Quill::soundBonus = kBonus;
        Quill::soundButton = kButton;
        Quill::soundGameOver = kGameOver;
        Quill::soundLevel = kLevel;
        Quill::soundMeet = kMeet;
        Quill::soundRemove = kRemove;
        Quill::soundRotate = kRotate;
    }

    void PlaySample(int soundId) override { Record({soundId, std::nullopt}); }
    void PlaySample(int soundId, int pan) override { Record({soundId, pan}); }
    int UpdateCount() const override { return updateCount; }
    bool InstantDrop() const override { return instantDrop; }
    bool IncSpeed() const override { return incSpeed; }
    bool DoubleClickDrop() const override { return doubleClickDrop; }
    bool IsAltHeld() const override { return altHeld; }
    bool HintOpen() const override { return hintOpen; }
    int NextHint() const override { return nextHint; }
    // Like the board with hints on: the page opens and the next one is due.
    void ShowNextHint() override
    {
        hintShown.push_back(nextHint);
        hintOpen = true;
        ++nextHint;
    }
    void AddParticle(const Quill::Particle& particle) override
    {
        ++particleCount;
        if (keepParticles)
            particles.push_back(particle);
    }
    void Popup(const std::string& text) override { events.push_back("popup: " + text); }
    void Shutdown() override { events.push_back("shutdown"); }
    int NumCageKinds() const override { return cageKinds; }

    // How often a sound was played.
    [[nodiscard]] int Count(int id) const { return id > 0 && id <= kRotate ? counts[id] : 0; }

    // Every sound in order (unless keepSounds is off) and a count per id.
    std::vector<Played> sounds;
    bool keepSounds = true;
    int counts[kRotate + 1] = {};
    int updateCount = 0;
    bool instantDrop = false;
    bool incSpeed = false;
    bool doubleClickDrop = false;
    bool altHeld = false;
    bool hintOpen = false;
    // 3: the hint pages have been shown in an earlier game.
    int nextHint = 3;
    std::vector<int> hintShown;
    bool keepParticles = true;
    std::uint64_t particleCount = 0;
    std::vector<Quill::Particle> particles;
    std::vector<std::string> events;
    int cageKinds = 5;

private:
    void Record(const Played& played)
    {
        if (played.id > 0 && played.id <= kRotate)
            ++counts[played.id];
        if (keepSounds)
            sounds.push_back(played);
    }
};

// The shipped catalogue in the source tree (tests only read it).
inline std::filesystem::path ShippedCatalogue()
{
    return std::filesystem::path(QUILL_SOURCE_DIR) / "properties" / "figures.dat";
}

// One game on a seeded generator, driven tick by tick.
struct Game {
    FakeServices app;
    std::unique_ptr<Quill::GameField> field;

    explicit Game(std::uint32_t seed = 1, bool incSpeed = false,
                  const std::filesystem::path& catalogue = ShippedCatalogue())
    {
        Quill::SeedRand(seed);
        Quill::GameField::sMouseFollow = false;
        Quill::GameField::sMouseX = 0;
        app.incSpeed = incSpeed;
        field = std::make_unique<Quill::GameField>(&app, catalogue);
    }

    Quill::GameField& operator*() { return *field; }
    Quill::GameField* operator->() { return field.get(); }

    // Advances the application by n updates.
    void Tick(int n = 1)
    {
        for (int i = 0; i < n; ++i) {
            ++app.updateCount;
            field->Update();
        }
    }
    // Ticks until the update count is the next multiple of `every`.
    void TickToMultiple(int every)
    {
        do
            Tick();
        while (app.updateCount % every != 0);
    }
    // Leaves the level screen at once.
    void Play()
    {
        field->mInputDelay = 0;
        field->mState = Quill::GameField::STATE_PLAYING;
    }
    // Makes the falling piece a fresh ordinary copy of template t.
    void Piece(int t)
    {
        field->mBonusCountdown = 1000;
        static_cast<void>(field->mPiece.Spawn(t));
        field->mPiece.mBonus = 0;
    }
    // Fills a row with caged pets except the given columns.
    void FillRow(int row, std::initializer_list<int> holes = {}, int cage = 1, int pet = 1)
    {
        for (int c = 0; c < Quill::GameField::kColumns; ++c) {
            bool hole = false;
            for (int h : holes)
                hole |= h == c;
            field->mCages[row][c] = hole ? 0 : cage;
            field->mPets[row][c] = hole ? 0 : pet;
        }
    }
    void ClearWell()
    {
        field->mCages = {};
        field->mPets = {};
    }
    // Sets the piece's bonus and lands it where it is.
    void LandWithBonus(int bonus)
    {
        field->mPiece.mBonus = bonus;
        field->Land();
    }
};

} // namespace QuillTest
