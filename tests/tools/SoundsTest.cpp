#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "tests/tools/ContentFiles.h"

namespace {

using QuillTest::ContentDataDir;

struct Decoded {
    std::string id;
    std::string extension;
    QuillTest::Sound sound;
};

std::vector<Decoded> Sounds()
{
    std::vector<Decoded> out;
    for (const auto& e : QuillTest::ReadManifest(ContentDataDir() / "properties" / "resources.xml")) {
        if (e.kind != "Sound")
            continue;
        Decoded d;
        d.id = e.id;
        auto s = QuillTest::ReadSoundByStem(ContentDataDir() / e.path, &d.extension);
        EXPECT_TRUE(s.has_value()) << e.id;
        if (s) {
            d.sound = *s;
            out.push_back(d);
        }
    }
    return out;
}

TEST(SoundsTest, EverySoundDecodesIsShortStartsAtOnceAndStaysBelowFullScale)
{
    const std::vector<Decoded> sounds = Sounds();
    ASSERT_EQ(sounds.size(), 8u);
    for (const Decoded& d : sounds) {
        SCOPED_TRACE(d.id);
        EXPECT_GT(d.sound.Seconds(), 0.03);
        EXPECT_LT(d.sound.Seconds(), 2.0);
        int peak = 0;
        for (std::int16_t s : d.sound.samples)
            peak = std::max(peak, std::abs(static_cast<int>(s)));
        EXPECT_LT(peak, 32767 * 95 / 100) << "too close to full scale";
        EXPECT_GT(peak, 32767 / 8) << "too quiet";
        // Something is heard within the first 15 ms: a click feels immediate.
        const std::size_t early = static_cast<std::size_t>(d.sound.rate * 15 / 1000 * d.sound.channels);
        int earlyPeak = 0;
        for (std::size_t i = 0; i < early && i < d.sound.samples.size(); ++i)
            earlyPeak = std::max(earlyPeak, std::abs(static_cast<int>(d.sound.samples[i])));
        EXPECT_GT(earlyPeak, peak / 20);
        // It ends in silence, without a click.
        const int last = std::abs(static_cast<int>(d.sound.samples.back()));
        EXPECT_LT(last, peak / 20);
    }
}

TEST(SoundsTest, EveryDecoderIsUsedAndLoudnessIsEven)
{
    const std::vector<Decoded> sounds = Sounds();
    std::set<std::string> formats;
    double quietest = 1.0;
    double loudest = 0.0;
    for (const Decoded& d : sounds) {
        formats.insert(d.extension);
        const double rms = QuillTest::LoudestWindowRms(d.sound);
        quietest = std::min(quietest, rms);
        loudest = std::max(loudest, rms);
    }
    EXPECT_EQ(formats, (std::set<std::string>{".wav", ".ogg", ".au"}));
    ASSERT_GT(quietest, 0.0);
    // Within 4 dB of each other.
    EXPECT_LT(20.0 * std::log10(loudest / quietest), 4.0);
}

} // namespace
