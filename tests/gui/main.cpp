// SPDX-License-Identifier: GPL-3.0-or-later
// The GUI tests: one process, GTK initialised once, run under a virtual X server. A GTK or
// GLib warning or critical message anywhere fails the test that caused it.
#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

static GLogWriterOutput FailOnWarnings(GLogLevelFlags level, const GLogField* fields, gsize n, gpointer) {
    if (level & (G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING | G_LOG_LEVEL_ERROR)) {
        const char* message = "";
        const char* domain = "";
        for (gsize i = 0; i < n; ++i) {
            if (strcmp(fields[i].key, "MESSAGE") == 0) message = static_cast<const char*>(fields[i].value);
            if (strcmp(fields[i].key, "GLIB_DOMAIN") == 0) domain = static_cast<const char*>(fields[i].value);
        }
        ADD_FAILURE() << domain << " complained: " << message;
    }
    return g_log_writer_default(level, fields, n, nullptr);
}

int main(int argc, char** argv) {
    // No accessibility bus under a virtual X server: do not look for one.
    setenv("NO_AT_BRIDGE", "1", 0);
    // The file choosers keep their settings in memory: no session bus to reach the user's
    // settings store, and the tests are not to change it anyway.
    setenv("GSETTINGS_BACKEND", "memory", 0);
    ::testing::InitGoogleTest(&argc, argv);
    if (!gtk_init_check(&argc, &argv)) {
        fprintf(stderr, "gui_tests: no display (run under Xvfb)\n");
        return 1;
    }
    g_log_set_writer_func(FailOnWarnings, nullptr, nullptr);
    return RUN_ALL_TESTS();
}
