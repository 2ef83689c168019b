#include "capture.h"

#include <allegro.h>
#include <vorbis/vorbisenc.h>
#include <vorbis/vorbisfile.h>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

namespace capture {

static const char XVFB[] = "Xvfb";
static const char SCREEN[] = "640x480x24";
static const float FULL_SCALE = 32768.0f;
static const double SILENT_RMS = 1e-4;       // the mixer writes exact zeros when nothing sounds
static const size_t SILENCE_STEP = 256;      // frames per step when looking for the end of a sound
static const float OGG_QUALITY = 0.5f;
static const size_t ENCODE_CHUNK = 1024;

static pid_t xvfb = -1;

static std::set<std::string> scratchDirs;

std::string ScratchDir(const char *name)
{
    std::string dir = "/tmp/paperlune-sound-" + std::to_string(getpid()) + "-" + name;
    mkdir(dir.c_str(), 0755);
    scratchDirs.insert(dir);
    return dir;
}

void RemoveScratch()
{
    for (const std::string &dir : scratchDirs) {
        if (DIR *d = opendir(dir.c_str())) {
            while (dirent *e = readdir(d))
                if (strcmp(e->d_name, ".") != 0 && strcmp(e->d_name, "..") != 0)
                    remove((dir + "/" + e->d_name).c_str());
            closedir(d);
        }
        rmdir(dir.c_str());
    }
    scratchDirs.clear();
}

size_t OpenFiles()
{
    size_t n = 0;
    if (DIR *d = opendir("/proc/self/fd")) {
        while (readdir(d))
            n++;
        closedir(d);
    }
    return n;
}

std::string SinkFile()
{
    return ScratchDir("home") + "/sink.raw";
}

void ClearSink()
{
    remove(SinkFile().c_str());
}

static bool WriteAlsaConfig(const std::string &home)
{
    std::string asoundrc =
        "pcm.!default {\n"
        "  type plug\n"
        "  slave { pcm \"sink\" format S16_LE rate 44100 channels 2 }\n"
        "}\n"
        "pcm.sink {\n"
        "  type file\n"
        "  slave.pcm \"null\"\n"
        "  file \"" + SinkFile() + "\"\n"
        "  format \"raw\"\n"
        "}\n";
    FILE *f = fopen((home + "/.asoundrc").c_str(), "w");
    if (!f)
        return false;
    fputs(asoundrc.c_str(), f);
    return fclose(f) == 0;
}

bool StartAllegro()
{
    static int started = -1;
    if (started >= 0)
        return started == 1;
    started = 0;
    int fds[2];
    if (pipe(fds) != 0)
        return false;
    xvfb = fork();
    if (xvfb == 0) {
        // Dies with the test process however that ends, and keeps quiet.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        close(fds[0]);
        std::string fd = std::to_string(fds[1]);
        execlp(XVFB, XVFB, "-displayfd", fd.c_str(), "-screen", "0", SCREEN, "-nolisten", "tcp", (char *)nullptr);
        _exit(127);
    }
    close(fds[1]);
    // Xvfb picks a free display and writes its number and a newline once it
    // is ready; it gives up if the pipe closes before the newline is in.
    std::string number;
    char c;
    while (xvfb > 0 && read(fds[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(fds[0]);
    if (number.empty())
        return false;
    std::string display = ":" + number;
    setenv("DISPLAY", display.c_str(), 1);
    std::string home = ScratchDir("home");
    if (!WriteAlsaConfig(home))
        return false;
    setenv("HOME", home.c_str(), 1);
    if (allegro_init() != 0 || install_timer() != 0)
        return false;
    started = 1;
    return true;
}

void StopDisplay()
{
    if (xvfb > 0) {
        allegro_exit();   // before its X connection goes away under it
        kill(xvfb, SIGTERM);
        waitpid(xvfb, nullptr, 0);
        xvfb = -1;
    }
}


Sound ReadRaw(const std::string &rawFile)
{
    Sound s;
    FILE *f = fopen(rawFile.c_str(), "rb");
    if (!f)
        return s;
    int16_t buf[4096];
    size_t got;
    while ((got = fread(buf, sizeof buf[0], 4096, f)) > 0)
        for (size_t i = 0; i < got; i++)
            s.data.push_back(buf[i] / FULL_SCALE);
    fclose(f);
    s.data.resize(s.frames() * 2);
    return s;
}

std::vector<float> Noise(unsigned seed, size_t frames, float amplitude)
{
    std::vector<float> out(frames);
    uint32_t x = seed * 2654435761u + 1;
    for (size_t i = 0; i < frames; i++) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        out[i] = amplitude * (float(x) / 4294967296.0f * 2.0f - 1.0f);
    }
    return out;
}

static void Put16(FILE *f, unsigned v)
{
    fputc(v & 0xFF, f);
    fputc((v >> 8) & 0xFF, f);
}

static void Put32(FILE *f, uint32_t v)
{
    Put16(f, v & 0xFFFF);
    Put16(f, v >> 16);
}

Sound WriteWav(const std::string &path, const std::vector<float> &mono)
{
    Sound s;
    FILE *f = fopen(path.c_str(), "wb");
    if (!f)
        return s;
    uint32_t bytes = uint32_t(mono.size() * 2);
    fwrite("RIFF", 1, 4, f);
    Put32(f, 36 + bytes);
    fwrite("WAVEfmt ", 1, 8, f);
    Put32(f, 16);
    Put16(f, 1);            // PCM
    Put16(f, 1);            // mono
    Put32(f, RATE);
    Put32(f, RATE * 2);     // bytes per second
    Put16(f, 2);            // bytes per frame
    Put16(f, 16);
    fwrite("data", 1, 4, f);
    Put32(f, bytes);
    for (float v : mono) {
        int16_t q = int16_t(lrintf(v * 32767.0f));
        Put16(f, uint16_t(q));
        s.data.push_back(q / FULL_SCALE);
        s.data.push_back(q / FULL_SCALE);
    }
    fclose(f);
    return s;
}

static bool WritePage(FILE *f, const ogg_page &page)
{
    return fwrite(page.header, 1, page.header_len, f) == size_t(page.header_len) &&
           fwrite(page.body, 1, page.body_len, f) == size_t(page.body_len);
}

bool WriteOgg(const std::string &path, unsigned seed, size_t frames, float amplitude)
{
    FILE *f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    std::vector<float> left = Noise(seed, frames, amplitude);
    std::vector<float> right = Noise(seed + 1000, frames, amplitude);
    vorbis_info info;
    vorbis_info_init(&info);
    bool ok = vorbis_encode_init_vbr(&info, 2, RATE, OGG_QUALITY) == 0;
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_block block;
    ogg_stream_state stream;
    ogg_page page;
    ogg_packet packet;
    if (ok) {
        vorbis_analysis_init(&dsp, &info);
        vorbis_block_init(&dsp, &block);
        ogg_stream_init(&stream, int(seed));
        ogg_packet head, headComment, headCode;
        vorbis_analysis_headerout(&dsp, &comment, &head, &headComment, &headCode);
        ogg_stream_packetin(&stream, &head);
        ogg_stream_packetin(&stream, &headComment);
        ogg_stream_packetin(&stream, &headCode);
        while (ok && ogg_stream_flush(&stream, &page))
            ok = WritePage(f, page);
        bool ended = false;
        for (size_t at = 0; ok && !ended;) {
            size_t n = frames - at < ENCODE_CHUNK ? frames - at : ENCODE_CHUNK;
            if (n == 0) {
                vorbis_analysis_wrote(&dsp, 0);
            } else {
                float **buf = vorbis_analysis_buffer(&dsp, int(n));
                memcpy(buf[0], &left[at], n * sizeof(float));
                memcpy(buf[1], &right[at], n * sizeof(float));
                vorbis_analysis_wrote(&dsp, int(n));
                at += n;
            }
            while (ok && vorbis_analysis_blockout(&dsp, &block) == 1) {
                vorbis_analysis(&block, nullptr);
                vorbis_bitrate_addblock(&block);
                while (ok && vorbis_bitrate_flushpacket(&dsp, &packet)) {
                    ogg_stream_packetin(&stream, &packet);
                    while (ok && ogg_stream_pageout(&stream, &page)) {
                        ok = WritePage(f, page);
                        ended = ogg_page_eos(&page) != 0;
                    }
                }
            }
        }
        ogg_stream_clear(&stream);
        vorbis_block_clear(&block);
        vorbis_dsp_clear(&dsp);
    }
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return fclose(f) == 0 && ok;
}

Sound ReadOgg(const std::string &path)
{
    Sound s;
    OggVorbis_File vf;
    if (ov_fopen(path.c_str(), &vf) != 0)
        return s;
    int link = 0;
    float **pcm;
    long got;
    while ((got = ov_read_float(&vf, &pcm, 1024, &link)) > 0) {
        int channels = ov_info(&vf, link)->channels;
        for (long i = 0; i < got; i++) {
            s.data.push_back(pcm[0][i]);
            s.data.push_back(pcm[channels > 1 ? 1 : 0][i]);
        }
    }
    ov_clear(&vf);
    return s;
}

double Correlation(const Sound &a, size_t atA, const Sound &b, size_t atB, size_t frames)
{
    if (atA + frames > a.frames() || atB + frames > b.frames())
        return 0;
    const float *x = a.at(atA), *y = b.at(atB);
    double xy = 0, xx = 0, yy = 0;
    for (size_t i = 0; i < frames * 2; i++) {
        xy += double(x[i]) * y[i];
        xx += double(x[i]) * x[i];
        yy += double(y[i]) * y[i];
    }
    if (xx < 1e-9 || yy < 1e-9)
        return 0;
    return xy / std::sqrt(xx * yy);
}

// Correlation of what's head with `in` at every frame of [from, to), by
// running energy so that silent stretches cost nothing.
static std::vector<double> Scan(const Sound &in, const Sound &what, size_t window, size_t from, size_t to)
{
    std::vector<double> out;
    if (window > what.frames() || to > in.frames() || from + window > to)
        return out;
    const float *w = what.at(0);
    double ww = 0;
    for (size_t i = 0; i < window * 2; i++)
        ww += double(w[i]) * w[i];
    double energy = 0;
    for (size_t i = 0; i < window * 2; i++)
        energy += double(in.data[from * 2 + i]) * in.data[from * 2 + i];
    for (size_t at = from; at + window <= to; at++) {
        double c = 0;
        if (energy > 1e-6 && ww > 1e-9) {
            const float *x = in.at(at);
            double xy = 0;
            for (size_t i = 0; i < window * 2; i++)
                xy += double(x[i]) * w[i];
            c = xy / std::sqrt(energy * ww);
        }
        out.push_back(c);
        if (at + window < to)
            for (int ch = 0; ch < 2; ch++) {
                double leaving = in.data[at * 2 + ch], entering = in.data[(at + window) * 2 + ch];
                energy += entering * entering - leaving * leaving;
            }
    }
    return out;
}

std::vector<size_t> Find(const Sound &in, const Sound &what, size_t window, double threshold, size_t from)
{
    std::vector<size_t> hits;
    std::vector<double> c = Scan(in, what, window, from, in.frames());
    for (size_t i = 0; i < c.size(); i++) {
        if (c[i] < threshold)
            continue;
        size_t best = i;
        for (size_t j = i; j < c.size() && j < i + window; j++)
            if (c[j] > c[best])
                best = j;
        hits.push_back(from + best);
        i = best + window;
    }
    return hits;
}

double BestCorrelation(const Sound &in, const Sound &what, size_t window, size_t from, size_t to)
{
    double best = 0;
    for (double c : Scan(in, what, window, from, to < in.frames() ? to : in.frames()))
        best = c > best ? c : best;
    return best;
}

double Rms(const Sound &in, size_t from, size_t to)
{
    if (to > in.frames())
        to = in.frames();
    if (from >= to)
        return 0;
    double sum = 0;
    for (size_t i = from * 2; i < to * 2; i++)
        sum += double(in.data[i]) * in.data[i];
    return std::sqrt(sum / double((to - from) * 2));
}

float Peak(const Sound &in)
{
    float peak = 0;
    for (float v : in.data)
        peak = std::max(peak, std::fabs(v));
    return peak;
}

size_t LastSound(const Sound &in, size_t from, size_t to)
{
    if (to > in.frames())
        to = in.frames();
    for (size_t end = to; end > from;) {
        size_t start = end > from + SILENCE_STEP ? end - SILENCE_STEP : from;
        if (Rms(in, start, end) > SILENT_RMS) {
            for (size_t i = end; i > start; i--)
                if (std::fabs(in.data[(i - 1) * 2]) > 0 || std::fabs(in.data[(i - 1) * 2 + 1]) > 0)
                    return i - 1;
        }
        end = start;
    }
    return from;
}

size_t CleanPasses(const Sound &in, const Sound &loop, size_t at, double threshold)
{
    size_t passes = 0;
    while (Correlation(in, at + passes * loop.frames(), loop, 0, loop.frames()) >= threshold)
        passes++;
    return passes;
}

}  // namespace capture
