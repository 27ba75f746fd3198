// SPDX-License-Identifier: GPL-3.0-or-later
// Shared by the GUI benchmarks: a roster of present couples, the main window of a 1920x1080
// screen with the bundled font sets, and running the main loop until the window is laid out.
#pragma once

#include <gtk/gtk.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "display/boards.h"
#include "registry/registry.h"
#include "support/helmtext.h"
#include "support/rndm.h"

// The roster: n present dancers, couples of distinct last names (and one single when odd).
inline void BenchRoster(int n) {
    ResetEvening();
    outputfilename = "/tmp/bench_boards.dorvel";
    for (int i = 0; i + 1 < n; i += 2) {
        SqrDancer* a = NewSqrDancerAlloc(nullptr);
        SqrDancer* b = NewSqrDancerAlloc(a);
        a->sex = M;
        b->sex = F;
        std::string last = strprintf("Surname%04d", i / 2);
        a->firstname = "Al";
        b->firstname = "Bea";
        a->lastname = b->lastname = last;
        a->firstlast = "Al " + last;
        b->firstlast = "Bea " + last;
        a->dances = b->dances = 0;
        NameTrieInsert(a);
        NameTrieInsert(b);
    }
    if (n % 2) {
        SqrDancer* s = NewSqrDancerAlloc(nullptr);
        s->sex = E;
        s->firstname = "Sam";
        s->lastname = "Single";
        s->firstlast = "Sam Single";
        s->dances = 0;
        NameTrieInsert(s);
    }
    SetupDispNames();
    SortByName();
    int64_t a = 1, b = 2, c = 3;
    init_rndm(&a, &b, &c);
}

// The main loop runs until nothing is pending and the window's contents have their sizes.
inline void BenchSettle() {
    for (int i = 0; i < 1000; ++i) {
        while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
        GtkWidget* child = gtk_bin_get_child(GTK_BIN(sdwin));
        if (!child) return;
        GtkWidget* probe = child;
        if (BoardCellQty() > 0) probe = BoardCell(BoardCellQty() - 1);
        else if (HallViewShown() && !HallViewCells().empty()) probe = HallViewCells().back();
        else
            for (int k = gridbttn ? gridbttnqty - 1 : -1; k >= 0 && probe == child; --k)
                if (gridbttn[k]) probe = gridbttn[k];  // the edit display's last cell made
        GtkAllocation a;
        gtk_widget_get_allocation(probe, &a);
        if (gtk_widget_get_mapped(probe) && a.width > 1) return;
        gtk_main_iteration_do(TRUE);  // wait for the frame that lays the window out
    }
}

// A click of the first mouse button on a button, as the X server delivers it.
inline void BenchClick(GtkWidget* b) {
    GtkAllocation a;
    gtk_widget_get_allocation(b, &a);
    GdkSeat* seat = gdk_display_get_default_seat(gdk_display_get_default());
    for (GdkEventType type : {GDK_BUTTON_PRESS, GDK_BUTTON_RELEASE}) {
        GdkEvent* ev = gdk_event_new(type);
        ev->button.window = GDK_WINDOW(g_object_ref(gtk_button_get_event_window(GTK_BUTTON(b))));
        ev->button.send_event = TRUE;
        ev->button.time = GDK_CURRENT_TIME;
        ev->button.x = a.width / 2.0;
        ev->button.y = a.height / 2.0;
        ev->button.button = 1;
        ev->button.state = type == GDK_BUTTON_RELEASE ? GDK_BUTTON1_MASK : 0;
        gdk_event_set_device(ev, gdk_seat_get_pointer(seat));
        gdk_event_put(ev);
        gdk_event_free(ev);
    }
}

// GTK, the bundled resolution file and a shown 1920x1080 main window; false without a display.
inline bool BenchWindow(int* argc, char*** argv, const char* name) {
    setenv("NO_AT_BRIDGE", "1", 0);
    if (!gtk_init_check(argc, argv)) {
        fprintf(stderr, "%s: no display (run under xvfb-run -a)\n", name);
        return false;
    }
    // The bundled resolution file, found through the search path of the program.
    std::string src = __FILE__;
    src = src.substr(0, src.rfind('/')) + "/../data";
    setenv("DORVELS", src.c_str(), 0);
    // A roll writes the club file and names it in "lastdance.dorvels" in the working folder:
    // work in the temporary folder, not in the tree the benchmark was started from.
    if (chdir(g_get_tmp_dir()) != 0) perror(name);
    reqW = 1920;
    reqH = 1080;
    resfile = "resolution.unix";
    SetupResolutionList();
    GtkInitColors();
    sdwin = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_default_size(GTK_WINDOW(sdwin), 1920, 1080);
    gtk_widget_show_all(sdwin);
    return true;
}
