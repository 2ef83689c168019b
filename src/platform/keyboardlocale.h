// The character type the keyboard's input method works in.
//
// The library's X keyboard driver, in install_keyboard, sets every locale
// category from the environment (setlocale(LC_ALL, "")) and opens the input
// method at once, in that character type. Under LANG=C, or a locale that is
// not installed, that is plain ASCII: its compose table knows Latin-1 only,
// so a dead key before a letter it cannot join swallows the letter. The
// choice must be made before install_keyboard.
#ifndef PAPERLUNE_PLATFORM_KEYBOARDLOCALE_H
#define PAPERLUNE_PLATFORM_KEYBOARDLOCALE_H

// When the environment names no UTF-8 character type, takes the first UTF-8
// one the system has and sets LC_CTYPE to it, in the process and in the
// environment the library reads; the other categories stay as they were
// asked for (an LC_ALL is spread over them). The name taken, or null when
// nothing changed (the environment's is UTF-8 already, or the system has
// none).
const char *PreferUtf8CharacterType();

#endif
