// The character type chosen for the keyboard's input method, against the
// environments a player may start the game in.
#include <gtest/gtest.h>
#include <langinfo.h>

#include <clocale>
#include <cstdlib>
#include <map>
#include <string>

#include "platform/keyboardlocale.h"

namespace {

const char *const LOCALE_VARIABLES[] = {"LANG", "LC_ALL", "LC_CTYPE", "LC_NUMERIC", "LC_TIME", "LC_MESSAGES"};

// The environment as a test sets it, put back afterwards.
class CharacterType : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char *v : LOCALE_VARIABLES) {
            const char *value = getenv(v);
            saved[v] = value ? value : "";
            had[v] = value != nullptr;
            unsetenv(v);
        }
    }
    void TearDown() override
    {
        for (const char *v : LOCALE_VARIABLES) {
            if (had[v])
                setenv(v, saved[v].c_str(), 1);
            else
                unsetenv(v);
        }
        setlocale(LC_ALL, "C");
    }
    // What the keyboard driver does in install_keyboard before it opens its
    // input method; the character type it leaves.
    static std::string AsTheDriverDoes()
    {
        setlocale(LC_ALL, "");
        return nl_langinfo(CODESET);
    }
    std::map<std::string, std::string> saved;
    std::map<std::string, bool> had;
};

}  // namespace

TEST_F(CharacterType, LangCGetsAUtf8CharacterTypeAndKeepsItsOtherCategories)
{
    setenv("LANG", "C", 1);
    ASSERT_NE(PreferUtf8CharacterType(), nullptr);
    EXPECT_EQ(AsTheDriverDoes(), "UTF-8");
    EXPECT_STREQ(setlocale(LC_NUMERIC, nullptr), "C");
}

TEST_F(CharacterType, ALocaleThatIsNotInstalledGetsOneToo)
{
    setenv("LANG", "xx_YY.UTF-8", 1);
    ASSERT_NE(PreferUtf8CharacterType(), nullptr);
    EXPECT_EQ(AsTheDriverDoes(), "UTF-8");
}

TEST_F(CharacterType, LcAllIsSpreadOverTheOtherCategories)
{
    setenv("LANG", "C.UTF-8", 1);
    setenv("LC_ALL", "POSIX", 1);
    ASSERT_NE(PreferUtf8CharacterType(), nullptr);
    EXPECT_EQ(getenv("LC_ALL"), nullptr);
    EXPECT_EQ(AsTheDriverDoes(), "UTF-8");
    // POSIX (which the C library calls C), as LC_ALL asked, not the C.UTF-8 of LANG.
    EXPECT_STREQ(setlocale(LC_TIME, nullptr), "C");
    EXPECT_STREQ(setlocale(LC_MESSAGES, nullptr), "C");
}

TEST_F(CharacterType, AUtf8EnvironmentIsLeftAlone)
{
    setenv("LANG", "C.UTF-8", 1);
    EXPECT_EQ(PreferUtf8CharacterType(), nullptr);
    EXPECT_EQ(getenv("LC_CTYPE"), nullptr);
    EXPECT_EQ(AsTheDriverDoes(), "UTF-8");
}
