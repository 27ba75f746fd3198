// SPDX-License-Identifier: GPL-3.0-or-later
// A card swiped at the door: the reader's ten digits are queued as it types them, and the time
// runs from its Enter until the main loop is idle again with the board redrawn and laid out,
// for a club of 300 (and 1,000) dancers on the present board, and on the edit display. Each
// dancer's card is swiped twice in a row (out, then in again), so the board keeps its size.
// The operator checks in a queue of dancers: the aim on the present board is under 15 ms at
// 300 dancers and under 30 ms at 1,000 (the board's cells take their new texts in place).
// SwipeKept: the same at the door of a club whose evening is kept on disk after 30 tips,
// the evening file written after each card (as after every action): the aim is still under
// 30 ms at 1,000 dancers, the save included.
// Run under an X server: xvfb-run -a -s "-screen 0 1920x1080x24" bench/bench_gui_swipe
#include <benchmark/benchmark.h>

#include <cstring>

#include "bench_gui.h"
#include "commands/keys.h"
#include "commands/swipe.h"
#include "files/clubfile.h"
#include "files/evening.h"

// A key press as the X server delivers it to the main window.
static void PutKey(guint keyval, const char* text) {
    GdkEvent* ev = gdk_event_new(GDK_KEY_PRESS);
    ev->key.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(sdwin)));
    ev->key.send_event = TRUE;
    ev->key.time = GDK_CURRENT_TIME;
    ev->key.keyval = keyval;
    ev->key.string = g_strdup(text);
    ev->key.length = (gint)strlen(text);
    gdk_event_set_device(ev, gdk_seat_get_keyboard(gdk_display_get_default_seat(gdk_display_get_default())));
    gdk_event_put(ev);
    gdk_event_free(ev);
}

static long FileSize(const std::string& path) {
    FILE* fp = fopen(path.c_str(), "rb");
    if (!fp) return 0;
    fseek(fp, 0, SEEK_END);
    long size = ftell(fp);
    fclose(fp);
    return size;
}

static void Swipe(benchmark::State& state, EDITMODE mode, int tips = 0) {
    int n = (int)state.range(0);
    BenchRoster(n);
    uint64_t card = 4100000000;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        sd->rfid = ++card;
        RfidInsert(sd);
    }
    std::string dir;
    if (tips > 0) {
        // A club file of this run's own, its evening beside it, and the tips of an evening.
        char tmpl[] = "/tmp/bench_swipe_XXXXXX";
        dir = mkdtemp(tmpl) ? tmpl : "";
        BindOutputFile(dir + "/bench.dorvel");
        WriteDorvels(1);
        for (int t = 0; t < tips; ++t) SwitchDisplay(SQUARES);
        EveningSave();
        EventFilterInstall();  // the save after each key, as the program does
    }
    SwitchDisplay(mode);
    KeybrdHandlerRestore();
    BenchSettle();
    long i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::string digits = strprintf("%010lu", 4100000001 + (uint64_t)((i++ / 2) % n));
        for (char c : digits) {
            char text[2] = {c, 0};
            PutKey(GDK_KEY_0 + (guint)(c - '0'), text);
        }
        while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
        state.ResumeTiming();
        PutKey(GDK_KEY_Return, "\r");
        BenchSettle();
    }
    state.counters["cells"] = mode == EDIT ? gridbttnqty : BoardCellQty();
    if (tips > 0) {
        state.counters["evening_kb"] = (double)FileSize(EveningPath()) / 1024.0;
        gdk_event_handler_set([](GdkEvent* e, gpointer) { gtk_main_do_event(e); }, nullptr, nullptr);
        ResetEvening();
        std::string rm = "rm -rf '" + dir + "'";
        if (system(rm.c_str()) != 0) fprintf(stderr, "%s failed\n", rm.c_str());
    }
    CleanupMainWindow();
    BenchSettle();
}


static void SwipePresent(benchmark::State& state) { Swipe(state, PRESENT); }
static void SwipeEdit(benchmark::State& state) { Swipe(state, EDIT); }
static void SwipeKept(benchmark::State& state) { Swipe(state, PRESENT, 30); }

BENCHMARK(SwipePresent)->Arg(300)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(SwipeEdit)->Arg(300)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(SwipeKept)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
    if (!BenchWindow(&argc, &argv, "bench_gui_swipe")) return 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    StopIntervalTimer();
    return 0;
}
