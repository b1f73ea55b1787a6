#pragma once

#include <cstdint>
#include <vector>

namespace Quill::Content {

// Sound building blocks shared by the sound effects and the title song:
// oscillators, envelopes, filters, a small room reverb and mixing into float
// buffers (-1 .. 1). Everything is deterministic.
class Synth {
public:
    static constexpr int kRate = 44100;

    // Frequency of a MIDI note number (69 = A 440 Hz).
    static double NoteHz(double midi);
    // Waveforms of a phase in cycles (0..1 wraps).
    static double Sine(double phase);
    static double Triangle(double phase);
    // A soft, band-limited-looking saw: the first harmonics only.
    static double SoftSaw(double phase, int harmonics);
    // Exponential decay envelope with a short attack, in seconds.
    static double Envelope(double t, double attack, double decay);
    // Deterministic white noise in -1..1.
    double Noise();

    // A bell: two-operator FM with a decaying index, added to the buffer at
    // start (seconds).
    static void Bell(std::vector<float>& out, double start, double hz, double length, double gain,
                     double brightness = 1.0);
    // A soft electric-piano tone.
    static void Piano(std::vector<float>& out, double start, double hz, double length, double gain);
    // A warm pad tone with slow attack and release.
    static void Pad(std::vector<float>& out, double start, double hz, double length, double gain);
    // A round bass tone.
    static void Bass(std::vector<float>& out, double start, double hz, double length, double gain);
    // A pitch-sweeping sine (from hz0 to hz1 over the length) with decay.
    static void Sweep(std::vector<float>& out, double start, double hz0, double hz1, double length,
                      double decay, double gain);
    // A burst of filtered noise (cutoff 0..1 of a one-pole low-pass).
    void NoiseBurst(std::vector<float>& out, double start, double length, double decay, double cutoff,
                    double gain, bool highPass = false);

    // Stereo room reverb of a mono or stereo-interleaved buffer, mixed in at
    // the wet level.
    static void Reverb(std::vector<float>& stereo, double wet, double roomSize);
    // Scales the buffer so that its loudest 50 ms window has the RMS level,
    // then lowers it if needed so that no sample exceeds the peak.
    static void Normalise(std::vector<float>& mono, double rmsTarget, double peakLimit);
    // RMS of the loudest 50 ms window.
    static double LoudestWindowRms(const std::vector<float>& mono);
    // Fades the last part of a buffer out to silence.
    static void FadeOut(std::vector<float>& mono, double seconds);

private:
    std::uint32_t mNoiseState = 0x2545F491u;
};

} // namespace Quill::Content
