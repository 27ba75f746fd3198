// The load test of the phone page: 200 phones (tests/support/phone_clients.py, each from an
// address of its own on loopback) poll the page every second for 60 seconds while the operator
// rolls tips. No request may fail, and no roll may take more than twice as long as a roll
// with no phone connected.
//
// A roll's time is measured from the r key entering the main loop's event queue to the new
// board drawn in the window, as the operator sees it. What the test compares is the main
// thread's CPU time over that interval: it holds everything the window's thread did meanwhile,
// the server's answers that got in the way included, but not the time other programs of a
// shared machine took from it, which would make wall-clock figures a measure of the machine.
// Each sample is the median of three rolls in a row, and the baseline is the median of rolls
// without phones before and after the load. Wall-clock times are reported beside it.
//
// It runs for about 80 seconds, so it is not part of a plain run of gui_tests: CTest runs it
// as gui_phone_load (normal build only). By hand:
//   xvfb-run -a build/tests/gui_tests --gtest_also_run_disabled_tests --gtest_filter='PhoneLoad.*'
// DORVELS_LOAD_CLIENTS and DORVELS_LOAD_SECONDS change the 200 phones and 60 seconds.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "display/display.h"
#include "server/server.h"
#include "support/helmtext.h"
#include "support/http_client.h"
#include "test_keys_util.h"

#ifndef DORVELS_TESTSRC
#define DORVELS_TESTSRC "."
#endif

namespace {

double CpuMs() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

struct RollTime {
    double cpu = 0, wall = 0;
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

// One roll, from the key put into the event queue to the board drawn.
RollTime Roll() {
    drawn = false;
    drawnafter = tipcnt;
    gulong id = g_signal_connect_after(sdwin, "draw", G_CALLBACK(Drawn), nullptr);
    double cpu0 = CpuMs();
    gint64 wall0 = g_get_monotonic_time();
    QueueKeys(sdwin, "r");
    gint64 give_up = wall0 + 10 * G_USEC_PER_SEC;
    while (!drawn && g_get_monotonic_time() < give_up) g_main_context_iteration(nullptr, TRUE);
    RollTime r{CpuMs() - cpu0, (g_get_monotonic_time() - wall0) / 1e3};
    g_signal_handler_disconnect(sdwin, id);
    EXPECT_TRUE(drawn) << "no board drawn after r (tip " << tipcnt << ")";
    return r;
}

// The median of three rolls in a row.
RollTime Sample() {
    std::vector<double> cpu, wall;
    for (int i = 0; i < 3; ++i) {
        RollTime r = Roll();
        cpu.push_back(r.cpu);
        wall.push_back(r.wall);
    }
    return {Median(cpu), Median(wall)};
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
        ServeOption opt;
        opt.address = "127.0.0.1";
        opt.port = 0;
        std::string err;
        ASSERT_TRUE(PhoneServerStart(opt, &err)) << err;
    }
    void TearDown() override {
        PhoneServerStop();
        KeysWindow::TearDown();
    }
};

TEST_F(PhoneLoad, DISABLED_RollsStayQuickWhilePhonesPoll) {
    const int clients = EnvInt("DORVELS_LOAD_CLIENTS", 200), seconds = EnvInt("DORVELS_LOAD_SECONDS", 60);
    std::vector<double> basecpu, basewall, loadcpu, loadwall;
    auto baseline = [&](int n) {
        for (int i = 0; i < n; ++i) {
            RollTime r = Sample();
            basecpu.push_back(r.cpu);
            basewall.push_back(r.wall);
            TurnMainLoop(100);
        }
    };
    Sample();  // fonts measured, caches warm
    baseline(5);

    std::string cmd = strprintf("python3 %s/support/phone_clients.py %d %d %d 1", DORVELS_TESTSRC,
                                PhoneServerPort(), clients, seconds);
    gchar** argv = nullptr;
    ASSERT_TRUE(g_shell_parse_argv(cmd.c_str(), nullptr, &argv, nullptr));
    GPid pid;
    gint out = -1;
    GError* err = nullptr;
    ASSERT_TRUE(g_spawn_async_with_pipes(nullptr, argv, nullptr, GSpawnFlags(G_SPAWN_SEARCH_PATH | G_SPAWN_DO_NOT_REAP_CHILD),
                                         nullptr, nullptr, &pid, nullptr, &out, nullptr, &err))
        << (err ? err->message : "");
    g_strfreev(argv);
    TurnMainLoop(3000);  // every phone has loaded the page and polls
    ServeCounts before = PhoneServerCounts();
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        RollTime r = Sample();
        loadcpu.push_back(r.cpu);
        loadwall.push_back(r.wall);
        TurnMainLoop(1500);
    }
    ServeCounts after = PhoneServerCounts();
    std::string report;
    char buf[4096];
    for (ssize_t n; (n = read(out, buf, sizeof buf)) > 0;) report.append(buf, (size_t)n);
    close(out);
    g_spawn_close_pid(pid);
    baseline(5);

    double basemed = Median(basecpu);
    printf("phone load: %d phones for %d s: %s", clients, seconds, report.c_str());
    printf("phone load: server answered %lu requests during the rolls, refused %lu connections, closed %lu\n",
           after.answered - before.answered, after.refused, after.closed);
    printf("phone load: roll CPU ms without phones median %.1f (%zu samples); with phones median %.1f max %.1f "
           "(%zu samples)\n",
           basemed, basecpu.size(), Median(loadcpu), loadcpu.empty() ? 0 : *std::max_element(loadcpu.begin(), loadcpu.end()),
           loadcpu.size());
    printf("phone load: roll wall ms without phones median %.1f; with phones median %.1f max %.1f\n", Median(basewall),
           Median(loadwall), loadwall.empty() ? 0 : *std::max_element(loadwall.begin(), loadwall.end()));
    fflush(stdout);

    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the phones' script failed: " << report;
    EXPECT_NE(report.find("\"failures\": 0,"), std::string::npos) << report;
    EXPECT_GE(loadcpu.size(), (size_t)seconds / 3);
    // Every phone polled about once a second.
    EXPECT_GT(after.answered - before.answered, (unsigned long)(clients * (seconds - 5) / 2));
    for (size_t i = 0; i < loadcpu.size(); ++i)
        EXPECT_LE(loadcpu[i], 2 * basemed) << "roll sample " << i << " with phones, against " << basemed << " ms without";
}

}  // namespace
