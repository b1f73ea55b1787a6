#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Quill::Content {

// Encoders for the sound formats the game reads: 16-bit PCM WAV, 8-bit
// mu-law AU and Ogg Vorbis. Samples are floats in -1..1 (interleaved when
// there are two channels); all encoders give the same bytes for the same
// input.
class AudioFiles {
public:
    [[nodiscard]] static std::string Wav16(const std::vector<float>& samples, int channels, int rate);
    [[nodiscard]] static std::string AuMuLaw(const std::vector<float>& samples, int channels, int rate);
    // Ogg Vorbis at the quality (-0.1 .. 1.0) with a fixed stream serial
    // number; empty on an encoder failure.
    [[nodiscard]] static std::string OggVorbis(const std::vector<float>& samples, int channels, int rate,
                                               float quality, int serial);
    // G.711 mu-law code of a 16-bit sample.
    [[nodiscard]] static std::uint8_t MuLaw(int sample);
    // Float sample to 16 bits with rounding and clamping.
    [[nodiscard]] static std::int16_t ToPcm16(float sample);
};

} // namespace Quill::Content
