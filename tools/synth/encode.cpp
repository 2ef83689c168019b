#include "encode.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vorbis/vorbisenc.h>

static const int STREAM_SERIAL = 0x504C554E;   // fixed: the build must be repeatable
static const float VORBIS_QUALITY = 0.5f;      // about 160 kbit/s stereo: clean for soft timbres
static const int ENCODE_BLOCK = 1024;

static void Put16(std::vector<unsigned char> &b, unsigned v)
{
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
}

static void Put32(std::vector<unsigned char> &b, unsigned v)
{
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

static void PutTag(std::vector<unsigned char> &b, const char *tag) { b.insert(b.end(), tag, tag + 4); }

std::vector<unsigned char> EncodeWav(const std::vector<float> &samples)
{
    unsigned dataBytes = (unsigned)samples.size() * 2;
    std::vector<unsigned char> b;
    PutTag(b, "RIFF");
    Put32(b, 36 + dataBytes);
    PutTag(b, "WAVE");
    PutTag(b, "fmt ");
    Put32(b, 16);
    Put16(b, 1);                 // PCM
    Put16(b, 1);                 // mono
    Put32(b, SYNTH_RATE);
    Put32(b, SYNTH_RATE * 2);    // bytes per second
    Put16(b, 2);                 // bytes per frame
    Put16(b, 16);
    PutTag(b, "data");
    Put32(b, dataBytes);
    for (float s : samples) {
        long v = std::lround(std::clamp(s, -1.0f, 1.0f) * 32767.0f);
        Put16(b, (unsigned)(v & 0xFFFF));
    }
    return b;
}

static void AppendPage(std::vector<unsigned char> &bytes, const ogg_page &page)
{
    bytes.insert(bytes.end(), page.header, page.header + page.header_len);
    bytes.insert(bytes.end(), page.body, page.body + page.body_len);
}

bool EncodeVorbis(const Stereo &music, const std::string &title, std::vector<unsigned char> &bytes)
{
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, 2, SYNTH_RATE, VORBIS_QUALITY) != 0) {
        vorbis_info_clear(&info);
        return false;
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_comment_add_tag(&comment, "TITLE", title.c_str());
    vorbis_dsp_state dsp;
    vorbis_block block;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, STREAM_SERIAL);

    ogg_packet header, headerComment, headerCode;
    vorbis_analysis_headerout(&dsp, &comment, &header, &headerComment, &headerCode);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &headerComment);
    ogg_stream_packetin(&stream, &headerCode);
    ogg_page page;
    bytes.clear();
    // The audio starts on a page of its own, as players expect.
    while (ogg_stream_flush(&stream, &page)) AppendPage(bytes, page);

    size_t length = music.left.size(), done = 0;
    bool finished = false;
    while (!finished) {
        if (done < length) {
            int count = (int)std::min<size_t>(ENCODE_BLOCK, length - done);
            float **buffer = vorbis_analysis_buffer(&dsp, count);
            for (int i = 0; i < count; ++i) {
                buffer[0][i] = music.left[done + i];
                buffer[1][i] = music.right[done + i];
            }
            vorbis_analysis_wrote(&dsp, count);
            done += count;
        } else {
            vorbis_analysis_wrote(&dsp, 0);   // end of stream
            finished = true;
        }
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page)) AppendPage(bytes, page);
            }
        }
    }
    while (ogg_stream_flush(&stream, &page)) AppendPage(bytes, page);

    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return true;
}

bool WriteFile(const std::string &path, const std::vector<unsigned char> &bytes)
{
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}
