// SPDX-License-Identifier: GPL-3.0-or-later
// Text helpers, line reading, file opening, the hash table and the word trie.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "support/fixtures.h"
#include "support/helmtext.h"

TEST(Text, BlanksWordsAndTokens) {
    EXPECT_STREQ(stpblk("  \tabc "), "abc ");
    char buf[] = "name  \t\r\n";
    EXPECT_STREQ(srmtrblk(buf), "name");
    std::string s = "x y \n";
    EXPECT_EQ(srmtrblk(s), "x y");
    // word, blanks, integer, blanks, character
    EXPECT_STREQ(stpnxt("Mary   Smith f", "%s%b"), "Smith f");
    EXPECT_STREQ(stpnxt("-12  rest", "%d%b"), "rest");
    EXPECT_STREQ(stpnxt("M 3 1 Plus", "%c%b%d%b%d%b"), "Plus");
    char tok[8];
    const char* rest = stptok("Times,\"Bold 12\",x", tok, sizeof tok, ",");
    EXPECT_STREQ(tok, "Times");
    rest = stptok(nullptr, tok, sizeof tok, ",");
    EXPECT_STREQ(tok, "\"Bold 1");  // cut to the buffer, never overrun
    EXPECT_STREQ(rest, "x");
    EXPECT_TRUE(isnumber("42"));
    EXPECT_TRUE(isnumber("-7"));
    EXPECT_FALSE(isnumber("1024x768"));
    EXPECT_FALSE(isnumber(""));
    EXPECT_EQ(strprintf("%03d %s", 7, std::string(300, 'a').c_str()).size(), 304u);
}

TEST(Text, LinesOfAnyLengthWithNulBytes) {
    std::string path = TempDir() + "/lines.txt";
    std::string big(3 * 1024 * 1024, 'x');
    std::string content = "first\r\n" + big + "\nnul" + std::string(1, '\0') + "after\nlast";
    WriteFile(path, content);
    FILE* fp = fopen(path.c_str(), "r");
    ASSERT_TRUE(fp);
    std::string line;
    ASSERT_TRUE(autobuf_fgets(fp, line));
    EXPECT_EQ(line, "first");
    ASSERT_TRUE(autobuf_fgets(fp, line));
    EXPECT_EQ(line.size(), big.size());
    ASSERT_TRUE(autobuf_fgets(fp, line));
    EXPECT_EQ(line, "nul after");  // the NUL became a blank; the line was not cut or merged
    ASSERT_TRUE(autobuf_fgets(fp, line));
    EXPECT_EQ(line, "last");
    EXPECT_FALSE(autobuf_fgets(fp, line));
    fclose(fp);
}

TEST(Files, DefaultExtensionAndSearchList) {
    std::string dir = TempDir() + "/search";
    std::string other = TempDir() + "/elsewhere";
    ASSERT_EQ(system(("mkdir -p " + dir + " " + other).c_str()), 0);
    WriteFile(other + "/club.dorvel", "caller=X\n");
    char cwd[4096];
    ASSERT_TRUE(getcwd(cwd, sizeof cwd));
    ASSERT_EQ(chdir(dir.c_str()), 0);
    setenv("DORVELS", ("/nonexistent:" + other).c_str(), 1);

    FILE* fp = fopenx("club", "r", "dorvel", "DORVELS");
    ASSERT_TRUE(fp);
    fclose(fp);
    EXPECT_EQ(fopenfilename, other + "/club.dorvel");
    // Without the search list only the working directory counts.
    EXPECT_EQ(fopenx("club", "r", "dorvel", nullptr), nullptr);
    // The working directory comes first.
    WriteFile(dir + "/club.dorvel", "local\n");
    fp = fopenx("club", "r", "dorvel", "DORVELS");
    ASSERT_TRUE(fp);
    fclose(fp);
    EXPECT_EQ(fopenfilename, "club.dorvel");
    // "=" appends the rest always, even when the bare name exists.
    WriteFile(dir + "/a", "bare");
    WriteFile(dir + "/a.x.y", "ext");
    fp = fopenx("a", "r", "=.x.y", nullptr);
    ASSERT_TRUE(fp);
    fclose(fp);
    EXPECT_EQ(fopenfilename, "a.x.y");

    unsetenv("DORVELS");
    ASSERT_EQ(chdir(cwd), 0);
}

static uint64_t Hash8(const void* key) {
    uint64_t v;
    memcpy(&v, key, 8);
    return v % 7;  // many collisions on purpose
}
static int Greater8(const void* a, const void* b) {
    uint64_t x, y;
    memcpy(&x, a, 8);
    memcpy(&y, b, 8);
    return x > y;
}

TEST(Tables, HashFindsExactKeysOnly) {
    VarHash* vh = VarHashBuild(3, Hash8, Greater8);
    int items[100];
    for (uint64_t k = 0; k < 100; ++k) VarHashInsert(vh, &items[k], &k, 8);
    EXPECT_EQ(VarHashCount(vh), 100u);
    for (uint64_t k = 0; k < 100; ++k) EXPECT_EQ(VarHashFind(vh, &k, 8), &items[k]);
    uint64_t missing = 100;
    EXPECT_EQ(VarHashFind(vh, &missing, 8), nullptr);
    uint64_t k = 42;
    VarHashDelete(vh, &k, 8, 0);
    EXPECT_EQ(VarHashFind(vh, &k, 8), nullptr);
    k = 43;
    EXPECT_EQ(VarHashFind(vh, &k, 8), &items[43]);
    VarHashFree(vh, 0);
}

TEST(Tables, TrieInsertSearchRemovePrefix) {
    PS* t = ps_make();
    int a, b;
    ps_insert(t, "Smith", &a);
    ps_insert(t, "Smithers", &b);
    void* item = nullptr;
    EXPECT_TRUE(ps_search(t, "Smith", &item));
    EXPECT_EQ(item, &a);
    EXPECT_FALSE(ps_search(t, "Smit", &item));
    EXPECT_EQ(item, nullptr);
    auto words = ps_prefix(t, "Smi");
    ASSERT_EQ(words.size(), 2u);
    EXPECT_EQ(words[0].first, "Smith");
    ps_remove(t, "Smith", &b);  // another item: stays
    EXPECT_TRUE(ps_search(t, "Smith", &item));
    ps_remove(t, "Smith", &a);
    EXPECT_FALSE(ps_search(t, "Smith", &item));
    EXPECT_TRUE(ps_search(t, "Smithers", &item));
    EXPECT_EQ(item, &b);
    ps_free(t, 0);

    // A very long word (a hostile file, a pasted text) must not exhaust the stack on free.
    PS* deep = ps_make();
    ps_insert(deep, std::string(300000, 'x'), &a);
    EXPECT_TRUE(ps_search(deep, std::string(300000, 'x'), &item));
    ps_free(deep, 0);
}

TEST(Messages, ErrorKeepsTheTextAndCarriesOn) {
    error(1, "%s %s: unknown sex<%s> (accepts M F MF FM E)\n", "Ann", "Lee", "X");
    EXPECT_EQ(lasterror, "Ann Lee: unknown sex<X> (accepts M F MF FM E)\n");
}
