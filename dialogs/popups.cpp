// SPDX-License-Identifier: GPL-3.0-or-later
// The pop-ups of an edit cell's small buttons: level, role and partner of one dancer, and
// the question before a dancer is deleted. The name pop-up shares its form with the
// new-dancer dialog (dialogs/newdancer.cpp).
#include <string>
#include <vector>

#include "assign/assign.h"
#include "commands/keys.h"
#include "dialogs/dancer.h"
#include "display/boards.h"
#include "files/record.h"
#include "files/replay.h"
#include "registry/edit.h"
#include "registry/registry.h"
#include "support/helmtext.h"
#include "support/intl.h"

namespace {
// The open dancer pop-up (also sdpop while it is open).
struct Popup {
    GtkWidget* win = nullptr;
    SqrDancer* sd = nullptr;
    std::string title;               // which of the dancer's pop-ups it is
    DancerKeys keys;
    std::vector<SqrDancer*> map;     // partner pop-up: slider position -> dancer (0 = none)
    GtkWidget* partnerbttn = nullptr;  // partner pop-up: the button naming the choice
};
Popup pop;

// "destroy" of a pop-up, however it goes (Done, Escape, a note taking its place, the main
// window rebuilt): only forgets.
void PopupGone(GtkWidget* w, gpointer) {
    if (sdpop == w) sdpop = nullptr;
    ReturnFocus(w);
    if (pop.win != w) return;
    if (pop.sd && currsd == pop.sd) currsd = nullptr;
    if (pop.sd && OnRoster(pop.sd)) pop.sd->newpartner = nullptr;
    pop = Popup();
}

void ShowMain() {
    if (sdwin) gtk_widget_show(sdwin);
}

// A pop-up of radio buttons, one per label, the one at `active` pressed: each "toggled" goes
// to `handler` with the dancer once they are all set.
void RadioPopup(SqrDancer* sd, const char* title, const char* const* labels, int qty, int active,
                GCallback handler) {
    GtkWidget* w = DancerPopupNew(sd, title, {DoneBttn, DoneBttn, sd});
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, sp2);
    gtk_container_set_border_width(GTK_CONTAINER(box), sp10);
    std::vector<GtkWidget*> radios;
    GtkWidget* group = nullptr;
    for (int i = 0; i < qty; ++i) {
        GtkWidget* r = gtk_radio_button_new_with_label_from_widget(GTK_RADIO_BUTTON(group), labels[i]);
        group = r;
        g_object_set_data(G_OBJECT(r), "dorvels-index", GINT_TO_POINTER(i));
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(r), i == active);
        gtk_box_pack_start(GTK_BOX(box), r, FALSE, FALSE, 0);
        radios.push_back(r);
    }
    for (GtkWidget* r : radios) g_signal_connect(r, "toggled", handler, sd);
    GtkWidget* done = gtk_button_new_with_label(_("Done"));
    g_signal_connect(done, "clicked", G_CALLBACK(DoneBttn), sd);
    gtk_box_pack_start(GTK_BOX(box), done, FALSE, FALSE, sp5);
    gtk_container_add(GTK_CONTAINER(w), box);
    gtk_widget_show_all(w);
    gtk_window_present(GTK_WINDOW(w));
    if (active >= 0 && active < qty) gtk_widget_grab_focus(radios[active]);
}

// The index a radio button of RadioPopup stands for, or -1 when it was just released.
int ChosenIndex(GtkWidget* bttn) {
    if (!bttn || !gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(bttn))) return -1;
    return GPOINTER_TO_INT(g_object_get_data(G_OBJECT(bttn), "dorvels-index"));
}
}  // namespace

static void PgmChosen(SqrDancer* sd, int i);
static void SexChosen(SqrDancer* sd, int i);
static void PartnerChosen(SqrDancer* sd, SqrDancer* np);
static void DelAnswered(GtkWidget* bttn, SqrDancer* sd, const char* what);

// ---- shared ---------------------------------------------------------------------------------
GtkWidget* DancerWindowNew(const char* title, GtkWidget* parent, GtkWindowPosition position) {
    GtkWidget* w = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(w), title);
    if (parent) gtk_window_set_transient_for(GTK_WINDOW(w), GTK_WINDOW(parent));
    gtk_window_set_modal(GTK_WINDOW(w), TRUE);
    gtk_window_set_destroy_with_parent(GTK_WINDOW(w), TRUE);
    gtk_window_set_position(GTK_WINDOW(w), position);
    return w;
}

void ReturnFocus(GtkWidget* w) {
    GtkWindow* parent = gtk_window_get_transient_for(GTK_WINDOW(w));
    if (parent && gtk_widget_get_mapped(GTK_WIDGET(parent)) && !gtk_widget_in_destruction(GTK_WIDGET(parent)))
        gtk_window_present(parent);
}

gboolean DancerWindowKey(GtkWidget* w, GdkEventKey* event, gpointer data) {
    if (!event) return FALSE;
    const DancerKeys* keys = static_cast<const DancerKeys*>(data);
    char c = event->string && event->string[0] && !event->string[1] ? event->string[0] : 0;
    bool enter = event->keyval == GDK_KEY_Return || event->keyval == GDK_KEY_KP_Enter ||
                 event->keyval == GDK_KEY_ISO_Enter;
    if (NDflag || didhandler) {
        if (c >= '0' && c <= '9') {
            KeybrdCmd(c);
            return TRUE;
        }
        if (enter && KeybrdDigitCount() > 0) {
            KeybrdCmd('\r');
            NewDancerCardShown();
            return TRUE;
        }
    }
    if (NDflag && c) {
        // As on the main window, a key that is no part of a card number ends the wait; an
        // Escape does nothing else, any other key still reaches the entry it was typed in.
        NDflag = 0;
        newsd = nullptr;
        NewDancerCardShown();
        if (event->keyval == GDK_KEY_Escape) return TRUE;
    }
    if (!keys) return FALSE;
    if (event->keyval == GDK_KEY_Escape && keys->escape) {
        keys->escape(w, keys->sd);
        return TRUE;
    }
    if (enter && keys->enter) {
        keys->enter(w, keys->sd);
        return TRUE;
    }
    return FALSE;
}

GtkWidget* DancerPopupNew(SqrDancer* sd, const char* title, DancerKeys keys) {
    if (sdpop) {
        GtkWidget* old = sdpop;
        sdpop = nullptr;
        gtk_widget_destroy(old);
    }
    // Over the main window the pop-up leaves it usable: a right press there closes the
    // pop-up, another cell's button opens its own. Over the new-dancer dialog, which holds
    // the main window for itself, it is modal as the dialog is (or it could not be used).
    GtkWidget* parent = NewDancerBeingEntered() ? sdnew : sdwin;
    GtkWidget* w = DancerWindowNew(title, parent, GTK_WIN_POS_MOUSE);
    gtk_window_set_modal(GTK_WINDOW(w), parent && parent != sdwin);
    pop = Popup();
    pop.win = w;
    pop.sd = sd;
    pop.title = title;
    pop.keys = keys;
    sdpop = w;
    g_signal_connect(w, "key-press-event", G_CALLBACK(DancerWindowKey), &pop.keys);
    g_signal_connect(w, "destroy", G_CALLBACK(PopupGone), nullptr);
    return w;
}

bool CloseDancerPopup() {
    if (!pop.win) return false;
    DoneBttn(nullptr, nullptr);
    RestoreKeysAfterDialog();
    return true;
}

bool DancerPopupOpen() { return pop.win != nullptr; }

bool DancerPopupToggled(const SqrDancer* sd, const char* title) {
    bool same = pop.win && pop.sd == sd && pop.title == title;
    CloseDancerPopup();
    return same;
}

void DoneBttn(GtkWidget*, void*) {
    Record("(DoneBttn)\n");
    if (sdpop) {
        GtkWidget* w = sdpop;
        sdpop = nullptr;
        gtk_widget_destroy(w);
    }
    ShowMain();
}

void ForgetDancerWindows(SqrDancer* sd) {
    if (!sd) return;
    // A pop-up may hold any dancer (the partner pop-up offers many): it goes.
    if (pop.win) gtk_widget_destroy(pop.win);
    NewDancerForget(sd);
    if (zflagpending == sd) {
        zflagpending = nullptr;
        zflagpendingrfid = 0;
    }
}

// ---- level and role ---------------------------------------------------------------------------
void PgmBttn(GtkWidget*, void* psd) {
    SqrDancer* sd = static_cast<SqrDancer*>(psd);
    if (!sd || DancerPopupToggled(sd, "SqrDancer Level")) return;
    Record("(PgmBttn) sd<%s>\n", RecordName(sd).c_str());
    RadioPopup(sd, _("SqrDancer Level"), pgmname, PGMQTY, sd->pgm, G_CALLBACK(PgmRadioBttn));
}

void PgmRadioBttn(GtkWidget* bttn, void* psd) { PgmChosen(static_cast<SqrDancer*>(psd), ChosenIndex(bttn)); }

static void PgmChosen(SqrDancer* sd, int i) {
    if (!sd || i < 0 || i >= PGMQTY) return;
    sd->pgm = SDPGM(i);
    SetButtonText(sd->pgmbttn, strpgm(i));
    SelectPgmColor(sd);
    Record("(PgmRadioBttn) sd<%s> pgm<%s>\n", RecordName(sd).c_str(), strpgm(i));
}

void SexBttn(GtkWidget*, void* psd) {
    SqrDancer* sd = static_cast<SqrDancer*>(psd);
    if (!sd || DancerPopupToggled(sd, "SqrDancer Role")) return;
    Record("(SexBttn) sd<%s>\n", RecordName(sd).c_str());
    static const char* const roles[SEXQTY] = {"M", "F", "MF", "FM", "E"};
    RadioPopup(sd, _("SqrDancer Role"), roles, SEXQTY, sd->sex, G_CALLBACK(SexRadioBttn));
}

void SexRadioBttn(GtkWidget* bttn, void* psd) { SexChosen(static_cast<SqrDancer*>(psd), ChosenIndex(bttn)); }

static void SexChosen(SqrDancer* sd, int i) {
    if (!sd || i < 0 || i >= SEXQTY) return;
    sd->sex = SDSEX(i);
    SetButtonText(sd->sexbttn, strsex(i));
    Record("(SexRadioBttn) sd<%s> sex<%s>\n", RecordName(sd).c_str(), strsex(i));
}

// ---- partner ----------------------------------------------------------------------------------
void PartnerBttn(GtkWidget*, void* psd) {
    SqrDancer* sd = static_cast<SqrDancer*>(psd);
    if (!sd || DancerPopupToggled(sd, "SqrDancer Partner")) return;
    Record("(PartnerBttn) sd<%s>\n", RecordName(sd).c_str());
    sd->newpartner = sd->partner;
    currsd = sd;
    GtkWidget* w = DancerPopupNew(sd, _("SqrDancer Partner"), {DoneBttn, PartnerSetBttn, sd});
    int position = 0;
    pop.map = PartnerMapi2sd(sd, &position);
    gtk_container_set_border_width(GTK_CONTAINER(w), sp10);
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, sp2);
    pop.partnerbttn = gtk_button_new_with_label(sd->partner ? sd->partner->dispname.c_str() : _("None"));
    g_signal_connect(pop.partnerbttn, "clicked", G_CALLBACK(PartnerSetBttn), sd);
    int count = (int)pop.map.size() - 1;
    GtkAdjustment* adj = gtk_adjustment_new(position, 0, count, 1, 1, 0);
    GtkWidget* slider = gtk_scale_new(GTK_ORIENTATION_HORIZONTAL, adj);
    gtk_scale_set_digits(GTK_SCALE(slider), 0);
    gtk_widget_set_size_request(slider, 40 * sp10, -1);
    g_signal_connect(slider, "value-changed", G_CALLBACK(PartnerSlider), sd);
    gtk_box_pack_start(GTK_BOX(box), pop.partnerbttn, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(box), slider, FALSE, FALSE, 0);
    gtk_container_add(GTK_CONTAINER(w), box);
    gtk_widget_show_all(w);
    gtk_window_present(GTK_WINDOW(w));
    gtk_widget_grab_focus(slider);
}

void PartnerSlider(GtkWidget* slider, void* psd) {
    SqrDancer* sd = static_cast<SqrDancer*>(psd);
    if (!sd || !slider) return;
    if (pop.sd != sd || pop.map.empty()) {
        GtkWarning(_("(PartnerSlider) sd<%s> partners requested, but map2isd is null!"), sd->firstlast.c_str());
        return;
    }
    double v = gtk_range_get_value(GTK_RANGE(slider));
    size_t r = v < 0 ? 0 : (size_t)v;
    if (r >= pop.map.size()) r = pop.map.size() - 1;
    PartnerChosen(sd, pop.map[r]);
}

static void PartnerChosen(SqrDancer* sd, SqrDancer* np) {
    sd->newpartner = np;
    SetButtonText(pop.partnerbttn, np ? np->dispname.c_str() : _("None"));
    Record("(PartnerSlider) sd<%s> set partner<%s>\n", RecordName(sd).c_str(), np ? RecordName(np).c_str() : "None");
}

void PartnerSetBttn(GtkWidget*, void* psd) {
    SqrDancer* sd = static_cast<SqrDancer*>(psd);
    if (!sd) return;
    Record("(PartnerSetBttn) sd<%s>\n", RecordName(sd).c_str());
    SetPartner(sd, sd->newpartner);
    pop.map.clear();
    DoneBttn(nullptr, nullptr);
}

// ---- delete -----------------------------------------------------------------------------------
void DelBttn(GtkWidget* bttn, void* psd) {
    SqrDancer* sd = static_cast<SqrDancer*>(psd);
    if (!sd) return;
    enum { DEL_ALL = GTK_RESPONSE_ACCEPT, DEL_CARD = GTK_RESPONSE_APPLY, DEL_NOT = GTK_RESPONSE_REJECT };
    GtkWidget* dlg = gtk_dialog_new_with_buttons(_("Just checking: Are you sure?"), sdwin ? GTK_WINDOW(sdwin) : nullptr,
                                                 GtkDialogFlags(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
                                                 _("OK"), DEL_ALL, nullptr);
    if (varhash && sd->rfid) gtk_dialog_add_button(GTK_DIALOG(dlg), _("Del Rfid Only"), DEL_CARD);
    gtk_dialog_add_button(GTK_DIALOG(dlg), _("CANCEL"), DEL_NOT);
    std::string text = strprintf(_("This will totally delete <%s> from the database\n"), sd->dispname.c_str());
    GtkWidget* label = gtk_label_new(text.c_str());
    gtk_container_set_border_width(GTK_CONTAINER(dlg), sp10);
    gtk_container_add(GTK_CONTAINER(gtk_dialog_get_content_area(GTK_DIALOG(dlg))), label);
    int answer = RunQuestion(dlg, DEL_NOT);  // a card read ends in Enter: it deletes nobody
    if (!OnRoster(sd)) return;  // gone while the question was open
    DelAnswered(bttn, sd, answer == DEL_ALL ? "" : answer == DEL_CARD ? " rfid-only" : nullptr);
}

// The answer to the delete question: the dancer goes (""), only its card goes (" rfid-only"),
// or nothing happens (null).
static void DelAnswered(GtkWidget* bttn, SqrDancer* sd, const char* what) {
    if (!what) return;
    Record("(DelBttn) sd<%s>%s\n", RecordName(sd).c_str(), what);
    if (!*what) {
        ForgetDancerWindows(sd);
        // Whoever was partnered with sd dances single from now on, with an entry of its own.
        for (SqrDancer* o = sdhd; o; o = o->nxt)
            if (o->partner == sd) o->display = 1;
        DelDancer(sd);
        KeepUntilIdle(bttn);
        SwitchDisplay(EDIT);
        ShowMain();
    } else {
        RfidRemove(sd->rfid);
        sd->rfid = 0;
        SetupTooltip(sd);
    }
}

// ---- replaying the lines written here ----------------------------------------------------------
// The dancer a line names; the multi-card window's level button belongs to no dancer of the
// roster, and its lines name nobody.
static SqrDancer* LineDancer(const std::string& text) {
    bool found = false;
    if (RecordField(text, "sd", &found).empty() && found) return &statsd;
    SqrDancer* sd = RecordedDancer(text);
    if (!sd) GtkTimeNote(2, _("replay: no dancer for <%s>"), text.c_str());
    return sd;
}

void ReplayDancerBttn(void (*handler)(GtkWidget*, void*), const std::string& text) {
    if (SqrDancer* sd = LineDancer(text)) handler(nullptr, sd);
}

void ReplayPgmRadioBttn(const std::string& text) {
    SDPGM p = idpgm(RecordField(text, "pgm"));
    if (p != NOPGM) PgmChosen(LineDancer(text), p);
}

void ReplaySexRadioBttn(const std::string& text) {
    SDSEX x = idsex(RecordField(text, "sex"));
    if (x != NOSEX) SexChosen(LineDancer(text), x);
}

void ReplayPartnerSlider(const std::string& text) {
    SqrDancer* sd = LineDancer(text);
    std::string partner = RecordField(text, "partner");
    if (sd) PartnerChosen(sd, partner == "None" ? nullptr : RecordedDancer("dancer<" + partner + ">"));
}

void ReplayDoneBttn(const std::string&) { DoneBttn(nullptr, nullptr); }

void ReplayDelBttn(const std::string& text) {
    if (SqrDancer* sd = LineDancer(text)) DelAnswered(nullptr, sd, text.find("> rfid-only") != std::string::npos ? " rfid-only" : "");
}
