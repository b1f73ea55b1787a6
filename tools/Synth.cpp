#include "tools/Synth.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace Quill::Content {

namespace {

constexpr double kTwoPi = 2.0 * M_PI;

std::size_t Index(double seconds)
{
    return static_cast<std::size_t>(std::max(0.0, seconds) * Synth::kRate);
}

void Grow(std::vector<float>& out, std::size_t size)
{
    if (out.size() < size)
        out.resize(size, 0.0f);
}

// Schroeder comb and all-pass filters for the reverb.
class Comb {
public:
    Comb(std::size_t length, double feedback, double damp)
        : mBuffer(length, 0.0), mFeedback(feedback), mDamp(damp)
    {}
    double Process(double in)
    {
        const double out = mBuffer[mPos];
        mStore = out * (1.0 - mDamp) + mStore * mDamp;
        mBuffer[mPos] = in + mStore * mFeedback;
        mPos = (mPos + 1) % mBuffer.size();
        return out;
    }

private:
    std::vector<double> mBuffer;
    std::size_t mPos = 0;
    double mFeedback;
    double mDamp;
    double mStore = 0.0;
};

class AllPass {
public:
    explicit AllPass(std::size_t length) : mBuffer(length, 0.0) {}
    double Process(double in)
    {
        const double buffered = mBuffer[mPos];
        const double out = buffered - in;
        mBuffer[mPos] = in + buffered * 0.5;
        mPos = (mPos + 1) % mBuffer.size();
        return out;
    }

private:
    std::vector<double> mBuffer;
    std::size_t mPos = 0;
};

} // namespace

double Synth::NoteHz(double midi)
{
    return 440.0 * std::pow(2.0, (midi - 69.0) / 12.0);
}

double Synth::Sine(double phase)
{
    return std::sin(kTwoPi * phase);
}

double Synth::Triangle(double phase)
{
    const double p = phase - std::floor(phase);
    return p < 0.5 ? 4.0 * p - 1.0 : 3.0 - 4.0 * p;
}

double Synth::SoftSaw(double phase, int harmonics)
{
    // sin(h x) by the recurrence sin((h + 1) x) = 2 cos x sin(h x) - sin((h - 1) x):
    // one sine and one cosine per sample instead of one sine per harmonic.
    const double x = kTwoPi * (phase - std::floor(phase));
    const double twoCos = 2.0 * std::cos(x);
    double previous = 0.0;
    double current = std::sin(x);
    double v = 0.0;
    for (int h = 1; h <= harmonics; ++h) {
        v += current / h;
        const double next = twoCos * current - previous;
        previous = current;
        current = next;
    }
    return v * 0.55;
}

double Synth::Envelope(double t, double attack, double decay)
{
    if (t < 0.0)
        return 0.0;
    if (t < attack)
        return t / attack;
    return std::exp(-(t - attack) / decay);
}

double Synth::Noise()
{
    // xorshift32
    mNoiseState ^= mNoiseState << 13;
    mNoiseState ^= mNoiseState >> 17;
    mNoiseState ^= mNoiseState << 5;
    return static_cast<double>(mNoiseState) / 2147483648.0 - 1.0;
}

void Synth::Bell(std::vector<float>& out, double start, double hz, double length, double gain,
                 double brightness)
{
    const std::size_t first = Index(start);
    const std::size_t count = Index(length);
    Grow(out, first + count);
    for (std::size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double index = brightness * 2.2 * std::exp(-t / 0.18);
        const double mod = std::sin(kTwoPi * hz * 3.5 * t) * index;
        const double v = std::sin(kTwoPi * hz * t + mod) + 0.25 * std::sin(kTwoPi * hz * 2.0 * t);
        const double env = Envelope(t, 0.002, length * 0.3) * std::min(1.0, (length - t) / 0.02);
        out[first + i] += static_cast<float>(v * env * gain);
    }
}

void Synth::Piano(std::vector<float>& out, double start, double hz, double length, double gain)
{
    const std::size_t first = Index(start);
    const std::size_t count = Index(length + 0.4);
    Grow(out, first + count);
    for (std::size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double index = 1.3 * std::exp(-t / 0.35);
        const double v = std::sin(kTwoPi * hz * t + index * std::sin(kTwoPi * hz * t)) +
                         0.15 * std::sin(kTwoPi * hz * 4.0 * t) * std::exp(-t / 0.05);
        double env = Envelope(t, 0.004, 0.9);
        if (t > length)
            env *= std::exp(-(t - length) / 0.08);
        out[first + i] += static_cast<float>(v * env * gain);
    }
}

void Synth::Pad(std::vector<float>& out, double start, double hz, double length, double gain)
{
    const double release = 0.6;
    const std::size_t first = Index(start);
    const std::size_t count = Index(length + release);
    Grow(out, first + count);
    double lp = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double v = SoftSaw(hz * t, 6) + SoftSaw(hz * 1.004 * t + 0.3, 6) + 0.6 * Sine(hz * 0.5 * t);
        lp += (v - lp) * 0.08;
        double env = std::min(1.0, t / 0.5);
        if (t > length)
            env *= std::max(0.0, 1.0 - (t - length) / release);
        out[first + i] += static_cast<float>(lp * env * gain);
    }
}

void Synth::Bass(std::vector<float>& out, double start, double hz, double length, double gain)
{
    const std::size_t first = Index(start);
    const std::size_t count = Index(length + 0.05);
    Grow(out, first + count);
    for (std::size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double v = Sine(hz * t) + 0.3 * Sine(hz * 2.0 * t) * std::exp(-t / 0.2);
        double env = Envelope(t, 0.008, 0.8);
        if (t > length)
            env *= std::exp(-(t - length) / 0.015);
        out[first + i] += static_cast<float>(v * env * gain);
    }
}

void Synth::Sweep(std::vector<float>& out, double start, double hz0, double hz1, double length, double decay,
                  double gain)
{
    const std::size_t first = Index(start);
    const std::size_t count = Index(length);
    Grow(out, first + count);
    double phase = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double hz = hz0 * std::pow(hz1 / hz0, t / length);
        phase += hz / kRate;
        const double env = Envelope(t, 0.002, decay) * std::min(1.0, (length - t) / 0.005);
        out[first + i] += static_cast<float>(Sine(phase) * env * gain);
    }
}

void Synth::NoiseBurst(std::vector<float>& out, double start, double length, double decay, double cutoff,
                       double gain, bool highPass)
{
    const std::size_t first = Index(start);
    const std::size_t count = Index(length);
    Grow(out, first + count);
    double lp = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double n = Noise();
        lp += (n - lp) * cutoff;
        const double v = highPass ? n - lp : lp;
        const double env = Envelope(t, 0.001, decay) * std::min(1.0, (length - t) / 0.004);
        out[first + i] += static_cast<float>(v * env * gain);
    }
}

void Synth::Reverb(std::vector<float>& stereo, double wet, double roomSize)
{
    const std::array<std::size_t, 4> combLengths = {1116, 1188, 1277, 1356};
    const std::vector<float> dry = stereo;
    for (int channel = 0; channel < 2; ++channel) {
        std::vector<Comb> combs;
        for (std::size_t len : combLengths)
            combs.emplace_back(len + static_cast<std::size_t>(channel) * 23, roomSize, 0.3);
        AllPass a1(556 + static_cast<std::size_t>(channel) * 23);
        AllPass a2(441 + static_cast<std::size_t>(channel) * 23);
        for (std::size_t i = static_cast<std::size_t>(channel); i < stereo.size(); i += 2) {
            const std::size_t frame = i - static_cast<std::size_t>(channel);
            const double in = (dry[frame] + dry[frame + 1]) * 0.5 * 0.2;
            double acc = 0.0;
            for (Comb& c : combs)
                acc += c.Process(in);
            acc = a2.Process(a1.Process(acc));
            stereo[i] = static_cast<float>(stereo[i] + acc * wet);
        }
    }
}

double Synth::LoudestWindowRms(const std::vector<float>& mono)
{
    const std::size_t window = kRate / 20;
    double best = 0.0;
    for (std::size_t start = 0; start < mono.size(); start += window / 2) {
        const std::size_t end = std::min(mono.size(), start + window);
        double sum = 0.0;
        for (std::size_t i = start; i < end; ++i)
            sum += static_cast<double>(mono[i]) * mono[i];
        best = std::max(best, std::sqrt(sum / static_cast<double>(window)));
    }
    return best;
}

void Synth::Normalise(std::vector<float>& mono, double rmsTarget, double peakLimit)
{
    const double rms = LoudestWindowRms(mono);
    if (rms <= 0.0)
        return;
    double gain = rmsTarget / rms;
    double peak = 0.0;
    for (float s : mono)
        peak = std::max(peak, std::fabs(static_cast<double>(s)));
    if (peak * gain > peakLimit)
        gain = peakLimit / peak;
    for (float& s : mono)
        s = static_cast<float>(s * gain);
}

void Synth::FadeOut(std::vector<float>& mono, double seconds)
{
    const std::size_t n = std::min(mono.size(), Index(seconds));
    for (std::size_t i = 0; i < n; ++i)
        mono[mono.size() - n + i] *=
            static_cast<float>(1.0 - static_cast<double>(i + 1) / static_cast<double>(n));
}

} // namespace Quill::Content
