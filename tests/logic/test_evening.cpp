// SPDX-License-Identifier: GPL-3.0-or-later
// The evening file: an evening written beside its club file and resumed at the next start
// goes on exactly as it would have without the break; what is offered, and what is not.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>

#include <random>
#include <set>

#include "assign/assign.h"
#include "files/clubguard.h"
#include "files/evening.h"
#include "history/history.h"
#include "registry/edit.h"
#include "registry/registry.h"
#include "support/helmtext.h"
#include "support/rndm.h"
#include "test_assign_util.h"
#include "test_clubfile_util.h"

using namespace assigntest;

namespace {

class EveningFile : public ClubFileTest {
protected:
    // A start on the club file: read, the file every write goes to, sorted.
    static void StartOn(const std::string& club) {
        ResetEvening();
        FILE* fp = fopen(club.c_str(), "r");
        ASSERT_NE(fp, nullptr);
        inputfilename = club;
        BindOutputFile(club);
        ASSERT_TRUE(ReadDorvels(fp));
        fclose(fp);
        SortByName();
    }
    // A club of couples and singles, some with cards, written as club.dorvel.
    static void Club(std::mt19937& rng) {
        clubname = "Harbor Squares";
        for (int i = 0; i < 14; ++i) AddCouple("M" + std::to_string(i), "F" + std::to_string(i), "Fam" + std::to_string(i));
        for (int i = 0; i < 9; ++i) AddDancer("S" + std::to_string(i), "Single", static_cast<SDSEX>(rng() % 5));
        AddDancer("Twin", "Same", M);
        AddDancer("Twin", "Same", F);  // two dancers of one name keep their own evening
        uint64_t card = 4100000001;
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
            if (rng() % 3 == 0) RfidGive(sd, card++);
        mixflag = (int)(rng() % 2);
        SortByName();
        BindOutputFile("club.dorvel");
        ASSERT_TRUE(WriteDorvels(0));
    }
    // What an evening does between rolls: check-ins and check-outs, skip and must-once
    // requests, a square tag.
    static void Actions(std::mt19937& rng) {
        for (int a = 0; a < 6; ++a) {
            SqrDancer* sd = sdhd;
            for (unsigned k = rng() % (unsigned)RosterCount(); k; --k) sd = sd->nxt;
            unsigned what = rng() % 4;
            if (what < 2) CardPresenceFlip(sd);
            else if (what == 2 && !SkipTipFind(sd)) SkipTipRequest(sd, 1 + (int)(rng() % 2))->sd->avail = 0;
            else if (what == 3 && !MustOnceFind(sd)) LuckMustToggle(sd, true);
        }
        if (rng() % 3 == 0 && SqrTagMapBuild() > 0) {
            SqrTagSliderPick(0, 1 + (double)(rng() % 3));
            SqrTagApplySquare(2);
        }
    }
    // The next roll, as a text: the squares, everybody's count, the sit-outs.
    static std::string NextRoll() {
        EXPECT_NE(Tip(), nullptr);
        int tips = 0;
        for (History* h = histhd; h; h = h->nxt) ++tips;
        std::string s = strprintf("tip %d, %d in the history\n", tipcnt, tips) + Picture();
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) s += strprintf("%s %d %d\n", sd->firstlast.c_str(), sd->dances, sd->avail);
        for (OutDancer* od = outdancerhd; od; od = od->nxt) s += "out " + od->sd->firstlast + "\n";
        return s;
    }
};

// An evening broken off after any number of tips goes on, once resumed, with the very roll
// (squares, counts, sit-outs) it would have made without the break. A field of another part
// of the program comes back with it; a value its part does not take is said, and the rest of
// the evening still resumes.
TEST_F(EveningFile, AResumedEveningRollsOnAsIfNeverBroken) {
    static std::string key;
    EveningField("test-key", [] { return key; }, [](const std::string& v) { key = v; return v != "bad"; });
    for (int seed = 0; seed < 12; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        ResetEvening();
        sanitypauseseconds = 0;
        ASSERT_EQ(system("rm -f club.*"), 0);
        Club(rng);
        StartOn("club.dorvel");
        set_rndm(seed + 1, seed + 2, seed + 3);
        int tips = (int)(rng() % 5);
        for (int t = 0; t < tips; ++t) {
            Actions(rng);
            Tip();
            ASSERT_TRUE(WriteDorvels(1));
        }
        Actions(rng);
        const std::string value = seed % 3 ? "abc " + std::to_string(seed) : "bad";
        key = value;
        ASSERT_TRUE(EveningSave());
        int present = 0;
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) present += sd->avail;
        std::string expected = NextRoll();

        key.clear();
        StartOn("club.dorvel");
        TakeClubFileNotice();
        EveningOffer offer = EveningFind(time(nullptr));
        ASSERT_TRUE(offer.offered);
        EXPECT_EQ(offer.tip, tips);
        EXPECT_EQ(offer.present, present);
        EXPECT_TRUE(EveningResume());
        EXPECT_EQ(key, value);
        EXPECT_EQ(TakeClubFileNotice().find("the value <bad> of test-key was not taken") != std::string::npos, value == "bad");
        EXPECT_EQ(NextRoll(), expected);
        EXPECT_EQ(CardTableFaults(), "");
    }
    EveningField("test-key", nullptr, nullptr);
}

// What is not offered: an evening with nothing to resume, an old one, another club file's,
// and none at all in a replay, which neither reads nor writes the file. A file damaged or
// made to harm (numbers out of range in every line, a file cut short, a huge one) is reported
// and ignored, never half resumed; whatever is resumed of one with bytes changed at random
// leaves the cards and the history consistent. A dancer who left the club file is left out.
TEST_F(EveningFile, WhatIsOfferedAndWhatIsNot) {
    std::mt19937 rng(7);
    Club(rng);
    StartOn("club.dorvel");
    ASSERT_TRUE(EveningSave());
    EXPECT_FALSE(EveningFind(time(nullptr)).offered);  // nothing happened yet
    Tip();
    Tip();
    ASSERT_TRUE(EveningSave());
    std::string file = ReadFile("club.evening");
    time_t now = time(nullptr);
    EXPECT_TRUE(EveningFind(now + EVENINGHOURS * 3600 - 60).offered);
    EXPECT_FALSE(EveningFind(now + EVENINGHOURS * 3600 + 60).offered);
    EXPECT_NE(EveningQuestion(EveningFind(now)).find("Resume tonight's evening (tip 2, "), std::string::npos);

    // Another club file's (a folder copied under another name); a replay.
    WriteFile("club.evening", std::string(file).replace(file.find("club=club.dorvel"), 16, "club=other.dorvel"));
    EXPECT_FALSE(EveningFind(now).offered);
    WriteFile("club.evening", file);
    dbgfile = "dorvels.record000";
    EXPECT_FALSE(EveningFind(now).offered);
    Tip();
    EXPECT_TRUE(EveningSave());
    EXPECT_EQ(ReadFile("club.evening"), file);
    dbgfile.clear();

    std::vector<std::string> damaged = {"", "dorvels-evening 2\n" + file.substr(file.find('\n') + 1),
                                        file + "tip=99999999999999999999 0\n", file + "dancer=A B 1\n",
                                        file + "place=50 0 0 1 1 1 1 1 1 1 -1 -1\n", file + "history=1 0 1 8 1 0 1 2\n",
                                        file + "mustonce=4000 1\n", file + "cell=0 x\n" + "tag=7 0 0\n",
                                        file + std::string(40 << 20, '%'),
                                        // claims beyond what the roster can need: places, dancers, tips
                                        file + "history=3 2 5000 2 4 0 1 2 3\n", file + "history=3 2 1 8 90000 0 1 2 3\n",
                                        file + [] { std::string t; for (int i = 0; i < 250; ++i) t += "history=1 0 1 8 1 0 1 2 3\n"; return t; }(),
                                        file + [] { std::string t; for (int i = 0; i < 300; ++i) t += "dancer=X Y 0 0 0 0 0 0 0 0 0 0 0 L -1 -1\n"; return t; }()};
    for (size_t pos = file.find('\n') + 1; pos < file.size(); pos = file.find('\n', pos) + 1)
        if (file.compare(pos, 5, "club=") != 0)  // every other value out of range
            damaged.push_back(file.substr(0, file.find('=', pos) + 1) + "-99999999999 x" + file.substr(file.find('\n', pos)));
    for (const std::string& text : damaged) {
        SCOPED_TRACE(text.substr(0, 200));
        StartOn("club.dorvel");
        WriteFile("club.evening", text);
        TakeClubFileNotice();
        EXPECT_FALSE(EveningFind(now).offered);
        EXPECT_NE(TakeClubFileNotice().find("<club.evening> was not used: "), std::string::npos);
        EXPECT_EQ(tipcnt, 0);
    }
    for (int round = 0; round < 300 && !HasFailure(); ++round) {  // cut short, or bytes changed
        std::string text = file;
        if (round % 3 == 0) text.resize(rng() % text.size());
        else
            for (int k = 0; k < 1 + round % 5; ++k) text[rng() % text.size()] = (char)(rng() % 256);
        StartOn("club.dorvel");
        WriteFile("club.evening", text);
        if (EveningFind(now).offered) EveningResume();
        EXPECT_EQ(CardTableFaults(), "");
        std::set<const SqrDancer*> roster;  // the history names none but these
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) roster.insert(sd);
        for (History* h = histhd; h; h = h->nxt)
            for (int i = 0; i < h->totsquares * h->sqrsize; ++i) {
                SqrDancer* sd = h->histsqr[i / h->sqrsize].histsd[i % h->sqrsize].sd;
                EXPECT_TRUE(!sd || roster.count(sd));
            }
    }
    TakeClubFileNotice();

    // Planted in the club file's folder by somebody else: a pipe (the start must not wait on
    // it), a folder, a link to a file elsewhere, an evening of another user. Reported, not
    // resumed; the next save puts the evening in their place (a folder stays) and writes
    // nothing through a link.
    const std::string outside = dir + "-outside.txt";
    for (const char* kind : {"pipe", "folder", "link", "foreign"}) {
        SCOPED_TRACE(kind);
        StartOn("club.dorvel");
        WriteFile(outside, file);
        std::string k = kind;
        unlink("club.evening");
        if (k == "foreign") WriteFile("club.evening", file);
        int planted = k == "pipe"     ? mkfifo("club.evening", 0666)
                      : k == "folder" ? mkdir("club.evening", 0777)
                      : k == "link"   ? symlink(outside.c_str(), "club.evening")
                                      : chown("club.evening", 4321, 4321);
        ASSERT_EQ(planted, 0);
        TakeClubFileNotice();
        EXPECT_FALSE(EveningFind(now).offered);
        EXPECT_NE(TakeClubFileNotice().find("<club.evening> was not used: "), std::string::npos);
        Tip();
        EXPECT_EQ(EveningSave(), k != "folder");
        EXPECT_EQ(ReadFile(outside), file);
        struct stat st;
        ASSERT_EQ(lstat("club.evening", &st), 0);
        if (k != "folder") {
            EXPECT_TRUE(S_ISREG(st.st_mode) && st.st_uid == geteuid());
        }
        unlink("club.evening");
        rmdir("club.evening");
    }
    unlink(outside.c_str());

    // A private club file's companions are private too; the evening (it holds the page's key)
    // is never readable by others, whatever the club file allows.
    for (mode_t mode : {0600, 0640, 0664}) {
        ASSERT_EQ(chmod("club.dorvel", mode), 0);
        unlink("club.dorvel~");
        StartOn("club.dorvel");
        Tip();
        ASSERT_TRUE(WriteDorvels(1));
        ASSERT_TRUE(EveningSave());
        struct stat ev, bak;
        ASSERT_EQ(stat("club.evening", &ev), 0);
        ASSERT_EQ(stat("club.dorvel~", &bak), 0);
        EXPECT_EQ(bak.st_mode & 0777, mode);
        EXPECT_EQ(ev.st_mode & 0777, mode & 0770);
    }
    WriteFile("club.evening", file);

    // Dancers gone from the club file since: the others resume, and the evening rolls on
    // (mixing reads every tip's places).
    StartOn("club.dorvel");
    DelDancer(sdhd);
    DelDancer(sdtl);
    ASSERT_TRUE(EveningFind(now).offered);
    ASSERT_TRUE(EveningResume());
    EXPECT_EQ(tipcnt, 2);
    mixflag = 1;
    EXPECT_NE(NextRoll().find("tip 3, 3 in the history\n"), std::string::npos);
}

// Whatever the program writes, it reads back the same: over generated evenings with numbers
// at and beyond the reader's limits (counts, tip numbers, a tag's square), a name far longer
// than any, and more tips than the file keeps, the evening written is offered, and once
// resumed writes the very same file again.
TEST_F(EveningFile, WhatIsWrittenReadsBackTheSame) {
    auto body = [](std::string t) {  // without the times of writing
        for (const char* key : {"saved=", "lastroll="}) {
            size_t at = t.find(std::string("\n") + key);
            if (at != std::string::npos) t.erase(at + 1, t.find('\n', at + 1) - at);
        }
        return t;
    };
    for (int seed = 0; seed < 8; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        ResetEvening();
        ASSERT_EQ(system("rm -f club.*"), 0);
        Club(rng);
        StartOn("club.dorvel");
        sanitypauseseconds = 0;
        int tips = 1 + (int)(rng() % (seed % 2 ? 210 : 4));
        for (int t = 0; t < tips; ++t) {
            Actions(rng);
            Tip();
        }
        const int extreme[] = {INT_MAX, 1000000, 1000001, -2, INT_MIN, 0};
        auto pick = [&] { return extreme[rng() % 6]; };
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
            if (rng() % 3 == 0) sd->dances = pick(), sd->prvdances = pick(), sd->skip = pick(), sd->posn = pick();
        if (seed % 3 == 0) tipcnt = pick() & INT_MAX, prvtipcnt = pick() & INT_MAX;
        if (seed % 4 == 1) SetDancerNames(sdhd->nxt, std::string(300 + seed, 'n'), "Long");
        if (histhd) histhd->tipcnt = pick() & INT_MAX;
        hallfontchg = pick();
        if (rng() % 2) sqrtag[0] = SquareTag{pick(), nullptr, sdtl};
        ASSERT_TRUE(EveningSave());
        const std::string first = ReadFile("club.evening");

        EveningReset();
        TakeClubFileNotice();
        ASSERT_TRUE(EveningFind(time(nullptr)).offered) << TakeClubFileNotice();
        ASSERT_TRUE(EveningResume());
        EveningReset();
        ASSERT_TRUE(EveningSave());
        EXPECT_EQ(body(ReadFile("club.evening")), body(first));
    }
}

}  // namespace
