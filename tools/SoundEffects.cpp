#include "tools/SoundEffects.h"

#include <cmath>

#include "tools/Synth.h"

namespace Quill::Content {

namespace {

// Light room sound on a mono effect: made stereo, reverberated, folded back.
void Room(std::vector<float>& mono, double wet, double tail)
{
    mono.resize(mono.size() + static_cast<std::size_t>(tail * Synth::kRate), 0.0f);
    std::vector<float> stereo(mono.size() * 2);
    for (std::size_t i = 0; i < mono.size(); ++i)
        stereo[2 * i] = stereo[2 * i + 1] = mono[i];
    Synth::Reverb(stereo, wet, 0.72);
    for (std::size_t i = 0; i < mono.size(); ++i)
        mono[i] = (stereo[2 * i] + stereo[2 * i + 1]) * 0.5f;
}

} // namespace

std::vector<float> SoundEffects::Make(const std::string& name)
{
    std::vector<float> out;
    if (name == "blit")
        out = Blit();
    else if (name == "bonus")
        out = Bonus();
    else if (name == "button")
        out = Button();
    else if (name == "gameover")
        out = GameOver();
    else if (name == "level")
        out = Level();
    else if (name == "meet")
        out = Meet();
    else if (name == "remove")
        out = Remove();
    else if (name == "rotate")
        out = Rotate();
    else
        return out;
    Synth::FadeOut(out, 0.01);
    Synth::Normalise(out, kLoudness, kPeak);
    return out;
}

// A soft wooden knock as the piece settles.
std::vector<float> SoundEffects::Blit()
{
    std::vector<float> out;
    Synth synth;
    Synth::Sweep(out, 0.0, 210.0, 85.0, 0.16, 0.05, 0.9);
    Synth::Sweep(out, 0.0, 640.0, 420.0, 0.05, 0.012, 0.25);
    synth.NoiseBurst(out, 0.0, 0.03, 0.006, 0.35, 0.35);
    return out;
}

// A rising sparkle of bells: a bonus piece is coming.
std::vector<float> SoundEffects::Bonus()
{
    std::vector<float> out;
    const double notes[] = {84, 88, 91, 96, 100};
    for (int i = 0; i < 5; ++i)
        Synth::Bell(out, i * 0.065, Synth::NoteHz(notes[i]), 0.6, 0.3, 0.8);
    Synth synth;
    synth.NoiseBurst(out, 0.05, 0.5, 0.15, 0.5, 0.05, true);
    Room(out, 0.35, 0.3);
    return out;
}

// A short, soft pop.
std::vector<float> SoundEffects::Button()
{
    std::vector<float> out;
    Synth::Sweep(out, 0.0, 1100.0, 650.0, 0.07, 0.018, 0.8);
    Synth synth;
    synth.NoiseBurst(out, 0.0, 0.01, 0.002, 0.6, 0.15);
    return out;
}

// Three falling notes and a low, soft landing: sad but kind.
std::vector<float> SoundEffects::GameOver()
{
    std::vector<float> out;
    const double notes[] = {67, 64, 60};
    for (int i = 0; i < 3; ++i) {
        const double start = i * 0.28;
        const double hz = Synth::NoteHz(notes[i]);
        const std::size_t first = static_cast<std::size_t>(start * Synth::kRate);
        const double length = i == 2 ? 1.0 : 0.32;
        const std::size_t count = static_cast<std::size_t>(length * Synth::kRate);
        out.resize(std::max(out.size(), first + count), 0.0f);
        double phase = 0.0;
        for (std::size_t n = 0; n < count; ++n) {
            const double t = static_cast<double>(n) / Synth::kRate;
            // A slow droop and vibrato on the last note.
            const double bend = i == 2 ? std::pow(2.0, -0.5 * t / 12.0) : 1.0;
            const double vibrato = 1.0 + 0.006 * std::sin(2.0 * M_PI * 5.5 * t) * std::min(1.0, t * 3.0);
            phase += hz * bend * vibrato / Synth::kRate;
            const double v = Synth::Triangle(phase) * 0.7 + Synth::Sine(phase) * 0.5;
            const double env =
                Synth::Envelope(t, 0.01, i == 2 ? 0.45 : 0.2) * std::min(1.0, (length - t) / 0.02);
            out[first + n] += static_cast<float>(v * env * 0.5);
        }
    }
    Synth::Bass(out, 0.56, Synth::NoteHz(36), 0.9, 0.35);
    Room(out, 0.3, 0.25);
    return out;
}

// A cheerful little fanfare for a new level.
std::vector<float> SoundEffects::Level()
{
    std::vector<float> out;
    const double notes[] = {72, 76, 79};
    for (int i = 0; i < 3; ++i)
        Synth::Piano(out, i * 0.1, Synth::NoteHz(notes[i]), 0.09, 0.35);
    for (double n : {72.0, 76.0, 79.0, 84.0})
        Synth::Piano(out, 0.3, Synth::NoteHz(n), 0.5, 0.2);
    Synth::Bell(out, 0.3, Synth::NoteHz(96), 0.7, 0.15);
    Synth::Bass(out, 0.3, Synth::NoteHz(48), 0.5, 0.3);
    Room(out, 0.3, 0.3);
    return out;
}

// A kitten-like "mew" and a welcoming chime: meet a new pet.
std::vector<float> SoundEffects::Meet()
{
    std::vector<float> out;
    const double length = 0.42;
    const std::size_t count = static_cast<std::size_t>(length * Synth::kRate);
    out.resize(count, 0.0f);
    double phase = 0.0;
    double low = 0.0;
    double band = 0.0;
    for (std::size_t n = 0; n < count; ++n) {
        const double t = static_cast<double>(n) / Synth::kRate;
        const double u = t / length;
        // Pitch rises then falls, like a small meow.
        const double hz = 620.0 + 380.0 * std::sin(M_PI * std::min(1.0, u * 1.3)) - 120.0 * u;
        phase += hz / Synth::kRate;
        const double source = Synth::SoftSaw(phase, 8);
        // A moving formant (vowel "ee" to "ow") through a state-variable filter.
        const double formant = 2600.0 - 1500.0 * u;
        const double f = 2.0 * std::sin(M_PI * formant / Synth::kRate);
        const double high = source - low - 0.35 * band;
        band += f * high;
        low += f * band;
        const double env = std::min(1.0, t / 0.03) * std::min(1.0, (length - t) / 0.12);
        out[n] += static_cast<float>((band * 0.8 + source * 0.15) * env * 0.6);
    }
    Synth::Bell(out, 0.38, Synth::NoteHz(88), 0.6, 0.22);
    Synth::Bell(out, 0.46, Synth::NoteHz(95), 0.6, 0.18);
    Room(out, 0.3, 0.25);
    return out;
}

// A shimmer of tiny bells: pets are set free.
std::vector<float> SoundEffects::Remove()
{
    std::vector<float> out;
    const double notes[] = {91, 95, 98, 103, 100, 96, 93, 98};
    for (int i = 0; i < 8; ++i)
        Synth::Bell(out, i * 0.045, Synth::NoteHz(notes[i]), 0.45, 0.16, 0.6);
    Synth synth;
    synth.NoiseBurst(out, 0.0, 0.45, 0.14, 0.3, 0.07, true);
    Synth::Sweep(out, 0.0, 500.0, 1400.0, 0.25, 0.1, 0.2);
    Room(out, 0.35, 0.3);
    return out;
}

// A quick, light tick with a whisk of air.
std::vector<float> SoundEffects::Rotate()
{
    std::vector<float> out;
    Synth::Sweep(out, 0.0, 1300.0, 1900.0, 0.06, 0.018, 0.6);
    Synth synth;
    synth.NoiseBurst(out, 0.0, 0.07, 0.02, 0.25, 0.25, true);
    return out;
}

} // namespace Quill::Content
