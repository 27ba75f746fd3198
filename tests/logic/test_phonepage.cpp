// SPDX-License-Identifier: GPL-3.0-or-later
// The phone page's content without a network: the board read back from the saved tip or the
// roster, the escaping of every text, and the --serve option.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "files/clubfile.h"
#include "phone/accesskey.h"
#include "phone/page.h"
#include "assign/assign.h"
#include "registry/registry.h"
#include "support/fixtures.h"
#include "support/helmtext.h"

namespace {

// Any text, with the characters that matter to HTML and JSON, control characters, UTF-8 and
// bytes that are not UTF-8.
std::string AnyText(std::mt19937& rng) {
    static const std::vector<std::string> pieces = {
        "a", "Z", " ", "<", ">", "&", "\"", "'", "\\", "/", "\n", "\t", std::string(1, '\x01'), "\x7f",
        "\xc3\xa9", "\xe2\x80\xa8", "\xf0\x9f\x92\x83", "\xff", "\xc3", ":", "+", "#", "</script>"};
    std::string s;
    for (int n = rng() % 12; n > 0; --n) s += pieces[rng() % pieces.size()];
    return s;
}

std::string Valid(std::string s) {
    MakeValidUtf8(s);
    return s;
}

std::string HtmlUnescape(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '&') {
            out += s[i];
            continue;
        }
        size_t semi = s.find(';', i);
        std::string ent = s.substr(i, semi - i + 1);
        out += ent == "&amp;" ? "&" : ent == "&lt;" ? "<" : ent == "&gt;" ? ">" : ent == "&quot;" ? "\"" : "'";
        i = semi;
    }
    return out;
}

// Decodes a JSON string literal (only the escapes JsonString makes); false when it is not one.
bool JsonDecode(const std::string& s, std::string* out) {
    if (s.size() < 2 || s.front() != '"' || s.back() != '"') return false;
    out->clear();
    for (size_t i = 1; i + 1 < s.size(); ++i) {
        unsigned char c = s[i];
        if (c < 0x20 || c == '"') return false;
        if (c != '\\') {
            *out += (char)c;
            continue;
        }
        char e = s[++i];
        if (e == '"' || e == '\\') {
            *out += e;
        } else if (e == 'u') {
            unsigned cp = std::stoul(s.substr(i + 1, 4), nullptr, 16);
            i += 4;
            if (cp < 0x80) *out += (char)cp;
            else *out += cp == 0x2028 ? "\xe2\x80\xa8" : "\xe2\x80\xa9";
        } else {
            return false;
        }
    }
    return true;
}

TEST(PhonePage, EveryTextIsEscapedAndComesBackAsIt) {
    std::mt19937 rng(19);
    for (int i = 0; i < 3000; ++i) {
        std::string s = AnyText(rng);
        std::string html = HtmlEscape(s);
        EXPECT_EQ(html.find_first_of("<>\"'"), std::string::npos) << html;
        EXPECT_EQ(HtmlUnescape(html), Valid(s));
        std::string json = JsonString(s), back;
        ASSERT_TRUE(JsonDecode(json, &back)) << json;
        EXPECT_EQ(back, Valid(s));
        // Safe inside a page too: no tag can start or end, no line end of JavaScript.
        EXPECT_EQ(json.find_first_of("<>&"), std::string::npos) << json;
        EXPECT_EQ(json.find("\xe2\x80\xa8"), std::string::npos) << json;
    }
}

TEST(PhonePage, BoardTextsSplitIntoNameAndSquare) {
    std::mt19937 rng(7);
    for (int i = 0; i < 2000; ++i) {
        std::string name = "N" + AnyText(rng);  // the board's names never start with a blank
        while (!name.empty() && name.back() == ' ') name.pop_back();
        int square = (int)(rng() % 300);  // 0: Out
        int width = (int)name.size() + (int)(rng() % 5);
        std::string text = square ? strprintf("%*s: %3d", width, name.c_str(), square)
                                  : strprintf("%*s: Out", width, name.c_str());
        PhoneEntry e;
        ASSERT_TRUE(SplitBoardText(text, &e)) << text;
        EXPECT_EQ(e.name, name);
        EXPECT_EQ(e.square, square);
    }
    PhoneEntry e;
    for (const char* bad : {"", "Smith", ": 3", "   : Out", "Smith: ", "Smith: Outside", "Smith: -3", "Smith:   0", "Smith: 3x"})
        EXPECT_FALSE(SplitBoardText(bad, &e)) << bad;
}

class PhoneBoardOf : public Evening {};

TEST_F(PhoneBoardOf, WhoIsPresentBeforeTheFirstTipThenTheLatestTip) {
    pgmfloor = Main;
    clubname = "None";
    AddDancer("Zed", "Young", M, Main);
    AddDancer("Amy", "Adams", F, Plus);
    AddDancer("Low", "Level", F, Basic);                 // below the evening's level
    AddDancer("Not", "Here", M, Main)->avail = 0;        // absent
    SqrDancer* anon = AddCouple("", "", "Couple#001", M, Main);  // listed once, under him
    SetupDispNames();
    PhoneBoard b = CurrentPhoneBoard();
    EXPECT_EQ(b.club, "");
    EXPECT_EQ(b.tip, 0);
    std::vector<std::string> names;
    for (const PhoneEntry& e : b.entries) {
        names.push_back(e.name);
        EXPECT_EQ(e.square, -1);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Adams", anon->dispname, "Young"}));
    // One by one as the board names them; the anonymous couple's two halves once.
    ASSERT_EQ(b.dancers.size(), 3u);
    EXPECT_EQ(b.dancers.front(), (PhoneEntry{"Adams", -1}));
    EXPECT_EQ(b.dancers.back(), (PhoneEntry{"Young", -1}));

    clubname = "Hilltop";
    AddCouple("Bob", "Ann", "Smith", M, Main);
    AddCouple("Tom", "Sue", "Jones", M, Main);
    SaveTipTexts({"  Adams:   1", "Couple#001: Out", "  Jones:   1", "   Smith:   1", "   Young:   1"});
    b = CurrentPhoneBoard();
    EXPECT_EQ(b.club, "Hilltop");
    EXPECT_EQ(b.tip, 1);
    ASSERT_EQ(b.entries.size(), 5u);
    EXPECT_EQ(b.entries[1], (PhoneEntry{"Couple#001", 0}));
    EXPECT_EQ(b.entries[3], (PhoneEntry{"Smith", 1}));
    EXPECT_EQ(PhoneBoardHeading(b), "Tip 1");
    // Every dancer of the square as the board names them (a couple of one last name once),
    // with the square of the roll; no first name in the last-name style.
    ASSERT_EQ(b.dancers.size(), 5u);
    for (const PhoneEntry& d : b.dancers) {
        EXPECT_EQ(d.square, sqr[0].square + 1) << d.name;
        for (const char* first : {"Ann", "Bob", "Amy", "Zed"}) EXPECT_EQ(d.name.find(first), std::string::npos) << d.name;
    }
    EXPECT_TRUE(std::count(b.dancers.begin(), b.dancers.end(), PhoneEntry{"Smith", sqr[0].square + 1}));
    // Either of the couple shown once finds it by a name of their own.
    EXPECT_EQ(PhoneFind(b, "ann").size(), 1u);
    EXPECT_EQ(PhoneFind(b, "bob smith").size(), 1u);
    // A club file without a club name: the page names the file.
    clubname = "none";
    inputfilename = "/home/club/Tuesday Squares.dorvel";
    EXPECT_EQ(CurrentPhoneBoard().club, "Tuesday Squares");
}

// A dancer finds the square by first name, family name or both, whatever the case and
// accents; two dancers of one family name are told apart on the board and on the page.
TEST_F(PhoneBoardOf, DancersFoundByAnyOfTheirNames) {
    pgmfloor = Main;
    AddDancer("Dörte", "Lammle", F, Main);
    SqrDancer* ann = AddCouple("Ann", "Bernd", "Weiß", F, Main);
    ann->partner->lastname = "Schmidt";
    SqrDancer* gerd = AddCouple("Gerd", "Carla", "Weiß", M, Main);
    gerd->partner->lastname = "Meier";
    AddDancer("Max", "Zorn", M, Main);
    AddDancer("Eva", "Ulm", F, Main);
    AddDancer("Udo", "Roth", M, Main);
    SetupDispNames();
    SaveTipTexts({"  Lammle:   1", "Weiß A:Schmidt:   1", "Weiß G:Meier: Out"});
    PhoneBoard b = CurrentPhoneBoard();
    for (const char* q : {"dorte", "DÖRTE", "Doerte", "lammle", "Dörte Lammle"}) {
        std::vector<PhoneEntry> found = PhoneFind(b, q);
        ASSERT_EQ(found.size(), 1u) << q;
        EXPECT_EQ(found[0].name, "Lammle") << q;
        EXPECT_EQ(found[0].square, sqr[0].square + 1) << q;
    }
    EXPECT_TRUE(PhoneFind(b, "Dörte Weiß").empty());
    std::vector<PhoneEntry> weiss = PhoneFind(b, "weiss");
    ASSERT_EQ(weiss.size(), 2u);
    EXPECT_NE(weiss[0].name, weiss[1].name);
    std::string json = PhoneBoardJson(b, "dorte");
    EXPECT_NE(json.find("\"found\":[{\"n\":\"Lammle\",\"s\":" + std::to_string(sqr[0].square + 1)), std::string::npos) << json;
    EXPECT_NE(PhonePageHtml(b).find("<b>Out</b>"), std::string::npos);
}

// Keys come from the system's random source: every one of the shape (URL-safe, nothing to
// mistake when typed), no two of many alike, every character of the alphabet used; only the
// whole key itself matches.
TEST(AccessKeyOf, RandomUrlSafeKeysAndOnlyTheWholeKeyMatches) {
    std::set<std::string> seen;
    std::set<char> chars;
    for (int i = 0; i < 2000; ++i) {
        std::string k;
        ASSERT_TRUE(MakeAccessKey(&k));
        ASSERT_TRUE(ValidAccessKey(k)) << k;
        EXPECT_TRUE(seen.insert(k).second) << k;
        chars.insert(k.begin(), k.end());
    }
    EXPECT_EQ(chars.size(), 32u);

    const std::string key = AccessKey();
    EXPECT_TRUE(AccessKeyMatches(key));
    for (size_t i = 0; i < key.size(); ++i) {
        std::string other = key;
        other[i] = other[i] == 'x' ? 'y' : 'x';
        EXPECT_FALSE(AccessKeyMatches(other)) << i;
        EXPECT_FALSE(AccessKeyMatches(key.substr(0, i))) << i;
    }
    EXPECT_FALSE(AccessKeyMatches(key + "x"));
    // Nothing but a key is taken for one kept with the evening.
    for (std::string bad : {key + "a", std::string("ABCDEFGHIJKMNPQR"), std::string("abcdefghijkmnpq0")})
        EXPECT_FALSE(SetAccessKey(bad)) << bad;
    EXPECT_EQ(AccessKey(), key);
}

TEST(ServeOptionValue, AddressesAndPorts) {
    struct Case {
        const char* value;
        bool ok;
        const char* address;
        int port;
    } cases[] = {
        {"", true, "", DEFAULTSERVEPORT},         {"8099", true, "", 8099},
        {"0", true, "", 0},                       {"all:80", true, "", 80},
        {"lan", true, "lan", DEFAULTSERVEPORT},   {"lan:9000", true, "lan", 9000},
        {"127.0.0.1:8099", true, "127.0.0.1", 8099}, {"192.168.1.20", true, "192.168.1.20", DEFAULTSERVEPORT},
        {"[::1]:8099", true, "::1", 8099},        {"::", true, "::", DEFAULTSERVEPORT},
        {"65536", false, "", 0},                  {"80a", false, "", 0},
        {"localhost:80", false, "", 0},           {"lan:", false, "", 0},
        {"1.2.3.4:-1", false, "", 0},             {"[::1", false, "", 0},
        {"[::1]80", false, "", 0},                {"999.1.1.1:80", false, "", 0},
    };
    for (const Case& c : cases) {
        ServeOption o;
        std::string err;
        EXPECT_EQ(ParseServeOption(c.value, &o, &err), c.ok) << c.value;
        if (c.ok) {
            EXPECT_EQ(o.address, c.address) << c.value;
            EXPECT_EQ(o.port, c.port) << c.value;
        } else {
            EXPECT_FALSE(err.empty()) << c.value;
        }
    }
}

}  // namespace
