#include "tools/MenuSong.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "tools/Synth.h"

namespace Quill::Content {

namespace {

// A chord: root note (MIDI) and whether it is minor.
struct Chord {
    int root;
    bool minor;
};

// A melody note: MIDI pitch, start and length in beats within its bar.
struct Note {
    int pitch;
    double start;
    double length;
};

constexpr Chord F{53, false};
constexpr Chord Dm{50, true};
constexpr Chord Bb{58, false};
constexpr Chord C{48, false};
constexpr Chord Am{57, true};
constexpr Chord Gm{55, true};

// Eight bars of chords for each section.
constexpr std::array<Chord, 8> kVerse = {F, Dm, Bb, C, F, Am, Bb, C};
constexpr std::array<Chord, 8> kBridge = {Bb, C, Am, Dm, Gm, C, F, F};

using Bar = std::vector<Note>;

// The verse melody; the second time round its last bar comes home to F.
const std::array<Bar, 8> kVerseTune = {{
    {{81, 0, 1.5}, {79, 1.5, 0.5}, {77, 2, 1}, {72, 3, 1}},
    {{74, 0, 1.5}, {77, 1.5, 0.5}, {81, 2, 2}},
    {{82, 0, 1}, {81, 1, 1}, {79, 2, 1}, {77, 3, 1}},
    {{79, 0, 3}, {72, 3, 1}},
    {{81, 0, 1.5}, {79, 1.5, 0.5}, {77, 2, 1}, {84, 3, 1}},
    {{84, 0, 1.5}, {81, 1.5, 0.5}, {76, 2, 2}},
    {{77, 0, 1}, {79, 1, 1}, {81, 2, 1}, {82, 3, 1}},
    {{79, 0, 4}},
}};
const Bar kVerseHome = {{77, 0, 3}, {72, 3, 1}};

const std::array<Bar, 8> kBridgeTune = {{
    {{86, 0, 1}, {84, 1, 1}, {82, 2, 2}},
    {{84, 0, 1}, {82, 1, 1}, {81, 2, 2}},
    {{81, 0, 1.5}, {79, 1.5, 0.5}, {77, 2, 1}, {76, 3, 1}},
    {{77, 0, 3}, {74, 3, 1}},
    {{79, 0, 1}, {77, 1, 1}, {74, 2, 1}, {79, 3, 1}},
    {{81, 0, 2}, {79, 2, 2}},
    {{77, 0, 4}},
    {{72, 2, 1}, {76, 3, 1}},
}};

} // namespace

std::vector<float> MenuSong::Render()
{
    const double beat = 60.0 / kBpm;
    const double bar = 4.0 * beat;
    const double length = kBars * bar;
    const double tail = 3.0;
    const auto total = static_cast<std::size_t>((length + tail) * Synth::kRate);
    std::vector<float> pad(total, 0.0f);
    std::vector<float> keys(total, 0.0f);
    std::vector<float> bass(total, 0.0f);
    std::vector<float> tune(total, 0.0f);
    std::vector<float> beatPart(total, 0.0f);
    Synth noise;

    for (int b = 0; b < kBars; ++b) {
        const int section = b / 8;
        const int inSection = b % 8;
        const bool bridge = section == 2;
        const Chord chord = bridge ? kBridge[static_cast<std::size_t>(inSection)]
                                   : kVerse[static_cast<std::size_t>(inSection)];
        const double t0 = b * bar;
        const int third = chord.minor ? 3 : 4;
        // Pad: the chord held through the bar.
        for (int interval : {0, third, 7, 12})
            Synth::Pad(pad, t0, Synth::NoteHz(chord.root + interval), bar * 0.98, 0.045);
        // Electric piano: an arpeggio in eighths, softer in the first section.
        const int arp[] = {0, 7, 12, third + 12, 19, third + 12, 12, 7};
        for (int i = 0; i < 8; ++i)
            Synth::Piano(keys, t0 + i * beat / 2, Synth::NoteHz(chord.root + 12 + arp[i]), beat * 0.45,
                         section == 0 ? 0.05 : 0.07);
        // Bass: root on one, fifth on three.
        Synth::Bass(bass, t0, Synth::NoteHz(chord.root - 12), beat * 1.6, 0.3);
        Synth::Bass(bass, t0 + 2 * beat, Synth::NoteHz(chord.root - 5), beat * 1.6, 0.24);
        // Melody on bells; the first eight bars only hum it an octave down.
        const Bar& notes =
            bridge ? kBridgeTune[static_cast<std::size_t>(inSection)]
                   : ((section == 1 && inSection == 7) ? kVerseHome
                                                       : kVerseTune[static_cast<std::size_t>(inSection)]);
        for (const Note& n : notes) {
            const double start = t0 + n.start * beat;
            if (section == 0) {
                Synth::Piano(tune, start, Synth::NoteHz(n.pitch - 12), n.length * beat * 0.9, 0.12);
            } else {
                Synth::Bell(tune, start, Synth::NoteHz(n.pitch), std::max(0.6, n.length * beat * 1.2), 0.15,
                            0.7);
                if (section == 3)
                    Synth::Piano(tune, start, Synth::NoteHz(n.pitch - 12), n.length * beat * 0.9, 0.06);
            }
        }
        // A light beat from the second section on: soft kick, shaker on the offbeats.
        if (section >= 1) {
            Synth::Sweep(beatPart, t0, 120.0, 48.0, 0.25, 0.08, 0.22);
            Synth::Sweep(beatPart, t0 + 2 * beat, 120.0, 48.0, 0.25, 0.08, 0.18);
            for (int i = 0; i < 8; ++i)
                noise.NoiseBurst(beatPart, t0 + i * beat / 2 + beat / 4, 0.06, 0.015, 0.5,
                                 (i % 2 == 1) ? 0.035 : 0.02, true);
        }
    }

    // Mix to stereo: keys a little right, melody a little left.
    std::vector<float> stereo(total * 2, 0.0f);
    for (std::size_t i = 0; i < total; ++i) {
        const float centre = pad[i] + bass[i] + beatPart[i];
        stereo[2 * i] = centre + keys[i] * 0.75f + tune[i] * 1.0f;
        stereo[2 * i + 1] = centre + keys[i] * 1.0f + tune[i] * 0.75f;
    }
    Synth::Reverb(stereo, 0.35, 0.8);

    // Fold the tail past the loop point back onto the start, so that looping
    // sounds like the song going on.
    const auto loop = static_cast<std::size_t>(length * Synth::kRate) * 2;
    for (std::size_t i = loop; i < stereo.size(); ++i)
        stereo[i - loop] += stereo[i];
    stereo.resize(loop);

    double peak = 0.0;
    for (float s : stereo)
        peak = std::max(peak, std::fabs(static_cast<double>(s)));
    const auto gain = static_cast<float>(peak > 0.0 ? 0.8 / peak : 1.0);
    for (float& s : stereo)
        s *= gain;
    return stereo;
}

} // namespace Quill::Content
