#include "tools/ModuleWriter.h"

#include <algorithm>

namespace Quill::Content {

namespace {

// ProTracker periods of octaves 1 to 3 at finetune 0.
constexpr std::array<int, 36> kPeriods = {856, 808, 762, 720, 678, 640, 604, 570, 538, 508, 480, 453,
                                          428, 404, 381, 360, 339, 320, 302, 285, 269, 254, 240, 226,
                                          214, 202, 190, 180, 170, 160, 151, 143, 135, 127, 120, 113};

void Word(std::string& out, int value)
{
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
    out.push_back(static_cast<char>(value & 0xFF));
}

void Text(std::string& out, const std::string& text, std::size_t size)
{
    std::string field = text.substr(0, size);
    field.resize(size, '\0');
    out += field;
}

} // namespace

int ModuleWriter::Period(int octave, int semitone)
{
    const int index = std::clamp((octave - 1) * 12 + semitone, 0, static_cast<int>(kPeriods.size()) - 1);
    return kPeriods[static_cast<std::size_t>(index)];
}

std::string ModuleWriter::Write(const std::string& title, const std::vector<Sample>& samples,
                                const std::vector<Pattern>& patterns, const std::vector<int>& order)
{
    std::string out;
    Text(out, title, 20);
    std::vector<std::vector<std::int8_t>> data;
    for (int i = 0; i < kSampleSlots; ++i) {
        Sample s;
        if (static_cast<std::size_t>(i) < samples.size())
            s = samples[static_cast<std::size_t>(i)];
        if (s.data.size() % 2 != 0)
            s.data.push_back(0);
        s.data.resize(std::min<std::size_t>(s.data.size(), 131070));
        Text(out, s.name, 22);
        Word(out, static_cast<int>(s.data.size() / 2));
        out.push_back(0); // finetune
        out.push_back(static_cast<char>(std::clamp(s.volume, 0, 64)));
        if (s.loopLength > 0) {
            Word(out, s.loopStart / 2);
            Word(out, s.loopLength / 2);
        } else {
            Word(out, 0);
            Word(out, 1);
        }
        data.push_back(std::move(s.data));
    }
    const std::size_t positions = std::min<std::size_t>(order.size(), 128);
    out.push_back(static_cast<char>(positions));
    out.push_back(static_cast<char>(127));
    int highest = 0;
    for (std::size_t i = 0; i < 128; ++i) {
        const int p = i < positions ? order[i] : 0;
        highest = std::max(highest, p);
        out.push_back(static_cast<char>(p));
    }
    out += "M.K.";
    for (int p = 0; p <= highest; ++p) {
        const Pattern empty{};
        const Pattern& pattern =
            static_cast<std::size_t>(p) < patterns.size() ? patterns[static_cast<std::size_t>(p)] : empty;
        for (const auto& row : pattern) {
            for (const Cell& c : row) {
                out.push_back(static_cast<char>((c.sample & 0xF0) | ((c.period >> 8) & 0x0F)));
                out.push_back(static_cast<char>(c.period & 0xFF));
                out.push_back(static_cast<char>(((c.sample & 0x0F) << 4) | (c.effect & 0x0F)));
                out.push_back(static_cast<char>(c.param & 0xFF));
            }
        }
    }
    for (const auto& d : data)
        out.append(reinterpret_cast<const char*>(d.data()), d.size());
    return out;
}

} // namespace Quill::Content
