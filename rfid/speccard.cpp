// SPDX-License-Identifier: GPL-3.0-or-later
// Command cards: swiping one performs a command without the keyboard (a new roll or back to
// the present board, an information request, a skip request, a role or level change for the
// next dancer's card). After z the next card swiped is given a command in a grid of buttons.
#include <cstdio>
#include <string>

#include "assign/assign.h"
#include "commands/keys.h"
#include "display/boards.h"
#include "files/record.h"
#include "registry/registry.h"
#include "rfid/rfid.h"
#include "support/helmtext.h"
#include "support/intl.h"

GtkWidget* speccardgrid = nullptr;
GtkWidget** speccardgridbttn = nullptr;

// The card the open grid gives a command to (rfid changes with every later swipe).
static uint64_t gridcard = 0;

static void RedrawEditOrPresent() {
    if (editmode == EDIT || editmode == PRESENT) SwitchDisplay(editmode);
}

// ---- performing a command ------------------------------------------------------------------------
int RfidSpecCardAction(uint64_t card) {
    if (Iflag) return 0;  // the card is to be reported, not performed
    int slot = SpecCardSlot(card);
    if (slot < 0 || slot == SPECCARD_SKIP) return 0;
    switch (slot) {
        case PRESENT_ROLL:
            prehistory = 0;
            SwitchDisplay(editmode == PRESENT ? SQUARES : PRESENT);
            break;
        case SPECCARD_INFO:
            Iflag = 1;
            GtkNote(_("Pending: swipe any dancer card"));
            break;
        case SPECCARD_SKIPTIP: skiptipflag = 1; break;
        case SPECCARD_SKIPALTTIP: skiptipflag = 2; break;
        default:
            if (slot <= SPECCARD_E) {
                chgsexflag = slot - SPECCARD_M;
                GtkNote(_("Pending: enter card"));
            } else {
                chgpgmflag = slot - SPECCARD_BASIC;
                GtkNote(_("Change program pending: swipe dancer's card"));
            }
            break;
    }
    return 1;
}

// What an information request says about a command card.
static std::string CommandText(int slot) {
    if (slot == PRESENT_ROLL) return "present:roll";
    if (slot == SPECCARD_INFO) return "info";
    if (slot >= SPECCARD_M && slot <= SPECCARD_E) return strsex(slot - SPECCARD_M);
    if (slot >= SPECCARD_BASIC && slot <= SPECCARD_C4) return strpgm(slot - SPECCARD_BASIC);
    return strcmdbynmbr(slot);
}

// A pending level (pgm set) or role change. A card of no dancer changes nobody: the change is
// dropped and the operator told, rather than left to catch the next dancer at the door.
static int ChangeDancer(uint64_t card, SqrDancer* sd, bool pgm) {
    int& flag = pgm ? chgpgmflag : chgsexflag;
    int value = flag;
    flag = -1;
    if (!sd) {
        GtkWarning(_("rfid#%lu belongs to no dancer: the change to %s is dropped"), card,
                   pgm ? strpgm(value) : strsex(value));
        return 1;
    }
    if (pgm) sd->pgm = SDPGM(value);
    else sd->sex = SDSEX(value);
    RedrawEditOrPresent();
    return 1;
}

int RfidSpecCardDeferred(uint64_t card, SqrDancer* sd) {
    if (chgpgmflag >= 0) return ChangeDancer(card, sd, true);
    if (chgsexflag >= 0) return ChangeDancer(card, sd, false);
    if (!Iflag) return 0;
    Iflag = 0;
    int slot = SpecCardSlot(card);
    if (sd) {
        std::string partner = sd->partner ? strprintf(" partner<%s>", sd->partner->firstlast.c_str()) : "";
        GtkNote(_("rfid#%lu: %s %s %s%s"), card, sd->firstlast.c_str(), strsex(sd->sex), strpgm(sd->pgm),
                partner.c_str());
    } else if (slot >= 0) {
        GtkNote(_("rfid#%lu: %s (command cmd card)"), card, CommandText(slot).c_str());
    } else {
        GtkNote(_("rfid#%lu - no square dancer or cmd card is currently associated"), card);
    }
    return 1;
}

// ---- skip requests by card ---------------------------------------------------------------------
void RfidSkipTip(const char* nmbrbuf) {
    DestroyWidget(sdpop);
    if (!varhash) {
        GtkWarning(_("no tfid cards entered, can't find square dancer"));
        return;
    }
    rfid = RfidParse(nmbrbuf);
    SqrDancer* sd = RfidFind(rfid);
    if (!sd) {
        GtkWarning(_("can't find rfid#%lu"), rfid);
        return;
    }
    int skip = skiptipflag;
    SkipTipRequest(sd, skip);
    if (editmode == EDIT) {
        SetToggleAvail(sd, 0);
        SetupTooltip(sd);
    } else {
        sd->avail = 0;
    }
    if (skip == 1)
        GtkNote(_("%s will be skipping the next tip"), sd->firstlast.c_str());
    else
        GtkNote(_("%s is available alternately, starting with tip#%d"), sd->firstlast.c_str(), tipcnt + 2);
    skiptipflag = 0;
}

// ---- giving a card a command ---------------------------------------------------------------------
// The grid closes however it goes (a command chosen, a note in its place, a new display): the
// keys come back, and a dancer's card that no command took goes back to the dancer.
static void GridGone(GtkWidget* grid, gpointer) {
    if (sdpop == grid) sdpop = nullptr;
    speccardgrid = nullptr;
    g_free(speccardgridbttn);
    speccardgridbttn = nullptr;
    RfidPendingRestore();
    KeybrdHandlerRestore();
}

void RfidSpecCardDisplay(const char* nmbrbuf) {
    DestroyWidget(sdpop);
    Record("(RfidSpecCardDisplay)\n");
    // The main window keeps the focus under the pop-up: a card swiped meanwhile still arrives.
    KeybrdHandlerSuspend(true);
    zflag = 0;
    rfid = gridcard = RfidParse(nmbrbuf);
    std::string removing;
    if (SqrDancer* sd = RfidFind(rfid)) {
        removing = strprintf(_("Removing <%s> from rfid database"), sd->firstlast.c_str());
        RfidRemove(rfid);
        zflagpending = sd;
        zflagpendingrfid = rfid;
        sd->rfid = 0;
    }
    SpecCardForget(rfid);

    sdpop = gtk_window_new(GTK_WINDOW_POPUP);
    gtk_container_set_border_width(GTK_CONTAINER(sdpop), sp10);
    gtk_window_set_title(GTK_WINDOW(sdpop), _("Rfid Special Card Action Display"));
    GtkWidget* vbox = gtk_box_new(GTK_ORIENTATION_VERTICAL, sp4);
    // The pop-up is the one place for messages: the removal is said in it, not in a note
    // that would take its place.
    if (!removing.empty()) gtk_box_pack_start(GTK_BOX(vbox), gtk_label_new(removing.c_str()), FALSE, FALSE, 0);
    speccardgrid = gtk_grid_new();
    gtk_grid_set_row_homogeneous(GTK_GRID(speccardgrid), TRUE);
    gtk_grid_set_column_homogeneous(GTK_GRID(speccardgrid), TRUE);
    gtk_grid_set_row_spacing(GTK_GRID(speccardgrid), sp4);
    gtk_grid_set_column_spacing(GTK_GRID(speccardgrid), sp4);
    g_free(speccardgridbttn);
    speccardgridbttn = g_new0(GtkWidget*, SPECCARDQTY);
    static const char* const column0[] = {N_("roll:present"), N_("info"), N_("SkipATip"), N_("SkipAltTips")};
    for (int slot = 0; slot < SPECCARD_SKIP; ++slot) {
        std::string label;
        int col, row;
        if (slot <= SPECCARD_SKIPALTTIP) {
            label = _(column0[slot]), col = 0, row = slot;
        } else if (slot <= SPECCARD_E) {
            label = strsex(slot - SPECCARD_M), col = 1, row = slot - SPECCARD_M;
        } else {
            label = strpgm(slot - SPECCARD_BASIC), col = 2, row = slot - SPECCARD_BASIC;
        }
        GtkWidget* b = gtk_toggle_button_new_with_label(label.c_str());
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(b), speccard[slot] == 0);
        g_signal_connect(b, "toggled", G_CALLBACK(RfidSpecCard), GINT_TO_POINTER(slot));
        gtk_grid_attach(GTK_GRID(speccardgrid), b, col, row, 1, 1);
        speccardgridbttn[slot] = b;
    }
    gtk_box_pack_start(GTK_BOX(vbox), speccardgrid, FALSE, FALSE, 0);
    gtk_container_add(GTK_CONTAINER(sdpop), vbox);
    g_signal_connect(sdpop, "destroy", G_CALLBACK(GridGone), nullptr);
    PopupBelongs(sdpop);
    gtk_widget_show_all(vbox);
    PlaceOverParent(sdpop);
    gtk_widget_show(sdpop);
}

void RfidSpecCardClear(int action) {
    if (action >= 0 && action < SPECCARDQTY) SpecCardForget(speccard[action]);
}

void RfidSpecCard(GtkToggleButton* bttn, void* pslot) {
    KeepUntilIdle(bttn);
    int slot = GPOINTER_TO_INT(pslot);
    uint64_t card = gridcard;
    bool valid = slot >= 0 && slot < SPECCARDQTY;
    Record("(RfidSpecCard) slot=%d<%s>\n", slot, valid ? strcmdbynmbr(slot) : "");
    if (valid) {  // the card is a command card now: it goes back to no dancer
        zflagpending = nullptr;
        zflagpendingrfid = 0;
    }
    DestroyWidget(sdpop);
    KeybrdHandlerRestore();
    if (!valid) {
        GtkWarning(_("attempt to set action#%lu but that is out-of-bounds!"), (unsigned long)slot);
        return;
    }
    RfidSpecCardClear(slot);
    speccard[slot] = card;
    GtkTimeNote(3, _("rfid command card<%s> set to %lu\n"), strcmdbynmbr(slot), card);
}

// ---- the keys E, I and z --------------------------------------------------------------------------
void RfidAssocPending() {
    Eflag = 1;
    GtkNote(_("E pending (enter an rfid card)"));
}

void RfidInfoPending() {
    Iflag = 1;
    GtkNote(_("I pending (pls swipe rfid card)"));
}

void RfidCmdCardPending(const char* note) {
    zflag = 1;
    GtkNote("%s", note);
}

void ReplayRfidSpecCard(const std::string& text) {
    int slot = -1;
    if (sscanf(text.c_str(), "slot=%d", &slot) == 1) RfidSpecCard(nullptr, GINT_TO_POINTER(slot));
}
