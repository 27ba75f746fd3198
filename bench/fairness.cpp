// Fairness of 12-tip evenings with 20, 60 and 200 dancers (mixed couples and singles, all
// luck, everybody present): the spread of dance counts after each tip, how often somebody
// sits out two tips in a row while a dancer of the same priority and count dances, and the
// number of distinct square-mates per dancer.
#include <cstdio>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "assign/assign.h"
#include "registry/registry.h"
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
}  // namespace

int main() {
    const int sizes[] = {20, 60, 200};
    const int evenings = 500, tips = 12;
    std::printf("%8s %10s %10s %12s %14s %10s\n", "dancers", "maxspread", "spread>1", "twice-out", "unfair-twice",
                "mates");
    for (int n : sizes) {
        std::mt19937 rng(static_cast<unsigned>(n) * 7919u);
        int maxspread = 0;
        long tipsover1 = 0, tipsall = 0, twiceout = 0, unfairtwice = 0;
        double matessum = 0;
        long matesdancers = 0;
        for (int e = 0; e < evenings; ++e) {
            Build(n, rng);
            set_rndm(static_cast<int64_t>(rng()), static_cast<int64_t>(rng()), 1);
            std::map<SqrDancer*, std::set<SqrDancer*>> mates;
            std::set<SqrDancer*> outlast;
            for (int t = 0; t < tips; ++t) {
                ++tipcnt;
                std::map<SqrDancer*, int> before;
                for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) before[sd] = sd->dances;
                if (!RollSquares()) break;
                OutDancersAfterRoll();
                int lo = 1 << 30, hi = -1;
                std::set<SqrDancer*> outnow;
                for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
                    lo = std::min(lo, sd->dances);
                    hi = std::max(hi, sd->dances);
                    if (sd->assigned == 0) outnow.insert(sd);
                }
                maxspread = std::max(maxspread, hi - lo);
                tipsover1 += hi - lo > 1;
                ++tipsall;
                for (SqrDancer* sd : outnow)
                    if (outlast.count(sd)) {
                        ++twiceout;
                        // unfair when a dancer of the same priority and count before this tip danced
                        for (SqrDancer* o = sdhd; o; o = o->nxt)
                            if (o->assigned && o->priority == sd->priority && before[o] == before[sd]) {
                                ++unfairtwice;
                                break;
                            }
                    }
                outlast = outnow;
                for (int i = 0; i < totsquare; ++i)
                    for (int j = 0; j < squaresize; ++j)
                        for (int k = 0; k < squaresize; ++k)
                            if (j != k && sqr[i].dancer[j] && sqr[i].dancer[k])
                                mates[sqr[i].dancer[j]].insert(sqr[i].dancer[k]);
            }
            for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
                matessum += mates[sd].size();
                ++matesdancers;
            }
        }
        std::printf("%8d %10d %9.2f%% %12ld %14ld %10.1f\n", n, maxspread, 100.0 * tipsover1 / tipsall, twiceout,
                    unfairtwice, matessum / matesdancers);
    }
    ResetEvening();
    return 0;
}
