#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace QuillTest {

// Readers for the generated content, written independently of the generator
// (libpng, libvorbisfile and plain byte parsing) so that the tests check the
// files as the game will find them.

// The build's data folder (where the generator writes).
std::filesystem::path ContentDataDir();

// A decoded picture: straight 0xAARRGGBB pixels, row-major.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    [[nodiscard]] std::uint32_t At(int x, int y) const
    {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
    [[nodiscard]] int Alpha(int x, int y) const { return static_cast<int>(At(x, y) >> 24); }
};
std::optional<Picture> ReadPng(const std::filesystem::path& file);

// One declaration of the resource manifest with its path resolved by the
// manifest's default-path rule.
struct ManifestEntry {
    std::string kind; // Image, Sound or Font
    std::string group;
    std::string id;
    std::string path;
    int rows = 1;
    int cols = 1;
};
// Reads properties/resources.xml of the data folder; empty on a malformed file.
std::vector<ManifestEntry> ReadManifest(const std::filesystem::path& file);

// Decoded sound: 16-bit samples (interleaved) with rate and channels.
struct Sound {
    int rate = 0;
    int channels = 0;
    std::vector<std::int16_t> samples;
    [[nodiscard]] double Seconds() const
    {
        return channels > 0 && rate > 0 ? static_cast<double>(samples.size()) / channels / rate : 0.0;
    }
};
std::optional<Sound> ReadWav(const std::filesystem::path& file);
std::optional<Sound> ReadAu(const std::filesystem::path& file);
std::optional<Sound> ReadOgg(const std::filesystem::path& file);
// Finds and decodes a sound named without extension, as the sound manager
// does (.wav, then .ogg, then .au).
std::optional<Sound> ReadSoundByStem(const std::filesystem::path& stem,
                                     std::string* foundExtension = nullptr);

// RMS of the loudest 50 ms window of a mono or stereo sound, 0..1.
double LoudestWindowRms(const Sound& sound);

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& file);

} // namespace QuillTest
