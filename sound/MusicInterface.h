#pragma once

#include <string>

namespace Quill {

// Songs registered under integer ids, played, paused and faded with a volume
// ramp advanced once per update tick. This base plays nothing: every operation
// does nothing, loading fails and no song is ever playing.
class MusicInterface {
public:
    virtual ~MusicInterface() = default;

    [[nodiscard]] virtual bool LoadMusic(int /*songId*/, const std::string& /*fileName*/) { return false; }
    // offset -1 continues a module where it stood; noLoop plays the song once.
    virtual void PlayMusic(int /*songId*/, int /*offset*/, bool /*noLoop*/) {}
    virtual void StopMusic(int /*songId*/) {}
    virtual void PauseMusic(int /*songId*/) {}
    virtual void ResumeMusic(int /*songId*/) {}
    virtual void StopAllMusic() {}
    virtual void UnloadMusic(int /*songId*/) {}
    virtual void UnloadAllMusic() {}
    virtual void PauseAllMusic() {}
    virtual void ResumeAllMusic() {}
    // Starts the song and raises its volume by speed per tick up to its maximum.
    virtual void FadeIn(int /*songId*/, int /*offset*/, double /*speed*/, bool /*noLoop*/) {}
    // Lowers the volume by speed per tick; stopWhenFaded stops the song once silent.
    virtual void FadeOut(int /*songId*/, bool /*stopWhenFaded*/, double /*speed*/) {}
    virtual void FadeOutAll(bool /*stopWhenFaded*/, double /*speed*/) {}
    virtual void SetSongVolume(int /*songId*/, double /*volume*/) {}
    virtual void SetSongMaxVolume(int /*songId*/, double /*maxVolume*/) {}
    [[nodiscard]] virtual bool IsPlaying(int /*songId*/) { return false; }
    // The global music volume, 0..1 (the application passes 0 while muted).
    virtual void SetVolume(double /*volume*/) {}
    virtual void SetMusicAmplify(int /*songId*/, double /*amplify*/) {}
    // Advances the volume ramps by one update tick.
    virtual void Update() {}
};

} // namespace Quill
