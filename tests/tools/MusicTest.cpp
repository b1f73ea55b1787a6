#include <gtest/gtest.h>

#include <libopenmpt/libopenmpt.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "tests/tools/ContentFiles.h"

namespace {

using QuillTest::ContentDataDir;

double Rms(const std::vector<std::int16_t>& s, std::size_t from, std::size_t to)
{
    double sum = 0.0;
    to = std::min(to, s.size());
    for (std::size_t i = from; i < to; ++i)
        sum += static_cast<double>(s[i]) * s[i];
    return to > from ? std::sqrt(sum / static_cast<double>(to - from)) : 0.0;
}

TEST(MusicTest, MenuSongIsAGentleStereoLoopOfOneToTwoMinutes)
{
    const auto song = QuillTest::ReadOgg(ContentDataDir() / "music" / "menu.ogg");
    ASSERT_TRUE(song.has_value());
    EXPECT_EQ(song->channels, 2);
    EXPECT_GE(song->Seconds(), 60.0);
    EXPECT_LE(song->Seconds(), 120.0);
    int peak = 0;
    for (std::int16_t s : song->samples)
        peak = std::max(peak, std::abs(static_cast<int>(s)));
    EXPECT_LT(peak, 32767 * 95 / 100);
    const double overall = Rms(song->samples, 0, song->samples.size());
    EXPECT_GT(overall, 1000.0) << "audible";
    // It loops: the end runs into the start without a jump. The step from the
    // last frame to the first is like an ordinary step inside the song.
    const std::size_t n = song->samples.size();
    double typical = 0.0;
    for (std::size_t i = 2; i < n; i += 2)
        typical += std::abs(song->samples[i] - song->samples[i - 2]);
    typical /= static_cast<double>(n / 2);
    for (int c = 0; c < 2; ++c) {
        EXPECT_LT(std::abs(song->samples[static_cast<std::size_t>(c)] -
                           song->samples[n - 2 + static_cast<std::size_t>(c)]),
                  8.0 * typical + 64.0);
    }
    // And it is not silent at the loop point (the piece goes on around it).
    EXPECT_GT(Rms(song->samples, 0, 44100), overall / 10.0);
    EXPECT_GT(Rms(song->samples, n - 44100, n), overall / 10.0);
}

TEST(MusicTest, GameSongIsAFourChannelModuleOf31Instruments)
{
    const std::vector<std::uint8_t> mod = QuillTest::ReadBytes(ContentDataDir() / "music" / "game.mod");
    ASSERT_GT(mod.size(), 1084u);
    EXPECT_EQ(std::string(mod.begin() + 1080, mod.begin() + 1084), "M.K.");
    std::size_t sampleBytes = 0;
    int used = 0;
    for (int i = 0; i < 31; ++i) {
        const std::size_t h = 20 + static_cast<std::size_t>(i) * 30;
        const std::size_t words = static_cast<std::size_t>(mod[h + 22] << 8 | mod[h + 23]);
        const int volume = mod[h + 25];
        const std::size_t loopStart = static_cast<std::size_t>(mod[h + 26] << 8 | mod[h + 27]);
        const std::size_t loopLength = static_cast<std::size_t>(mod[h + 28] << 8 | mod[h + 29]);
        EXPECT_LE(volume, 64) << "sample " << i + 1;
        if (words > 0) {
            ++used;
            EXPECT_LE(loopStart + loopLength, std::max<std::size_t>(words, 1)) << "sample " << i + 1;
        }
        sampleBytes += words * 2;
    }
    EXPECT_GE(used, 4);
    const int songLength = mod[950];
    ASSERT_GE(songLength, 1);
    ASSERT_LE(songLength, 128);
    int patterns = 0;
    for (int i = 0; i < 128; ++i)
        patterns = std::max(patterns, mod[952 + static_cast<std::size_t>(i)] + 1);
    EXPECT_EQ(mod.size(), 1084u + static_cast<std::size_t>(patterns) * 1024u + sampleBytes);
}

TEST(MusicTest, GameSongPlaysOneToThreeMinutesAndEndsCleanly)
{
    const std::vector<std::uint8_t> mod = QuillTest::ReadBytes(ContentDataDir() / "music" / "game.mod");
    openmpt_module* module = openmpt_module_create_from_memory2(mod.data(), mod.size(), nullptr, nullptr,
                                                                nullptr, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(openmpt_module_get_num_channels(module), 4);
    EXPECT_EQ(openmpt_module_get_num_samples(module), 31);
    const double seconds = openmpt_module_get_duration_seconds(module);
    EXPECT_GE(seconds, 60.0);
    EXPECT_LE(seconds, 180.0);
    // Played once through (no repeat), it stops by itself at about that time
    // and its last moment is silence, so restarting it is seamless.
    constexpr int kRate = 22050;
    std::vector<std::int16_t> audio;
    std::vector<std::int16_t> buffer(2 * 4096);
    std::size_t frames = 0;
    while ((frames = openmpt_module_read_interleaved_stereo(module, kRate, 4096, buffer.data())) > 0)
        audio.insert(audio.end(), buffer.begin(), buffer.begin() + static_cast<long>(frames * 2));
    openmpt_module_destroy(module);
    EXPECT_NEAR(static_cast<double>(audio.size()) / 2 / kRate, seconds, 1.0);
    const double overall = Rms(audio, 0, audio.size());
    EXPECT_GT(overall, 1000.0) << "lively, not faint";
    EXPECT_LT(Rms(audio, audio.size() - kRate, audio.size()), overall * 0.05);
}

} // namespace
