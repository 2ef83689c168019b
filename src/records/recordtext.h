// What the player's small text files of records share: their numbers, read
// as an editor may leave them.
#ifndef PAPERLUNE_RECORDS_RECORDTEXT_H
#define PAPERLUNE_RECORDS_RECORDTEXT_H

#include <string>

// A word read as a whole number in [low, high], spaces around it taken;
// false for anything else.
bool RecordNumber(std::string word, long long low, long long high, long long &value);

#endif
