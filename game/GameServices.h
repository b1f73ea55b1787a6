#pragma once

#include <string>

#include "game/Particle.h"

namespace Quill {

// Everything the game rules need from the rest of the program. The board and
// the application provide it in the game; tests provide a fake, so the rules
// run without a window.
class GameServices {
public:
    virtual ~GameServices() = default;

    // Plays a sound effect once with its own pan.
    virtual void PlaySample(int soundId) = 0;
    // Plays a sound effect once at the given pan.
    virtual void PlaySample(int soundId, int pan) = 0;

    // Update ticks since start; 100 ticks are one second.
    [[nodiscard]] virtual int UpdateCount() const = 0;

    // Option "InstantDrop": a left click drops the piece at once.
    [[nodiscard]] virtual bool InstantDrop() const = 0;
    // Option "IncSpeed": games start faster and with a higher multiplier.
    [[nodiscard]] virtual bool IncSpeed() const = 0;
    // Option "DoubleClickDrop": a double click drops the piece at once.
    [[nodiscard]] virtual bool DoubleClickDrop() const = 0;

    // True while the Alt key is held (it keeps Space and Enter from leaving
    // the level and game-over screens).
    [[nodiscard]] virtual bool IsAltHeld() const = 0;

    // True while a hint page is open over the game.
    [[nodiscard]] virtual bool HintOpen() const = 0;
    // Number of the hint page shown next (1, 2, then 3 for none left).
    [[nodiscard]] virtual int NextHint() const = 0;
    // Opens the next hint page, if hints are wanted.
    virtual void ShowNextHint() = 0;

    // Appends a sparkle to the end of the screen's particle list.
    virtual void AddParticle(const Particle& particle) = 0;

    // Shows a fatal error to the player.
    virtual void Popup(const std::string& text) = 0;
    // Ends the program after the current pass.
    virtual void Shutdown() = 0;

    // Number of cage kinds the cage picture offers (its cel columns).
    [[nodiscard]] virtual int NumCageKinds() const = 0;
};

} // namespace Quill
