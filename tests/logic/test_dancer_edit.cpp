// SPDX-License-Identifier: GPL-3.0-or-later
// Names typed into the dancer dialogs and partners chosen there: what is refused, and that
// whatever is taken comes back from the club file byte for byte with links kept mutual.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "registry/edit.h"
#include "registry/registry.h"
#include "support/helmtext.h"
#include "test_clubfile_util.h"

namespace {
class DancerNames : public ClubFileTest {
protected:
    // Reads back what the writer makes of the roster, into an empty evening.
    static void WriteAndReread() {
        std::string text = ClubFileText(0);
        ResetEvening();
        ReadText(text);
    }
};
}  // namespace

TEST_F(DancerNames, EachProblemIsReportedAtItsEntry) {
    SqrDancer* ann = AddCouple("Ann", "Bob", "Smith");
    struct Case {
        const char *first, *last;
        int field;
        const SqrDancer* sd;
    } cases[] = {
        {"", "Smith", 1, nullptr},         {"Ann", "  ", 2, nullptr},          {"___", "Smith", 1, nullptr},
        {"first-name", "Zorn", 1, nullptr}, {"Zed", "last-name", 2, nullptr},   {"Ann &", "Zorn", 1, nullptr},
        {"& Bob", "Zorn", 1, nullptr},      {"A & B & C", "Zorn", 1, nullptr},  {"Ann", "Zorn & Ode", 2, nullptr},
        {"Al & Bo", "Zorn &", 2, nullptr},  {"Al & Bo", "A & B & C", 2, nullptr}, {"*", "*", 1, nullptr},
        {"Al & *", "*", 1, nullptr},        {"Ann", "Smith", 1, nullptr},       {"Zed & Bob", "Smith", 1, nullptr},
        {"Al & Al", "Zorn", 1, nullptr},    {"%Al", "Zorn", 1, nullptr},        {"Record", "Zorn", 1, nullptr},
        {"club=x", "Zorn", 1, nullptr},     {"Al & Statistics", "Zorn", 1, nullptr},
        {"Al0123456789", "Zorn", 1, nullptr}, {"Al", "Zorn 0123456789", 2, nullptr},
        {"Ann & Cy", "Smith", 1, ann},  // Ann has a partner: "&" cannot give her another
    };
    for (const Case& c : cases) {
        TypedNames t = ReadTypedNames(c.first, c.last, c.sd);
        EXPECT_FALSE(t.problem.empty()) << c.first << "/" << c.last;
        EXPECT_EQ(t.field, c.field) << c.first << "/" << c.last << ": " << t.problem;
    }
    // A dancer keeps its own name; a digit run shorter than a card is a name.
    EXPECT_EQ(ReadTypedNames("Ann", "Smith", ann).problem, "");
    EXPECT_EQ(ReadTypedNames("Ann", "Smith", ann).field, 0);
    EXPECT_EQ(ReadTypedNames("Al012345678", "Zorn", nullptr).problem, "");
    EXPECT_TRUE(NamesUntouched(" first-name ", "last-name\t"));
    EXPECT_FALSE(NamesUntouched("first-name", "Zorn"));
    EXPECT_TRUE(NamesUntouched(" ", ""));  // the empty entries of a fresh dialog
    EXPECT_FALSE(NamesUntouched("", "Zorn"));
}

TEST_F(DancerNames, BlanksAndAmpersandsGiveTheNamesOfOneOrTwoDancers) {
    TypedNames t = ReadTypedNames("  Mary  Ann\t", " Van Dyke ", nullptr);
    EXPECT_FALSE(t.couple);
    EXPECT_EQ(t.first, "Mary__Ann");
    EXPECT_EQ(t.last, "Van_Dyke");
    t = ReadTypedNames("Ann & Bob", "Smith", nullptr);
    EXPECT_TRUE(t.couple);
    EXPECT_EQ(t.first + "|" + t.last + "|" + t.first2 + "|" + t.last2, "Ann|Smith|Bob|Smith");
    t = ReadTypedNames("Ann&Bob Lee", "Smith & Van Dyke", nullptr);
    EXPECT_EQ(t.first + "|" + t.last + "|" + t.first2 + "|" + t.last2, "Ann|Smith|Bob_Lee|Van_Dyke");
}

TEST_F(DancerNames, NamesTakenMakeCouplesRenameAndRestartTheDanceCount) {
    maxdances = 5;
    SqrDancer* sd = NewPlaceholder();
    sd->sex = MF;
    sd->pgm = A1;
    EXPECT_TRUE(IsPlaceholder(sd));
    EXPECT_EQ(NameTrieFind("*", "*", nullptr), nullptr);
    SqrDancer* bob = ApplyTypedNames(sd, ReadTypedNames("Ann & Bob", "Smith", sd));
    ASSERT_NE(bob, nullptr);
    EXPECT_EQ(sd->firstlast, "Ann Smith");
    EXPECT_EQ(bob->firstlast, "Bob Smith");
    EXPECT_EQ(sd->partner, bob);
    EXPECT_EQ(bob->partner, sd);
    EXPECT_EQ(bob->sex, FM);
    EXPECT_EQ(bob->pgm, A1);
    EXPECT_EQ(sd->dances, 4);
    EXPECT_EQ(bob->dances, 4);
    EXPECT_EQ(sdhd, sd);  // sorted by name: Smith (Ann) before Smith (Bob)

    // A rename: the trie leads from the new name, not the old; the count restarts.
    sd->dances = 2;
    ApplyTypedNames(sd, ReadTypedNames("Ann", "Jones", sd));
    EXPECT_EQ(NameTrieFind("Ann", "Jones", nullptr), sd);
    EXPECT_FALSE(ps_search(ps, "Ann Smith", nullptr));
    EXPECT_EQ(NameTrieFind("Zzz", "Smith", nullptr), bob);  // "Smith" alone leads to Bob now
    EXPECT_EQ(sd->dances, 4);
    // Names the dancer has already change nothing.
    sd->dances = 2;
    EXPECT_EQ(ApplyTypedNames(sd, ReadTypedNames("Ann", "Jones", sd)), nullptr);
    EXPECT_EQ(sd->dances, 2);
    ApplyTypedNames(sd, ReadTypedNames("M", "Couple#003", sd));
    EXPECT_EQ(sd->firstlast, "Couple#003");
}

// Whatever the dialogs accept comes back from the club file unchanged, whatever it holds:
// letters of any script, "%", "+" before a digit, "#", "_", blanks, digits, words the reader
// knows as settings. Names the dialogs refuse are those the file could not give back.
TEST_F(DancerNames, EveryNameTakenComesBackFromTheClubFileByteForByte) {
    static const char* parts[] = {"Zed", "Love", "%", "+7", "+", "#2", "_", " ", "\xc3\xa9", "\xe6\x9d\x8e",
                                  "\xe2\x82\xac", "'", "-", "0", "42", "Record", "club=", "ask", "*", "&"};
    std::mt19937_64 rng(13);
    auto pick = [&](size_t n) { return (size_t)(rng() % n); };
    int taken = 0, refused = 0;
    for (int round = 0; round < 60; ++round) {
        ResetEvening();
        std::vector<std::string> names;  // "first last" of every dancer taken
        std::set<std::pair<std::string, std::string>> couples;
        for (int i = 0; i < 12; ++i) {
            auto word = [&] {
                std::string w;
                for (size_t k = 0, n = 1 + pick(4); k < n; ++k) w += parts[pick(std::size(parts))];
                return w;
            };
            std::string first = word(), last = word();
            SqrDancer* sd = NewPlaceholder();
            sd->avail = (int)pick(2);
            TypedNames t = ReadTypedNames(first, last, sd);
            if (!t.problem.empty()) {
                ++refused;
                DelDancer(sd);
                continue;
            }
            ++taken;
            SqrDancer* p = ApplyTypedNames(sd, t);
            names.push_back(sd->firstname + " " + sd->lastname);
            if (p) {
                names.push_back(p->firstname + " " + p->lastname);
                couples.insert({names[names.size() - 2], names.back()});
            }
        }
        WriteAndReread();
        std::vector<std::string> back;
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
            back.push_back(sd->firstname + " " + sd->lastname);
            if (sd->partner) {
                EXPECT_EQ(sd->partner->partner, sd);
                std::pair<std::string, std::string> c{back.back(), sd->partner->firstname + " " + sd->partner->lastname};
                EXPECT_TRUE(couples.count(c) || couples.count({c.second, c.first})) << c.first << " & " << c.second;
            }
        }
        std::sort(names.begin(), names.end());
        std::sort(back.begin(), back.end());
        EXPECT_EQ(back, names) << "round " << round;
    }
    EXPECT_GT(taken, 200);
    EXPECT_GT(refused, 100);
}

TEST_F(DancerNames, PartnersOfferedFitAndEveryChoiceKeepsTheLinksMutual) {
    // An absent F dancer is offered present and absent dancers, but no other F dancer and
    // nobody partnered with somebody else; a present one only present dancers.
    SqrDancer* fay = AddDancer("Fay", "Absent", F);
    fay->avail = 0;
    SqrDancer* moe = AddDancer("Moe", "Here", M);
    SqrDancer* max = AddDancer("Max", "Away", M);
    max->avail = 0;
    AddDancer("Flo", "Here", F);
    SqrDancer* eve = AddDancer("Eve", "Either", E);
    AddCouple("Al", "Bea", "Taken");
    int pos = -1;
    std::vector<SqrDancer*> map = PartnerMapi2sd(fay, &pos);
    EXPECT_EQ(map, (std::vector<SqrDancer*>{nullptr, moe, max, eve}));
    EXPECT_EQ(pos, 0);
    SqrDancer* flo = sdhd->nxt->nxt->nxt;
    EXPECT_EQ(PartnerMapi2sd(flo, &pos), (std::vector<SqrDancer*>{nullptr, moe, eve}));

    // Random choices, whatever the map says: links stay mutual, nobody is its own partner.
    std::mt19937_64 rng(5);
    std::vector<SqrDancer*> all;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) all.push_back(sd);
    for (int i = 0; i < 400; ++i) {
        SqrDancer* sd = all[rng() % all.size()];
        SqrDancer* np = rng() % 4 ? all[rng() % all.size()] : nullptr;
        SetPartner(sd, np);
        EXPECT_EQ(sd->partner, np == sd ? nullptr : np);
        for (SqrDancer* x : all) {
            EXPECT_NE(x->partner, x);
            if (x->partner) {
                EXPECT_EQ(x->partner->partner, x) << x->firstlast;
            }
        }
        int p2 = -1;
        std::vector<SqrDancer*> m = PartnerMapi2sd(sd, &p2);
        EXPECT_EQ(m[p2], sd->partner);
    }
}
