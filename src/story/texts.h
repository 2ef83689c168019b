// The 37 text tables of the story. Slots 0..24 always hold a string; narration
// texts end with "ENDOFTEXT" and break pages with "NEWPAGE", typing letters
// fill all 25 slots and carry no marker.
#ifndef PAPERLUNE_STORY_TEXTS_H
#define PAPERLUNE_STORY_TEXTS_H

const int TEXT_TABLE_SLOTS = 32;

extern const char *const TEXT_Scene01[TEXT_TABLE_SLOTS];
extern const char *const TEXT_Scene02[TEXT_TABLE_SLOTS];
extern const char *const TEXT_Scene03[TEXT_TABLE_SLOTS];
extern const char *const TEXT_Scene04e1[TEXT_TABLE_SLOTS];
extern const char *const TEXT_Scene04e2[TEXT_TABLE_SLOTS];
extern const char *const TEXT_Scene05[TEXT_TABLE_SLOTS];
extern const char *const TEXT_Scene05e1[TEXT_TABLE_SLOTS];
extern const char *const TEXT_Scene06[TEXT_TABLE_SLOTS];
extern const char *const TEXT_Scene06e1[TEXT_TABLE_SLOTS];
extern const char *const TEXT_Scene07[TEXT_TABLE_SLOTS];
extern const char *const TEXT_Scene07e1[TEXT_TABLE_SLOTS];
extern const char *const TEXT_Scene08[TEXT_TABLE_SLOTS];
extern const char *const TEXT_Scene09[TEXT_TABLE_SLOTS];
extern const char *const TEXT_Scene10[TEXT_TABLE_SLOTS];
extern const char *const TEXT_Scene11[TEXT_TABLE_SLOTS];
extern const char *const TEXT_Scene13e1[TEXT_TABLE_SLOTS];
extern const char *const TEXT_Scene13e2[TEXT_TABLE_SLOTS];
extern const char *const TEXT_Scene14[TEXT_TABLE_SLOTS];
extern const char *const TEXT_Scene15[TEXT_TABLE_SLOTS];
extern const char *const TEXT_Scene16[TEXT_TABLE_SLOTS];
extern const char *const TEXT_Scene17[TEXT_TABLE_SLOTS];
extern const char *const TEXT_Scene18[TEXT_TABLE_SLOTS];
extern const char *const TEXT_Scene19[TEXT_TABLE_SLOTS];
extern const char *const TEXT_Scene20[TEXT_TABLE_SLOTS];
extern const char *const TEXT_Scene21[TEXT_TABLE_SLOTS];
extern const char *const TEXT_Scene22[TEXT_TABLE_SLOTS];
extern const char *const TEXT_Scene23[TEXT_TABLE_SLOTS];
extern const char *const TEXT_Scene24[TEXT_TABLE_SLOTS];
extern const char *const TEXT_Scene26e1[TEXT_TABLE_SLOTS];
extern const char *const TEXT_Scene26e2[TEXT_TABLE_SLOTS];
extern const char *const TEXT_Scene26e3[TEXT_TABLE_SLOTS];
extern const char *const TEXT_Scene26e4[TEXT_TABLE_SLOTS];
extern const char *const TEXT_Scene26e5[TEXT_TABLE_SLOTS];
extern const char *const TEXT_Scene27[TEXT_TABLE_SLOTS];
extern const char *const TEXT_Scene28[TEXT_TABLE_SLOTS];
extern const char *const TEXT_Scene30e1[TEXT_TABLE_SLOTS];
extern const char *const TEXT_Scene31[TEXT_TABLE_SLOTS];

#endif
