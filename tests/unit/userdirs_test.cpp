// Where a player's own files go: the freedesktop data directory, the home's
// fallback below it, and the directories made for it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/userdirs.h"

namespace fs = std::filesystem;

TEST(UserDirs, DataDirectoryFromTheEnvironment)
{
    struct Case {
        const char *xdg, *home, *passwd;
        std::string expected;
    };
    const Case cases[] = {
        {"/x/data", "/home/ann", "/home/pw", "/x/data/app"},
        {"/x/data/", "/home/ann", nullptr, "/x/data/app"},
        {"/", "/home/ann", nullptr, "/app"},
        {nullptr, "/home/ann", "/home/pw", "/home/ann/.local/share/app"},
        {"", "/home/ann", "/home/pw", "/home/ann/.local/share/app"},
        {"data", "/home/ann", nullptr, "/home/ann/.local/share/app"},   // relative: ignored
        {nullptr, "/home/ann/", nullptr, "/home/ann/.local/share/app"},
        {nullptr, "", "/home/pw", "/home/pw/.local/share/app"},
        {nullptr, nullptr, "/home/pw", "/home/pw/.local/share/app"},
        {"", "", "", ""},
        {nullptr, nullptr, nullptr, ""},
        {"rel", "rel", "rel", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.xdg ? c.xdg : "(unset)") + " | " + (c.home ? c.home : "(unset)") + " | " +
                     (c.passwd ? c.passwd : "(none)"));
        EXPECT_EQ(UserDataDir(c.xdg, c.home, c.passwd, "app"), c.expected);
    }
}

TEST(UserDirs, StateAndConfigDirectoriesFollowTheSameRules)
{
    EXPECT_EQ(UserStateDir("/x/state/", "/home/ann", nullptr, "app"), "/x/state/app");
    EXPECT_EQ(UserStateDir("state", "/home/ann", "/home/pw", "app"), "/home/ann/.local/state/app");
    EXPECT_EQ(UserStateDir(nullptr, nullptr, "/nonexistent", "app"), "/nonexistent/.local/state/app");
    EXPECT_EQ(UserStateDir("", "rel", nullptr, "app"), "");
    EXPECT_EQ(UserConfigDir("/x/conf", "/home/ann", nullptr, "app"), "/x/conf/app");
    EXPECT_EQ(UserConfigDir("conf", "/home/ann", nullptr, "app"), "/home/ann/.config/app");
}

TEST(UserDirs, MakesMissingParentsPrivate)
{
    char name[] = "/tmp/paperlune-dirs-XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    fs::path root = name;
    mode_t mask = umask(022);

    std::string deep = (root / "a/b/c").string();
    EXPECT_TRUE(MakeDirectories(deep, 0700));
    for (const char *made : {"a", "a/b", "a/b/c"}) {
        struct stat st;
        ASSERT_EQ(stat((root / made).c_str(), &st), 0) << made;
        EXPECT_TRUE(S_ISDIR(st.st_mode)) << made;
        EXPECT_EQ(st.st_mode & 07777, 0700u) << made;
    }
    EXPECT_TRUE(MakeDirectories(deep, 0700)) << "already there";

    // A plain file where a directory must go.
    FILE *f = fopen((root / "plain").c_str(), "w");
    ASSERT_NE(f, nullptr);
    fclose(f);
    std::string why;
    EXPECT_FALSE(MakeDirectories((root / "plain").string(), 0700, &why));
    EXPECT_EQ(why, "it is not a directory");
    EXPECT_FALSE(MakeDirectories((root / "plain/under").string(), 0700, &why));
    EXPECT_EQ(why, "Not a directory");

    umask(mask);
    fs::remove_all(root);
}
