// The sound layer: the FSOUND calls the game makes, built on Allegro's digital
// sound and libvorbisfile. Every call is harmless without a device, with a
// missing file or with a null handle; no caller examines a result. Only the
// player is told, once, when there is no sound (SoundStartResult).
#ifndef PAPERLUNE_PLATFORM_FSOUND_H
#define PAPERLUNE_PLATFORM_FSOUND_H

struct FSOUND_SAMPLE;   // a decoded WAV sample
struct FSOUND_STREAM;   // a looping Ogg Vorbis music stream

const unsigned int FSOUND_LOOP_OFF    = 1;  // sample mode: play once
const unsigned int FSOUND_LOOP_NORMAL = 2;  // stream mode: loop
const int FSOUND_FREE = -1;                 // channel: any free one

signed char    FSOUND_Init(int mixrate, int maxchannels, unsigned int flags);
FSOUND_SAMPLE *FSOUND_Sample_Load(int index, const char *path, unsigned int mode, int offset, int length);
int            FSOUND_PlaySound(int channel, FSOUND_SAMPLE *sample);
void           FSOUND_Sample_Free(FSOUND_SAMPLE *sample);
FSOUND_STREAM *FSOUND_Stream_Open(const char *path, unsigned int mode, int offset, int length);
int            FSOUND_Stream_Play(int channel, FSOUND_STREAM *stream);
signed char    FSOUND_Stream_Stop(FSOUND_STREAM *stream);
signed char    FSOUND_Stream_Close(FSOUND_STREAM *stream);
void           FSOUND_Close();

// The player's levels, 0 (silent) to FSOUND_MAX_VOLUME (as mastered): the
// music's, which changes the music already playing too, and the samples',
// for every sample played from then on. Out-of-range levels are clamped.
const int FSOUND_MAX_VOLUME = 255;
void           FSOUND_SetVolume(int level);
void           FSOUND_SetSFXMasterVolume(int level);
// What the last FSOUND_Init found: sound, no device to open, or the device
// held by another program.
enum SoundStart { SOUND_STARTED, SOUND_NO_DEVICE, SOUND_DEVICE_BUSY };
SoundStart SoundStartResult();

// The music's peaks bent under `ceiling` (never above it, whatever comes
// in), leaving what lies under four fifths of it untouched; the layer keeps
// room so for the loudest sample loaded.
float MusicLimit(float v, float ceiling);

#endif
