// SPDX-License-Identifier: GPL-3.0-or-later
// The phone page as the operator sees it: switching the server on and off, and the i key's
// pop-up with the page's address and a QR code of it, large enough to scan across the hall.
#include <cstdio>
#include <optional>
#include <string>

#include "display/display.h"
#include "server/server.h"
#include "support/helmtext.h"
#include "support/intl.h"

bool PhonePageStart(const ServeOption& opt) {
    std::string err;
    if (PhoneServerStart(opt, &err)) return true;
    std::string where = opt.address.empty() ? _("every address") : opt.address;
    GtkWarning(_("The phone page cannot listen on %s, port %d:\n%s"), where.c_str(), opt.port, err.c_str());
    return false;
}

// At start-up the reason goes to the terminal at once and into the window once it is up.
static gboolean StartupWarning(gpointer text) {
    GtkWarning("%s", static_cast<const char*>(text));
    g_free(text);
    return G_SOURCE_REMOVE;
}

// --serve: the page starts once the evening is known (resumed or new), so that the address
// printed carries the key the phones of this evening use.
static std::optional<ServeOption> servepending;

void PhonePageStartup(const ServeOption& opt) { servepending = opt; }

void PhonePageStartPending() {
    if (!servepending) return;
    ServeOption opt = *servepending;
    servepending.reset();
    std::string err;
    if (PhoneServerStart(opt, &err)) {
        printf(_("phone page: %s\n"), PhoneServerUrl().c_str());
        fflush(stdout);
        return;
    }
    std::string text = strprintf(_("The phone page is off: port %d: %s"), opt.port, err.c_str());
    fprintf(stderr, "dorvels: --serve: %s\n", text.c_str());
    g_idle_add(StartupWarning, g_strdup(text.c_str()));
}

static gboolean DrawQr(GtkWidget* w, cairo_t* cr, gpointer) {
    std::vector<std::vector<bool>> qr = QrModules(PhoneServerUrl());
    int width = gtk_widget_get_allocated_width(w), height = gtk_widget_get_allocated_height(w);
    int size = width < height ? width : height;
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    if (qr.empty()) return TRUE;
    int n = (int)qr.size() + 8;  // four light modules around the code
    int m = size / n > 0 ? size / n : 1;  // whole pixels: sharp edges scan best
    int x0 = (width - m * (int)qr.size()) / 2, y0 = (height - m * (int)qr.size()) / 2;
    cairo_set_source_rgb(cr, 0, 0, 0);
    for (size_t y = 0; y < qr.size(); ++y)
        for (size_t x = 0; x < qr.size(); ++x)
            if (qr[y][x]) cairo_rectangle(cr, x0 + (int)x * m, y0 + (int)y * m, m, m);
    cairo_fill(cr);
    return TRUE;
}

static GtkWidget* BigLabel(const std::string& text) {
    GtkWidget* l = gtk_label_new(text.c_str());
    if (lblfont2) SetWidgetFont(l, lblfont2);
    return l;
}

// The i key's pop-up is marked, so that i again knows it is open.
static const char qrmark[] = "dorvels-phone-page";

void PhonePageAddress() {
    if (sdpop && g_object_get_data(G_OBJECT(sdpop), qrmark)) {  // i again closes it
        gtk_widget_destroy(sdpop);
        return;
    }
    if (!PhoneServerRunning()) {
        GtkNote(_("The phone page is off.\nSwitch it on in the setup (s): Phone Page,\nor start with --serve"));
        return;
    }
    int screen = screenwidth < screenheight ? screenwidth : screenheight;
    if (screen <= 0) screen = 800;
    int side = screen * 55 / 100;
    GtkWidget* win = NewPopup();
    g_object_set_data(G_OBJECT(win), qrmark, win);
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, sp10);
    gtk_container_set_border_width(GTK_CONTAINER(box), sp10);
    gtk_box_pack_start(GTK_BOX(box), BigLabel(_("Where am I next tip? Scan, or open")), FALSE, FALSE, 0);
    GtkWidget* area = gtk_drawing_area_new();
    gtk_widget_set_size_request(area, side, side);
    gtk_widget_set_halign(area, GTK_ALIGN_CENTER);
    g_signal_connect(area, "draw", G_CALLBACK(DrawQr), nullptr);
    gtk_box_pack_start(GTK_BOX(box), area, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(box), BigLabel(PhoneServerUrl()), FALSE, FALSE, 0);
    if (PhoneServerUrl().rfind("http://127.", 0) == 0)
        gtk_box_pack_start(GTK_BOX(box), BigLabel(_("(no local network found: only this computer reaches it)")),
                           FALSE, FALSE, 0);
    GtkWidget* frame = gtk_frame_new(nullptr);
    gtk_container_add(GTK_CONTAINER(frame), box);
    gtk_container_add(GTK_CONTAINER(win), frame);
    gtk_widget_show_all(frame);
    PlaceOverParent(win);
    gtk_widget_show(win);
}
