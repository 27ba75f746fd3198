// SPDX-License-Identifier: GPL-3.0-or-later
// Shared by the GUI tests of the main window, the fonts and the notes: a clean evening and
// a clean screen for every test, and small helpers to read the screen back.
#pragma once

#include <gtk/gtk.h>

#include <string>

#include "display/display.h"
#include "support/fixtures.h"
#include "support/helmtext.h"

// Lets GTK handle everything that is pending.
inline void Pump() {
    while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
}

// Forgets the window, the pop-up, the font sets and the timer.
inline void ResetScreen() {
    StopIntervalTimer();
    CleanupMainWindow();
    KeybrdHandlerSuspend();
    if (sdwin) {
        GtkWidget* w = sdwin;
        g_signal_handlers_disconnect_by_func(w, (gpointer)terminate, GINT_TO_POINTER(1));
        sdwin = nullptr;
        gtk_widget_destroy(w);
    }
    ResetResolutions();
    ResetAutoScroller();
    ResetTimeNote();
    GtkInitColors();
    sp1 = 1, sp2 = 2, sp4 = 1, sp5 = 5, sp10 = 10, sp25 = 25;
    screenwidth = 1920;
    screenheight = 1080;
    Pump();
}

class Screen : public Evening {
protected:
    void SetUp() override {
        Evening::SetUp();
        ResetScreen();
    }
    void TearDown() override {
        ResetScreen();
        Evening::TearDown();
    }
};

// Visible pop-up windows on screen.
inline int VisiblePopups() {
    int n = 0;
    GList* all = gtk_window_list_toplevels();
    for (GList* l = all; l; l = l->next) {
        GtkWindow* w = GTK_WINDOW(l->data);
        if (gtk_window_get_window_type(w) == GTK_WINDOW_POPUP && gtk_widget_get_visible(GTK_WIDGET(w)))
            ++n;
    }
    g_list_free(all);
    return n;
}

// The text colour a widget is drawn in, as "#rrggbb".
inline std::string ColorOf(GtkWidget* w) {
    GdkRGBA c;
    GtkStyleContext* ctx = gtk_widget_get_style_context(w);
    gtk_style_context_get_color(ctx, gtk_style_context_get_state(ctx), &c);
    return strprintf("#%02x%02x%02x", (int)(c.red * 255 + 0.5), (int)(c.green * 255 + 0.5),
                     (int)(c.blue * 255 + 0.5));
}

// The label of the open note or warning.
inline GtkWidget* PopupLabel() {
    if (!sdpop) return nullptr;
    GtkWidget* frame = gtk_bin_get_child(GTK_BIN(sdpop));
    return frame ? gtk_bin_get_child(GTK_BIN(frame)) : nullptr;
}
