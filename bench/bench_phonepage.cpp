// SPDX-License-Identifier: GPL-3.0-or-later
// Cost of the phone page's content for a hall of 60 and of 1,000 present dancers, rolled into
// squares: the board read from the latest tip, and the page and its JSON made from it. The
// server makes them once for every new board and sends the same bytes to every phone.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "assign/assign.h"
#include "history/history.h"
#include "phone/page.h"
#include "registry/registry.h"
#include "support/helmtext.h"
#include "support/rndm.h"

// n dancers in couples, rolled once, with the board texts of the tip saved as the board does.
static void RolledHall(int n) {
    ResetEvening();
    for (int i = 0; i < n / 2; ++i) {
        SqrDancer* a = NewSqrDancerAlloc(nullptr);
        a->firstname = strprintf("Ann%d", i);
        a->lastname = strprintf("Smith%d", i);
        a->firstlast = a->firstname + " " + a->lastname;
        SqrDancer* b = NewSqrDancerAlloc(a);
        b->firstname = strprintf("Bob%d", i);
        b->lastname = a->lastname;
        b->firstlast = b->firstname + " " + b->lastname;
    }
    SetupDispNames();
    set_rndm(1, 2, 3);
    editmode = SQUARES;
    prvtipcnt = tipcnt++;
    RollSquares();
    char** list = static_cast<char**>(calloc(2 * n + 1, sizeof(char*)));
    int k = 0;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        if (sd->sex == M)
            list[k++] = strdup(sd->assigned ? strprintf("%s: %3d", sd->lastname.c_str(), sd->square + 1).c_str()
                                            : strprintf("%s: Out", sd->lastname.c_str()).c_str());
    HistorySave(list, k);
}

static void BM_PhonePageMake(benchmark::State& state) {
    RolledHall(static_cast<int>(state.range(0)));
    size_t bytes = 0;
    for (auto _ : state) {
        PhoneBoard b = CurrentPhoneBoard();
        std::string html = PhonePageHtml(b), json = PhoneBoardJson(b);
        bytes = html.size() + json.size();
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["bytes"] = static_cast<double>(bytes);
    ResetEvening();
}
BENCHMARK(BM_PhonePageMake)->Arg(60)->Arg(1000)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
