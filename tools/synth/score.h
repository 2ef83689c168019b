// The music's note data: a small text format read from assets/music.
//
//   title NAME            tempo BPM            meter BEATS_PER_BAR
//   reverb ROOM DAMP      loudness DBFS
//   track NAME INSTRUMENT [gain G] [pan P] [send S] [human SEC] [strum SEC]
//                         [attack SEC] [release SEC] [bright B]
//   section NAME BARS  ...  end        order NAME NAME ...
//
// Inside a section each line is "track: tokens". Tokens: a note "A4:1.5",
// a chord "[F3 A3 C4]:4", a rest "r:1", a percussion hit "x:0.5"; the
// duration (in beats) may be left out to repeat the last one, "@0.6" sets
// that note's velocity, "v=0.6" sets it for the notes that follow, a "~"
// after the duration ties each pitch into the next token, and "|" checks
// that a bar line falls there. A "#" that begins a word starts a comment.
#ifndef PAPERLUNE_SYNTH_SCORE_H
#define PAPERLUNE_SYNTH_SCORE_H

#include <string>
#include <vector>

struct TrackDef {
    std::string name;
    int instrument;
    double gain, pan, send, human, strum, attack, release, bright;
};

struct NoteEvent {
    int track;
    double beat;       // onset from the start of the piece
    double beats;      // length, ties included
    int midi;          // 69 = A4 = 440 Hz
    double velocity;
    int chordIndex;    // position from the bottom within its chord, for strumming
};

struct Score {
    std::string title;
    double tempo;      // beats per minute
    int meter;         // beats per bar
    double roomSize, damping;
    double loudnessDb; // target RMS of the finished piece
    double totalBeats;
    std::vector<TrackDef> tracks;
    std::vector<NoteEvent> notes;
};

// Parses a pitch name such as "C4", "F#3" or "Bb2" into a MIDI number, or -1.
int ParsePitch(const std::string &name);

// Reads a whole score; on failure returns false and says which line and why.
bool ParseScore(const std::string &text, Score &score, std::string &error);

bool LoadScore(const std::string &path, Score &score, std::string &error);

#endif
