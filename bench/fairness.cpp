// SPDX-License-Identifier: GPL-3.0-or-later
// Fairness and mixing of 12-tip evenings with 20, 60 and 200 dancers (mixed couples and
// singles, all luck, everybody present), each evening rolled twice from the same roster and
// seeds: as dealt (mode random) and with mixing (mode mix). Per size and mode: the spread of
// dance counts after each tip, how often somebody sits out two tips in a row while a dancer
// of the same priority and count dances, the distinct square-mates per dancer and their share
// of the most possible, the most times two dancers met, and (mix) the tips whose sit-outs
// differ from the random roll's, which must be none.
// Besides the table, one line per size and mode for scripts:
//   fairness dancers=60 mode=mix coverage=96.1% maxmeet=3 spread=1
#include <cstdio>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "assign/assign.h"
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

// One evening; the sit-outs of each tip (by roster position) go to `outs`.
void Evening(int n, unsigned seed, int tips, int mix, Totals& t, std::vector<std::set<int>>& outs) {
    std::mt19937 rng(seed);
    Build(n, rng);
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
}  // namespace

int main() {
    const int sizes[] = {20, 60, 200};
    const int evenings = 500, tips = 12;
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
    for (const std::string& l : lines) std::printf("%s\n", l.c_str());
    ResetEvening();
    return 0;
}
