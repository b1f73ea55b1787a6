#pragma once

#include <string>
#include <vector>

namespace Quill::Content {

// The game's eight sound effects, synthesised and mixed to one loudness.
class SoundEffects {
public:
    // Loudness every effect is brought to (RMS of its loudest 50 ms) and the
    // highest sample allowed (below full scale).
    static constexpr double kLoudness = 0.2;
    static constexpr double kPeak = 0.89;

    // Mono samples at Synth::kRate of the named effect ("blit", "bonus",
    // "button", "gameover", "level", "meet", "remove", "rotate"); empty for an
    // unknown name.
    [[nodiscard]] static std::vector<float> Make(const std::string& name);

private:
    static std::vector<float> Blit();
    static std::vector<float> Bonus();
    static std::vector<float> Button();
    static std::vector<float> GameOver();
    static std::vector<float> Level();
    static std::vector<float> Meet();
    static std::vector<float> Remove();
    static std::vector<float> Rotate();
};

} // namespace Quill::Content
