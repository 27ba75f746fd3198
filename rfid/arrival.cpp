// SPDX-License-Identifier: GPL-3.0-or-later
// A card number arrives: a command card performs its command, a pending command takes the
// card, a dancer's card checks the dancer in or out, and an unknown card opens the "Rfid
// Display" window, where the operator gives it to a dancer without a card or to a new
// anonymous couple or single.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "commands/keys.h"
#include "display/boards.h"
#include "files/record.h"
#include "files/replay.h"
#include "registry/registry.h"
#include "rfid/rfid.h"
#include "support/helmtext.h"
#include "support/intl.h"

GtkWidget* rfidcplsnglbttns[6] = {};
GtkWidget* rfidslider = nullptr;
GtkWidget* rfidsliderbttn = nullptr;

// The card the open card window is about. Every later swipe sets rfid (a skip card, for
// one, leaves the window open), so the window keeps its own.
static uint64_t windowcard = 0;

uint64_t RfidParse(const char* nmbrbuf) { return nmbrbuf ? strtoull(nmbrbuf, nullptr, 10) : 0; }

static void TableReady() {
    if (!varhash) varhash = VarHashBuild(2000, RfidHash, RfidCmp);
}

// ---- checking in and out -----------------------------------------------------------------------
static void CheckInOut(SqrDancer* sd) {
    CardPresenceFlip(sd);
    bool note = false;
    switch (editmode) {
        case EDIT:
            // The operator at the door sees whether the swipe checked the dancer in or out.
            SwitchDisplay(EDIT);
            note = true;
            break;
        case PRESENT:
            SwitchDisplay(PRESENT);
            note = true;
            break;
        case SQUARES: note = true; break;
        default: break;
    }
    if (note)
        GtkTimeNote(3, sd->avail ? _("%s is available to dance") : _("%s is no longer available to dance"), sd->dispname.c_str());
}

// ---- the card window ---------------------------------------------------------------------------
static GtkWidget* Button(GtkWidget* box, const char* label, GCallback handler, gpointer data) {
    GtkWidget* b = gtk_button_new_with_label(label);
    g_signal_connect(b, "clicked", handler, data);
    gtk_box_pack_start(GTK_BOX(box), b, TRUE, TRUE, sp2);
    return b;
}

GtkWidget* RfidWindowNew(const char* title) {
    DestroyWidget(sdpop);
    DestroyWidget(sdnew);
    if (sdwin) gtk_widget_show_all(sdwin);
    sdnew = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_container_set_border_width(GTK_CONTAINER(sdnew), sp10);
    gtk_window_set_title(GTK_WINDOW(sdnew), title);
    DialogOverMain(sdnew);
    g_signal_connect(sdnew, "destroy", G_CALLBACK(RfidDestroy), nullptr);
    return sdnew;
}

// ---- finding the dancer by name --------------------------------------------------------------
// Beside the slider, the card window has a search entry and the list of the dancers without a
// card: the letters typed keep the dancers whose name holds them, Down goes into the list,
// Enter (in the entry, or on a row) gives the card to the dancer chosen.
static struct {
    GtkWidget* entry = nullptr;
    GtkWidget* list = nullptr;
    std::string folded;  // the text typed, case folded
} finder;

static const char kRowDancer[] = "dorvels-dancer";

static std::string Folded(const std::string& text) {
    gchar* f = g_utf8_casefold(text.c_str(), -1);
    std::string out = f;
    g_free(f);
    return out;
}

static gboolean RowMatches(GtkListBoxRow* row, gpointer) {
    const char* name = static_cast<const char*>(g_object_get_data(G_OBJECT(row), "dorvels-folded"));
    return finder.folded.empty() || (name && strstr(name, finder.folded.c_str()));
}

static GtkListBoxRow* FirstShownRow() {
    for (int i = 0;; ++i) {
        GtkListBoxRow* row = gtk_list_box_get_row_at_index(GTK_LIST_BOX(finder.list), i);
        if (!row) return nullptr;
        if (gtk_widget_get_child_visible(GTK_WIDGET(row))) return row;
    }
}

static void FinderChanged(GtkEditable* e, gpointer) {
    finder.folded = Folded(gtk_entry_get_text(GTK_ENTRY(e)));
    gtk_list_box_invalidate_filter(GTK_LIST_BOX(finder.list));
    // The first dancer that matches is the one Enter chooses; with nothing typed, nobody.
    if (finder.folded.empty())
        gtk_list_box_unselect_all(GTK_LIST_BOX(finder.list));
    else
        gtk_list_box_select_row(GTK_LIST_BOX(finder.list), FirstShownRow());
}

static void GiveWindowCard(SqrDancer* sd);

static void PickRow(GtkListBoxRow* row) {
    SqrDancer* chosen = row ? static_cast<SqrDancer*>(g_object_get_data(G_OBJECT(row), kRowDancer)) : nullptr;
    // Only a dancer still on the roster (one deleted meanwhile has no row to trust).
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        if (sd == chosen && !sd->rfid) return GiveWindowCard(sd);
}

// Enter in the entry: the dancer chosen. An Enter before any letter (the operator's reflex
// after a swipe) gives the card to nobody.
static void FinderActivate(GtkEntry*, gpointer) {
    if (finder.folded.empty()) return;
    GtkListBoxRow* row = gtk_list_box_get_selected_row(GTK_LIST_BOX(finder.list));
    PickRow(row && gtk_widget_get_child_visible(GTK_WIDGET(row)) ? row : FirstShownRow());
}

static void RowActivated(GtkListBox*, GtkListBoxRow* row, gpointer) { PickRow(row); }

// Down in the entry goes to the chosen row of the list, where the arrows move on.
static gboolean FinderKey(GtkWidget*, GdkEventKey* event, gpointer) {
    if (event->keyval != GDK_KEY_Down && event->keyval != GDK_KEY_KP_Down) return FALSE;
    GtkListBoxRow* row = gtk_list_box_get_selected_row(GTK_LIST_BOX(finder.list));
    if (!row) row = FirstShownRow();
    if (!row) return FALSE;
    gtk_widget_grab_focus(GTK_WIDGET(row));
    return TRUE;
}

static void FinderGone(GtkWidget*, gpointer) {
    finder.entry = finder.list = nullptr;
    finder.folded.clear();
}

// The entry and the list of the dancers without a card, in roster (name) order.
static GtkWidget* Finder() {
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, sp2);
    GtkWidget* label = gtk_label_new_with_mnemonic(_("_Find the dancer (letters of a name, then Enter):"));
    gtk_label_set_xalign(GTK_LABEL(label), 0);
    finder.entry = gtk_search_entry_new();
    gtk_label_set_mnemonic_widget(GTK_LABEL(label), finder.entry);
    finder.list = gtk_list_box_new();
    gtk_list_box_set_selection_mode(GTK_LIST_BOX(finder.list), GTK_SELECTION_SINGLE);
    gtk_list_box_set_activate_on_single_click(GTK_LIST_BOX(finder.list), FALSE);
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        if (sd->rfid) continue;
        GtkWidget* name = gtk_label_new(sd->firstlast.c_str());
        gtk_label_set_xalign(GTK_LABEL(name), 0);
        gtk_list_box_insert(GTK_LIST_BOX(finder.list), name, -1);
        GtkWidget* row = gtk_widget_get_parent(name);
        g_object_set_data(G_OBJECT(row), kRowDancer, sd);
        g_object_set_data_full(G_OBJECT(row), "dorvels-folded", g_strdup(Folded(sd->firstlast).c_str()), g_free);
    }
    gtk_list_box_set_filter_func(GTK_LIST_BOX(finder.list), RowMatches, nullptr, nullptr);
    g_signal_connect(finder.entry, "changed", G_CALLBACK(FinderChanged), nullptr);
    g_signal_connect(finder.entry, "activate", G_CALLBACK(FinderActivate), nullptr);
    g_signal_connect(finder.entry, "key-press-event", G_CALLBACK(FinderKey), nullptr);
    g_signal_connect(finder.list, "row-activated", G_CALLBACK(RowActivated), nullptr);
    g_signal_connect(finder.list, "destroy", G_CALLBACK(FinderGone), nullptr);
    GtkWidget* sw = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(sw), GTK_POLICY_NEVER, GTK_POLICY_AUTOMATIC);
    gtk_scrolled_window_set_min_content_height(GTK_SCROLLED_WINDOW(sw), 200);
    gtk_container_add(GTK_CONTAINER(sw), finder.list);
    gtk_box_pack_start(GTK_BOX(box), label, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(box), finder.entry, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(box), sw, TRUE, TRUE, 0);
    return box;
}

static void CardWindow(uint64_t card) {
    Record("(RfidDisplay) generate new square dancer for rfid#%lu\n", card);
    RfidWindowNew(_("Rfid Display"));
    windowcard = card;
    // The reader types into this window while it has the focus: a card swiped now is handled
    // as a swipe (it replaces this window or checks its dancer in), and its Enter never
    // presses one of the buttons.
    g_signal_connect(sdnew, "key-press-event", G_CALLBACK(KeybrdSwipeHandler), nullptr);
    KeybrdHandlerSuspend(true);  // and into the main window, should the operator click it

    GtkWidget* vbox = gtk_box_new(GTK_ORIENTATION_VERTICAL, sp2);
    gtk_box_pack_start(GTK_BOX(vbox), gtk_label_new(strprintf(_("rfid#%010lu"), card).c_str()), FALSE, FALSE, 0);
    GtkWidget* hbox = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, sp5);
    Button(hbox, _("SqrDancer"), G_CALLBACK(RfidSqrDancerBttn), nullptr);
    rfidcplsnglbttns[0] = Button(hbox, _("Couple"), G_CALLBACK(RfidCplSnglBttn), GUINT_TO_POINTER(0));
    for (int sex = M; sex <= E; ++sex)
        rfidcplsnglbttns[sex + 1] = Button(hbox, strprintf(_("Sngl-%s"), strsex(sex)).c_str(),
                                           G_CALLBACK(RfidCplSnglBttn), GUINT_TO_POINTER(sex + 1));
    Button(hbox, _("Cancel"), G_CALLBACK(RfidCancelBttn), nullptr);
    gtk_box_pack_start(GTK_BOX(vbox), hbox, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(vbox), Finder(), TRUE, TRUE, 0);
    gtk_container_add(GTK_CONTAINER(sdnew), vbox);
    gtk_widget_show_all(sdnew);
    // Letters typed go to the search at once.
    gtk_widget_grab_focus(finder.entry);
}

void RfidDisplay(const char* nmbrbuf) {
    rfid = RfidParse(nmbrbuf);
    TableReady();
    if (RfidSpecCardAction(rfid)) return;
    SqrDancer* sd = RfidFind(rfid);
    if (RfidSpecCardDeferred(rfid, sd)) return;
    if (!sd && Rflag) {
        GtkWarning(_("rfid#%lu is not supported (Rflag=%d)"), rfid, Rflag);
        return;
    }
    if (sd && !Eflag) {
        CheckInOut(sd);
        return;
    }
    Eflag = 0;
    if (editmode != EDIT && editmode != PRESENT) {
        GtkTimeNote(2, _("please try again when square assignments are not being shown"));
        return;
    }
    CardWindow(rfid);
}

// ---- giving the card to a dancer without one ----------------------------------------------------
static void SliderGone(GtkWidget*, gpointer) { rfidslider = rfidsliderbttn = nullptr; }

void RfidSqrDancerBttn(GtkWidget*, void*) {
    Record("(RfidSqrDancerBttn)\n");
    DestroyWidget(sdpop);
    sdpop = gtk_window_new(GTK_WINDOW_POPUP);
    gtk_container_set_border_width(GTK_CONTAINER(sdpop), sp10);
    g_signal_connect(sdpop, "destroy", G_CALLBACK(SliderGone), nullptr);

    // Positions 1..n are the dancers without a card in roster order; 0 and n+1 are nobody.
    int n = 0;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        if (!sd->rfid) ++n;
    free(mapi2sd);
    mapi2sdqty = n + 2;
    mapi2sd = static_cast<SqrDancer**>(calloc((size_t)mapi2sdqty, sizeof(SqrDancer*)));
    outofmem(mapi2sd, "%s\n", "(RfidSqrDancerBttn) mapi2sd");
    int i = 1;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        if (!sd->rfid) mapi2sd[i++] = sd;
    rfid_sd = nullptr;

    rfidsliderbttn = gtk_button_new_with_label(_("None"));
    g_signal_connect(rfidsliderbttn, "clicked", G_CALLBACK(RfidSliderBttn), nullptr);
    rfidslider = gtk_scale_new_with_range(GTK_ORIENTATION_HORIZONTAL, 0, n + 1, 1);
    gtk_range_set_value(GTK_RANGE(rfidslider), 0);
    g_signal_connect(rfidslider, "value-changed", G_CALLBACK(RfidSlider), nullptr);
    GtkWidget* vbox = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    gtk_box_pack_start(GTK_BOX(vbox), rfidsliderbttn, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(vbox), rfidslider, FALSE, FALSE, 0);
    gtk_container_add(GTK_CONTAINER(sdpop), vbox);
    // At the pointer, over the card window whose button opened it.
    PopupBelongs(sdpop, true, sdnew);
    gtk_widget_show_all(vbox);
    PlaceOverParent(sdpop);
    gtk_widget_show(sdpop);
}

void RfidSlider(GtkRange* slider, void*) {
    if (!sdpop || !rfidsliderbttn) return;
    if (!mapi2sd) {
        GtkWarning(_("(RfidSlider) but map2isd is null!"));
        return;
    }
    double v = gtk_range_get_value(slider);
    int i = v < 0 ? 0 : (int)v;
    rfid_sd = i < mapi2sdqty ? mapi2sd[i] : nullptr;
    gtk_button_set_label(GTK_BUTTON(rfidsliderbttn), rfid_sd ? rfid_sd->firstlast.c_str() : _("None"));
}

// The window's card goes to sd (chosen on the slider or in the list), or to nobody; the
// operator is told who has it now.
static void GiveWindowCard(SqrDancer* sd) {
    Record("(RfidSliderBttn) sd<%s>\n", sd ? RecordName(sd).c_str() : "None");
    uint64_t card = windowcard;
    RfidTakeAway(card);
    if (!sd) {
        DestroyWidget(sdpop);
        return;
    }
    RfidGive(sd, card);
    DestroyWidget(sdpop);
    DestroyWidget(sdnew);
    CardArrives(sd);
    rfid_sd = nullptr;
    if (editmode == EDIT || editmode == PRESENT) SwitchDisplay(editmode);
    GtkTimeNote(4, _("rfid#%010lu is now the card of %s, who is available to dance"), card, sd->firstlast.c_str());
}

void RfidSliderBttn(GtkWidget* bttn, void*) {
    KeepUntilIdle(bttn);
    GiveWindowCard(rfid_sd);
}

// ---- a new anonymous dancer for the card ---------------------------------------------------------
static SDSEX KindOf(unsigned i) { return i == 0 ? NOSEX : SDSEX(i - 1); }

void RfidCplSnglBttn(GtkWidget* bttn, void* psd) {
    if (psd == &statsd) {  // a radio button of the multi-card window
        if (!gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(bttn))) return;
        for (unsigned i = 0; i < 6; ++i) {
            if (rfidcplsnglbttns[i] != bttn) continue;
            statsd.sex = KindOf(i);
            // The record names the kind in the English of its radio button, whatever the language shown.
            Record("(RfidCplSnglBttn) radio=%u<%s>\n", i, i == 0 ? "Couple" : strsex(i - 1));
        }
        return;
    }
    KeepUntilIdle(bttn);
    unsigned i = GPOINTER_TO_UINT(psd);
    if (i >= 6) {
        GtkWarning(_("(RfidCplSnglBttn) bad couple-single button (returned %u)\n"), i);
        return;
    }
    SqrDancer* sd = AnonForCard(windowcard, KindOf(i), pgmfloor, true);
    Record("(RfidCplSnglBttn) isex=%u<%s>\n", i, sd ? sd->lastname.c_str() : "");
    KeybrdHandlerRestore();
    DestroyWidget(sdpop);
    if (editmode == EDIT || editmode == PRESENT)
        SwitchDisplay(editmode);  // closes the card window as well
    else
        DestroyWidget(sdnew);
}

// ---- closing -------------------------------------------------------------------------------------
static void CloseCardWindows(GtkWidget* bttn) {
    KeepUntilIdle(bttn);
    DestroyWidget(sdpop);
    DestroyWidget(sdnew);
    Mflag = 0;
    rfid_sd = nullptr;
    rfid = 0;
    KeybrdHandlerRestore();
}

void RfidCancelBttn(GtkWidget* bttn, void*) {
    Record("(RfidCancelBttn)\n");
    CloseCardWindows(bttn);
}

void RfidDoneBttn(GtkWidget* bttn, void*) {
    Record("(RfidDoneBttn)\n");
    CloseCardWindows(bttn);
}

void RfidDestroy(GtkWidget* window, void*) {
    // Closing the slider pop-up from here may come back here: only the outermost call acts.
    static int nesting = 0;
    if (nesting++ == 0) {
        Record("(RfidDestroy)\n");
        if (sdnew == window) sdnew = nullptr;  // on its way out already
        for (GtkWidget*& b : rfidcplsnglbttns) b = nullptr;
        DestroyWidget(sdpop);
        KeybrdHandlerRestore();
    }
    --nesting;
}

// ---- the new dancer's card ---------------------------------------------------------------------
void RfidNewDancerAssoc(const char* nmbrbuf) {
    NDflag = 0;
    SqrDancer* sd = newsd;
    newsd = nullptr;
    DestroyWidget(sdpop);
    rfid = RfidParse(nmbrbuf);
    TableReady();
    if (!sd) {  // the dancer was removed while the dialog waited for the card
        GtkWarning(_("rfid#%010lu: no new dancer is waiting for a card"), rfid);
        return;
    }
    RfidGive(sd, rfid);
}

// ---- replaying the lines written here ----------------------------------------------------------
void ReplayRfidSqrDancerBttn(const std::string&) { RfidSqrDancerBttn(nullptr, nullptr); }

void ReplayRfidSliderBttn(const std::string& text) {
    rfid_sd = RecordField(text, "sd") == "None" ? nullptr : RecordedDancer(text);
    RfidSliderBttn(nullptr, nullptr);
}

void ReplayRfidCplSnglBttn(const std::string& text) {
    unsigned i = 0;
    if (sscanf(text.c_str(), "isex=%u", &i) == 1 && i < 6) {
        RfidCplSnglBttn(nullptr, GUINT_TO_POINTER(i));
        return;
    }
    // A kind chosen in the multi-card window.
    if (sscanf(text.c_str(), "radio=%u", &i) != 1 || i >= 6) return;
    if (rfidcplsnglbttns[i] && GTK_IS_RADIO_BUTTON(rfidcplsnglbttns[i]))
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(rfidcplsnglbttns[i]), TRUE);
    else
        statsd.sex = KindOf(i);
}

void ReplayRfidCancelBttn(const std::string&) { RfidCancelBttn(nullptr, nullptr); }
void ReplayRfidDoneBttn(const std::string&) { RfidDoneBttn(nullptr, nullptr); }

// The card window closed by the window manager.
void ReplayRfidDestroy(const std::string&) { DestroyWidget(sdnew); }
