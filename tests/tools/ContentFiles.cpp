#include "tests/tools/ContentFiles.h"

#include <png.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

namespace QuillTest {

namespace {

std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at)
{
    return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
           (static_cast<std::uint32_t>(b[at + 2]) << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

std::uint16_t Le16(const std::vector<std::uint8_t>& b, std::size_t at)
{
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

std::uint32_t Be32(const std::vector<std::uint8_t>& b, std::size_t at)
{
    return (static_cast<std::uint32_t>(b[at]) << 24) | (static_cast<std::uint32_t>(b[at + 1]) << 16) |
           (static_cast<std::uint32_t>(b[at + 2]) << 8) | static_cast<std::uint32_t>(b[at + 3]);
}

// The game's mu-law expansion of one byte.
std::int16_t MuLawSample(std::uint8_t b)
{
    const int sign = b >= 128 ? 1 : -1;
    const int v = b | 128;
    int m = 0;
    if (v >= 240)
        m = (255 - v) * 2;
    else if (v >= 224)
        m = (247 - v) * 4;
    else if (v >= 208)
        m = (235 - v) * 8;
    else if (v >= 192)
        m = (221 - v) * 16;
    else if (v >= 176)
        m = (206 - v) * 32;
    else if (v >= 160)
        m = 12192 - 64 * v;
    else if (v >= 144)
        m = 22368 - 128 * v;
    else
        m = 40672 - 256 * v;
    return static_cast<std::int16_t>(4 * m * sign);
}

// Attribute value of a tag's text, or empty.
std::optional<std::string> Attribute(const std::string& tag, const std::string& name)
{
    const std::string key = " " + name + "=\"";
    const auto at = tag.find(key);
    if (at == std::string::npos)
        return std::nullopt;
    const auto start = at + key.size();
    const auto end = tag.find('"', start);
    if (end == std::string::npos)
        return std::nullopt;
    return tag.substr(start, end - start);
}

} // namespace

std::filesystem::path ContentDataDir()
{
    return QUILL_CONTENT_DATA_DIR;
}

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::optional<Picture> ReadPng(const std::filesystem::path& file)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, file.c_str()))
        return std::nullopt;
    image.format = PNG_FORMAT_BGRA;
    Picture picture;
    picture.width = static_cast<int>(image.width);
    picture.height = static_cast<int>(image.height);
    picture.pixels.resize(static_cast<std::size_t>(image.width) * image.height);
    if (!png_image_finish_read(&image, nullptr, picture.pixels.data(), 0, nullptr)) {
        png_image_free(&image);
        return std::nullopt;
    }
    return picture;
}

std::vector<ManifestEntry> ReadManifest(const std::filesystem::path& file)
{
    const std::vector<std::uint8_t> bytes = ReadBytes(file);
    const std::string text(bytes.begin(), bytes.end());
    std::vector<ManifestEntry> entries;
    std::string group;
    std::string defaultPath;
    std::size_t pos = 0;
    while ((pos = text.find('<', pos)) != std::string::npos) {
        if (text.compare(pos, 4, "<!--") == 0) {
            pos = text.find("-->", pos);
            if (pos == std::string::npos)
                return {};
            continue;
        }
        const auto end = text.find('>', pos);
        if (end == std::string::npos)
            return {};
        const std::string tag = text.substr(pos, end - pos + 1);
        pos = end;
        const auto nameEnd = tag.find_first_of(" />", 1);
        const std::string name = tag.substr(1, nameEnd - 1);
        if (name == "Resources") {
            group = Attribute(tag, "id").value_or("");
        } else if (name == "SetDefaults") {
            if (auto p = Attribute(tag, "path")) {
                std::string value = *p;
                if (!value.empty() && (value.back() == '/' || value.back() == '\\'))
                    value.pop_back();
                defaultPath = value + "/";
            }
        } else if (name == "Image" || name == "Sound" || name == "Font") {
            ManifestEntry e;
            e.kind = name;
            e.group = group;
            e.id = Attribute(tag, "id").value_or("");
            e.path = defaultPath + Attribute(tag, "path").value_or("");
            e.rows = std::atoi(Attribute(tag, "rows").value_or("1").c_str());
            e.cols = std::atoi(Attribute(tag, "cols").value_or("1").c_str());
            entries.push_back(e);
        }
    }
    return entries;
}

std::optional<Sound> ReadWav(const std::filesystem::path& file)
{
    const std::vector<std::uint8_t> b = ReadBytes(file);
    if (b.size() < 12 || std::string(b.begin(), b.begin() + 4) != "RIFF" ||
        std::string(b.begin() + 8, b.begin() + 12) != "WAVE")
        return std::nullopt;
    Sound sound;
    int bits = 0;
    std::size_t at = 12;
    while (at + 8 <= b.size()) {
        const std::string id(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at) + 4);
        const std::uint32_t size = Le32(b, at + 4);
        const std::size_t body = at + 8;
        if (body + size > b.size())
            return std::nullopt;
        if (id == "fmt ") {
            if (Le16(b, body) != 1)
                return std::nullopt;
            sound.channels = Le16(b, body + 2);
            sound.rate = static_cast<int>(Le32(b, body + 4));
            bits = Le16(b, body + 14);
        } else if (id == "data") {
            if (bits != 16)
                return std::nullopt;
            for (std::size_t i = 0; i + 1 < size; i += 2)
                sound.samples.push_back(static_cast<std::int16_t>(Le16(b, body + i)));
            return sound;
        }
        at = body + size;
    }
    return std::nullopt;
}

std::optional<Sound> ReadAu(const std::filesystem::path& file)
{
    const std::vector<std::uint8_t> b = ReadBytes(file);
    if (b.size() < 24 || std::string(b.begin(), b.begin() + 4) != ".snd")
        return std::nullopt;
    const std::uint32_t offset = Be32(b, 4);
    const std::uint32_t size = Be32(b, 8);
    if (Be32(b, 12) != 1 || offset > b.size() || size > b.size() - offset)
        return std::nullopt;
    Sound sound;
    sound.rate = static_cast<int>(Be32(b, 16));
    sound.channels = static_cast<int>(Be32(b, 20));
    for (std::uint32_t i = 0; i < size; ++i)
        sound.samples.push_back(MuLawSample(b[offset + i]));
    return sound;
}

std::optional<Sound> ReadOgg(const std::filesystem::path& file)
{
    OggVorbis_File vf;
    if (ov_fopen(file.c_str(), &vf) != 0)
        return std::nullopt;
    const vorbis_info* info = ov_info(&vf, -1);
    Sound sound;
    sound.rate = static_cast<int>(info->rate);
    sound.channels = info->channels;
    char buffer[8192];
    int section = 0;
    long got = 0;
    while ((got = ov_read(&vf, buffer, sizeof buffer, 0, 2, 1, &section)) > 0) {
        for (long i = 0; i + 1 < got; i += 2)
            sound.samples.push_back(static_cast<std::int16_t>(
                static_cast<std::uint8_t>(buffer[i]) | (static_cast<std::uint8_t>(buffer[i + 1]) << 8)));
    }
    ov_clear(&vf);
    if (got < 0)
        return std::nullopt;
    return sound;
}

std::optional<Sound> ReadSoundByStem(const std::filesystem::path& stem, std::string* foundExtension)
{
    for (const char* ext : {".wav", ".ogg", ".au"}) {
        std::filesystem::path file = stem;
        file += ext;
        if (!std::filesystem::exists(file))
            continue;
        if (foundExtension)
            *foundExtension = ext;
        const std::string e = ext;
        return e == ".wav" ? ReadWav(file) : e == ".ogg" ? ReadOgg(file) : ReadAu(file);
    }
    return std::nullopt;
}

double LoudestWindowRms(const Sound& sound)
{
    if (sound.channels <= 0 || sound.rate <= 0)
        return 0.0;
    const std::size_t frames = sound.samples.size() / static_cast<std::size_t>(sound.channels);
    const std::size_t window = static_cast<std::size_t>(sound.rate / 20);
    double best = 0.0;
    for (std::size_t start = 0; start < frames; start += window / 2) {
        double sum = 0.0;
        const std::size_t end = std::min(frames, start + window);
        for (std::size_t f = start; f < end; ++f) {
            double v = 0.0;
            for (int c = 0; c < sound.channels; ++c)
                v +=
                    sound.samples[f * static_cast<std::size_t>(sound.channels) + static_cast<std::size_t>(c)];
            v /= sound.channels * 32768.0;
            sum += v * v;
        }
        best = std::max(best, std::sqrt(sum / static_cast<double>(window)));
    }
    return best;
}

} // namespace QuillTest
