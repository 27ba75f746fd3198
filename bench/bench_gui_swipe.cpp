// SPDX-License-Identifier: GPL-3.0-or-later
// A card swiped at the door: the reader's ten digits are queued as it types them, and the time
// runs from its Enter until the main loop is idle again with the board redrawn and laid out,
// for a club of 300 (and 1,000) dancers on the present board, and on the edit display. Each
// dancer's card is swiped twice in a row (out, then in again), so the board keeps its size.
// The operator checks in a queue of dancers: the aim on the present board is under 15 ms at
// 300 dancers and under 30 ms at 1,000 (the board's cells take their new texts in place).
// Run under an X server: xvfb-run -a -s "-screen 0 1920x1080x24" bench/bench_gui_swipe
#include <benchmark/benchmark.h>

#include <cstring>

#include "bench_gui.h"
#include "commands/keys.h"

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

static void Swipe(benchmark::State& state, EDITMODE mode) {
    int n = (int)state.range(0);
    BenchRoster(n);
    uint64_t card = 4100000000;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        sd->rfid = ++card;
        RfidInsert(sd);
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
    CleanupMainWindow();
    BenchSettle();
}

static void SwipePresent(benchmark::State& state) { Swipe(state, PRESENT); }
static void SwipeEdit(benchmark::State& state) { Swipe(state, EDIT); }

BENCHMARK(SwipePresent)->Arg(300)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(SwipeEdit)->Arg(300)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
    if (!BenchWindow(&argc, &argv, "bench_gui_swipe")) return 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    StopIntervalTimer();
    return 0;
}
