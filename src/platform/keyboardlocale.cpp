#include "platform/keyboardlocale.h"

#include <langinfo.h>

#include <clocale>
#include <cstdlib>
#include <cstring>

static const char UTF8_CODESET[] = "UTF-8";
// C.UTF-8 is on every Debian system; the others for systems without it.
static const char *const UTF8_CHARACTER_TYPES[] = {"C.UTF-8", "C.utf8", "en_US.UTF-8"};
// What LC_ALL overrides besides LC_CTYPE, as the C library names them.
static const char *const OTHER_CATEGORIES[] = {
    "LC_COLLATE", "LC_MESSAGES", "LC_MONETARY", "LC_NUMERIC", "LC_TIME", "LC_PAPER",
    "LC_NAME", "LC_ADDRESS", "LC_TELEPHONE", "LC_MEASUREMENT", "LC_IDENTIFICATION"};

static bool CharacterTypeIsUtf8(const char *name)
{
    return setlocale(LC_CTYPE, name) && strcmp(nl_langinfo(CODESET), UTF8_CODESET) == 0;
}

const char *PreferUtf8CharacterType()
{
    if (CharacterTypeIsUtf8(""))
        return nullptr;
    for (const char *name : UTF8_CHARACTER_TYPES) {
        if (!CharacterTypeIsUtf8(name))
            continue;
        // LC_ALL would override LC_CTYPE; the categories it stood for keep
        // its value one by one.
        const char *all = getenv("LC_ALL");
        if (all && *all) {
            for (const char *category : OTHER_CATEGORIES)
                setenv(category, all, 1);
            unsetenv("LC_ALL");
        }
        setenv("LC_CTYPE", name, 1);
        // A locale of the environment that is not installed makes the
        // library's setlocale fail as a whole; the process keeps this one.
        return name;
    }
    setlocale(LC_CTYPE, "");
    return nullptr;
}
