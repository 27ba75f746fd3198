// SPDX-License-Identifier: GPL-3.0-or-later
// Cost of one roll for 100, 300, 1,000 and 10,000 present dancers, half of them singles: as
// dealt (BM_RollSquares) and with mixing (BM_RollSquaresMix), which places the pairs against
// the meetings of 11 tips in the history, as at the last tip of a 12-tip evening; and with
// mixing against a full season's memory besides (BM_RollSquaresMixSeason: every pair of the
// roster met on earlier evenings) and the memory written after the roll, as the program does:
// at most twice the roll without it.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "assign/assign.h"
#include "files/season.h"
#include "support/helmtext.h"
#include "history/history.h"
#include "registry/registry.h"
#include "support/rndm.h"


static void Build(int n) {
    ResetEvening();
    int made = 0, i = 0;
    const SDSEX roles[] = {M, F, MF, FM, E, M, F};
    while (made < n / 2) {  // couples
        SqrDancer* a = NewSqrDancerAlloc(nullptr);
        a->firstname = std::string("a").append(std::to_string(i));
        a->lastname = std::string("C").append(std::to_string(i));
        a->firstlast = a->firstname + " " + a->lastname;
        SqrDancer* b = NewSqrDancerAlloc(a);
        b->firstname = std::string("b").append(std::to_string(i));
        b->lastname = a->lastname;
        b->firstlast = b->firstname + " " + b->lastname;
        made += 2;
        ++i;
    }
    while (made < n) {  // singles of every role
        SqrDancer* s = NewSqrDancerAlloc(nullptr);
        s->sex = roles[made % 7];
        s->firstname = std::string("s").append(std::to_string(made));
        s->lastname = std::string("S").append(std::to_string(made % 97));
        s->firstlast = s->firstname + " " + s->lastname;
        ++made;
    }
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) sd->dances = 0;
}

static void BM_RollSquares(benchmark::State& state) {
    Build(static_cast<int>(state.range(0)));
    set_rndm(1, 2, 3);
    for (auto _ : state) {
        Square* s = RollSquares();
        benchmark::DoNotOptimize(s);
        state.PauseTiming();
        OutDancersAfterRoll();  // the next roll has sit-outs to put first, as in an evening
        state.ResumeTiming();
    }
    state.counters["squares"] = totsquare;
    ResetEvening();
}
BENCHMARK(BM_RollSquares)->Arg(100)->Arg(300)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// Every pair of the roster in the season file, met from 1 to 9 times, last in the past weeks.
static void FullSeason() {
    std::string text = "dorvels-season 1\n";
    unsigned h = 7;
    for (SqrDancer* a = sdhd; a; a = a->nxt)
        for (SqrDancer* b = a->nxt; b; b = b->nxt) {
            h = h * 1103515245u + 12345u;
            text += strprintf("%s\t%s\t%u\t2025-0%u-1%u\t0\n", a->firstlast.c_str(), b->firstlast.c_str(),
                              1 + (h >> 16) % 9, 1 + (h >> 8) % 2, (h >> 4) % 9);
        }
    FILE* fp = fopen("bench.season", "w");
    fwrite(text.data(), 1, text.size(), fp);
    fclose(fp);
    outputfilename = "bench.dorvel";
    seasonflag = 1;
    seasontoday = SeasonDay("2025-03-04");
}

static void RollMix(benchmark::State& state, bool season) {
    Build(static_cast<int>(state.range(0)));
    if (season) FullSeason();
    set_rndm(1, 2, 3);
    mixflag = 1;
    editmode = SQUARES;
    for (tipcnt = 1; tipcnt <= 11; ++tipcnt) {  // the evening so far
        RollSquares();
        OutDancersAfterRoll();
        HistorySave(nullptr, 0);
    }
    for (auto _ : state) {  // the twelfth tip, rolled again and again against the same history
        Square* s = RollSquares();
        benchmark::DoNotOptimize(s);
        SeasonSave();  // as after every roll of the program (nothing without the memory)
        state.PauseTiming();
        OutDancersAfterRoll();
        state.ResumeTiming();
    }
    state.counters["squares"] = totsquare;
    ResetEvening();
    SeasonReset();
    remove("bench.season");
}
static void BM_RollSquaresMix(benchmark::State& state) { RollMix(state, false); }
BENCHMARK(BM_RollSquaresMix)->Arg(100)->Arg(200)->Arg(300)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
static void BM_RollSquaresMixSeason(benchmark::State& state) { RollMix(state, true); }
BENCHMARK(BM_RollSquaresMixSeason)->Arg(200)->Arg(1000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
