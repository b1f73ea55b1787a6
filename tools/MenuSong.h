#pragma once

#include <vector>

namespace Quill::Content {

// The title screen's song: a gentle piece in F major at 90 beats a minute,
// 32 bars of pad, electric piano, bass and a bell melody, rendered by our own
// synthesiser into stereo samples that loop without a seam (the reverb tail
// of the last bar is folded into the first).
class MenuSong {
public:
    static constexpr double kBpm = 90.0;
    static constexpr int kBars = 32;

    // Interleaved stereo samples at Synth::kRate.
    [[nodiscard]] static std::vector<float> Render();
};

} // namespace Quill::Content
