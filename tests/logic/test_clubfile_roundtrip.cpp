// SPDX-License-Identifier: GPL-3.0-or-later
// Round trip as a property: any roster written and read back is the same roster, and hostile
// input never breaks the roster's invariants.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "registry/registry.h"
#include "support/helmtext.h"
#include "test_clubfile_util.h"

namespace {

struct DancerView {
    std::string firstlast, firstname, lastname, partner;
    SDSEX sex;
    SDPRIORITY priority;
    SDPGM pgm;
    int avail, dances, display;
    uint64_t rfid;
    bool operator==(const DancerView&) const = default;
};

struct ClubView {
    std::string clubname, caller;
    SDPGM pgmfloor;
    int squaresize, askflag, scrollerincrchg, Rflag, Sflag, hallview;
    DISPNAME dispnamestyle;
    std::vector<uint64_t> cards;
    std::vector<DancerView> dancers;
    bool operator==(const ClubView&) const = default;
};

std::ostream& operator<<(std::ostream& os, const DancerView& d) {
    return os << d.firstlast << " sex=" << d.sex << " prio=" << d.priority << " pgm=" << d.pgm
              << " avail=" << d.avail << " dances=" << d.dances << " display=" << d.display
              << " rfid=" << d.rfid << " partner=<" << d.partner << ">";
}

ClubView Snapshot(bool withdances) {
    ClubView v{clubname, caller, pgmfloor, squaresize, askflag, scrollerincrchg, Rflag, Sflag, hallview,
               dispnamestyle, std::vector<uint64_t>(speccard, speccard + SPECCARDQTY), {}};
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        v.dancers.push_back({sd->firstlast, sd->firstname, sd->lastname,
                             sd->partner ? sd->partner->firstlast : "", sd->sex, sd->priority,
                             sd->pgm, sd->avail, withdances ? sd->dances : 0,
                             sd->avail ? sd->display : -1, sd->rfid});
    return v;
}

// Invariants every roster read from any file keeps.
void CheckInvariants(const char* what) {
    std::set<uint64_t> cards;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        SCOPED_TRACE(std::string(what) + ": " + sd->firstlast);
        EXPECT_NE(sd->partner, sd);
        if (sd->partner && sd->partner->partner != sd) {
            // Only an absent dancer may still name a present partner who dances single.
            EXPECT_EQ(sd->avail, 0);
            EXPECT_NE(sd->partner->avail, 0);
        }
        if (sd->avail && sd->partner) {
            EXPECT_EQ(sd->display + sd->partner->display, 1);
        }
        EXPECT_NE(sd->sex, NOSEX);
        EXPECT_NE(sd->pgm, NOPGM);
        EXPECT_EQ(sd->dances, 0);
        EXPECT_FALSE(sd->lastname.empty());
        if (sd->rfid) {
            EXPECT_TRUE(cards.insert(sd->rfid).second);
            EXPECT_EQ(RfidFind(sd->rfid), sd);
        }
        for (const std::string* s : {&sd->firstname, &sd->lastname, &sd->dispname})
            for (unsigned char c : *s) EXPECT_NE(c, 0);
    }
    EXPECT_EQ(squaresize % 2, 0);
    EXPECT_GE(squaresize, 2);
}

class RoundTrip : public ClubFileTest {
protected:
    // A random roster in the state a club file read leaves it in.
    void MakeRoster(std::mt19937_64& rng) {
        auto pick = [&](int n) { return (int)(rng() % (unsigned)n); };
        static const char* syl[] = {"Al", "Bri", "Cor", "Dun", "El", "Fen", "Gar", "Hol",
                                    "Ith", "Jor", "Kel", "Lum", "Mor", "Nel", "Os", "Pry"};
        static const char* odd[] = {"_Lee", "\xc3\xa9", "&Co", "+7", "%", "#2", "\xe2\x82\xac"};
        auto word = [&](bool first) {
            std::string w = syl[pick(16)];
            w += std::string(syl[pick(16)]);
            for (char& c : w) c = (char)tolower((unsigned char)c);
            w[0] = (char)toupper((unsigned char)w[0]);
            if (pick(5) == 0) w += odd[pick(7)];
            if (!first && pick(12) == 0) w = "Sngl#" + std::to_string(1 + pick(30));
            return w;
        };
        clubname = "The " + word(true) + " Squares";
        caller = word(true) + " " + word(false);
        pgmfloor = (SDPGM)pick(PGMQTY);
        squaresize = 2 * (1 + pick(8));
        askflag = pick(2);
        scrollerincrchg = pick(101) - 50;
        Rflag = pick(2);
        Sflag = pick(2);
        hallview = pick(2);
        dispnamestyle = (DISPNAME)pick(4);
        for (int i = 0; i < SPECCARDQTY; ++i) speccard[i] = pick(3) ? 0 : rng() % 10000000000ull;

        std::set<std::string> names;
        std::set<uint64_t> cards;
        int n = pick(60);
        std::vector<SqrDancer*> made;
        for (int i = 0; i < n; ++i) {
            std::string first, last;
            do {
                first = word(true);
                last = word(false);
            } while (!names.insert(first + " " + last).second);
            SqrDancer* sd = AddDancer(first, last, (SDSEX)pick(SEXQTY), (SDPGM)pick(PGMQTY),
                                      pick(4) ? LUCK : MUST);
            sd->avail = pick(3) ? 1 : 0;
            sd->dances = pick(20);
            if (pick(10) < 7) {
                uint64_t card;
                do card = 1 + rng() % 9999999999ull;
                while (!cards.insert(card).second);
                sd->rfid = card;
                RfidInsert(sd);
            }
            made.push_back(sd);
        }
        // Couples among them: both present, both absent, or the absent one still naming a
        // present partner who dances single tonight.
        std::shuffle(made.begin(), made.end(), rng);
        for (size_t i = 0; i + 1 < made.size(); i += 3) {
            SqrDancer *a = made[i], *b = made[i + 1];
            if (a->avail != b->avail) {
                if (a->avail) std::swap(a, b);
                a->partner = b;  // a absent, b present
            } else {
                a->partner = b;
                b->partner = a;
                if (a->avail) {
                    bool am = a->sex == M || a->sex == MF, bm = b->sex == M || b->sex == MF;
                    bool afirst = am != bm ? am : a->firstlast < b->firstlast;
                    a->display = afirst ? 1 : 0;
                    b->display = afirst ? 0 : 1;
                }
            }
        }
    }
};

TEST_F(RoundTrip, GeneratedRostersComeBackUnchanged) {
    for (int seed = 0; seed < 100; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        ResetEvening();
        std::mt19937_64 rng(seed);
        MakeRoster(rng);
        outputfilename = "rt.dorvel";
        ClubView before = Snapshot(false);

        ASSERT_TRUE(WriteDorvels(1));
        std::string withcounts = ReadFile("rt.dorvel");
        ASSERT_TRUE(WriteDorvels(0));
        std::string written = ReadFile("rt.dorvel");

        ResetEvening();
        outputfilename = "rt.dorvel";
        WriteFile("rt2.dorvel", withcounts);
        FILE* fp = fopen("rt2.dorvel", "r");
        ASSERT_NE(fp, nullptr);
        EXPECT_EQ(NotAClubFile(fp), "") << "the setup dialog takes every file the writer writes";
        rewind(fp);
        ReadDorvels(fp);
        fclose(fp);
        ClubView after = Snapshot(true);  // every count reads as 0
        EXPECT_EQ(after.dancers.size(), before.dancers.size());
        EXPECT_TRUE(after == before);
        for (size_t i = 0; i < std::min(after.dancers.size(), before.dancers.size()); ++i)
            EXPECT_EQ(after.dancers[i], before.dancers[i]);
        CheckInvariants("round trip");
        EXPECT_TRUE(screen::warnings.empty());

        // Written again, the file is byte for byte the same.
        ASSERT_TRUE(WriteDorvels(0));
        EXPECT_EQ(ReadFile("rt.dorvel"), written);
        if (HasFailure()) break;
    }
}

// Inputs no club file should hold; reading must neither crash nor break the roster.
TEST_F(RoundTrip, HostileInputs) {
    std::string big(4 << 20, 'x');
    std::vector<std::pair<const char*, std::string>> inputs = {
        {"empty", ""},
        {"only blanks", "   \n\t\n \n"},
        {"one word", "Solo\n"},
        {"one word and a blank", "Solo \n"},
        {"megabyte name", big + " Long m L 0 1 Plus\n"},
        {"megabyte rest", "Ann Long m L 0 1 Plus " + big + "\n"},
        {"megabyte ampersands", "Amp Long m L 0 1 Plus " + std::string(3 << 20, '&') + "\n"},
        {"megabyte line of pluses", std::string(3 << 20, '+') + "\n"},
        {"no line end", "Ann End f M 0 1 A1"},
        {"nul bytes", std::string("Nul Byte m L 0 1 Plus\0 & Ann End\n", 33) +
                          std::string("\0\0\0\n", 4) + std::string("Ab\0c Def m L 0 1 C1\n", 20)},
        {"30-digit card", "Big Card m L 0 1 Plus +123456789012345678901234567890\n"},
        {"card at the limit", "Max Card m L 0 1 Plus +18446744073709551615\n"
                              "Over Card m L 0 1 Plus +18446744073709551616\n"},
        {"huge counts", "Huge Count m L 99999999999999999999999 99999999999 Plus\n"
                        "Neg Count f L -2147483649 -5 Plus\n"},
        {"speccard 0", "speccard=\n"},
        {"speccard 19", "speccard=" + std::string(19 * 11, '9') + "\n"},
        {"speccard 21 short", "speccard= 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21\n"},
        {"speccard 22 huge", "speccard=" + std::string(22, ' ') + std::string(400, '9') + "\n"},
        {"speccard 40", [] {
             std::string s = "speccard=";
             for (int i = 0; i < 40; ++i) s += " 0000000001";
             return s + "\n";
         }()},
        {"keys without values", "caller=\nclub=\npgm=\nsquaresize=\nscrollerincrchg=\n"
                                "dispnamestyle=\n"},
        {"anonymous overflow", "A Sngl#99999999999999999999 m L 0 1 Plus\n"
                               "B Couple#-5 m L 0 1 Plus\nC Sngl# f L 0 1 Plus\n"},
        {"partner chains", "A A m L 0 1 Plus & B B\nB B f L 0 1 Plus & C C\n"
                           "C C m L 0 1 Plus & A A\nD D m L 0 0 Plus & A A\n"},
        {"ampersand at the end", "Tail Amp m L 0 1 Plus &\nTail Amp2 m L 0 1 Plus & Solo\n"},
        {"plus at the end", "Tail Plus m L 0 1 Plus +\n"},
        {"control bytes", "\x01\x02 \x7f\x1b m L 0 1 Plus\n\xff\xfe \xc0\xaf f L 0 1 C4\n"},
        {"duplicate cards", "A Dup m L 0 1 Plus +0000000001\nB Dup f L 0 1 Plus +0000000001\n"
                            "A Dup m L 0 1 Plus +0000000002\n"},
        {"utf-16", std::string("\xFF\xFE" "A\0n\0n\0 \0A\0s\0h\0 \0f\0 \0L\0\n\0", 26)},
        {"byte-order mark", "\xEF\xBB\xBF% comment\n\xEF\xBB\xBF" "Ann Ash f L 0 1 Basic\n"},
        {"no club name", "caller=Pat\nAnn Ash f L 0 1 Basic\n"},
        {"huge settings", "scrollerincrchg=99999999999\nsquaresize=99999999999\n"},
    };
    for (auto& [what, text] : inputs) {
        SCOPED_TRACE(what);
        ResetEvening();
        outputfilename = "hostile.dorvel";
        ReadText(text);
        CheckInvariants(what);
        // Whatever was read can be written and read back unchanged.
        ClubView before = Snapshot(false);
        ASSERT_TRUE(WriteDorvels(0));
        ResetEvening();
        outputfilename = "hostile.dorvel";
        FILE* fp = fopen("hostile.dorvel", "r");
        ASSERT_NE(fp, nullptr);
        ReadDorvels(fp);
        fclose(fp);
        // An empty caller or club name is not written, so a fresh evening's "None" stays.
        if (before.caller.empty()) before.caller = "None";
        if (before.clubname.empty()) before.clubname = "None";
        EXPECT_TRUE(Snapshot(false) == before);
    }
}

TEST_F(RoundTrip, HostileInputsGiveTheseResults) {
    ReadText("Solo\n");
    EXPECT_EQ(RosterCount(), 0);

    ResetEvening();
    ReadText("Big Card m L 0 1 Plus +123456789012345678901234567890\n"
             "Max Card m L 0 1 Plus +18446744073709551615\n");
    EXPECT_EQ(Find("Big Card")->rfid, 0u);
    EXPECT_EQ(Find("Max Card")->rfid, 18446744073709551615ull);

    ResetEvening();
    ReadText("Huge Count m L 99999999999999999999999 99999999999 Plus\n"
             "Neg Count f L -2147483649 -5 Plus\nZero Count f L 0 0 Plus\n");
    EXPECT_EQ(Find("Huge Count")->avail, 1);
    EXPECT_EQ(Find("Huge Count")->dances, 0);
    EXPECT_EQ(Find("Neg Count")->avail, 1);
    EXPECT_EQ(Find("Zero Count")->avail, 0);

    ResetEvening();
    ReadText(std::string("Nul Byte m L 0 1 Plus\0 +0000000005\n", 35));
    ASSERT_EQ(RosterCount(), 1);
    EXPECT_EQ(sdhd->rfid, 5u);  // the NUL byte is a blank: the card after it is kept
    EXPECT_EQ(sdhd->pgm, Plus);
    EXPECT_NE(TakeClubFileNotice().find("line 1: a control character (NUL) read as a blank"), std::string::npos);

    ResetEvening();
    ReadText("A Sngl#99999999999999999999 m L 0 1 Plus\nB Sngl#12 f L 0 1 Plus\n");
    EXPECT_EQ(anoncnt, 12);
    EXPECT_EQ(anoncounts[F], 12);
    EXPECT_EQ(anoncounts[M], 0);
}

}  // namespace
