// SPDX-License-Identifier: GPL-3.0-or-later
// The dance-count chart drawn by the real plotting program, and the plotting program driven
// without waiting for it: missing, or hanging without reading its commands.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <vector>

#include "display/display.h"
#include "support/helmtext.h"
#include "test_keys_util.h"

namespace {

class Charts : public KeysWindow {
protected:
    void TearDown() override {
        if (!savedpath.empty()) setenv("PATH", savedpath.c_str(), 1);
        KeysWindow::TearDown();
    }
    // Puts a folder holding only a "gnuplot" with the given script first on the search path.
    void FakeGnuplot(const std::string& script) {
        savedpath = getenv("PATH") ? getenv("PATH") : "";
        std::string bin = dir + "/bin";
        mkdir(bin.c_str(), 0755);
        if (!script.empty()) {
            WriteFile(bin + "/gnuplot", script);
            chmod((bin + "/gnuplot").c_str(), 0755);
        }
        setenv("PATH", script.empty() ? bin.c_str() : (bin + ":" + savedpath).c_str(), 1);
    }
    std::string savedpath;
};

// Width and height of a complete PNG file (0, 0 while it is not complete).
std::pair<int, int> PngSize(const std::string& path) {
    std::string png = ReadFile(path);
    if (png.size() < 32 || png.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 || png.find("IEND") == std::string::npos)
        return {0, 0};
    auto be32 = [&](size_t at) {
        return (int)((unsigned char)png[at] << 24 | (unsigned char)png[at + 1] << 16 |
                     (unsigned char)png[at + 2] << 8 | (unsigned char)png[at + 3]);
    };
    return {be32(16), be32(20)};
}

TEST_F(Charts, KeyBDrawsThePngOfTheTipWithGnuplot) {
    BuildClub(4, 0, 0);
    int n = 0;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) sd->dances = 1 + n++ % 2;
    tipcnt = 2;
    Type("b");
    EXPECT_EQ(ReadFile("dorvelbars02.dat"), "  1 1\n  2 2\n  3 1\n  4 2\n  5 1\n  6 2\n  7 1\n  8 2\n");
    std::pair<int, int> size{0, 0};
    for (int i = 0; i < 400 && size.first == 0; ++i) {  // gnuplot writes it on its own time
        g_usleep(50000);
        Pump();
        size = PngSize("dorvelbars02.png");
    }
    EXPECT_EQ(size, std::make_pair(650, 650)) << "gnuplot (Debian package gnuplot-x11) wrote no chart";
    // The chart shows in a window of the program's own (a gnuplot without X11 draws PNGs too).
    GdkPixbuf* shown = nullptr;
    for (int i = 0; i < 200 && !shown; ++i) {
        g_usleep(20000);
        Pump();
        GList* tops = gtk_window_list_toplevels();
        for (GList* l = tops; l && !shown; l = l->next) {
            const char* title = gtk_window_get_title(GTK_WINDOW(l->data));
            if (!title || std::string(title) != "Dorvels chart") continue;
            std::vector<GtkWidget*> todo{GTK_WIDGET(l->data)};
            while (!todo.empty() && !shown) {
                GtkWidget* w = todo.back();
                todo.pop_back();
                if (GTK_IS_IMAGE(w)) shown = gtk_image_get_pixbuf(GTK_IMAGE(w));
                if (GTK_IS_BIN(w) && gtk_bin_get_child(GTK_BIN(w))) todo.push_back(gtk_bin_get_child(GTK_BIN(w)));
            }
        }
        g_list_free(tops);
    }
    ASSERT_NE(shown, nullptr) << "no chart window";
    EXPECT_EQ(gdk_pixbuf_get_width(shown), 650);

    // On the dark blue, the texts are light (far brighter than the bars and the background):
    // the names under the bars, the dance numbers at the left, the title at the top.
    GdkPixbuf* png = gdk_pixbuf_new_from_file("dorvelbars02.png", nullptr);
    ASSERT_NE(png, nullptr);
    auto lightIn = [&](int x0, int y0, int x1, int y1) {
        int n = 0, stride = gdk_pixbuf_get_rowstride(png), ch = gdk_pixbuf_get_n_channels(png);
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) {
                const guchar* p = gdk_pixbuf_get_pixels(png) + y * stride + x * ch;
                n += 0.2126 * p[0] + 0.7152 * p[1] + 0.0722 * p[2] > 200;
            }
        return n;
    };
    EXPECT_GT(lightIn(60, 560, 650, 650), 100) << "names under the bars";
    EXPECT_GT(lightIn(0, 40, 60, 560), 50) << "dance numbers";
    EXPECT_GT(lightIn(200, 0, 450, 40), 20) << "title";
    g_object_unref(png);
}

TEST_F(Charts, MissingPlottingProgramIsReportedOnStderrOnly) {
    FakeGnuplot("");
    lasterror.clear();
    EXPECT_EQ(PlotCommands("plot x\n", false), 0);
    EXPECT_NE(lasterror.find("gnuplot-x11"), std::string::npos) << lasterror;
    EXPECT_EQ(sdpop, nullptr);
}

// A plotting program that never reads: far more commands than a pipe holds are handed over,
// and the window goes on handling events at once.
TEST_F(Charts, HangingPlottingProgramNeverBlocks) {
    FakeGnuplot("#!/bin/sh\nexec sleep 600\n");
    std::string commands;
    while (commands.size() < (4u << 20)) commands += "# a comment line that the plotting program never reads\n";
    int pid = PlotCommands(commands, false);
    ASSERT_GT(pid, 0);
    bool ran = false;
    g_idle_add([](gpointer p) { *static_cast<bool*>(p) = true; return G_SOURCE_REMOVE; }, &ran);
    Pump();
    EXPECT_TRUE(ran);
    // Once the program is gone the rest of the commands are dropped and it is reaped.
    kill(pid, SIGTERM);
    for (int i = 0; i < 200 && kill(pid, 0) == 0; ++i) {
        g_usleep(20000);
        Pump();
    }
    EXPECT_NE(kill(pid, 0), 0) << "the plotting program was not reaped";
}

}  // namespace
