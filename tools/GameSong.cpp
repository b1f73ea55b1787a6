#include "tools/GameSong.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <sstream>
#include <vector>

#include "tools/ModuleWriter.h"

namespace Quill::Content {

namespace {

using Cell = ModuleWriter::Cell;
using Pattern = ModuleWriter::Pattern;
using Sample = ModuleWriter::Sample;

// Sample numbers (1-based, as the patterns name them).
constexpr int kLead = 1;
constexpr int kPluck = 2;
constexpr int kBass = 3;
constexpr int kKick = 4;
constexpr int kSnare = 5;
constexpr int kHat = 6;
// Channels.
constexpr int kLeadChannel = 0;
constexpr int kChordChannel = 1;
constexpr int kBassChannel = 2;
constexpr int kDrumChannel = 3;
// Effects.
constexpr int kArpeggio = 0x0;
constexpr int kVibrato = 0x4;
constexpr int kVibratoSlide = 0x6;
constexpr int kVolumeSlide = 0xA;
constexpr int kSetVolume = 0xC;
constexpr int kSetSpeed = 0xF;
constexpr int kRowsPerBar = 16;
// Rate at which a sample plays at period 428 (the pitched samples' cycles are
// sized for it) and at period 214 (the drums are played an octave up).
constexpr double kRateC2 = 8287.0;
constexpr double kRateC3 = 16574.0;

// A chord: root semitone from C and whether it is minor.
struct Chord {
    int root;
    bool minor;
};
constexpr Chord C{0, false};
constexpr Chord Dm{2, true};
constexpr Chord Em{4, true};
constexpr Chord F{5, false};
constexpr Chord G{7, false};
constexpr Chord Am{9, true};

std::int8_t Clip8(double v)
{
    return static_cast<std::int8_t>(std::clamp(std::lround(v * 127.0), -127L, 127L));
}

std::uint32_t gNoise = 0x1234567u;
double NoiseSample()
{
    gNoise ^= gNoise << 13;
    gNoise ^= gNoise >> 17;
    gNoise ^= gNoise << 5;
    return static_cast<double>(gNoise) / 2147483648.0 - 1.0;
}

std::vector<Sample> MakeSamples()
{
    std::vector<Sample> s;
    // Lead: a rounded pulse, four 32-sample cycles, looped.
    {
        Sample lead{"mewbloom lead", {}, 44, 0, 128};
        double smooth = 0.0;
        for (int pass = 0; pass < 2; ++pass) {
            lead.data.clear();
            for (int i = 0; i < 128; ++i) {
                const double p = (i % 32) / 32.0;
                const double pulse = p < 0.25 ? 1.0 : -0.45;
                const double tri = p < 0.5 ? 4.0 * p - 1.0 : 3.0 - 4.0 * p;
                smooth += (0.55 * pulse + 0.45 * tri - smooth) * 0.5;
                lead.data.push_back(Clip8(smooth * 0.8));
            }
        }
        s.push_back(lead);
    }
    // Chord pluck: a bright tone that decays, played once.
    {
        Sample pluck{"chord pluck", {0, 0}, 30, 0, 0};
        for (int i = 0; i < 6000; ++i) {
            const double p = (i % 32) / 32.0;
            const double tri = p < 0.5 ? 4.0 * p - 1.0 : 3.0 - 4.0 * p;
            const double square = p < 0.5 ? 0.6 : -0.6;
            const double env = std::exp(-i / 1500.0) * std::min(1.0, i / 20.0);
            pluck.data.push_back(Clip8((0.7 * tri + 0.3 * square) * env * 0.9));
        }
        s.push_back(pluck);
    }
    // Bass: a soft saw, 64-sample cycles, looped.
    {
        Sample bass{"bouncy bass", {}, 48, 0, 256};
        for (int i = 0; i < 256; ++i) {
            const double p = (i % 64) / 64.0;
            double v = 0.0;
            for (int h = 1; h <= 6; ++h)
                v += std::sin(2.0 * M_PI * p * h) / h;
            bass.data.push_back(Clip8(v * 0.5));
        }
        s.push_back(bass);
    }
    // Kick: a falling sine.
    {
        Sample kick{"kick", {0, 0}, 64, 0, 0};
        double phase = 0.0;
        const int n = static_cast<int>(0.18 * kRateC3);
        for (int i = 0; i < n; ++i) {
            const double t = i / kRateC3;
            phase += (45.0 + 115.0 * std::exp(-t / 0.03)) / kRateC3;
            kick.data.push_back(Clip8(std::sin(2.0 * M_PI * phase) * std::exp(-t / 0.07) * 0.95));
        }
        s.push_back(kick);
    }
    // Snare: a short tone under a noise burst.
    {
        Sample snare{"snare", {0, 0}, 50, 0, 0};
        double lp = 0.0;
        const int n = static_cast<int>(0.16 * kRateC3);
        for (int i = 0; i < n; ++i) {
            const double t = i / kRateC3;
            lp += (NoiseSample() - lp) * 0.6;
            const double tone = std::sin(2.0 * M_PI * 190.0 * t) * std::exp(-t / 0.03);
            snare.data.push_back(Clip8((lp * std::exp(-t / 0.05) * 0.8 + tone * 0.5) * 0.9));
        }
        s.push_back(snare);
    }
    // Hi-hat: bright noise, very short.
    {
        Sample hat{"hi-hat", {0, 0}, 34, 0, 0};
        double lp = 0.0;
        const int n = static_cast<int>(0.06 * kRateC3);
        for (int i = 0; i < n; ++i) {
            const double t = i / kRateC3;
            const double noise = NoiseSample();
            lp += (noise - lp) * 0.3;
            hat.data.push_back(Clip8((noise - lp) * std::exp(-t / 0.015) * 0.9));
        }
        s.push_back(hat);
    }
    return s;
}

// Sets a note in a cell.
void Put(Pattern& p, int row, int channel, int octave, int semitone, int sample, int effect = 0,
         int param = 0)
{
    Cell& c = p[static_cast<std::size_t>(row)][static_cast<std::size_t>(channel)];
    c.period = ModuleWriter::Period(octave, semitone);
    c.sample = sample;
    c.effect = effect;
    c.param = param;
}

void Effect(Pattern& p, int row, int channel, int effect, int param)
{
    Cell& c = p[static_cast<std::size_t>(row)][static_cast<std::size_t>(channel)];
    c.effect = effect;
    c.param = param;
}

// The lead line in a small notation: "E3:2" is E in octave 3 for two rows,
// "F#2:4" F sharp, ".:4" four rows of rest. Held notes fade slowly and long
// ones get vibrato.
void Lead(Pattern& p, const std::string& line)
{
    static const std::string kNames = "C D EF G A B";
    std::istringstream in(line);
    std::string token;
    int row = 0;
    while (in >> token && row < ModuleWriter::kRows) {
        const auto colon = token.find(':');
        const int rows = std::stoi(token.substr(colon + 1));
        if (token[0] == '.') {
            Effect(p, row, kLeadChannel, kSetVolume, 0);
        } else {
            int semitone = static_cast<int>(kNames.find(token[0]));
            std::size_t at = 1;
            if (token[1] == '#') {
                ++semitone;
                ++at;
            }
            const int octave = token[at] - '0';
            Put(p, row, kLeadChannel, octave, semitone, kLead);
            for (int k = 1; k < rows && row + k < ModuleWriter::kRows; ++k) {
                if (k < 4)
                    Effect(p, row + k, kLeadChannel, kVolumeSlide, 0x01);
                else if (k == 4)
                    Effect(p, row + k, kLeadChannel, kVibrato, 0x44);
                else
                    Effect(p, row + k, kLeadChannel, kVibratoSlide, 0x01);
            }
        }
        row += rows;
    }
}

// Chords, bass and drums of four bars; fill adds a snare roll at the end.
void Backing(Pattern& p, const std::array<Chord, 4>& chords, bool drums, bool fill, bool withBass = true)
{
    for (int bar = 0; bar < 4; ++bar) {
        const Chord chord = chords[static_cast<std::size_t>(bar)];
        const int base = bar * kRowsPerBar;
        const int arp = chord.minor ? 0x37 : 0x47;
        for (int r = 0; r < kRowsPerBar; ++r) {
            if (r % 8 == 0)
                Put(p, base + r, kChordChannel, 2, chord.root, kPluck, kArpeggio, arp);
            else
                Effect(p, base + r, kChordChannel, kArpeggio, arp);
        }
        if (withBass)
            for (int r = 0; r < kRowsPerBar; r += 2)
                Put(p, base + r, kBassChannel, (r / 2) % 2 == 0 ? 1 : 2, chord.root, kBass);
        if (!drums)
            continue;
        for (int r = 0; r < kRowsPerBar; r += 2) {
            const int row = base + r;
            if (r == 0 || r == 8 || r == 10)
                Put(p, row, kDrumChannel, 3, 0, kKick);
            else if (r == 4 || r == 12)
                Put(p, row, kDrumChannel, 3, 0, kSnare);
            else
                Put(p, row, kDrumChannel, 3, 0, kHat, kSetVolume, r % 4 == 2 ? 0x22 : 0x16);
        }
        if (fill && bar == 3)
            for (int r = 12; r < kRowsPerBar; ++r)
                Put(p, base + r, kDrumChannel, 3, 0, kSnare, kSetVolume, 0x20 + (r - 12) * 8);
    }
}

} // namespace

std::string GameSong::Compose()
{
    std::vector<Pattern> patterns;
    auto add = [&patterns](const std::array<Chord, 4>& chords, const std::string& lead, bool drums,
                           bool fill) {
        Pattern p{};
        Backing(p, chords, drums, fill);
        if (!lead.empty())
            Lead(p, lead);
        patterns.push_back(p);
        return static_cast<int>(patterns.size()) - 1;
    };

    const int intro = add({C, Am, F, G}, "", true, true);
    const int a1 = add({C, Am, F, G},
                       "E3:2 G3:2 E3:2 C3:2 D3:2 E3:2 G3:4 "
                       "A3:4 G3:2 E3:2 C3:4 .:4 "
                       "A2:2 C3:2 F3:4 E3:2 D3:2 C3:4 "
                       "D3:6 B2:2 G2:4 .:4",
                       true, false);
    const int a2 = add({C, Em, F, G},
                       "E3:2 G3:2 E3:2 C3:2 D3:2 E3:2 G3:4 "
                       "B3:4 A3:2 G3:2 E3:8 "
                       "F3:2 E3:2 D3:2 C3:2 A2:4 C3:4 "
                       "D3:4 G3:4 F3:2 D3:2 B2:4",
                       true, true);
    const int b1 = add({F, G, Em, Am},
                       "A2:2 A2:2 C3:2 F3:2 F3:4 E3:4 "
                       "D3:2 D3:2 G3:4 B2:4 D3:4 "
                       "E3:2 G3:2 B3:4 A3:2 G3:2 E3:4 "
                       "C3:4 E3:4 A3:8",
                       true, false);
    const int b2 = add({Dm, G, C, C},
                       "F3:4 E3:2 D3:2 A2:4 D3:4 "
                       "B2:2 D3:2 G3:4 F3:4 D3:4 "
                       "E3:4 G3:2 C3:2 E3:8 "
                       "C3:8 .:8",
                       true, true);
    const int chorus1 = add({F, G, C, Am},
                            "C3:2 F3:2 A3:4 G3:2 F3:2 A3:4 "
                            "B3:2 A3:2 G3:4 D3:4 G3:4 "
                            "G3:4 E3:2 G3:2 A3:2 G3:2 E3:4 "
                            "C3:4 E3:4 A2:8",
                            true, false);
    const int chorus2 = add({F, G, C, C},
                            "C3:2 F3:2 A3:4 G3:2 F3:2 A3:4 "
                            "B3:2 A3:2 G3:4 F3:2 E3:2 D3:4 "
                            "E3:4 D3:2 E3:2 G3:8 "
                            "C3:12 .:4",
                            true, true);
    const int bridge = add({Am, F, C, G},
                           "A2:8 C3:8 "
                           "F3:8 E3:4 C3:4 "
                           "G2:8 E3:8 "
                           "D3:8 B2:4 G2:4",
                           true, true);

    // The ending: a last phrase, then one C chord held and faded to silence.
    Pattern outro{};
    Lead(outro, "G2:2 C3:2 E3:2 G3:2 E3:4 D3:4 C3:48");
    Put(outro, 0, kDrumChannel, 3, 0, kKick);
    Put(outro, 4, kDrumChannel, 3, 0, kSnare);
    Put(outro, 8, kDrumChannel, 3, 0, kKick);
    Put(outro, 12, kDrumChannel, 3, 0, kSnare);
    Put(outro, 16, kDrumChannel, 3, 0, kKick);
    Put(outro, 16, kChordChannel, 2, 0, kPluck, kArpeggio, 0x47);
    Put(outro, 16, kBassChannel, 1, 0, kBass);
    for (int r = 17; r < ModuleWriter::kRows; ++r) {
        Effect(outro, r, kChordChannel, kArpeggio, 0x47);
        if (r % 3 == 0)
            Effect(outro, r, kBassChannel, kVolumeSlide, 0x01);
    }
    // The lead fades slowly to nothing before the end, so the song ends in
    // silence and can start again.
    for (int r = 21; r < ModuleWriter::kRows; ++r)
        Effect(outro, r, kLeadChannel, r % 3 == 0 ? kVolumeSlide : kVibrato, r % 3 == 0 ? 0x01 : 0x00);
    Effect(outro, 56, kLeadChannel, kSetVolume, 0);
    Effect(outro, 56, kBassChannel, kSetVolume, 0);
    patterns.push_back(outro);
    const int ending = static_cast<int>(patterns.size()) - 1;

    // Speed 5 at the default tempo 125: ten rows a second, 150 beats a minute.
    Effect(patterns[static_cast<std::size_t>(intro)], 0, kLeadChannel, kSetSpeed, 5);

    const std::vector<int> order = {intro, a1, a2, b1,     b2,      chorus1, chorus2, a1,
                                    a2,    b1, b2, bridge, chorus1, chorus2, ending};
    return ModuleWriter::Write("Mewbloom", MakeSamples(), patterns, order);
}

} // namespace Quill::Content
