// The sound layer on Allegro's digital sound and libvorbisfile.
//
// Samples are Allegro SAMPLEs played on free voices. The music is one looping
// voice over a ring SAMPLE that a decoder thread of our own keeps filled, so
// the music goes on while the game's thread sits in a fade, a rest or a
// message box. There is one music channel: playing a stream replaces and
// releases the one before, because the game opens a stream per scene and
// closes only the last.
//
// Every Allegro sound call and every handle is touched under `soundLock`, so
// the decoder thread and the game never use Allegro's sound API at the same
// time. Handles are checked against the live sets before use, because the
// game may pass a stream the layer has already released.
#include "platform/fsound.h"

#include <alsa/asoundlib.h>
#include <allegro.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "platform/background.h"
#include "platform/fatal.h"
#include "platform/path.h"

// Allegro reads its output format from the config; an override is used so
// that nothing is written back to the player's own allegro.cfg.
static const char SOUND_CONFIG[] =
    "[sound]\n"
    "sound_freq = %d\n"
    "sound_bits = 16\n"
    "sound_stereo = 1\n";
static const int DEFAULT_RATE = 44100;
static const char ALSA_DEVICE[] = "default";   // the device Allegro's ALSA driver opens
static const int MIN_VOICES = 2;            // the music and one sample at least
static const int MAX_VOICES = 64;           // the most Allegro's mixer offers

// Levels. Allegro's mixer halves every voice by default, so that one panned
// hard to a side cannot clip; the game pans nothing, and with the halving
// off a voice at FULL_VOLUME comes out at full scale. The music plays so, at
// the loudness it was mastered at; the samples keep the half level they
// always had. The music's peaks are bent below a ceiling that leaves room
// for the loudest sample loaded, so a key struck over them never clips.
static const int VOLUME_SCALE_UNHALVED = 0;  // set_volume_per_voice: a centred voice at full scale
static const int FULL_VOLUME = 255;
static const int MUSIC_VOLUME = FULL_VOLUME;
static const int SAMPLE_VOLUME = 128;
static const float SAMPLE_GAIN = float(SAMPLE_VOLUME) / FULL_VOLUME;
static const float MIX_HEADROOM = 0.01f;     // for the mixer's rounding
static const float MUSIC_KNEE = 0.8f;        // share of the ceiling below which the music is untouched
static const int PAN_CENTRE = 128;
static const int PITCH_AS_RECORDED = 1000;  // Allegro's relative frequency for "unchanged"

static const int MUSIC_CHANNEL = 0;
static const int MUSIC_PRIORITY = 255;      // samples never steal the music's voice
static const int RING_FRAMES = 32768;       // about 0.75 s of music decoded ahead of the mixer
static const int RING_GUARD = 512;          // frames left alone just behind the play position
static const int DECODE_CHUNK = 1024;       // frames asked of the decoder per call
// Far inside the ring's span, even for a sink that runs ahead of real time,
// yet seldom enough to cost next to nothing while a scene is read: every
// wake costs more than the few milliseconds of music it decodes.
static const int DECODER_PERIOD_MS = 100;
static const int MAX_DECODE_FAILURES = 8;   // consecutive empty reads before a file counts as dead
static const unsigned short SILENCE = 0x8000;  // Allegro's 16-bit samples are unsigned

struct FSOUND_SAMPLE {
    SAMPLE *sample;
    bool loop;
};

struct FSOUND_STREAM {
    OggVorbis_File vorbis;
    bool loop;
    long rate;
    SAMPLE *ring;            // only while playing
    int voice;               // -1 when not playing
    long long written;       // frames put into the ring since play started
    long long played;        // frames the mixer has passed since play started
    int lastPosition;        // the voice's position at the previous look
    long long endsAt;        // frame where a play-once stream ran out, -1 before that
};

static std::mutex soundLock;
static bool soundReady = false;
static SoundStart startResult = SOUND_NO_DEVICE;
static float musicCeiling = 1.0f - MIX_HEADROOM;   // lowered as louder samples are loaded
static std::set<FSOUND_SAMPLE *> liveSamples;
static std::set<FSOUND_STREAM *> liveStreams;
static FSOUND_STREAM *music = nullptr;      // the stream on the music channel
// The player's levels, 0..FSOUND_MAX_VOLUME, applied over the levels above.
static int musicLevel = FSOUND_MAX_VOLUME;
static int sampleLevel = FSOUND_MAX_VOLUME;

static int Scaled(int volume, int level)
{
    return volume * level / FSOUND_MAX_VOLUME;
}

static std::thread decoder;
static std::condition_variable decoderWake;
static bool decoderQuit = false;
static bool exitHookSet = false;

static bool FileReadable(const std::string &path)
{
    FILE *f = fopen(path.c_str(), "rb");
    if (!f)
        return false;
    fclose(f);
    return true;
}

// The loudest a sample goes, 0 to 1, read from Allegro's unsigned data.
static float SamplePeak(const SAMPLE *sample)
{
    long values = long(sample->len) * (sample->stereo ? 2 : 1);
    int peak = 0, centre = sample->bits == 8 ? 0x80 : SILENCE;
    for (long i = 0; i < values; i++) {
        int v = sample->bits == 8 ? ((const unsigned char *)sample->data)[i]
                                  : ((const unsigned short *)sample->data)[i];
        peak = std::max(peak, std::abs(v - centre));
    }
    return float(peak) / centre;
}

// Bends what lies above the knee smoothly towards the ceiling, never past
// it; below the knee the music is left exactly as it is.
float MusicLimit(float v, float ceiling)
{
    float knee = ceiling * MUSIC_KNEE;
    float m = std::fabs(v);
    if (m <= knee)
        return v;
    float room = ceiling - knee;
    float bent = knee + room * std::tanh((m - knee) / room);
    return v < 0 ? -bent : bent;
}

static unsigned short ToAllegro(float v)
{
    v = MusicLimit(v, musicCeiling);
    return (unsigned short)(int(v * 32767.0f) + SILENCE);
}

// Decodes up to `frames` frames into `out` (stereo, Allegro's format); at the
// end of a looping file it goes on from the start, so the loop has no seam.
// Returns the frames written; fewer only when the file has ended for good.
static int Decode(FSOUND_STREAM *s, unsigned short *out, int frames)
{
    int done = 0;
    int failures = 0;
    while (done < frames) {
        int want = frames - done < DECODE_CHUNK ? frames - done : DECODE_CHUNK;
        float **pcm = nullptr;
        int link = 0;
        long got = ov_read_float(&s->vorbis, &pcm, want, &link);
        if (got > 0) {
            vorbis_info *info = ov_info(&s->vorbis, link);
            int channels = info ? info->channels : 1;
            int right = channels > 1 ? 1 : 0;   // a mono file sounds in both ears
            for (long i = 0; i < got; i++) {
                out[(done + i) * 2] = ToAllegro(pcm[0][i]);
                out[(done + i) * 2 + 1] = ToAllegro(pcm[right][i]);
            }
            done += int(got);
            failures = 0;
            continue;
        }
        if (got == 0 && !s->loop)
            break;
        // End of a loop pass, or a damaged page: go on from the start, but
        // a file that yields nothing at all counts as ended.
        if (++failures > MAX_DECODE_FAILURES || (got == 0 && ov_pcm_seek(&s->vorbis, 0) != 0))
            break;
    }
    return done;
}

// Fills the ring from `written` up to just behind the mixer's position.
// Allegro's mixer reads the ring on its own thread without a lock; writing
// only what it has already passed keeps the two apart.
static void Refill(FSOUND_STREAM *s)
{
    long long upTo = s->played + RING_FRAMES - RING_GUARD;
    unsigned short *ring = (unsigned short *)s->ring->data;
    while (s->written < upTo) {
        int at = int(s->written % RING_FRAMES);
        int span = RING_FRAMES - at;
        if (upTo - s->written < span)
            span = int(upTo - s->written);
        int got = s->endsAt < 0 ? Decode(s, ring + at * 2, span) : 0;
        if (got < span && s->endsAt < 0)
            s->endsAt = s->written + got;
        for (int i = got; i < span; i++)
            ring[(at + i) * 2] = ring[(at + i) * 2 + 1] = SILENCE;
        s->written += span;
    }
}

static void StopPlayback(FSOUND_STREAM *s)
{
    if (s->voice >= 0) {
        deallocate_voice(s->voice);
        BackgroundMusic(false);   // the mixer may rest once the rest is heard
    }
    s->voice = -1;
    if (s->ring)
        destroy_sample(s->ring);
    s->ring = nullptr;
}

static void ReleaseStream(FSOUND_STREAM *s)
{
    StopPlayback(s);
    ov_clear(&s->vorbis);
    liveStreams.erase(s);
    if (music == s)
        music = nullptr;
    delete s;
}

// From the start of the file, with a full ring before the voice starts, so
// the music sounds at once.
static bool StartPlayback(FSOUND_STREAM *s)
{
    StopPlayback(s);
    if (ov_pcm_seek(&s->vorbis, 0) != 0)
        return false;
    s->ring = create_sample(16, TRUE, int(s->rate), RING_FRAMES);
    if (!s->ring)
        return false;
    s->ring->priority = MUSIC_PRIORITY;
    s->written = 0;
    s->played = 0;
    s->lastPosition = 0;
    s->endsAt = -1;
    unsigned short *ring = (unsigned short *)s->ring->data;
    for (int i = 0; i < RING_FRAMES * 2; i++)
        ring[i] = SILENCE;
    Refill(s);
    s->voice = allocate_voice(s->ring);
    if (s->voice < 0) {
        StopPlayback(s);
        return false;
    }
    voice_set_playmode(s->voice, PLAYMODE_LOOP);
    voice_set_volume(s->voice, Scaled(MUSIC_VOLUME, musicLevel));
    voice_set_pan(s->voice, PAN_CENTRE);
    voice_start(s->voice);
    BackgroundMusic(true);
    return true;
}

// One look at the music: how far the mixer got, then top the ring up.
static void ServeMusic()
{
    FSOUND_STREAM *s = music;
    if (!s || s->voice < 0)
        return;
    int position = voice_get_position(s->voice);
    if (position < 0)
        return;
    int moved = position - s->lastPosition;
    if (moved < 0)
        moved += RING_FRAMES;
    s->lastPosition = position;
    s->played += moved;
    if (s->endsAt >= 0 && s->played >= s->endsAt) {
        StopPlayback(s);   // a play-once stream has sounded to its end
        return;
    }
    // Fallen a whole ring behind (the machine stalled): start afresh at the
    // mixer's position rather than replay stale music.
    if (s->written < s->played)
        s->written = s->played;
    Refill(s);
}

static bool MusicSounding()
{
    return music && music->voice >= 0;
}

static void DecoderLoop()
{
    std::unique_lock<std::mutex> hold(soundLock);
    while (!decoderQuit) {
        ServeMusic();
        // With no music the thread sleeps until a stream starts to play.
        if (MusicSounding())
            decoderWake.wait_for(hold, std::chrono::milliseconds(DECODER_PERIOD_MS));
        else
            decoderWake.wait(hold);
    }
}

static void StopDecoder()
{
    {
        std::lock_guard<std::mutex> hold(soundLock);
        decoderQuit = true;
    }
    decoderWake.notify_all();
    if (decoder.joinable())
        decoder.join();
}

// The game's failure exits skip FSOUND_Close; the thread must still end
// before the process does.
static void StopDecoderAtExit()
{
    StopDecoder();
}

// ALSA tells of a missing or busy device on standard error, a line for each
// place it looked; the game tells the player once, in its own words.
static void QuietAlsa(const char *, int, const char *, int, const char *, ...)
{
}

// Why the device did not open: held by another program, or not there at all.
static SoundStart WhyNoSound()
{
    snd_pcm_t *pcm = nullptr;
    int error = snd_pcm_open(&pcm, ALSA_DEVICE, SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
    if (error == 0)
        snd_pcm_close(pcm);
    return error == -EBUSY ? SOUND_DEVICE_BUSY : SOUND_NO_DEVICE;
}

signed char FSOUND_Init(int mixrate, int maxchannels, unsigned int flags)
{
    (void)flags;
    std::lock_guard<std::mutex> hold(soundLock);
    if (soundReady)
        return 1;
    startResult = SOUND_NO_DEVICE;
    if (!system_driver)
        return 0;    // Allegro itself is not running
    int voices = maxchannels < MIN_VOICES ? MIN_VOICES : maxchannels > MAX_VOICES ? MAX_VOICES : maxchannels;
    char config[sizeof SOUND_CONFIG + 16];
    int length = snprintf(config, sizeof config, SOUND_CONFIG, mixrate > 0 ? mixrate : DEFAULT_RATE);
    override_config_data(config, length);
    reserve_voices(voices, -1);
    set_volume_per_voice(VOLUME_SCALE_UNHALVED);
    snd_lib_error_set_handler(QuietAlsa);
    if (install_sound(DIGI_AUTODETECT, MIDI_NONE, nullptr) != 0) {
        startResult = WhyNoSound();
        return 0;
    }
    startResult = SOUND_STARTED;
    soundReady = true;
    decoderQuit = false;
    decoder = std::thread(DecoderLoop);
    if (!exitHookSet)
        exitHookSet = atexit(StopDecoderAtExit) == 0;
    AtFatalExit(FSOUND_Close);
    return 1;
}

FSOUND_SAMPLE *FSOUND_Sample_Load(int index, const char *path, unsigned int mode, int offset, int length)
{
    (void)index;    // the layer chooses where samples live
    (void)offset;   // the game always loads whole files
    (void)length;
    if (!path || !system_driver)
        return nullptr;
    std::string file = NativePath(path);
    // Allegro's loader needs a file it can open; checking first keeps its
    // error path out of the way when the library runs without a device.
    if (!FileReadable(file))
        return nullptr;
    std::lock_guard<std::mutex> hold(soundLock);
    SAMPLE *sample = load_sample(file.c_str());
    if (!sample)
        return nullptr;
    // The library takes a damaged header's word for it: a sample of no
    // frames, or one at rate 0, whose voice never advances and never ends.
    if (sample->len == 0 || sample->freq <= 0) {
        destroy_sample(sample);
        return nullptr;
    }
    musicCeiling = std::min(musicCeiling, 1.0f - MIX_HEADROOM - SAMPLE_GAIN * SamplePeak(sample));
    FSOUND_SAMPLE *s = new FSOUND_SAMPLE{sample, (mode & FSOUND_LOOP_NORMAL) != 0};
    liveSamples.insert(s);
    return s;
}

int FSOUND_PlaySound(int channel, FSOUND_SAMPLE *sample)
{
    (void)channel;  // every sample goes to a free voice; the music has its own
    std::lock_guard<std::mutex> hold(soundLock);
    if (!soundReady || !liveSamples.count(sample))
        return -1;
    if (sampleLevel == 0)
        return -1;   // silent: no voice, and no mixer woken for it
    int voice = play_sample(sample->sample, Scaled(SAMPLE_VOLUME, sampleLevel), PAN_CENTRE, PITCH_AS_RECORDED,
                            sample->loop);
    if (voice < 0)
        return -1;
    // The mixer runs while the sample sounds; a looping one has no end.
    BackgroundSoundFor(sample->loop ? INT_MAX : int(1000LL * sample->sample->len / sample->sample->freq));
    return voice;
}

static int ClampLevel(int level)
{
    return std::max(0, std::min(FSOUND_MAX_VOLUME, level));
}

void FSOUND_SetVolume(int level)
{
    std::lock_guard<std::mutex> hold(soundLock);
    musicLevel = ClampLevel(level);
    if (soundReady && music && music->voice >= 0)
        voice_set_volume(music->voice, Scaled(MUSIC_VOLUME, musicLevel));
}

void FSOUND_SetSFXMasterVolume(int level)
{
    std::lock_guard<std::mutex> hold(soundLock);
    sampleLevel = ClampLevel(level);
}

void FSOUND_Sample_Free(FSOUND_SAMPLE *sample)
{
    std::lock_guard<std::mutex> hold(soundLock);
    if (!liveSamples.count(sample))
        return;
    destroy_sample(sample->sample);   // cuts off any voice still playing it
    liveSamples.erase(sample);
    delete sample;
}

FSOUND_STREAM *FSOUND_Stream_Open(const char *path, unsigned int mode, int offset, int length)
{
    (void)offset;   // the game always plays whole files
    (void)length;
    if (!path)
        return nullptr;
    FSOUND_STREAM *s = new FSOUND_STREAM();
    if (ov_fopen(NativePath(path).c_str(), &s->vorbis) != 0) {
        delete s;
        return nullptr;
    }
    vorbis_info *info = ov_info(&s->vorbis, -1);
    s->rate = info ? info->rate : 0;
    if (s->rate <= 0) {
        ov_clear(&s->vorbis);
        delete s;
        return nullptr;
    }
    s->loop = (mode & FSOUND_LOOP_NORMAL) != 0;
    s->ring = nullptr;
    s->voice = -1;
    std::lock_guard<std::mutex> hold(soundLock);
    liveStreams.insert(s);
    return s;
}

int FSOUND_Stream_Play(int channel, FSOUND_STREAM *stream)
{
    (void)channel;  // one music channel: whatever the game asks, it is that one
    std::lock_guard<std::mutex> hold(soundLock);
    if (!liveStreams.count(stream))
        return -1;
    if (music == stream && stream->voice >= 0)
        return MUSIC_CHANNEL;
    if (music && music != stream)
        ReleaseStream(music);
    // Sounding or not (no device), this is the stream the next one replaces,
    // so that the game's unclosed streams never pile up.
    music = stream;
    if (!soundReady || !StartPlayback(stream))
        return -1;
    decoderWake.notify_all();
    return MUSIC_CHANNEL;
}

signed char FSOUND_Stream_Stop(FSOUND_STREAM *stream)
{
    std::lock_guard<std::mutex> hold(soundLock);
    if (!liveStreams.count(stream))
        return 0;
    StopPlayback(stream);
    return 1;
}

signed char FSOUND_Stream_Close(FSOUND_STREAM *stream)
{
    std::lock_guard<std::mutex> hold(soundLock);
    if (!liveStreams.count(stream))
        return 0;
    ReleaseStream(stream);
    return 1;
}

void FSOUND_Close()
{
    CancelFatalExit(FSOUND_Close);
    StopDecoder();
    std::lock_guard<std::mutex> hold(soundLock);
    while (!liveStreams.empty())
        ReleaseStream(*liveStreams.begin());
    for (FSOUND_SAMPLE *s : liveSamples) {
        destroy_sample(s->sample);
        delete s;
    }
    liveSamples.clear();
    musicCeiling = 1.0f - MIX_HEADROOM;
    if (soundReady)
        remove_sound();
    soundReady = false;
}

SoundStart SoundStartResult()
{
    std::lock_guard<std::mutex> hold(soundLock);
    return startResult;
}
