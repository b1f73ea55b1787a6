#pragma once

#include <string>

namespace Quill {

namespace Platform {
class Window;
}

class SoundInstance;

// The sample slots (ids 0..255) and the channels that play them.
class SoundManager {
public:
    virtual ~SoundManager() = default;

    // True when an audio device is open; without one every operation is silent.
    [[nodiscard]] virtual bool Initialized() = 0;
    // Loads the sample at the path (without extension) into the slot.
    [[nodiscard]] virtual bool LoadSound(int id, const std::string& fileName) = 0;
    virtual void ReleaseSound(int id) = 0;
    // Master volume factor 0..1 applied to every channel.
    virtual void SetVolume(double volume) = 0;
    // Volume and pan given to instances made from the slot later on.
    virtual bool SetBaseVolume(int id, double volume) = 0;
    virtual bool SetBasePan(int id, int pan) = 0;
    // A new playing copy of the slot's sample, or none (empty slot, every channel busy).
    [[nodiscard]] virtual SoundInstance* GetSoundInstance(int id) = 0;
    virtual void ReleaseSounds() = 0;
    virtual void ReleaseChannels() = 0;
    // The system output volume, 0..1.
    [[nodiscard]] virtual double GetMasterVolume() = 0;
    virtual void SetMasterVolume(double volume) = 0;
    virtual void Flush() = 0;
    // Tells the manager which window the game now runs in, and in which mode.
    virtual void SetCooperativeWindow(Platform::Window* window, bool isWindowed) = 0;
    virtual void StopAllSounds() = 0;
};

} // namespace Quill
