// SPDX-License-Identifier: GPL-3.0-or-later
// Fairness and mixing of 12-tip evenings with 20, 60 and 200 dancers (mixed couples and
// singles, all luck, everybody present), each evening rolled twice from the same roster and
// seeds: as dealt (mode random) and with mixing (mode mix). Per size and mode: the spread of
// dance counts after each tip, how often somebody sits out two tips in a row while a dancer
// of the same priority and count dances, the distinct square-mates per dancer and their share
// of the most possible, the most times two dancers met, and (mix) the tips whose sit-outs
// differ from the random roll's, which must be none.
// Then seasons of four such evenings a week apart with the same club, mixed without and with
// season memory: the distinct square-mates of the whole season against each dancer's bound
// (the evening's bound over the season's tips, at most N-1), and the evenings' own coverage.
// Besides the table, one line per size and mode, and per size and memory setting, for scripts:
//   fairness dancers=60 mode=mix coverage=96.1% maxmeet=3 spread=1
//   season dancers=200 evenings=4 tips=12 memory=on coverage=97.5% evening-coverage=99.9%
// Arguments (optional): the number of evenings per size (500; seasons are a tenth of it),
// then the sizes (20 60 200).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

#include "assign/assign.h"
#include "files/season.h"
#include "history/history.h"
#include "registry/registry.h"
#include "support/helmtext.h"
#include "support/rndm.h"

namespace {
void Build(int n, std::mt19937& rng) {
    ResetEvening();
    int made = 0;
    while (made < n) {
        SDSEX sex = static_cast<SDSEX>(rng() % 5);
        if (rng() % 2 && n - made >= 2) {
            SqrDancer* a = NewSqrDancerAlloc(nullptr);
            a->sex = sex == F ? M : sex == FM ? MF : sex;
            a->firstlast = std::string("a").append(std::to_string(made));
            a->lastname = a->firstlast;
            SqrDancer* b = NewSqrDancerAlloc(a);
            b->firstlast = std::string("b").append(std::to_string(made));
            b->lastname = b->firstlast;
            made += 2;
        } else {
            SqrDancer* s = NewSqrDancerAlloc(nullptr);
            s->sex = sex;
            s->firstlast = std::string("s").append(std::to_string(made));
            s->lastname = s->firstlast;
            ++made;
        }
    }
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) sd->dances = 0;
}

struct Totals {
    int maxspread = 0, maxmeet = 0;
    long tipsover1 = 0, tipsall = 0, twiceout = 0, unfairtwice = 0, outdiffer = 0;
    long mates = 0, limit = 0, dancers = 0;
};

// One evening; the sit-outs of each tip (by roster position) go to `outs`. The roster comes
// from the evening's seed, or in a season from the season's (the same club every week);
// `ready` runs once it is built.
void Evening(int n, unsigned seed, int tips, int mix, Totals& t, std::vector<std::set<int>>& outs,
             const unsigned* roster = nullptr, const std::function<void()>& ready = {}) {
    std::mt19937 rng(seed);
    if (roster) {
        std::mt19937 club(*roster);
        Build(n, club);
    } else {
        Build(n, rng);
    }
    if (ready) ready();
    mixflag = mix;
    set_rndm(static_cast<int64_t>(rng()), static_cast<int64_t>(rng()), 1);
    editmode = SQUARES;
    std::set<SqrDancer*> outlast;
    for (int tip = 0; tip < tips; ++tip) {
        prvtipcnt = tipcnt;
        ++tipcnt;
        std::map<SqrDancer*, int> before;
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) before[sd] = sd->dances;
        if (!RollSquares()) break;
        OutDancersAfterRoll();
        HistorySave(nullptr, 0);
        int lo = 1 << 30, hi = -1, pos = 0;
        std::set<SqrDancer*> outnow;
        std::set<int> outpos;
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt, ++pos) {
            lo = std::min(lo, sd->dances);
            hi = std::max(hi, sd->dances);
            if (sd->assigned == 0) {
                outnow.insert(sd);
                outpos.insert(pos);
            }
        }
        outs.push_back(outpos);
        t.maxspread = std::max(t.maxspread, hi - lo);
        t.tipsover1 += hi - lo > 1;
        ++t.tipsall;
        for (SqrDancer* sd : outnow)
            if (outlast.count(sd)) {
                ++t.twiceout;
                // unfair when a dancer of the same priority and count before this tip danced
                for (SqrDancer* o = sdhd; o; o = o->nxt)
                    if (o->assigned && o->priority == sd->priority && before[o] == before[sd]) {
                        ++t.unfairtwice;
                        break;
                    }
            }
        outlast = outnow;
    }
    MixReport r = EveningReport();
    t.maxmeet = std::max(t.maxmeet, r.maxmeet);
    t.mates += r.mates;
    t.limit += r.limit;
    t.dancers += r.present;
}

struct SeasonTotals {
    long mates = 0, limit = 0;  // over the season
    Totals evenings;            // each evening on its own
};

// A season: the same club, everybody present, on `evenings` evenings a week apart, each
// rolled with mixing from seeds of its own. With memory, the season file beside the club
// file carries the square-mates from one evening to the next, as in the program.
void Season(int n, unsigned seed, int evenings, int tips, bool memory, const std::string& dir, SeasonTotals& st) {
    std::mt19937 seeds(seed);
    const unsigned roster = seeds();
    const std::string club = dir + "/club.dorvel";
    std::remove(SeasonFilename(club).c_str());
    std::map<std::string, std::set<std::string>> mates;
    std::map<std::string, int> danced;
    std::map<std::string, bool> couple;
    for (int e = 0; e < evenings; ++e) {
        std::vector<std::set<int>> outs;
        Evening(n, seeds(), tips, 1, st.evenings, outs, &roster, [&] {
            if (!memory) return;
            seasonflag = 1;
            seasontoday = 20000 + 7 * e;
            outputfilename = club;
        });
        for (const auto& [a, b, times] : TonightMeetings()) {
            mates[a->firstlast].insert(b->firstlast);
            mates[b->firstlast].insert(a->firstlast);
        }
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
            danced[sd->firstlast] += sd->dances;
            couple[sd->firstlast] = sd->partner != nullptr;
        }
        if (memory) SeasonSave();
    }
    // Each dancer's bound: the evening's bound over all the season's tips danced.
    for (const auto& [name, d] : danced) {
        const long bound = std::min<long>(d == 0 ? 0 : couple[name] ? 1 + 6L * d : 7L * d, n - 1);
        st.limit += bound;
        st.mates += std::min(static_cast<long>(mates[name].size()), bound);
    }
    std::remove(SeasonFilename(club).c_str());
}
}  // namespace

int main(int argc, char** argv) {
    // Optional: the number of evenings per size (500), then the sizes (20 60 200).
    const int evenings = argc > 1 ? std::max(1, atoi(argv[1])) : 500, tips = 12;
    std::vector<int> sizes;
    for (int i = 2; i < argc; ++i) sizes.push_back(std::max(2, atoi(argv[i])));
    if (sizes.empty()) sizes = {20, 60, 200};
    const char* modes[] = {"random", "mix"};
    std::printf("%8s %7s %10s %10s %12s %14s %8s %9s %8s %11s\n", "dancers", "mode", "maxspread", "spread>1",
                "twice-out", "unfair-twice", "mates", "coverage", "maxmeet", "out-differ");
    std::vector<std::string> lines;
    for (int n : sizes) {
        std::mt19937 seeds(static_cast<unsigned>(n) * 7919u);
        Totals t[2];
        for (int e = 0; e < evenings; ++e) {
            const unsigned seed = seeds();
            std::vector<std::set<int>> outs[2];
            for (int m = 0; m < 2; ++m) Evening(n, seed, tips, m, t[m], outs[m]);
            for (size_t tip = 0; tip < outs[1].size(); ++tip)
                t[1].outdiffer += tip >= outs[0].size() || outs[0][tip] != outs[1][tip];
        }
        for (int m = 0; m < 2; ++m) {
            double coverage = t[m].limit ? 100.0 * t[m].mates / t[m].limit : 100.0;
            std::printf("%8d %7s %10d %9.2f%% %12ld %14ld %8.1f %8.1f%% %8d %11ld\n", n, modes[m], t[m].maxspread,
                        100.0 * t[m].tipsover1 / t[m].tipsall, t[m].twiceout, t[m].unfairtwice,
                        static_cast<double>(t[m].mates) / t[m].dancers, coverage, t[m].maxmeet, t[m].outdiffer);
            lines.push_back(strprintf("fairness dancers=%d mode=%s coverage=%.1f%% maxmeet=%d spread=%d", n,
                                      modes[m], coverage, t[m].maxmeet, t[m].maxspread));
        }
    }
    // Seasons of four evenings, a tenth as many as evenings above, without and with memory.
    char tmpl[] = "/tmp/dorvels-fairness-XXXXXX";
    const std::string dir = mkdtemp(tmpl) ? tmpl : ".";
    const int seasons = std::max(1, evenings / 10), season = 4;
    for (int n : sizes) {
        SeasonTotals st[2];
        for (int m = 0; m < 2; ++m) {
            std::mt19937 seeds(static_cast<unsigned>(n) * 104729u);
            for (int i = 0; i < seasons; ++i) Season(n, seeds(), season, tips, m == 1, dir, st[m]);
            const double coverage = st[m].limit ? 100.0 * st[m].mates / st[m].limit : 100.0;
            const Totals& e = st[m].evenings;
            const double evening = e.limit ? 100.0 * e.mates / e.limit : 100.0;
            lines.push_back(strprintf("season dancers=%d evenings=%d tips=%d memory=%s coverage=%.1f%% "
                                      "evening-coverage=%.1f%%",
                                      n, season, tips, m ? "on" : "off", coverage, evening));
        }
    }
    if (dir != ".") rmdir(dir.c_str());
    for (const std::string& l : lines) std::printf("%s\n", l.c_str());
    ResetEvening();
    return 0;
}
