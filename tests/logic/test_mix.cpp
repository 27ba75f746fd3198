// SPDX-License-Identifier: GPL-3.0-or-later
// Mixing over generated evenings: the same dancers dance, couples and lone singles stay, pairs
// of singles keep their roles, with the same draws as without it, only in other squares; tags
// and square sizes hold; a tip rolled again comes out the same; dancers meet more new faces.
// The season memory: the same again with it, its file over generated seasons, damaged files.
// And the evening's report, its note, the club-file setting.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include "assign/assign.h"
#include "files/clubfile.h"
#include "files/season.h"
#include "history/history.h"
#include "registry/edit.h"
#include "registry/registry.h"
#include "support/screen_recorder.h"
#include "support/fixtures.h"
#include "support/helmtext.h"
#include "support/rndm.h"
#include "test_assign_util.h"

namespace {
class Mixing : public Evening {};

// What one tip decided, besides the squares themselves.
struct TipView {
    std::set<std::string> out;                             // present dancers sitting out
    std::set<std::pair<std::string, std::string>> pairs;   // couples, and singles beside nobody
    std::multiset<std::pair<int, int>> roles;              // the roles of each pair of singles
    std::multiset<int> places;                             // pairs of places used by the squares
    int64_t g1 = 0, g2 = 0, g3 = 0;                        // the generator after the roll
    std::string picture;
    bool operator==(const TipView& o) const {
        return out == o.out && pairs == o.pairs && roles == o.roles && places == o.places && g1 == o.g1 &&
               g2 == o.g2 && g3 == o.g3;
    }
};

TipView View() {
    TipView v;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        if (sd->avail && sd->assigned == 0) v.out.insert(sd->firstlast);
    auto name = [](const SqrDancer* sd) { return sd ? sd->firstlast : std::string("-"); };
    for (int i = 0; i < totsquare; ++i) {
        int used = 0;
        for (int j = 0; j + 1 < squaresize; j += 2)
            if (SqrDancer *a = sqr[i].dancer[j], *b = sqr[i].dancer[j + 1]; a || b) {
                if (a && b && !a->partner && !b->partner) v.roles.insert(std::minmax<int>(a->sex, b->sex));
                else v.pairs.insert(std::minmax(name(a), name(b)));
                ++used;
            }
        v.places.insert(used);
    }
    get_rndm(&v.g1, &v.g2, &v.g3);
    v.picture = assigntest::Picture();
    return v;
}

// Couples and pairs side by side, every placed dancer where its square and place say, tagged
// dancers in their tag square.
void CheckPlacing() {
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        if (sd->assigned != 1 && sd->assigned != 2) continue;
        ASSERT_EQ(sqr[sd->square].dancer[sd->posn], sd) << sd->firstlast;
        SqrDancer* p = sd->partner ? sd->partner : sd->tmppartner;
        if (p && p->assigned != 3) {  // a recruited out-dancer takes no place
            ASSERT_EQ(sqr[sd->square].dancer[sd->posn ^ 1], p) << sd->firstlast;
        }
    }
    for (const SquareTag& t : sqrtag)
        if (t.sd && t.sd->assigned && t.isqr >= 0) {
            ASSERT_EQ(t.sd->square, t.isqr) << t.sd->firstlast;
        }
}

// A generated evening rolled tip by tip as the squares display rolls it, with late arrivals,
// skip requests, tags, asking on or off, several square sizes.
// `ready` runs just before the first tip.
std::vector<TipView> RunEvening(unsigned seed, int mix, int tips, bool changes = true,
                                const std::function<void()>& ready = {}) {
    ResetEvening();
    std::mt19937 rng(seed);
    assigntest::GeneratedRoster(rng, 16 + static_cast<int>(rng() % 120));
    squaresize = rng() % 4 ? 8 : 10;
    if (rng() % 4 == 0) pgmfloor = Main;
    if (rng() % 5 == 0) maxsquares = 2 + static_cast<int>(rng() % 4);
    if (rng() % 3 == 0) sqrtag[0] = SquareTag{static_cast<int>(rng() % 3), nullptr, sdhd};
    if (rng() % 3 == 0) sqrtag[1] = SquareTag{sqrtag[0].sd ? sqrtag[0].isqr : 0, nullptr, sdtl};
    askflag = rng() % 2;
    mixflag = mix;
    set_rndm(static_cast<int64_t>(rng()), static_cast<int64_t>(rng()), 7);
    if (ready) ready();
    std::vector<TipView> views;
    for (int t = 0; t < tips; ++t) {
        if (changes && rng() % 3 == 0)
            for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
                if (!sd->avail) {
                    sd->avail = 1;
                    sd->dances = maxdances > 0 ? maxdances - 1 : 0;
                    break;
                }
        if (changes && rng() % 4 == 0) SkipTipToggle(sdhd->nxt);
        if (!assigntest::Tip()) {
            views.emplace_back();
            continue;
        }
        if (mix) CheckPlacing();
        views.push_back(View());
    }
    return views;
}
}  // namespace

// Dealt, mixed, and mixed with the season memory of the evenings before (a week apart), from
// the same draws: exactly the same dancers dance and sit out, with the same couples, lone
// singles and roles of pairs; only where they stand differs, and with the memory somewhere it
// does.
TEST_F(Mixing, SameDancersCouplesAndRolesWithTheSameDraws) {
    std::string saved, dir = EnterNewDir("season", &saved);
    int differ = 0;
    for (unsigned seed = 1; seed <= 150; ++seed) {
        SCOPED_TRACE("evening " + std::to_string(seed));
        std::vector<TipView> dealt = RunEvening(seed, 0, 8);
        std::vector<TipView> mixed = RunEvening(seed, 1, 8);
        std::vector<TipView> remembered = RunEvening(seed, 1, 8, true, [&] {
            seasonflag = 1;
            seasontoday = 19000 + 7 * static_cast<int>(seed);
            outputfilename = "club.dorvel";
        });
        ASSERT_TRUE(SeasonSave());
        if (HasFatalFailure()) return;
        ASSERT_EQ(dealt.size(), mixed.size());
        for (size_t t = 0; t < dealt.size(); ++t) {
            ASSERT_TRUE(dealt[t] == mixed[t]) << "tip " << t + 1;
            ASSERT_TRUE(mixed[t] == remembered[t]) << "tip " << t + 1 << " with the memory";
            differ += mixed[t].picture != remembered[t].picture;
        }
        // Without earlier meetings there is nothing to mix: the first tip stays as dealt
        // (tagged pairs go to their square before the others, not by exchange).
        if (!sqrtag[0].sd && !sqrtag[1].sd) {
            EXPECT_EQ(dealt[0].picture, mixed[0].picture);
        }
    }
    EXPECT_GT(differ, 400);
    LeaveDir(saved);
}

TEST_F(Mixing, ATipRolledAgainGivesTheSameSquares) {
    for (unsigned seed = 1; seed <= 60; ++seed) {
        SCOPED_TRACE("evening " + std::to_string(seed));
        std::vector<TipView> first = RunEvening(seed, 1, 4);
        if (first.back().picture.empty()) continue;
        // The board redrawn (name style, columns, font): the same roll again.
        RepeatRollDisplay();
        ASSERT_NE(assigntest::Tip(), nullptr);
        EXPECT_EQ(assigntest::Picture(), first.back().picture);
        EXPECT_EQ(histtl->tipcnt, 4);
        EXPECT_EQ(histtl->prv->tipcnt, 3);  // the tip is kept once

        // Tip 4 rolled again while its record is still kept: mixed against tips 1 to 3 only.
        std::vector<TipView> plain = RunEvening(seed, 1, 4, false);
        History* third = histhd && histhd->nxt ? histhd->nxt->nxt : nullptr;
        if (!third || third->tipcnt != 3 || !third->nxt) continue;
        set_rndm(third->nxt->s1, third->nxt->s2, third->nxt->s3);
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) sd->dances = sd->prvdances;
        OutDancerFreeAll();
        for (OutDancer* od = third->outdancerhd; od; od = od->nxt) OutDancerMake(od->sd);
        tipcnt = 3;
        ASSERT_NE(assigntest::Tip(), nullptr);
        EXPECT_EQ(assigntest::Picture(), plain[3].picture);
        HistoryDelete(nullptr);

        // Tip 2 used from the history and tip 3 rolled from the same draws: tip 3 again,
        // mixed against tips 1 and 2 only.
        set_rndm(third->s1, third->s2, third->s3);  // before the roll of tip 3
        hist = histhd->nxt;
        HistoryUse();
        ASSERT_EQ(tipcnt, 2);
        ASSERT_NE(assigntest::Tip(), nullptr);
        EXPECT_EQ(assigntest::Picture(), plain[2].picture);
    }
}

TEST_F(Mixing, DancersMeetMoreNewFaces) {
    double coverage[2] = {}, worst = 100;
    int maxmeet[2] = {};
    for (unsigned seed = 1; seed <= 30; ++seed)
        for (int mix = 0; mix < 2; ++mix) {
            ResetEvening();
            std::mt19937 rng(seed);
            assigntest::GeneratedRoster(rng, 60);
            for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) sd->avail = 1, sd->priority = LUCK, sd->pgm = Basic;
            mixflag = mix;
            set_rndm(seed, 3, 5);
            for (int t = 0; t < 12; ++t) ASSERT_NE(assigntest::Tip(), nullptr);
            MixReport r = EveningReport();
            coverage[mix] += r.Coverage() / 30;
            maxmeet[mix] = std::max(maxmeet[mix], r.maxmeet);
            if (mix) worst = std::min(worst, r.Coverage());
        }
    EXPECT_GT(coverage[1], 94.0);
    EXPECT_GT(worst, 92.0);
    EXPECT_GT(coverage[1], coverage[0] + 15);
    EXPECT_LT(maxmeet[1], maxmeet[0]);
}

// The report read from the history agrees with what the live squares showed tip by tip,
// also for out-dancers recruited into an empty place and for dancers who came late.
TEST_F(Mixing, ReportAgreesWithTheSquaresOfEveryTip) {
    for (unsigned seed = 1; seed <= 80; ++seed) {
        SCOPED_TRACE("evening " + std::to_string(seed));
        std::map<SqrDancer*, std::set<SqrDancer*>> mates;
        std::map<std::pair<SqrDancer*, SqrDancer*>, int> apart;  // met, not as partners
        std::map<SqrDancer*, int> danced, satout;
        ResetEvening();
        std::mt19937 rng(seed);
        assigntest::GeneratedRoster(rng, 16 + static_cast<int>(rng() % 60));
        askflag = rng() % 2;
        mixflag = rng() % 2;
        set_rndm(seed, 1, 2);
        int tips = 0;
        for (int t = 0; t < 6; ++t) {
            if (rng() % 2)
                for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
                    if (!sd->avail) {
                        sd->avail = 1;
                        break;
                    }
            if (!assigntest::Tip()) continue;
            ++tips;
            std::map<int, std::vector<SqrDancer*>> squares;
            for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
                if (!sd->avail || sd->pgm < pgmfloor) continue;
                if (sd->assigned == 0) ++satout[sd];
                else squares[sd->square].push_back(sd), ++danced[sd];
            }
            for (auto& [i, group] : squares)
                for (SqrDancer* a : group)
                    for (SqrDancer* b : group) {
                        if (a == b) continue;
                        mates[a].insert(b);
                        bool partners = a->partner == b || a->tmppartner == b;
                        if (!partners && a < b) ++apart[{a, b}];
                    }
        }
        MixReport r = EveningReport();
        long want = 0, limit = 0;
        int mostout = 0, maxmeet = 0, present = 0;
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
            if (!sd->avail || sd->pgm < pgmfloor) continue;
            ++present;
            mostout = std::max(mostout, satout[sd]);
        }
        std::vector<const SqrDancer*> outmost;
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
            if (!sd->avail || sd->pgm < pgmfloor) continue;
            long d = danced[sd], most = d == 0 ? 0 : std::min<long>(sd->partner ? 1 + 6 * d : 7 * d, present - 1);
            limit += most;
            want += std::min<long>(static_cast<long>(mates[sd].size()), most);
            if (mostout > 0 && satout[sd] == mostout) outmost.push_back(sd);
        }
        for (auto& [pair, n] : apart) maxmeet = std::max(maxmeet, n);
        EXPECT_EQ(r.tips, tips);
        EXPECT_EQ(r.present, present);
        EXPECT_EQ(r.mates, want);
        EXPECT_EQ(r.limit, limit);
        EXPECT_EQ(r.maxmeet, maxmeet);
        EXPECT_EQ(r.mostout, mostout);
        EXPECT_EQ(r.outmost, outmost);
        if (HasFailure()) return;
    }
}

TEST_F(Mixing, FairnessNote) {
    EXPECT_EQ(FairnessNoteText(), "fairness: no tip has been rolled yet");
    // Eight must dancers fill the one square every tip; the five others always sit out.
    assigntest::Singles(4, M, "m");
    assigntest::Singles(4, F, "f");
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) sd->priority = MUST;
    for (const char* first : {"Late", "Also", "Third", "Fourth", "Fifth"}) AddDancer(first, "Comer", E);
    mixflag = 1;
    set_rndm(4, 5, 6);
    ASSERT_NE(assigntest::Tip(), nullptr);
    ASSERT_NE(assigntest::Tip(), nullptr);
    // Each must dancer met the 7 others of min(7 * 2, 13 - 1) possible; pairs met twice, not
    // all of them as partners.
    EXPECT_EQ(FairnessNoteText(),
              "fairness after 2 tips: dances 0 to 2 (spread 2)\n"
              "sat out most: Late Comer, Also Comer, Third Comer +2 more (2 of 2 tips)\n"
              "mixing on: 58% of the possible square-mates met, the same two at most 2 times");
}

TEST_F(Mixing, SettingKeptInTheClubFile) {
    std::string saved, dir = EnterNewDir("mix", &saved);
    auto read = [](const std::string& text) {
        WriteFile("in.dorvel", text);
        FILE* fp = fopen("in.dorvel", "r");
        ReadDorvels(fp);
        fclose(fp);
    };
    AddDancer("Ann", "Ash", F);
    mixflag = 1;
    outputfilename = "mix.dorvel";
    ASSERT_TRUE(WriteDorvels(0));
    EXPECT_NE(ReadFile("mix.dorvel").find("\nmix\n"), std::string::npos);
    ResetEvening();
    read(ReadFile("mix.dorvel"));
    EXPECT_EQ(mixflag, 1);
    EXPECT_EQ(RosterCount(), 1);  // the setting is no dancer
    read("nomix\n");
    EXPECT_EQ(mixflag, 0);
    mixflag = 0;
    outputfilename = "plain.dorvel";
    ASSERT_TRUE(WriteDorvels(0));
    EXPECT_EQ(ReadFile("plain.dorvel").find("mix"), std::string::npos);  // older files stay as they were
    ResetEvening();
    read(ReadFile("plain.dorvel"));
    EXPECT_EQ(mixflag, 0);
    LeaveDir(saved);
}

// ---- season memory ----------------------------------------------------------------------

// The season file against a model kept from the squares themselves, over evenings at
// irregular gaps (some longer than 26 weeks for a pair), with absences, a dancer renamed and
// one deleted: every pair is there with its meetings and last date until it is 26 weeks
// unmet, and then gone; writing again changes nothing.
TEST_F(Mixing, SeasonFileRemembersEachPairUntilItsTime) {
    std::string saved, dir = EnterNewDir("seasonmodel", &saved);
    std::map<std::pair<std::string, std::string>, std::pair<int, int>> model;  // -> meetings, last day
    std::mt19937 rng(11);
    int day = SeasonDay("2025-01-07"), forgotten = 0;
    std::string renamed;  // as the club file keeps it from then on
    for (int e = 0; e < 14; ++e) {
        day += 7 * (1 + static_cast<int>(rng() % 12));
        SCOPED_TRACE("evening on " + SeasonDate(day));
        ResetEvening();
        std::mt19937 club(3);
        assigntest::GeneratedRoster(club, 40);
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
            if (sd->firstlast == renamed) sd->firstname = "Renamed", sd->lastname = "Dancer", sd->firstlast = "Renamed Dancer";
            sd->avail = rng() % 5 != 0, sd->pgm = Basic;
        }
        if (e >= 6) {  // deleted from the roster: nothing of it stays
            const std::string deleted = sdtl->firstlast;
            DelDancer(sdtl);
            std::erase_if(model, [&](const auto& p) { return p.first.first == deleted || p.first.second == deleted; });
        }
        mixflag = seasonflag = 1;
        seasontoday = day;
        outputfilename = "club.dorvel";
        set_rndm(e + 1, 2, 3);
        forgotten += static_cast<int>(std::erase_if(model, [&](const auto& p) { return day - p.second.second > SEASONDAYS; }));
        for (int t = 0; t < 4; ++t) {
            ASSERT_NE(assigntest::Tip(), nullptr);
            std::map<int, std::vector<std::string>> squares;
            for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
                if (sd->avail && sd->assigned) squares[sd->square].push_back(sd->firstlast);
            for (auto& [i, names] : squares)
                for (const std::string& a : names)
                    for (const std::string& b : names)
                        if (a < b) model[{a, b}] = {model[{a, b}].first + 1, day};
        }
        if (e == 4) {  // renamed in the club file: the memory follows the dancer
            renamed = sdhd->nxt->firstlast;
            SetDancerNames(sdhd->nxt, "Renamed", "Dancer");
            std::map<std::pair<std::string, std::string>, std::pair<int, int>> m;
            auto now = [&](const std::string& n) { return n == renamed ? std::string("Renamed Dancer") : n; };
            for (auto& [k, v] : model) m[std::minmax(now(k.first), now(k.second))] = v;
            model = m;
        }
        ASSERT_TRUE(SeasonSave());
        const std::string text = ReadFile("club.season");
        ASSERT_TRUE(SeasonSave());
        EXPECT_EQ(ReadFile("club.season"), text);
        std::map<std::pair<std::string, std::string>, std::pair<int, int>> file;
        std::istringstream in(text.substr(text.find("dorvels-season 1\n") + 17));
        for (std::string a, b, count, date, onlast; std::getline(in, a, '\t') && std::getline(in, b, '\t') &&
                                                    std::getline(in, count, '\t') && std::getline(in, date, '\t') &&
                                                    std::getline(in, onlast);)
            file[std::minmax(a, b)] = {std::stoi(count), SeasonDay(date)};
        ASSERT_EQ(file, model);
    }
    EXPECT_GT(forgotten, 0);
    LeaveDir(saved);
}

// Damaged, hostile or foreign season files: the evening rolls on without the memory, the
// operator is told once; a damaged file is put aside and a new one begins, one that cannot be
// read or comes from a newer program is left as it is.
TEST_F(Mixing, DamagedOrHostileSeasonFileIsReportedAndIgnored) {
    std::string saved, dir = EnterNewDir("seasonbad", &saved);
    const std::string good = "dorvels-season 1\nAnn Ash\tBob Best\t2\t2024-05-03\t1\n";
    // "<pipe>" and "<folder>" stand for a named pipe and a folder of that name.
    std::vector<std::pair<std::string, const char*>> cases = {
        {"", "is damaged (no season header): it is kept as <club.season.damaged>"},
        {std::string("\x7f" "ELF\0\0\xff\xfe", 9) + good, "is damaged"},
        {"dorvels-season 1\nAnn Ash\tBob Best\t2\t2024-02-30\t1\n", "is damaged (line 2 has an impossible count or date)"},
        {"dorvels-season 1\nAnn Ash\tBob Best\t-2\t2024-05-03\t1\n", "is damaged"},
        {"dorvels-season 1\nAnn Ash\tBob Best\t2\t2024-05-03\t3\n", "is damaged"},
        {"dorvels-season 1\nAnn Ash\tAnn Ash\t2\t2024-05-03\t1\n", "is damaged (line 2 names no pair)"},
        {good + "Bob Best\tAnn Ash\t1\t2024-05-03\t0\n", "is damaged (line 3 names a pair again)"},
        {good + std::string(200000, 'x') + "\n", "is damaged"},
        {"dorvels-season 2\nwhatever comes\n", "was written by a newer Dorvels"},
        {"<pipe>", "cannot be read (it is not a plain file)"},
        {"<folder>", "cannot be read (it is not a plain file)"},
    };
    std::mt19937 rng(5);
    for (int i = 0; i < 60; ++i) {  // bytes of a good file changed at random
        std::string t = good;
        for (int k = 0; k < 3; ++k) t[rng() % t.size()] = static_cast<char>(rng());
        cases.emplace_back(t, nullptr);
    }
    for (const auto& [text, says] : cases) {
        SCOPED_TRACE(text.substr(0, 60));
        ResetEvening();
        screen::clear();
        std::remove("club.season.damaged");
        const bool special = text == "<pipe>" || text == "<folder>";
        if (text == "<pipe>") mkfifo("club.season", 0600);
        else if (text == "<folder>") mkdir("club.season", 0700);
        else WriteFile("club.season", text);
        AddDancer("Ann", "Ash", F);
        AddDancer("Bob", "Best", M);
        assigntest::Singles(7, M, "m");  // two squares: the mixer runs
        assigntest::Singles(7, F, "f");
        mixflag = seasonflag = 1;
        seasontoday = SeasonDay("2024-06-01");
        outputfilename = "club.dorvel";
        ASSERT_NE(assigntest::Tip(), nullptr);
        ASSERT_NE(assigntest::Tip(), nullptr);
        const bool aside = ReadFile("club.season.damaged") != "" || (says && strstr(says, "damaged"));
        if (!says && screen::warnings.empty()) {  // still a good file: it was used
            EXPECT_TRUE(SeasonSave());
            continue;
        }
        ASSERT_EQ(screen::warnings.size(), 1u);
        const std::string said = screen::warnings[0];
        EXPECT_TRUE(said.find("The season memory <club.season> ") != std::string::npos &&
                    (!says || said.find(says) != std::string::npos))
            << said;
        if (aside) {
            EXPECT_EQ(ReadFile("club.season.damaged"), text);
            EXPECT_TRUE(SeasonSave());
            EXPECT_EQ(ReadFile("club.season").rfind("% Dorvels season memory", 0), 0u);
        } else {
            EXPECT_FALSE(SeasonSave());
            if (!special) {
                EXPECT_EQ(ReadFile("club.season"), text);
            }
        }
        EXPECT_EQ(screen::warnings.size(), 1u);
        std::remove("club.season");
        rmdir("club.season");
    }
    LeaveDir(saved);
}

// Whatever is written reads back the same: over generated season files (counts at the
// reader's limit, pairs dated after today by a clock that was ahead, thousands of pairs of
// names not on the roster, a dancer renamed to a name too long for the file) a save after a
// start reads back and writes the very same file at the next start, and no pair is counted
// twice. Nothing is written through a link planted at the season file's place.
TEST_F(Mixing, SeasonFileWrittenIsReadBackTheSame) {
    std::string saved, dir = EnterNewDir("seasonback", &saved);
    const int today = SeasonDay("2025-03-04");
    for (int seed = 0; seed < 6; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed), club(9);
        ResetEvening();
        screen::clear();
        assigntest::GeneratedRoster(club, 24);
        mixflag = seasonflag = 1;
        seasontoday = today;
        outputfilename = "club.dorvel";
        set_rndm(rng() % 1000 + 1, 2, 3);
        std::vector<std::string> names;
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) sd->avail = 1, sd->pgm = Basic, names.push_back(sd->firstlast);
        std::string text = "dorvels-season 1\n";
        std::set<std::pair<std::string, std::string>> used;
        for (int i = 0; i < 150; ++i) {
            std::string a = names[rng() % names.size()], b = names[rng() % names.size()];
            if (a == b || !used.insert(std::minmax(a, b)).second) continue;
            const int counts[] = {1, 7, 999999, 1000000};
            int count = counts[rng() % 4], onlast = static_cast<int>(rng() % (count + 1u)) % 50;
            text += strprintf("%s\t%s\t%d\t%s\t%d\n", a.c_str(), b.c_str(), count,
                              SeasonDate(today - 100 + static_cast<int>(rng() % 130)).c_str(), std::min(onlast, count));
        }
        for (int i = 0; i < 5000; ++i) text += strprintf("Gone %d\tLeft %d\t3\t2025-03-01\t0\n", i, i);
        const std::string outside = dir + "/../seasonback-outside" + std::to_string(seed);
        WriteFile("club.season", text);
        if (seed % 2) {  // the file read, then a link to a file elsewhere put in its place
            ASSERT_TRUE(SeasonReady());
            WriteFile(outside, "mine\n");
            std::remove("club.season");
            ASSERT_EQ(symlink(outside.c_str(), "club.season"), 0);
        }
        for (int t = 0; t < 3; ++t) ASSERT_NE(assigntest::Tip(), nullptr);
        if (seed % 3 == 2) SetDancerNames(sdhd, std::string(300, 'x'), "Long");
        ASSERT_TRUE(SeasonSave());
        EXPECT_TRUE(screen::warnings.empty());
        EXPECT_TRUE(seed % 2 == 0 || ReadFile(outside) == "mine\n") << "written through the link";
        const std::string first = ReadFile("club.season");
        EXPECT_EQ(first.find("Gone "), std::string::npos);
        std::istringstream in(first.substr(first.find("dorvels-season 1\n") + 17));
        for (std::string a, b, count, date, onlast; std::getline(in, a, '\t') && std::getline(in, b, '\t') &&
                                                    std::getline(in, count, '\t') && std::getline(in, date, '\t') &&
                                                    std::getline(in, onlast);) {
            EXPECT_LE(std::stoi(count), 1000000) << a << " " << b;
            EXPECT_LE(SeasonDay(date), today) << a << " " << b;
            EXPECT_LE(a.size() + b.size(), 512u);
        }
        // The next start the same evening, with the same tips in its history.
        SeasonReset();
        seasonflag = 1;
        seasontoday = today;
        ASSERT_TRUE(SeasonSave());
        EXPECT_TRUE(screen::warnings.empty());
        EXPECT_EQ(ReadFile("club.season"), first);
        std::remove("club.season");
        std::remove(outside.c_str());
    }
    LeaveDir(saved);
}
