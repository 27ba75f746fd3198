// SPDX-License-Identifier: GPL-3.0-or-later
// The load test of the phone page: 200 phones (tests/support/phone_clients.py, each from an
// address of its own on loopback) poll the page every second for 60 seconds while the operator
// rolls tips, beside 300 idle connections from 127.0.0.2 to 127.0.0.13. No request may fail,
// the page may not eat the evening's CPU, and rolls may not cost more than twice a roll with
// no phone connected.
//
// Everything is measured in the process's own CPU time and related to the work done, never in
// wall-clock time: other programs of a shared machine stretch wall-clock figures, and with
// them how many phones happen to ask while a roll waits for its board to be drawn.
// - The page's cost per answer: the process's CPU time over the whole polling, less what the
//   rolls meanwhile took, divided by the answers given outside the rolls. An answer must cost
//   less than a fifth of a roll without phones.
// - A roll's cost: the process's CPU time from the r key entering the event queue to the new
//   board drawn, less the ordinary cost of the answers given meanwhile (the phones asking
//   while the board waits for its frame). What is left is the roll itself and whatever else
//   the phones made the program do in its way. Taken as the median of three rolls in a row
//   (a sample), the samples' median must stay within twice the median roll without phones
//   (rolls before and after the polling), and every sample within three times it. CPU time
//   too grows a little when other programs share the processor's caches (the phones' own
//   script among them): single samples were seen at twice the rolls without phones, which
//   had no phones' script beside them.
// Wall-clock times are reported beside them.
//
// The main window must receive no key but the test's own r: a foreign key press (another
// program typing into a window of a shared display) is named in the failure.
//
// It runs for about 80 seconds, so it is not part of a plain run of gui_tests: CTest runs it
// as gui_phone_load (normal build only) on an X server of its own. By hand:
//   xvfb-run -a build/tests/gui_tests --gtest_also_run_disabled_tests --gtest_filter='PhoneLoad.*'
// DORVELS_LOAD_CLIENTS and DORVELS_LOAD_SECONDS change the 200 phones and 60 seconds.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "display/display.h"
#include "phone/accesskey.h"
#include "server/server.h"
#include "support/helmtext.h"
#include "test_keys_util.h"

#ifndef DORVELS_TESTSRC
#define DORVELS_TESTSRC "."
#endif

namespace {

// The process's CPU time: the window's thread, the server's answers and every thread of
// GLib's, but not the time other programs of the machine took.
double CpuMs() {
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

unsigned long Answered() { return PhoneServerCounts().answered; }

struct RollTime {
    double cpu = 0, wall = 0;
    unsigned long answered = 0;  // answers to phones from the key to the board
};

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

bool drawn = false;
int drawnafter = 0;
gboolean Drawn(GtkWidget*, cairo_t*, gpointer) {
    if (tipcnt > drawnafter) drawn = true;
    return FALSE;
}

// Every key press that reaches the main window, by name.
std::vector<std::string> keyspressed;
gboolean KeyPressed(GSignalInvocationHint*, guint, const GValue* args, gpointer) {
    if (g_value_get_object(&args[0]) == sdwin) {
        const GdkEventKey* ev = reinterpret_cast<const GdkEventKey*>(g_value_get_boxed(&args[1]));
        const char* name = ev ? gdk_keyval_name(ev->keyval) : nullptr;
        keyspressed.push_back(name ? name : "?");
    }
    return TRUE;
}

int rollsqueued = 0;  // the test's own r keys

// The keys the main window got besides the test's r, one for each roll.
std::string ForeignKeys() {
    int rolls = rollsqueued;
    std::string out;
    for (const std::string& k : keyspressed)
        if (k != "r" || --rolls < 0) out += " " + k;
    return out.empty() ? " none" : out;
}

// One roll, from the key put into the event queue to the board drawn; false when the main
// window is gone.
bool Roll(RollTime* r) {
    if (!sdwin) return false;
    drawn = false;
    drawnafter = tipcnt;
    GtkWidget* win = sdwin;
    gulong id = g_signal_connect_after(win, "draw", G_CALLBACK(Drawn), nullptr);
    double cpu0 = CpuMs();
    unsigned long answered0 = Answered();
    gint64 wall0 = g_get_monotonic_time();
    QueueKeys(win, "r");
    ++rollsqueued;
    gint64 give_up = wall0 + 10 * G_USEC_PER_SEC;
    while (!drawn && sdwin && g_get_monotonic_time() < give_up) g_main_context_iteration(nullptr, TRUE);
    *r = {CpuMs() - cpu0, (g_get_monotonic_time() - wall0) / 1e3, Answered() - answered0};
    g_signal_handler_disconnect(win, id);
    if (!sdwin) {
        ADD_FAILURE() << "the main window was let go during the roll of tip " << tipcnt
                      << "; keys it got besides the test's r:" << ForeignKeys();
        return false;
    }
    EXPECT_TRUE(drawn) << "no board drawn after r (tip " << tipcnt << ")";
    return true;
}

// Three rolls in a row; false when the main window is gone.
bool Sample(std::vector<RollTime>* rolls) {
    for (int i = 0; i < 3; ++i) {
        RollTime r;
        if (!Roll(&r)) return false;
        rolls->push_back(r);
    }
    return true;
}

// Lets the main loop run for ms milliseconds, asleep while nothing is due: a wait that polls
// would count its own turns as the page's CPU time.
void Wait(int ms) {
    bool due = false;
    g_timeout_add(ms, [](gpointer p) -> gboolean {
        *static_cast<bool*>(p) = true;
        return G_SOURCE_REMOVE;
    }, &due);
    while (!due) g_main_context_iteration(nullptr, TRUE);
}

// A number of the clients' report, by its name ("max": 12.5); -1 when it is missing.
double Figure(const std::string& report, const std::string& name) {
    size_t at = report.find("\"" + name + "\": ");
    return at == std::string::npos ? -1 : atof(report.c_str() + at + name.size() + 4);
}

int EnvInt(const char* name, int dflt) {
    const char* v = getenv(name);
    return v && atoi(v) > 0 ? atoi(v) : dflt;
}

class PhoneLoad : public KeysWindow {
protected:
    void SetUp() override {
        KeysWindow::SetUp();
        BuildClub(24, 6, 6);  // 60 dancers: a full hall
        SwitchDisplay(EDIT);
        Pump();
        keyspressed.clear();
        rollsqueued = 0;
        keyhook = g_signal_add_emission_hook(g_signal_lookup("key-press-event", GTK_TYPE_WIDGET), 0, KeyPressed,
                                             nullptr, nullptr);
        ServeOption opt;
        opt.address = "127.0.0.1";
        opt.port = 0;
        std::string err;
        ASSERT_TRUE(PhoneServerStart(opt, &err)) << err;
    }
    void TearDown() override {
        PhoneServerStop();
        g_signal_remove_emission_hook(g_signal_lookup("key-press-event", GTK_TYPE_WIDGET), keyhook);
        KeysWindow::TearDown();
    }
    gulong keyhook = 0;
};

TEST_F(PhoneLoad, DISABLED_RollsStayQuickWhilePhonesPoll) {
    const int clients = EnvInt("DORVELS_LOAD_CLIENTS", 200), seconds = EnvInt("DORVELS_LOAD_SECONDS", 60);
    const int flood = 300;
    std::vector<RollTime> base, load;  // rolls without phones (before and after) and with them
    auto baseline = [&](int n) {
        for (int i = 0; i < n && Sample(&base); ++i) Wait(100);
    };
    std::vector<RollTime> warm;
    ASSERT_TRUE(Sample(&warm));  // fonts measured, caches warm
    baseline(5);

    std::string cmd = strprintf("python3 %s/support/phone_clients.py %d %d %d 1 /k/%s %d", DORVELS_TESTSRC,
                                PhoneServerPort(), clients, seconds, AccessKey().c_str(), flood);
    gchar** argv = nullptr;
    ASSERT_TRUE(g_shell_parse_argv(cmd.c_str(), nullptr, &argv, nullptr));
    GPid pid;
    gint out = -1;
    GError* err = nullptr;
    ASSERT_TRUE(g_spawn_async_with_pipes(nullptr, argv, nullptr, GSpawnFlags(G_SPAWN_SEARCH_PATH | G_SPAWN_DO_NOT_REAP_CHILD),
                                         nullptr, nullptr, &pid, nullptr, &out, nullptr, &err))
        << (err ? err->message : "");
    g_strfreev(argv);
    double phasecpu = CpuMs();
    unsigned long phaseanswered = Answered();
    Wait(3000);  // every phone has loaded the page and polls
    ServeCounts before = PhoneServerCounts();
    int status = 0;
    bool windowkept = true;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (windowkept && !(windowkept = Sample(&load))) continue;  // the phones still finish
        Wait(windowkept ? 1500 : 200);
    }
    phasecpu = CpuMs() - phasecpu;
    phaseanswered = Answered() - phaseanswered;
    ServeCounts after = PhoneServerCounts();
    std::string report;
    char buf[4096];
    for (ssize_t n; (n = read(out, buf, sizeof buf)) > 0;) report.append(buf, (size_t)n);
    close(out);
    g_spawn_close_pid(pid);
    ASSERT_TRUE(windowkept);
    baseline(5);

    // The page's ordinary cost of an answer: the polling's CPU time less the rolls', per
    // answer given outside the rolls.
    double rollscpu = 0;
    unsigned long rollsanswered = 0;
    for (const RollTime& r : load) {
        rollscpu += r.cpu;
        rollsanswered += r.answered;
    }
    double peranswer = (phasecpu - rollscpu) / (double)std::max(1UL, phaseanswered - rollsanswered);
    auto cpus = [](const std::vector<RollTime>& v, double peranswer) {
        std::vector<double> c;
        for (const RollTime& r : v) c.push_back(r.cpu - peranswer * (double)r.answered);
        return c;
    };
    auto walls = [](const std::vector<RollTime>& v) {
        std::vector<double> w;
        for (const RollTime& r : v) w.push_back(r.wall);
        return w;
    };
    double basemed = Median(cpus(base, peranswer));
    std::vector<double> loadcpu = cpus(load, peranswer), samples;
    for (size_t i = 0; i + 3 <= loadcpu.size(); i += 3)
        samples.push_back(Median({loadcpu[i], loadcpu[i + 1], loadcpu[i + 2]}));
    double samplemax = samples.empty() ? 0 : *std::max_element(samples.begin(), samples.end());

    printf("phone load: %d phones and %d idle connections for %d s: %s", clients, flood, seconds, report.c_str());
    printf("phone load: server answered %lu requests during the rolls, refused %lu connections, closed %lu\n",
           after.answered - before.answered, after.refused, after.closed);
    printf("phone load: CPU %.0f ms for %lu answers while the phones polled, %.0f ms of it in %zu rolls: %.3f ms "
           "an answer, %.1f%% of one core for the polling\n",
           phasecpu, phaseanswered, rollscpu, load.size(), peranswer, peranswer * clients / 10);
    printf("phone load: roll CPU ms less its answers: without phones median %.1f (%zu rolls); with phones samples "
           "of three median %.1f max %.1f (%zu samples)\n",
           basemed, base.size(), Median(samples), samplemax, samples.size());
    std::vector<double> loadwall = walls(load);
    printf("phone load: roll wall ms without phones median %.1f; with phones median %.1f max %.1f\n",
           Median(walls(base)), Median(loadwall),
           loadwall.empty() ? 0 : *std::max_element(loadwall.begin(), loadwall.end()));
    fflush(stdout);

    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the phones' script failed: " << report;
    EXPECT_NE(report.find("\"failures\": 0,"), std::string::npos) << report;
    // The flood stood without keeping a phone long from its answer (a busy machine's room:
    // a server starved of places answers 503 at once, or never), and no idle connection
    // stayed much past two seconds.
    EXPECT_GE(Figure(report, "opened"), flood) << report;
    EXPECT_LT(Figure(report, "max"), 3000) << report;
    EXPECT_LT(Figure(report, "longest_s"), 3.5) << report;
    EXPECT_GE(samples.size(), (size_t)seconds / 3);
    // Every phone polled about once a second.
    EXPECT_GT(after.answered - before.answered, (unsigned long)(clients * (seconds - 5) / 2));
    // The page does not eat the evening's CPU: an answer costs less than a fifth of a roll
    // (here, 200 phones polling every second cost about a tenth of one core).
    EXPECT_LT(peranswer, basemed / 5) << "ms CPU an answer, against " << basemed << " ms a roll";
    EXPECT_LE(Median(samples), 2 * basemed) << "median roll sample with phones, against " << basemed << " ms without";
    for (size_t i = 0; i < samples.size(); ++i)
        EXPECT_LE(samples[i], 3 * basemed) << "roll sample " << i << " with phones, against " << basemed << " ms without";
    EXPECT_EQ(ForeignKeys(), " none") << "keys the main window got besides the test's r";
}

}  // namespace
