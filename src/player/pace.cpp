#include "player/pace.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "story/scene.h"

static const double PACE_MS_PER_SECOND = 1000.0;

int32_t KeyTimeNow(const LetterClock &clock)
{
    double ms = std::round(ClockRunningSeconds(clock) * PACE_MS_PER_SECOND);
    return ms >= double(INT32_MAX) ? INT32_MAX : int32_t(ms);
}

int PaceKeysDone(const KeyTimes &run, int32_t ms)
{
    return int(std::upper_bound(run.begin(), run.end(), ms) - run.begin());
}

int PaceMsToNextMove(const KeyTimes &run, int32_t ms)
{
    int done = PaceKeysDone(run, ms);
    if (done >= int(run.size()))
        return -1;
    return int(run[done] - ms);
}

bool JudgedKeyPlace(char *const *text, int judged, int *line, int *pos)
{
    int lastLine = -1, lastPos = 0;
    int count = 0;
    judged = std::max(judged, 0);
    for (int l = 0; l < SCENE_TEXT_LINES; l++) {
        int length = int(strlen(text[l]));
        if (length == 0)
            continue;
        // Characters 0..length-2 are judged; the last one only ends the line.
        if (judged < count + length - 1) {
            *line = l;
            *pos = judged - count;
            return true;
        }
        count += length - 1;
        lastLine = l;
        lastPos = length - 1;
    }
    if (lastLine < 0)
        return false;
    *line = lastLine;
    *pos = lastPos;
    return true;
}
