#pragma once

namespace Quill {

// One playing copy of a loaded sample. The manager hands instances out and
// sweeps them away once they report themselves released.
class SoundInstance {
public:
    virtual ~SoundInstance() = default;

    // Stops the copy and marks it released; the manager frees it later.
    virtual void Release() = 0;
    // Volume factor (0..1) applied under the instance's own volume.
    virtual void SetBaseVolume(double volume) = 0;
    // Pan (hundredths of a decibel, -10000 left .. 10000 right) added to the own pan.
    virtual void SetBasePan(int pan) = 0;
    // Shifts the playing frequency by the given number of semitones.
    virtual void AdjustPitch(double semitones) = 0;
    // Linear volume factor 0..1.
    virtual void SetVolume(double volume) = 0;
    virtual void SetPan(int pan) = 0;
    // Starts from the current position; with autoRelease the copy releases itself once it stops.
    virtual bool Play(bool looping, bool autoRelease) = 0;
    // Stops and rewinds; clears automatic release.
    virtual void Stop() = 0;
    [[nodiscard]] virtual bool IsPlaying() = 0;
    // True once the copy is released (an auto-release copy that has finished releases itself here).
    [[nodiscard]] virtual bool IsReleased() = 0;
    [[nodiscard]] virtual double GetVolume() = 0;
};

} // namespace Quill
