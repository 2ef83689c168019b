// One scene of the story: what to show, with which font, picture and music,
// and where the story goes next.
#ifndef PAPERLUNE_STORY_SCENE_H
#define PAPERLUNE_STORY_SCENE_H

#include <cstdint>

const int SCENE_TEXT_LINES = 25;      // lines in every scene text
const int SCENE_LINE_BYTES = 90;      // bytes of each line buffer, terminator included
const char SCENE_END_OF_TEXT[] = "ENDOFTEXT";
const char SCENE_NEW_PAGE[]    = "NEWPAGE";

struct Scene {
    int16_t id;                 // scene-group id, stored in resumeId at scene start; 0 = cannot resume
    const char *musicFile;      // looping music started at scene start; null = keep what plays
    const char *font;           // font file of everything the scene draws
    int32_t fontSize;           // narration and letter-box text size and line pitch
    int32_t background;         // datafile picture behind the scene (or handed to the ending screen)
    int32_t fadeImage;          // typing: sprite on top, fading over the first fifth of the limit
    int32_t timeImage;          // typing: sprite beneath, fading over the whole limit
    int32_t difficulty;         // typing speed class 0..9
    bool typing;                // the player re-types text against the clock
    char **text;                // own 25 line buffers, or null for no text
    const char *question;       // prompt above the two choices
    int32_t choiceFontSize;     // size of the choice lines and their spacing
    const char *choice1;        // leads to next1
    const char *choice2;        // leads to next2
    bool imageOnly;             // a pause: the pause picture for pauseMs
    int16_t pauseMs;
    bool letterView;            // text revealed line by line in a translucent box
    Scene *next1;               // following scene, or the first choice's
    Scene *next2;               // the second choice's scene
};

#endif
