// SPDX-License-Identifier: GPL-3.0-or-later
// The plotting program, driven without ever waiting for it: it is started with a pipe to its
// standard input, the commands go into the pipe as far as it takes them without blocking
// (the rest when the pipe has room again), and the program is reaped whenever it ends. A
// plotting program that hangs therefore never freezes the operator's window.
#include <fcntl.h>
#include <glib-unix.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

#include "display/display.h"
#include "support/helmtext.h"
#include "support/intl.h"

namespace {
struct PlotPipe {
    int fd;
    std::string rest;  // commands not yet taken by the pipe
};

// Writes what the pipe takes; true while there is more to write.
bool Feed(PlotPipe* p) {
    while (!p->rest.empty()) {
        ssize_t n = write(p->fd, p->rest.data(), p->rest.size());
        if (n > 0) {
            p->rest.erase(0, (size_t)n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && errno == EAGAIN) {
            return true;
        } else {
            error(1, _("(PlotCommands) the plotting program stopped reading: %s\n"), strerror(errno));
            p->rest.clear();
        }
    }
    return false;
}

void Finish(PlotPipe* p) {
    close(p->fd);  // end of input: the plotting program draws and ends
    delete p;
}

gboolean PipeReady(gint, GIOCondition, gpointer data) {
    PlotPipe* p = static_cast<PlotPipe*>(data);
    if (Feed(p)) return G_SOURCE_CONTINUE;
    Finish(p);
    return G_SOURCE_REMOVE;
}

// The chart's window: the picture drawn, large as it is (scrolled when the screen is
// smaller). Keys go to the main window, so that a card swiped meanwhile still checks in;
// Escape closes it.
GtkWidget* chartwin = nullptr;

gboolean ChartKey(GtkWidget* w, GdkEventKey* event, gpointer) {
    if (event->keyval == GDK_KEY_Escape) {
        gtk_widget_destroy(w);
        return TRUE;
    }
    gboolean done = FALSE;
    if (sdwin) g_signal_emit_by_name(sdwin, "key-press-event", event, &done);
    return TRUE;
}

void ShowChart(const std::string& png) {
    GError* err = nullptr;
    GdkPixbuf* pix = gdk_pixbuf_new_from_file(png.c_str(), &err);
    if (!pix) {
        error(1, _("(PlotCommands) cannot show the chart <%s>: %s\n"), png.c_str(), err ? err->message : "");
        if (err) g_error_free(err);
        return;
    }
    if (chartwin) gtk_widget_destroy(chartwin);
    chartwin = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    g_object_add_weak_pointer(G_OBJECT(chartwin), (gpointer*)&chartwin);
    gtk_window_set_title(GTK_WINDOW(chartwin), _("Dorvels chart"));
    gtk_window_set_role(GTK_WINDOW(chartwin), "chart");
    if (sdwin) gtk_window_set_transient_for(GTK_WINDOW(chartwin), GTK_WINDOW(sdwin));
    g_signal_connect(chartwin, "key-press-event", G_CALLBACK(ChartKey), nullptr);
    GtkWidget* sw = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_propagate_natural_width(GTK_SCROLLED_WINDOW(sw), TRUE);
    gtk_scrolled_window_set_propagate_natural_height(GTK_SCROLLED_WINDOW(sw), TRUE);
    gtk_scrolled_window_set_max_content_width(GTK_SCROLLED_WINDOW(sw), 1800);
    gtk_scrolled_window_set_max_content_height(GTK_SCROLLED_WINDOW(sw), 900);
    gtk_container_add(GTK_CONTAINER(sw), gtk_image_new_from_pixbuf(pix));
    g_object_unref(pix);
    gtk_container_add(GTK_CONTAINER(chartwin), sw);
    gtk_widget_show_all(chartwin);
}

void Ended(GPid pid, gint status, gpointer data) {
    std::string* png = static_cast<std::string*>(data);
    GError* err = nullptr;
    if (!g_spawn_check_wait_status(status, &err)) {
        error(1, _("(PlotCommands) gnuplot: %s\n"), err->message);
        g_error_free(err);
    } else if (png && !png->empty()) {
        ShowChart(*png);
    }
    delete png;
    g_spawn_close_pid(pid);
}

// The file the commands draw into: the name of their last "set output".
std::string OutputFile(const std::string& commands) {
    size_t at = commands.rfind("set output \"");
    if (at == std::string::npos) return "";
    at += 12;
    size_t end = commands.find('"', at);
    return end == std::string::npos ? "" : commands.substr(at, end - at);
}
}  // namespace

int PlotCommands(const std::string& commands, bool onscreen) {
    if (onscreen && !gdk_display_get_default()) return 0;
    // A plotting program that ends before it has read everything must not end this one.
    signal(SIGPIPE, SIG_IGN);
    gchar* argv[] = {const_cast<gchar*>("gnuplot"), nullptr};
    GPid pid = 0;
    gint in = -1;
    GError* err = nullptr;
    if (!g_spawn_async_with_pipes(nullptr, argv, nullptr,
                                  GSpawnFlags(G_SPAWN_SEARCH_PATH | G_SPAWN_DO_NOT_REAP_CHILD), nullptr,
                                  nullptr, &pid, &in, nullptr, nullptr, &err)) {
        error(1, _("(PlotCommands) cannot start gnuplot (Debian package gnuplot-nox or gnuplot-x11): %s\n"), err->message);
        g_error_free(err);
        return 0;
    }
    g_child_watch_add(pid, Ended, onscreen ? new std::string(OutputFile(commands)) : nullptr);
    fcntl(in, F_SETFL, fcntl(in, F_GETFL) | O_NONBLOCK);
    PlotPipe* p = new PlotPipe{in, commands};
    if (Feed(p))
        g_unix_fd_add(in, GIOCondition(G_IO_OUT | G_IO_ERR | G_IO_HUP), PipeReady, p);
    else
        Finish(p);
    return (int)pid;
}
