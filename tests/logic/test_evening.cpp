// SPDX-License-Identifier: GPL-3.0-or-later
// The evening file: an evening written beside its club file and resumed at the next start
// goes on exactly as it would have without the break; what is offered, and what is not.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <ctime>
#include <random>
#include <set>

#include "assign/assign.h"
#include "files/clubguard.h"
#include "files/evening.h"
#include "files/record.h"
#include "history/history.h"
#include "files/season.h"
#include "registry/edit.h"
#include "registry/registry.h"
#include "support/helmtext.h"
#include "support/rndm.h"
#include "support/screen_recorder.h"
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
    // A new club in a folder cleared of earlier rounds' files, and a start on it.
    static void FreshClub(std::mt19937& rng) {
        ResetEvening();
        ASSERT_EQ(system("rm -f club.*"), 0);
        Club(rng);
        StartOn("club.dorvel");
        sanitypauseseconds = 0;
    }
    // The next start, resuming the evening it offers.
    static bool Restart(time_t now = time(nullptr)) {
        StartOn("club.dorvel");
        return EveningFind(now).offered && EveningResume();
    }
    static SqrDancer* Pick(std::mt19937& rng) {
        SqrDancer* sd = sdhd;
        for (unsigned k = rng() % (unsigned)RosterCount(); k; --k) sd = sd->nxt;
        return sd;
    }
    // The text without its lines that begin with any of these.
    static std::string Without(const std::string& t, std::initializer_list<const char*> drop) {
        std::string out;
        for (size_t pos = 0, end; pos < t.size(); pos = end + 1) {
            end = std::min(t.find('\n', pos), t.size());
            const std::string line = t.substr(pos, end - pos);
            if (std::none_of(drop.begin(), drop.end(), [&](const char* p) { return line.rfind(p, 0) == 0; })) out += line + "\n";
        }
        return out;
    }
    // What an evening does between rolls: check-ins and check-outs, skip and must-once
    // requests, a square tag.
    static void Actions(std::mt19937& rng) {
        for (int a = 0; a < 6; ++a) {
            SqrDancer* sd = Pick(rng);
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
        FreshClub(rng);
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

    // Recorded after the resume: the record names a copy of the evening it resumed, and a
    // replay (which writes no evening file) resumed from that copy rolls the same.
    StartOn("club.dorvel");
    OpenRecordFile();
    ASSERT_TRUE(EveningFind(time(nullptr)).offered);
    ASSERT_TRUE(EveningResume());
    const std::string record = RecordFileName(), copy = record + ".evening", expected = NextRoll();
    CloseRecordFile();
    EXPECT_NE(ReadFile(record).find("(EveningResume) " + copy + "\n"), std::string::npos);
    StartOn("club.dorvel");
    dbgfile = record;
    ASSERT_TRUE(EveningResumeFrom(copy));
    EXPECT_EQ(NextRoll(), expected);
    dbgfile.clear();
}

// The crash drill: whatever is changed between two rolls (a dancer entered, deleted or renamed,
// a partner, role, level, card or command card, a setting, presence) is kept by the save that
// follows it, and an evening broken off then (only the files left; the club file as the last
// roll wrote it) comes back exactly. An evening file of an older version, without the
// roster, is laid over the club file's as before.
TEST_F(EveningFile, EveryChangeBetweenRollsSurvivesABreak) {
    // The club file's text (settings, cards, roles, levels, partners, counts, presence), both
    // ends of every partner link and the tips.
    auto snapshot = [] {
        std::string s = ClubFileText(1) + strprintf("tip %d:", tipcnt);
        for (History* h = histhd; h; h = h->nxt) s += strprintf(" %d", h->tipcnt);
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
            s += strprintf("\n%s %d %d", sd->firstlast.c_str(), sd->avail, sd->dances);
            if (sd->partner) s += " & " + sd->partner->firstlast + (sd->partner->partner == sd ? "" : " ONE-WAY");
            if (sd->rfid && RfidHolder(sd->rfid) != sd) s += " CARD-LOST";
        }
        return s;
    };
    for (int seed = 0; seed < 8; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        FreshClub(rng);
        set_rndm(seed + 1, seed + 2, seed + 3);
        for (int step = 0; step < 14; ++step) {
            SqrDancer* sd = Pick(rng);
            std::string n = std::to_string(step);
            int pos = 0;
            std::vector<SqrDancer*> map;
            switch (rng() % 12) {
                case 0:  // a visitor entered, with her card
                    sd = NewPlaceholder();
                    ApplyTypedNames(sd, ReadTypedNames("Vera" + n, "Visitor", sd));
                    CardPresenceFlip(sd);
                    RfidGive(sd, 4200000000u + step);
                    break;
                case 1: DelDancer(sd); break;
                case 2: ApplyTypedNames(sd, ReadTypedNames("Renamed" + n, sd->lastname, sd)); break;
                case 3:
                    if ((map = PartnerMapi2sd(sd, &pos)).size() > 1) SetPartner(sd, map[1 + rng() % (map.size() - 1)]);
                    break;
                case 4: sd->sex = static_cast<SDSEX>(rng() % 5); break;
                case 5: sd->pgm = static_cast<SDPGM>(rng() % 4); break;
                case 6: RfidGive(sd, 4300000000u + step); break;
                case 7: speccard[rng() % SPECCARDQTY] = 4400000000u + step; break;
                case 8: caller = "Caller " + n, squaresize = 8 + 2 * (int)(rng() % 2), askflag = (int)(rng() % 2); break;
                case 9: CardPresenceFlip(sd); break;
                case 10: RfidGive(NewPlaceholder(), 4500000000u + step); break;  // a dialog left open
                default: Tip(); ASSERT_TRUE(WriteDorvels(1));  // as every roll does
            }
            ASSERT_TRUE(EveningSave());  // as after every key and click
        }
        for (SqrDancer *sd = sdhd, *next; sd; sd = next)  // a dancer half entered is not kept
            if (next = sd->nxt, IsPlaceholder(sd)) DelDancer(sd);
        // The club file from before the evening: its backup, once a roll has written it.
        const std::string before = snapshot(), backup = ReadFile(access("club.dorvel~", F_OK) ? "club.dorvel" : "club.dorvel~");
        ASSERT_TRUE(Restart());  // the program killed and started again
        EXPECT_EQ(snapshot(), before);
        EXPECT_EQ(CardTableFaults(), "");
        Tip();  // and the evening rolls on
        EXPECT_EQ(tipcnt, histtl->tipcnt);
        ASSERT_TRUE(WriteDorvels(1));
        EXPECT_EQ(ReadFile("club.dorvel~"), backup);
    }
    std::mt19937 rng(99);  // an older evening file (no roster lines)
    FreshClub(rng);
    Tip();
    ASSERT_TRUE(EveningSave());
    const std::string expected = snapshot();
    WriteFile("club.evening", Without(ReadFile("club.evening"), {"clubline="}));
    ASSERT_TRUE(Restart());
    EXPECT_EQ(snapshot(), expected);
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
        if (file.compare(pos, 4, "club") != 0)  // every other value out of range (club lines are the club file's)
            damaged.push_back(file.substr(0, file.find('=', pos) + 1) + "-99999999999 x" + file.substr(file.find('\n', pos)));
    // Planted by somebody else: a pipe (the start must not wait on it), a folder, a link to a
    // file elsewhere, an evening of another user. The next save puts the evening in their
    // place (a folder stays, and that is said once) and writes nothing through a link.
    for (const char* kind : {"<pipe>", "<folder>", "<link>", "<foreign>"}) damaged.push_back(kind);
    const std::string outside = dir + "-outside.txt";
    WriteFile(outside, file);
    for (const std::string& text : damaged) {
        SCOPED_TRACE(text.substr(0, 200));
        StartOn("club.dorvel");
        unlink("club.evening");
        if (text[0] != '<' || text == "<foreign>") WriteFile("club.evening", text[0] != '<' ? text : file);
        ASSERT_EQ(text == "<pipe>"      ? mkfifo("club.evening", 0666)
                  : text == "<folder>"  ? mkdir("club.evening", 0777)
                  : text == "<link>"    ? symlink(outside.c_str(), "club.evening")
                  : text == "<foreign>" ? chown("club.evening", 4321, 4321) : 0,
                  0);
        TakeClubFileNotice();
        EXPECT_FALSE(EveningFind(now).offered);
        EXPECT_NE(TakeClubFileNotice().find("<club.evening> was not used: "), std::string::npos);
        EXPECT_EQ(tipcnt, 0);
        if (text[0] != '<') continue;
        screen::warnings.clear();
        for (int save = 0; save < 2; ++save) {
            Tip();
            EXPECT_EQ(EveningSave(), text != "<folder>");
        }
        EXPECT_EQ(ReadFile(outside), file);
        struct stat st;
        ASSERT_EQ(lstat("club.evening", &st), 0);
        if (text == "<folder>") {
            ASSERT_EQ(screen::warnings.size(), 1u);
            EXPECT_NE(screen::warnings[0].find("The evening cannot be kept in <club.evening>"), std::string::npos);
        } else {
            EXPECT_TRUE(S_ISREG(st.st_mode) && st.st_uid == geteuid());
        }
        unlink("club.evening");
        rmdir("club.evening");
    }
    unlink(outside.c_str());
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

    // A private club file's companions are private too; the evening (it holds the page's key)
    // is never readable by others, whatever the club file allows.
    for (mode_t mode : {0600, 0640, 0664}) {
        ASSERT_EQ(chmod("club.dorvel", mode), 0);
        unlink("club.dorvel~");
        StartOn("club.dorvel");
        Tip();
        ASSERT_TRUE(WriteDorvels(1) && EveningSave());
        struct stat ev, bak;
        ASSERT_TRUE(stat("club.evening", &ev) == 0 && stat("club.dorvel~", &bak) == 0);
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

// How it was left decides the question: a dancer of the newest tip deleted still leaves tip
// N to resume; the tip named is the newest rolled, not one shown with h; an evening ended on
// purpose says so; one dated after the clock (set back) is offered with its date; a time the
// clock cannot convert is not named. The evening's day goes to the season memory. What a
// break left half written beside the club file goes at the next start.
TEST_F(EveningFile, TheQuestionFitsHowTheEveningWasLeft) {
    std::mt19937 rng(11);
    Club(rng);
    StartOn("club.dorvel");
    Tip();
    Tip();
    const time_t now = time(nullptr);
    SqrDancer* danced = histtl->histsqr[0].histsd[0].sd;
    ASSERT_NE(danced, nullptr);
    const std::string gone = danced->firstlast;
    DelDancer(danced);
    HistoryChange(-1);  // tip 1 shown
    ASSERT_TRUE(EveningSave());
    char today[16];
    struct tm tm;
    strftime(today, sizeof today, "%Y-%m-%d", localtime_r(&now, &tm));
    EXPECT_EQ(seasontoday, SeasonDay(today));  // the evening's day, kept past midnight
    StartOn("club.dorvel");
    EveningOffer offer = EveningFind(now);
    ASSERT_TRUE(offer.offered);
    EXPECT_FALSE(offer.ended);
    EXPECT_NE(EveningQuestion(offer).find("(tip 2, "), std::string::npos) << EveningQuestion(offer);
    ASSERT_TRUE(EveningResume());
    EXPECT_EQ(histtl->tipcnt, 2);
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) EXPECT_NE(sd->firstlast, gone);

    ASSERT_TRUE(EveningSave(true));  // x, q, Escape, the window closed
    StartOn("club.dorvel");
    EXPECT_TRUE(EveningFind(now).ended);
    ASSERT_TRUE(EveningResume());
    ASSERT_TRUE(EveningSave());  // going on after it: a break again
    StartOn("club.dorvel");
    offer = EveningFind(now - 30 * 3600);  // the clock set back by more than a day
    ASSERT_TRUE(offer.offered);
    EXPECT_FALSE(offer.ended);
    EXPECT_NE(EveningQuestion(offer).find(today + std::string(" ")), std::string::npos) << EveningQuestion(offer);
    offer.lastroll = LLONG_MAX;  // no time of day
    EXPECT_EQ(EveningQuestion(offer), strprintf("Resume tonight's evening (tip 2, %d present)?", offer.present));

    // The evening of yesterday resumed after midnight counts its meetings on yesterday.
    std::string file = ReadFile("club.evening");
    size_t day = file.find("\nday=");
    ASSERT_NE(day, std::string::npos);
    WriteFile("club.evening", file.replace(day + 5, 10, "2026-03-14"));
    ASSERT_TRUE(Restart(now));
    EXPECT_EQ(seasontoday, SeasonDay("2026-03-14"));
    EXPECT_NE(ReadFile("club.evening").find("\nday=2026-03-14\n"), std::string::npos);

    // Leftovers of a write cut short, beside the club file; other files stay.
    const std::pair<const char*, bool> stays[] = {{".club.dorvel.Ab12Cd", false}, {".club.evening.x0Y9zz", false},
                                                  {".club.season.QQQQQQ", false}, {".club.dorvel.keep", true},
                                                  {".club.dorvel.Ab12Cd7", true}, {"club.dorvel.Ab12Cd", true}};
    for (auto [f, kept] : stays) WriteFile(f, "x");
    ASSERT_TRUE(Restart(now));
    for (auto [f, kept] : stays) EXPECT_EQ(access(f, F_OK) == 0, kept) << f;
}

// Whatever the program writes, it reads back the same: over generated evenings with numbers
// at and beyond the reader's limits (counts, tip numbers, a tag's square), a name far longer
// than any, and more tips than the file keeps, the evening written is offered, and once
// resumed writes the very same file again.
TEST_F(EveningFile, WhatIsWrittenReadsBackTheSame) {
    for (int seed = 0; seed < 8; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        FreshClub(rng);
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
        // Without the times of writing and the club file's own lines, which its reader takes as
        // it always has (counts below 0 as 0, names cut to their limit).
        auto body = [](const std::string& t) { return Without(t, {"saved=", "lastroll=", "clubline="}); };
        EXPECT_EQ(body(ReadFile("club.evening")), body(first));
    }
}

}  // namespace
