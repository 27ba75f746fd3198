// The GUI tests: one process, GTK initialised once, run under a virtual X server.
#include <gtk/gtk.h>
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    // No accessibility bus under a virtual X server: do not look for one.
    setenv("NO_AT_BRIDGE", "1", 0);
    ::testing::InitGoogleTest(&argc, argv);
    if (!gtk_init_check(&argc, &argv)) {
        fprintf(stderr, "gui_tests: no display (run under Xvfb)\n");
        return 1;
    }
    return RUN_ALL_TESTS();
}
