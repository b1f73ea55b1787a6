#include "tools/AudioFiles.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cmath>

namespace Quill::Content {

namespace {

void Le(std::string& out, std::uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

void Be(std::string& out, std::uint32_t v)
{
    for (int i = 3; i >= 0; --i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

void AppendPages(std::string& out, ogg_stream_state& stream, bool flush)
{
    ogg_page page;
    while (flush ? ogg_stream_flush(&stream, &page) : ogg_stream_pageout(&stream, &page)) {
        out.append(reinterpret_cast<const char*>(page.header), static_cast<std::size_t>(page.header_len));
        out.append(reinterpret_cast<const char*>(page.body), static_cast<std::size_t>(page.body_len));
    }
}

} // namespace

std::int16_t AudioFiles::ToPcm16(float sample)
{
    const double v = std::round(static_cast<double>(sample) * 32767.0);
    return static_cast<std::int16_t>(std::clamp(v, -32768.0, 32767.0));
}

std::string AudioFiles::Wav16(const std::vector<float>& samples, int channels, int rate)
{
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    std::string out = "RIFF";
    Le(out, 36 + dataBytes, 4);
    out += "WAVEfmt ";
    Le(out, 16, 4);
    Le(out, 1, 2); // PCM
    Le(out, static_cast<std::uint32_t>(channels), 2);
    Le(out, static_cast<std::uint32_t>(rate), 4);
    Le(out, static_cast<std::uint32_t>(rate * channels * 2), 4);
    Le(out, static_cast<std::uint32_t>(channels * 2), 2);
    Le(out, 16, 2);
    out += "data";
    Le(out, dataBytes, 4);
    for (float s : samples)
        Le(out, static_cast<std::uint16_t>(ToPcm16(s)), 2);
    return out;
}

std::uint8_t AudioFiles::MuLaw(int sample)
{
    constexpr int kBias = 0x84;
    constexpr int kClip = 32635;
    int sign = 0;
    if (sample < 0) {
        sample = -sample;
        sign = 0x80;
    }
    sample = std::min(sample, kClip) + kBias;
    int exponent = 7;
    for (int mask = 0x4000; (sample & mask) == 0 && exponent > 0; mask >>= 1)
        --exponent;
    const int mantissa = (sample >> (exponent + 3)) & 0x0F;
    return static_cast<std::uint8_t>(~(sign | (exponent << 4) | mantissa));
}

std::string AudioFiles::AuMuLaw(const std::vector<float>& samples, int channels, int rate)
{
    constexpr std::uint32_t kHeader = 24;
    std::string out = ".snd";
    Be(out, kHeader);
    Be(out, static_cast<std::uint32_t>(samples.size()));
    Be(out, 1); // 8-bit mu-law
    Be(out, static_cast<std::uint32_t>(rate));
    Be(out, static_cast<std::uint32_t>(channels));
    for (float s : samples)
        out.push_back(static_cast<char>(MuLaw(ToPcm16(s))));
    return out;
}

std::string AudioFiles::OggVorbis(const std::vector<float>& samples, int channels, int rate, float quality,
                                  int serial)
{
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, channels, rate, quality) != 0) {
        vorbis_info_clear(&info);
        return {};
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_comment_add_tag(&comment, "TITLE", "Mewbloom");
    vorbis_dsp_state dsp;
    vorbis_block block;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, serial);

    std::string out;
    ogg_packet header;
    ogg_packet headerComment;
    ogg_packet headerCode;
    vorbis_analysis_headerout(&dsp, &comment, &header, &headerComment, &headerCode);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &headerComment);
    ogg_stream_packetin(&stream, &headerCode);
    AppendPages(out, stream, true);

    const std::size_t frames = samples.size() / static_cast<std::size_t>(channels);
    constexpr std::size_t kChunk = 4096;
    std::size_t done = 0;
    bool finished = false;
    while (!finished) {
        const std::size_t n = std::min(kChunk, frames - done);
        if (n == 0) {
            vorbis_analysis_wrote(&dsp, 0);
        } else {
            float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(n));
            for (std::size_t i = 0; i < n; ++i)
                for (int c = 0; c < channels; ++c)
                    buffer[c][i] = samples[(done + i) * static_cast<std::size_t>(channels) +
                                           static_cast<std::size_t>(c)];
            vorbis_analysis_wrote(&dsp, static_cast<int>(n));
            done += n;
        }
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
                ogg_stream_packetin(&stream, &packet);
                AppendPages(out, stream, false);
            }
        }
        if (n == 0)
            finished = true;
    }
    AppendPages(out, stream, true);
    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return out;
}

} // namespace Quill::Content
