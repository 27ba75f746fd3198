// Mouse buttons on the main window. For now a click only closes an open note or warning;
// the pop-up menu will be opened from here.
#include "display/display.h"

gboolean BttnPress(GtkWidget*, GdkEventButton* event, gpointer) {
    if (!event || event->type != GDK_BUTTON_PRESS || !sdpop) return FALSE;
    GtkWidget* w = sdpop;
    sdpop = nullptr;
    gtk_widget_destroy(w);
    return TRUE;
}
