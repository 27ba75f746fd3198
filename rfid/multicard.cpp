// SPDX-License-Identifier: GPL-3.0-or-later
// The multi-card window: the operator chooses a kind (couple or a single role) and a level
// once, then swipes card after card; each card goes to a new anonymous dancer of that kind,
// numbered in arrival order (a card that already is an anonymous dancer's re-types it).
#include <string>

#include "commands/keys.h"
#include "display/boards.h"
#include "files/record.h"
#include "registry/registry.h"
#include "rfid/rfid.h"
#include "support/helmtext.h"
#include "support/intl.h"

static GtkWidget* multiwin = nullptr;    // the window while it is open
static GtkWidget* countlabel[6] = {};    // its counts: couples, then the roles M..E

static void MultiGone(GtkWidget* w, gpointer) {
    if (multiwin == w) multiwin = nullptr;
    for (GtkWidget*& l : countlabel) l = nullptr;
    statsd.pgmbttn = nullptr;
}

// The count shown under radio button i (0 couples, 1..5 the single roles).
static int KindCount(int i) { return anoncounts[i == 0 ? 5 : i - 1]; }

static void ShowCounts() {
    for (int i = 0; i < 6; ++i)
        if (countlabel[i]) gtk_label_set_text(GTK_LABEL(countlabel[i]), strprintf("%4d", KindCount(i)).c_str());
}

static void MultiWindow() {
    Record("(RfidMDisplay) multi-anonymous dancer\n");
    multiwin = RfidWindowNew(_("Multiple-Anonymous Rfid Display"));
    g_signal_connect(sdnew, "destroy", G_CALLBACK(MultiGone), nullptr);
    // Cards swiped while this window has the focus reach the dispatcher as in the main window.
    g_signal_connect(sdnew, "key-press-event", G_CALLBACK(KeybrdHandler), nullptr);

    GtkWidget* vbox = gtk_box_new(GTK_ORIENTATION_VERTICAL, sp2);
    GtkWidget* hbox = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, sp5);
    statsd.pgmbttn = gtk_button_new_with_label(strpgm(statsd.pgm));
    g_signal_connect(statsd.pgmbttn, "clicked", G_CALLBACK(PgmBttn), &statsd);
    gtk_box_pack_start(GTK_BOX(hbox), statsd.pgmbttn, FALSE, FALSE, 0);
    static const char* const kinds[6] = {N_("Couple"), "M", "F", "MF", "FM", "E"};
    GtkWidget* group = nullptr;
    for (int i = 0; i < 6; ++i) {
        GtkWidget* col = gtk_box_new(GTK_ORIENTATION_VERTICAL, sp2);
        group = rfidcplsnglbttns[i] = gtk_radio_button_new_with_label_from_widget(
            group ? GTK_RADIO_BUTTON(group) : nullptr, i == 0 ? _(kinds[i]) : kinds[i]);
        countlabel[i] = gtk_label_new("");
        gtk_box_pack_start(GTK_BOX(col), rfidcplsnglbttns[i], FALSE, FALSE, 0);
        gtk_box_pack_end(GTK_BOX(col), countlabel[i], FALSE, FALSE, 0);
        gtk_box_pack_start(GTK_BOX(hbox), col, FALSE, FALSE, 0);
    }
    ShowCounts();
    GtkWidget* done = gtk_button_new_with_label(_("Done"));
    g_signal_connect(done, "clicked", G_CALLBACK(RfidDoneBttn), nullptr);
    gtk_box_pack_start(GTK_BOX(hbox), done, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(vbox), hbox, FALSE, FALSE, 0);
    gtk_container_add(GTK_CONTAINER(sdnew), vbox);

    // The kind chosen before is pressed in first: only the operator's choices are recorded.
    int chosen = statsd.sex >= M && statsd.sex <= E ? statsd.sex + 1 : 0;
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(rfidcplsnglbttns[chosen]), TRUE);
    for (GtkWidget* b : rfidcplsnglbttns)
        g_signal_connect(b, "toggled", G_CALLBACK(RfidCplSnglBttn), &statsd);
    gtk_widget_show_all(sdnew);
}

void RfidMDisplay(const char* nmbrbuf) {
    if (statsd.dispname.empty()) {  // first use: couples at the club's level
        statsd = SqrDancer{};
        statsd.pgm = pgmfloor;
        statsd.sex = NOSEX;
        statsd.dispname = "&statsd";
        statsd.avail = statsd.assigned = statsd.display = statsd.tagged = 0;
        if (editmode != EDIT && editmode != PRESENT) SwitchDisplay(EDIT);
    }
    std::string note;
    uint64_t card = RfidParse(nmbrbuf);
    if (card) {
        rfid = card;
        if (SqrDancer* holder = RfidHolder(card))
            note = strprintf(_("%s already associated with %s; deleting association\n"), nmbrbuf,
                             holder->lastname.c_str());
        AnonForCard(card, statsd.sex, statsd.pgm, false);
        if (editmode == EDIT || editmode == PRESENT) {
            SwitchDisplay(editmode);
        } else if (multiwin) {  // no board to redraw: the open window shows the new counts
            ShowCounts();
            if (!note.empty()) GtkTimeNote(3, "%s", note.c_str());
            return;
        }
    }
    MultiWindow();
    // After the window: a new display or window would close the note at once.
    if (!note.empty()) GtkTimeNote(3, "%s", note.c_str());
}

void RfidMultiCardSwitch(bool on) {
    Mflag = on;
    if (on) RfidMDisplay(nullptr);
    else if (multiwin && sdnew == multiwin) DestroyWidget(sdnew);
}
