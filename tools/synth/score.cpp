#include "score.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include "instruments.h"

static const double EPSILON = 1e-6;         // beats: durations are sums of simple fractions
static const double DEFAULT_VELOCITY = 0.7;
static const int HIT_PITCH = 60;            // percussion hits carry a nominal pitch

struct Token {
    double beat, beats;
    std::vector<int> pitches;   // empty for a rest
    double velocity;
    bool tie;
};

struct TrackPart {
    std::vector<Token> tokens;
    double cursor = 0.0, lastBeats = 1.0, velocity = DEFAULT_VELOCITY;
};

struct Section {
    int bars;
    std::map<int, TrackPart> parts;   // by track index
};

int ParsePitch(const std::string &name)
{
    static const int CLASSES[7] = {9, 11, 0, 2, 4, 5, 7};   // A B C D E F G
    if (name.empty() || name[0] < 'A' || name[0] > 'G') return -1;
    int pitch = CLASSES[name[0] - 'A'];
    size_t i = 1;
    for (; i < name.size() && (name[i] == '#' || name[i] == 'b'); ++i) pitch += name[i] == '#' ? 1 : -1;
    if (i >= name.size()) return -1;
    char *end = nullptr;
    long octave = std::strtol(name.c_str() + i, &end, 10);
    if (*end != '\0' || octave < 0 || octave > 8) return -1;
    int midi = pitch + 12 * ((int)octave + 1);
    return midi >= 0 && midi <= 127 ? midi : -1;
}

// "1.5", "3" or "1/3"; false when it is not a positive number.
static bool ParseNumber(const std::string &s, double &value)
{
    if (s.empty()) return false;
    char *end = nullptr;
    value = std::strtod(s.c_str(), &end);
    if (*end == '/') {
        char *end2 = nullptr;
        double below = std::strtod(end + 1, &end2);
        if (end2 == end + 1 || *end2 != '\0' || below <= 0) return false;
        value /= below;
        end = end2;
    }
    return *end == '\0' && std::isfinite(value);
}

// Splits on blanks, keeping a bracketed chord and its suffix together.
static std::vector<std::string> SplitTokens(const std::string &line)
{
    std::vector<std::string> out;
    std::string current;
    int depth = 0;
    for (char c : line) {
        if (c == '[') ++depth;
        if (c == ']') --depth;
        if ((c == ' ' || c == '\t') && depth == 0) {
            if (!current.empty()) out.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) out.push_back(current);
    return out;
}

static bool ParseToken(const std::string &text, TrackPart &part, int meter, std::string &why)
{
    if (text == "|") {
        double bars = part.cursor / meter;
        if (std::fabs(bars - std::round(bars)) > EPSILON) {
            why = "bar line at beat " + std::to_string(part.cursor) + " falls inside a bar";
            return false;
        }
        return true;
    }
    if (text.compare(0, 2, "v=") == 0) {
        double v;
        if (!ParseNumber(text.substr(2), v) || v <= 0 || v > 1) {
            why = "velocity must lie in (0, 1]: " + text;
            return false;
        }
        part.velocity = v;
        return true;
    }
    Token token;
    token.velocity = part.velocity;
    token.tie = false;
    size_t headEnd;
    std::vector<std::string> names;
    if (text[0] == '[') {
        headEnd = text.find(']');
        if (headEnd == std::string::npos) {
            why = "unclosed chord: " + text;
            return false;
        }
        std::istringstream inner(text.substr(1, headEnd - 1));
        std::string name;
        while (inner >> name) names.push_back(name);
        if (names.empty()) {
            why = "empty chord";
            return false;
        }
        ++headEnd;
    } else {
        headEnd = text.find_first_of(":@~");
        if (headEnd == std::string::npos) headEnd = text.size();
        std::string head = text.substr(0, headEnd);
        if (head != "r") names.push_back(head);
    }
    for (const std::string &name : names) {
        int midi = name == "x" ? HIT_PITCH : ParsePitch(name);
        if (midi < 0) {
            why = "not a pitch: " + name;
            return false;
        }
        token.pitches.push_back(midi);
    }
    double beats = part.lastBeats;
    size_t i = headEnd;
    while (i < text.size()) {
        char mark = text[i];
        size_t next = text.find_first_of(":@~", i + 1);
        if (next == std::string::npos) next = text.size();
        std::string arg = text.substr(i + 1, next - i - 1);
        double value;
        if (mark == '~' && arg.empty()) {
            token.tie = true;
        } else if (mark == ':' && ParseNumber(arg, value) && value > 0) {
            beats = value;
        } else if (mark == '@' && ParseNumber(arg, value) && value > 0 && value <= 1) {
            token.velocity = value;
        } else {
            why = "cannot read '" + text + "'";
            return false;
        }
        i = next;
    }
    if (token.tie && token.pitches.empty()) {
        why = "a rest cannot be tied";
        return false;
    }
    token.beat = part.cursor;
    token.beats = beats;
    part.cursor += beats;
    part.lastBeats = beats;
    part.tokens.push_back(token);
    return true;
}

static bool ParseTrack(std::istringstream &words, Score &score, std::string &why)
{
    TrackDef t;
    std::string instrument;
    if (!(words >> t.name >> instrument)) {
        why = "track needs a name and an instrument";
        return false;
    }
    t.instrument = InstrumentByName(instrument);
    if (t.instrument < 0) {
        why = "unknown instrument " + instrument;
        return false;
    }
    for (const TrackDef &other : score.tracks)
        if (other.name == t.name) {
            why = "track " + t.name + " defined twice";
            return false;
        }
    t.gain = 1.0;
    t.pan = 0.0;
    t.send = 0.3;
    t.human = 0.0;
    t.strum = 0.0;
    t.attack = -1.0;
    t.release = -1.0;
    t.bright = 0.5;
    std::map<std::string, double *> options = {
        {"gain", &t.gain}, {"pan", &t.pan}, {"send", &t.send}, {"human", &t.human},
        {"strum", &t.strum}, {"attack", &t.attack}, {"release", &t.release}, {"bright", &t.bright}};
    std::string key, value;
    while (words >> key) {
        auto found = options.find(key);
        double number = 0.0;
        if (found == options.end() || !(words >> value)) {
            why = "bad track option " + key;
            return false;
        }
        char *end = nullptr;
        number = std::strtod(value.c_str(), &end);
        if (*end != '\0') {
            why = "bad value for " + key;
            return false;
        }
        *found->second = number;
    }
    if (t.pan < -1 || t.pan > 1) {
        why = "pan must lie in [-1, 1]";
        return false;
    }
    score.tracks.push_back(t);
    return true;
}

static int TrackIndex(const Score &score, const std::string &name)
{
    for (size_t i = 0; i < score.tracks.size(); ++i)
        if (score.tracks[i].name == name) return (int)i;
    return -1;
}

// Lays the sections out in playing order; ties join notes across tokens and sections.
static void Expand(const std::map<std::string, Section> &sections,
                   const std::vector<std::string> &order, Score &score)
{
    struct Pending { int midi; size_t event; };
    std::vector<std::vector<Pending>> pending(score.tracks.size());
    double offset = 0.0;
    for (const std::string &name : order) {
        const Section &section = sections.at(name);
        for (size_t t = 0; t < score.tracks.size(); ++t) {
            auto part = section.parts.find((int)t);
            if (part == section.parts.end()) {
                pending[t].clear();
                continue;
            }
            for (const Token &token : part->second.tokens) {
                std::vector<Pending> carried;
                for (size_t k = 0; k < token.pitches.size(); ++k) {
                    int midi = token.pitches[k];
                    size_t index = score.notes.size();
                    bool joined = false;
                    for (const Pending &p : pending[t])
                        if (p.midi == midi) {
                            score.notes[p.event].beats += token.beats;
                            index = p.event;
                            joined = true;
                        }
                    if (!joined) {
                        NoteEvent e;
                        e.track = (int)t;
                        e.beat = offset + token.beat;
                        e.beats = token.beats;
                        e.midi = midi;
                        e.velocity = token.velocity;
                        e.chordIndex = 0;
                        for (int other : token.pitches) e.chordIndex += other < midi;
                        score.notes.push_back(e);
                    }
                    if (token.tie) carried.push_back({midi, index});
                }
                pending[t] = carried;
            }
        }
        offset += section.bars * score.meter;
    }
    score.totalBeats = offset;
}

bool ParseScore(const std::string &text, Score &score, std::string &error)
{
    score = Score();
    score.title = "untitled";
    score.tempo = 90.0;
    score.meter = 4;
    score.roomSize = 0.8;
    score.damping = 0.4;
    score.loudnessDb = -20.0;
    score.totalBeats = 0.0;

    std::map<std::string, Section> sections;
    std::vector<std::string> order;
    Section *open = nullptr;
    std::string openName;
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    auto fail = [&](const std::string &why) {
        error = "line " + std::to_string(number) + ": " + why;
        return false;
    };
    while (std::getline(lines, line)) {
        ++number;
        // A comment starts at a '#' that opens a word; inside "F#3" it is a sharp.
        for (size_t i = 0; i < line.size(); ++i)
            if (line[i] == '#' && (i == 0 || line[i - 1] == ' ' || line[i - 1] == '\t')) {
                line.resize(i);
                break;
            }
        std::istringstream words(line);
        std::string keyword;
        if (!(words >> keyword)) continue;
        std::string why;
        if (open) {
            if (keyword == "end") {
                double beats = open->bars * score.meter;
                for (const auto &part : open->parts)
                    if (std::fabs(part.second.cursor - beats) > EPSILON)
                        return fail("track " + score.tracks[part.first].name + " in section " + openName +
                                    " lasts " + std::to_string(part.second.cursor) + " beats, not " +
                                    std::to_string(beats));
                open = nullptr;
                continue;
            }
            size_t colon = line.find(':');
            std::string name = line.substr(0, colon);
            name.erase(0, name.find_first_not_of(" \t"));
            name.erase(name.find_last_not_of(" \t") + 1);
            int track = colon == std::string::npos ? -1 : TrackIndex(score, name);
            if (track < 0) return fail("expected 'track: notes' or 'end'");
            TrackPart &part = open->parts[track];
            for (const std::string &token : SplitTokens(line.substr(colon + 1)))
                if (!ParseToken(token, part, score.meter, why)) return fail(why);
            continue;
        }
        double value = 0.0;
        std::string arg;
        if (keyword == "title") {
            if (!(words >> score.title)) return fail("title needs a name");
        } else if (keyword == "tempo") {
            if (!(words >> value) || value < 20 || value > 300) return fail("tempo must be 20 to 300");
            score.tempo = value;
        } else if (keyword == "meter") {
            if (!(words >> value) || value < 1 || value > 16 || value != std::floor(value))
                return fail("meter must be a whole number of beats");
            score.meter = (int)value;
        } else if (keyword == "reverb") {
            if (!(words >> score.roomSize >> score.damping) || score.roomSize < 0 || score.roomSize > 1 ||
                score.damping < 0 || score.damping > 1)
                return fail("reverb needs room size and damping in [0, 1]");
        } else if (keyword == "loudness") {
            if (!(words >> value) || value > -6 || value < -40) return fail("loudness must be -40 to -6 dBFS");
            score.loudnessDb = value;
        } else if (keyword == "track") {
            if (!sections.empty()) return fail("tracks come before the sections");
            if (!ParseTrack(words, score, why)) return fail(why);
        } else if (keyword == "section") {
            if (!(words >> openName >> value) || value < 1 || value != std::floor(value))
                return fail("section needs a name and a number of bars");
            if (sections.count(openName)) return fail("section " + openName + " defined twice");
            open = &sections[openName];
            open->bars = (int)value;
        } else if (keyword == "order") {
            while (words >> arg) {
                if (!sections.count(arg)) return fail("unknown section " + arg);
                order.push_back(arg);
            }
        } else {
            return fail("unknown keyword " + keyword);
        }
    }
    if (open) return fail("section " + openName + " has no end");
    if (order.empty()) return fail("no order given");
    Expand(sections, order, score);
    return true;
}

bool LoadScore(const std::string &path, Score &score, std::string &error)
{
    std::ifstream in(path);
    if (!in) {
        error = "cannot open " + path;
        return false;
    }
    std::stringstream text;
    text << in.rdbuf();
    return ParseScore(text.str(), score, error);
}
