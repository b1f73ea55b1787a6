#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace Quill::Content {

// Writes a four-channel tracker module in the classic 31-instrument form
// ("M.K."): title, 31 sample headers, the order list, 64-row patterns and
// 8-bit signed sample data.
class ModuleWriter {
public:
    static constexpr int kChannels = 4;
    static constexpr int kRows = 64;
    static constexpr int kSampleSlots = 31;

    // One instrument sample; lengths and loops are in samples (the file
    // stores them in 16-bit words, so they are made even).
    struct Sample {
        std::string name;
        std::vector<std::int8_t> data;
        int volume = 64;    // 0..64
        int loopStart = 0;  // in samples
        int loopLength = 0; // in samples; 0 = plays once
    };

    // One cell of a pattern: period 0 = no note, sample 0 = none.
    struct Cell {
        int period = 0;
        int sample = 0;
        int effect = 0;
        int param = 0;
    };
    using Pattern = std::array<std::array<Cell, kChannels>, kRows>;

    // The period of a note: octave 1..3, semitone 0..11 from C (finetune 0).
    [[nodiscard]] static int Period(int octave, int semitone);
    // The whole file; at most 31 samples and 128 order positions are used.
    [[nodiscard]] static std::string Write(const std::string& title, const std::vector<Sample>& samples,
                                           const std::vector<Pattern>& patterns,
                                           const std::vector<int>& order);
};

} // namespace Quill::Content
