// SPDX-License-Identifier: GPL-3.0-or-later
// Who is present, changed by hand: clicks on the name buttons of the edit grid (Shift for a
// block of names, Ctrl to skip one tip), the availability dialog, the Luck/Must button, and
// the buttons of the present board that mark a dancer gone without notice.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_map>

#include "assign/assign.h"
#include "display/boards.h"
#include "files/record.h"
#include "files/replay.h"
#include "registry/registry.h"
#include "support/helmtext.h"
#include "support/intl.h"

SqrDancer* sdblock = nullptr;
GtkWidget* sdavail = nullptr;
GtkWidget* avail_entry = nullptr;
GtkWidget* unavail_entry = nullptr;
long availdispsigid = -1;

// The modifier keys of the left-button release that caused the current signal, if any.
static void ClickModifiers(bool* shift, bool* ctrl) {
    *shift = *ctrl = false;
    GdkEvent* ev = gtk_get_current_event();
    if (!ev) return;
    if (ev->type == GDK_BUTTON_RELEASE && ev->button.button == 1) {
        *shift = (ev->button.state & GDK_SHIFT_MASK) != 0;
        *ctrl = (ev->button.state & GDK_CONTROL_MASK) != 0;
    }
    gdk_event_free(ev);
}

// A handler that rebuilds the display destroys the button whose signal is still being
// emitted: the button is kept until the main loop is idle again.
static gboolean DropRef(gpointer w) {
    g_object_unref(w);
    return G_SOURCE_REMOVE;
}

void KeepUntilIdle(gpointer w) {
    if (!w) return;
    g_object_ref(w);
    g_idle_add(DropRef, w);
}

static void Tooltips(SqrDancer* sd) {
    SetupTooltip(sd);
    if (sd->partner) SetupTooltip(sd->partner);
}

// Sets the dancer's button to its state (pressed in = absent) without running ToggleAvail.
static void ShowAvail(SqrDancer* sd) {
    if (!sd->availbttn) return;
    GtkToggleButton* b = GTK_TOGGLE_BUTTON(sd->availbttn);
    if (sd->availsigid > 0) g_signal_handler_block(b, (gulong)sd->availsigid);
    gtk_toggle_button_set_active(b, sd->avail == 0);
    if (sd->availsigid > 0) g_signal_handler_unblock(b, (gulong)sd->availsigid);
}

// The button's handler goes while the button is set and comes back with a new id.
static void Disconnect(SqrDancer* sd) {
    if (sd->availbttn && sd->availsigid > 0 &&
        g_signal_handler_is_connected(sd->availbttn, (gulong)sd->availsigid))
        g_signal_handler_disconnect(sd->availbttn, (gulong)sd->availsigid);
    sd->availsigid = -1;
}

static void Reconnect(SqrDancer* sd) {
    if (sd->availbttn)
        sd->availsigid = (long)g_signal_connect(sd->availbttn, "toggled", G_CALLBACK(ToggleAvail), sd);
}

void SetToggleAvail(SqrDancer* sd, int avail) {
    if (!sd) return;
    Disconnect(sd);
    sd->avail = avail;
    // Pressed in means absent, as everywhere in the grid: the edit display builds absent
    // dancers' buttons pressed in, so a present dancer's button set active here would read as
    // absent.
    if (sd->availbttn) gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(sd->availbttn), avail == 0);
    Record("(SetToggleAvail) sd<%s> %sactive\n", RecordName(sd).c_str(), avail == 0 ? "in" : "");
    SelectPgmColor(sd);
    Reconnect(sd);
}

// One dancer of a Shift-click block changes state.
static void BlockFlip(SqrDancer* sd) {
    Disconnect(sd);
    sd->avail = !sd->avail;
    if (sd->availbttn) gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(sd->availbttn), sd->avail == 0);
    Tooltips(sd);
    SelectPgmColor(sd);
    Reconnect(sd);
}

void ToggleAvailWith(GtkToggleButton* bttn, SqrDancer* sd, bool shift, bool ctrl) {
    if (!sd) return;
    bool skiptip = false;
    if (shift && sdtoggled) {
        sdblock = sdtoggled;
        sdtoggled = nullptr;
    } else if (ctrl) {
        skiptip = true;
    }

    if (sdblock) {
        SqrDancer* sd1 = sdblock;
        SqrDancer* sd2 = sd;
        if (sd1 != sd2) {
            SqrDancer* x = sd1->nxt;
            while (x && x != sd2) x = x->nxt;
            if (x) {
                Record("(SetToggleAvail) fwd block sd1<%s> sd2<%s>\n", RecordName(sd1).c_str(),
                       RecordName(sd2).c_str());
                for (x = sd1->nxt; x; x = x->nxt) {
                    BlockFlip(x);
                    if (x == sd2) break;
                }
            } else {
                Record("(SetToggleAvail) bwd block toggle sd1<%s> sd2<%s>\n", RecordName(sd1).c_str(),
                       RecordName(sd2).c_str());
                for (x = sd1->prv; x; x = x->prv) {
                    BlockFlip(x);
                    if (x == sd2) break;
                }
            }
        } else {
            // Nothing flips: the button goes back to the dancer's state. The block still ends
            // and the display is rebuilt, which a replay must do as well.
            Record("(SetToggleAvail) fwd block sd1<%s> sd2<%s>\n", RecordName(sd1).c_str(), RecordName(sd2).c_str());
            ShowAvail(sd);
        }
        sdblock = nullptr;
        KeepUntilIdle(bttn);
        SwitchDisplay(EDIT);
        return;
    }

    if (skiptip) {
        Record("(ToggleAvail) sd<%s> skip-tip dancer<%s>\n", sd->dispname.c_str(), RecordName(sd).c_str());
        SkipTipToggle(sd);  // flips avail, keeps the skip record, notes, tooltips
        ShowAvail(sd);
        SelectPgmColor(sd);
        return;
    }

    sd->avail = !sd->avail;
    sdtoggled = sd;
    if (sd->avail) {
        if (sd->dances == 0) {
            // A late arrival counts as having missed one tip rather than all of them.
            sd->dances = maxdances > 0 ? maxdances - 1 : 0;
            sd->tooltip.clear();
            Tooltips(sd);
        }
        ShowAvail(sd);
        Record("(ToggleAvail) sd<%s> active dancer<%s>\n", sd->dispname.c_str(), RecordName(sd).c_str());
    } else {
        ShowAvail(sd);
        Record("(ToggleAvail) sd<%s> inactive dancer<%s>\n", sd->dispname.c_str(), RecordName(sd).c_str());
    }
    Tooltips(sd);
    SelectPgmColor(sd);
}

void ToggleAvail(GtkToggleButton* bttn, void* psd) {
    if (!psd) return;
    bool shift, ctrl;
    ClickModifiers(&shift, &ctrl);
    ToggleAvailWith(bttn, static_cast<SqrDancer*>(psd), shift, ctrl);
}

void Awon(GtkToggleButton* bttn, void* psd) {
    SqrDancer* sd = static_cast<SqrDancer*>(psd);
    if (!sd) return;
    Record("(Awon) sd<%s> dancer<%s>\n", sd->dispname.c_str(), RecordName(sd).c_str());
    KeepUntilIdle(bttn);
    sd->avail = 0;
    if (sd->partner && sd->lastname.compare(0, 7, "Couple#") == 0) sd->partner->avail = 0;
    Aflag = 0;
    SetupDispNames();
    // The square-mates did not get their tip: they count as having sat out. A dancer who
    // sat out itself has no square-mates.
    if (sd->square >= 0) {
        for (SqrDancer* x = sdhd; x; x = x->nxt) {
            if (x == sd || x->square != sd->square || x->outdancer) continue;
            OutDancer* od = OutDancerMake(x);
            if (od) od->assigned = 0;
            x->outdancer = 1;
            --x->dances;
        }
    }
    std::string name = sd->dispname;
    SwitchDisplay(PRESENT);
    GtkTimeNote(5, _("%s is now marked as unavailable (use c to show Squares)"), name.c_str());
}

void LuckMustBttnWith(GtkWidget* bttn, SqrDancer* sd, bool onetip) {
    if (!sd) return;
    const char* label = LuckMustToggle(sd, onetip);
    if (label) SetButtonText(bttn, label);
}

void SetButtonText(GtkWidget* bttn, const char* text) {
    if (!bttn || !text) return;
    // The label inside the button keeps its font; only its text changes.
    GtkWidget* child = GTK_IS_BIN(bttn) ? gtk_bin_get_child(GTK_BIN(bttn)) : nullptr;
    if (child && GTK_IS_LABEL(child))
        gtk_label_set_text(GTK_LABEL(child), text);
    else if (GTK_IS_BUTTON(bttn))
        gtk_button_set_label(GTK_BUTTON(bttn), text);
}

void LuckMustBttn(GtkWidget* bttn, void* psd) {
    bool shift, ctrl;
    ClickModifiers(&shift, &ctrl);
    LuckMustBttnWith(bttn, static_cast<SqrDancer*>(psd), ctrl);
}

// ---- the availability dialog -------------------------------------------------------------
// The dancer a word of the attendance window names: the name trie's (exact), else the first
// in name order whose first, last or whole name is the word but for case and accents.
static SqrDancer* NamedDancer(const char* word) {
    void* item = nullptr;
    if (ps && ps_search(ps, word, &item) && item) return static_cast<SqrDancer*>(item);
    std::string folded = NameFolded(word);
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        if (NameFolded(sd->lastname) == folded || NameFolded(sd->firstname) == folded ||
            NameFolded(sd->firstlast) == folded)
            return sd;
    return nullptr;
}

std::string AvailByName(const gchar* buf, int avail) {
    const char* s = stpblk(buf);
    std::string missed;
    if (!s || !*s) return missed;
    // Anonymous dancers by number: the first dancer of each anonymous last name.
    std::unordered_map<std::string, SqrDancer*> anon;
    int maxnum = 0;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt) {
        const std::string& ln = sd->lastname;
        const char* num = nullptr;
        if (ln.compare(0, 7, "Couple#") == 0) num = ln.c_str() + 7;
        else if (ln.compare(0, 5, "Sngl#") == 0) num = ln.c_str() + 5;
        if (!num) continue;
        anon.emplace(ln, sd);
        maxnum = std::max(maxnum, atoi(num));
    }
    auto apply = [avail](SqrDancer* sd) {
        if (!sd || editmode != EDIT) return;
        SetToggleAvail(sd, avail);
        if (sd->partner) SetToggleAvail(sd->partner, avail);
    };
    char tok[256];
    const char* delims = " \t";
    for (;;) {
        const char* rest = stptok(s, tok, sizeof tok, delims);
        if (tok[0] >= '0' && tok[0] <= '9') {
            int n1 = 0, n2 = 0;
            int got = sscanf(tok, "%d-%d", &n1, &n2);
            if (got < 2) n2 = n1;
            // Numbers beyond the highest anonymous dancer match nobody: the range stops there,
            // so that a mistyped "1-999999999" does not freeze the program counting up.
            if (n2 > maxnum) n2 = maxnum;
            for (int n = n1; n <= n2; ++n) {
                auto it = anon.find(strprintf("Couple#%03d", n));
                if (it == anon.end()) it = anon.find(strprintf("Sngl#%03d", n));
                if (it != anon.end()) apply(it->second);
            }
        } else if (tok[0]) {
            if (SqrDancer* sd = NamedDancer(tok))
                apply(sd);
            else
                missed += (missed.empty() ? "" : ", ") + std::string(tok);
        }
        if (!rest) break;
        s = rest;
        delims = " \t,";
    }
    return missed;
}

// Names typed that found nobody: the operator is told which.
static void SayMissed(const std::string& missed) {
    if (!missed.empty()) GtkWarning(_("No dancer of that name: %s"), missed.c_str());
}

static std::string EntryText(GtkWidget* e) {
    const gchar* t = e ? gtk_entry_get_text(GTK_ENTRY(e)) : nullptr;
    return t ? t : "";
}

static void AvailClose() {
    GtkWidget* d = sdavail;
    if (d && availdispsigid > 0 && g_signal_handler_is_connected(d, (gulong)availdispsigid))
        g_signal_handler_disconnect(d, (gulong)availdispsigid);
    availdispsigid = -1;
    sdavail = avail_entry = unavail_entry = nullptr;
    if (d) gtk_widget_destroy(d);
}

void AvailAction(GtkWidget* bttn, void* action) {
    (void)bttn;
    static const char* const names[] = {"", "Done", "DoItNow", "Cancel"};
    int a = GPOINTER_TO_INT(action);
    Record("(AvailAction) %s available<%s> unavailable<%s>\n", names[a >= AVAIL_DONE && a <= AVAIL_CANCEL ? a : AVAIL_CANCEL],
           EntryText(avail_entry).c_str(), EntryText(unavail_entry).c_str());
    switch (a) {
        case AVAIL_DONE: {
            std::string a = EntryText(avail_entry), u = EntryText(unavail_entry);
            std::string missed = AvailByName(a.c_str(), 1), missed0 = AvailByName(u.c_str(), 0);
            if (!missed0.empty()) missed += (missed.empty() ? "" : ", ") + missed0;
            AvailClose();
            if (sdwin) SwitchDisplay(EDIT);
            SayMissed(missed);
            break;
        }
        case AVAIL_DOIT: {
            std::string a = EntryText(avail_entry);
            std::string missed = AvailByName(a.c_str(), 1);
            if (avail_entry) gtk_entry_set_text(GTK_ENTRY(avail_entry), " ");
            std::string u = EntryText(unavail_entry);
            std::string missed0 = AvailByName(u.c_str(), 0);
            if (!missed0.empty()) missed += (missed.empty() ? "" : ", ") + missed0;
            if (unavail_entry) gtk_entry_set_text(GTK_ENTRY(unavail_entry), " ");
            if (editmode == EDIT && sdwin) SwitchDisplay(EDIT);
            SayMissed(missed);
            break;
        }
        default:
            AvailClose();
            if (sdwin) SwitchDisplay(EDIT);
            break;
    }
}

static GtkWidget* EntryRow(GtkWidget* vbox, const char* text, GtkWidget** entry) {
    GtkWidget* row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, sp5);
    GtkWidget* l = gtk_label_new(text);
    if (lblfont2) SetWidgetFont(l, lblfont2);
    *entry = gtk_entry_new();
    gtk_entry_set_width_chars(GTK_ENTRY(*entry), 40);
    gtk_box_pack_start(GTK_BOX(row), l, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(row), *entry, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(vbox), row, FALSE, FALSE, 0);
    return row;
}

void AvailDisplay() {
    if (sdavail) AvailClose();
    sdavail = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(sdavail), _("Availability"));
    DialogOverMain(sdavail);
    GtkWidget* vbox = gtk_box_new(GTK_ORIENTATION_VERTICAL, sp5);
    gtk_container_set_border_width(GTK_CONTAINER(vbox), sp10);
    EntryRow(vbox, _("  Available: "), &avail_entry);
    EntryRow(vbox, _("Unavailable: "), &unavail_entry);
    GtkWidget* row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, sp5);
    static const struct { const char* label; AVAILACTION action; bool start; } bttns[] = {
        {N_("Done"), AVAIL_DONE, true}, {N_("DoItNow"), AVAIL_DOIT, true}, {N_("Cancel"), AVAIL_CANCEL, false}};
    for (const auto& b : bttns) {
        GtkWidget* w = gtk_button_new_with_label(_(b.label));
        g_signal_connect(w, "clicked", G_CALLBACK(AvailAction), GINT_TO_POINTER(b.action));
        if (b.start)
            gtk_box_pack_start(GTK_BOX(row), w, FALSE, FALSE, 0);
        else
            gtk_box_pack_end(GTK_BOX(row), w, FALSE, FALSE, 0);
    }
    gtk_box_pack_start(GTK_BOX(vbox), row, FALSE, FALSE, 0);
    gtk_container_add(GTK_CONTAINER(sdavail), vbox);
    availdispsigid =
        (long)g_signal_connect(sdavail, "destroy", G_CALLBACK(AvailAction), GINT_TO_POINTER(AVAIL_CANCEL));
    gtk_widget_show_all(sdavail);
}

// ---- replaying the lines written here ----------------------------------------------------
// A line that names nobody in this roster cannot be performed: the operator is told.
static SqrDancer* ReplayedDancer(const std::string& text) {
    SqrDancer* sd = RecordedDancer(text);
    if (!sd) GtkTimeNote(2, _("replay: no dancer for <%s>"), text.c_str());
    return sd;
}

static GtkToggleButton* AvailButton(SqrDancer* sd) {
    return sd->availbttn ? GTK_TOGGLE_BUTTON(sd->availbttn) : nullptr;
}

void ReplayToggleAvail(const std::string& text) {
    SqrDancer* sd = ReplayedDancer(text);
    if (!sd) return;
    bool skiptip = text.find("> skip-tip ") != std::string::npos;
    bool active = text.find("> active") != std::string::npos;
    // A plain click flips the dancer into the state recorded; one already there is not flipped
    // back (the replay has gone its own way, and the next lines may still fit).
    if (!skiptip && (sd->avail != 0) == active) return;
    ToggleAvailWith(AvailButton(sd), sd, false, skiptip);
}

void ReplaySetToggleAvail(const std::string& text) {
    if (text.compare(0, 4, "fwd ") == 0 || text.compare(0, 4, "bwd ") == 0) {
        SqrDancer* sd1 = ReplayedDancer("dancer<" + RecordField(text, "sd1") + ">");
        SqrDancer* sd2 = ReplayedDancer("dancer<" + RecordField(text, "sd2") + ">");
        if (!sd1 || !sd2) return;
        sdtoggled = sd1;  // the Shift-click's anchor: the dancer clicked before
        ToggleAvailWith(AvailButton(sd2), sd2, true, false);
        return;
    }
    if (SqrDancer* sd = ReplayedDancer(text)) SetToggleAvail(sd, text.find("> inactive") == std::string::npos);
}

void ReplayAwon(const std::string& text) {
    if (SqrDancer* sd = ReplayedDancer(text)) Awon(nullptr, sd);
}

// The Luck/Must button of the dancer's cell on the edit display, if it is shown.
static GtkWidget* LuckMustButton(SqrDancer* sd) {
    GtkWidget* cell = sd->availbttn ? gtk_widget_get_parent(sd->availbttn) : nullptr;
    GtkWidget* found = nullptr;
    if (!cell || !GTK_IS_CONTAINER(cell)) return nullptr;
    GList* rows = gtk_container_get_children(GTK_CONTAINER(cell));
    for (GList* r = rows; r && !found; r = r->next) {
        if (!GTK_IS_BOX(r->data)) continue;
        GList* bttns = gtk_container_get_children(GTK_CONTAINER(r->data));
        for (GList* b = bttns; b && !found; b = b->next) {
            GtkWidget* child = GTK_IS_BIN(b->data) ? gtk_bin_get_child(GTK_BIN(b->data)) : nullptr;
            const char* label = child && GTK_IS_LABEL(child) ? gtk_label_get_text(GTK_LABEL(child)) : "";
            if (!strcmp(label, C_("priority", "Luck")) || !strcmp(label, C_("priority", "Must"))) found = GTK_WIDGET(b->data);
        }
        g_list_free(bttns);
    }
    g_list_free(rows);
    return found;
}

void ReplayLuckMustBttn(const std::string& text) {
    if (SqrDancer* sd = ReplayedDancer(text))
        LuckMustBttnWith(LuckMustButton(sd), sd, text.find(" one-tip") != std::string::npos);
}

void ReplayAvailAction(const std::string& text) {
    int action = text.compare(0, 4, "Done") == 0      ? AVAIL_DONE
                 : text.compare(0, 7, "DoItNow") == 0 ? AVAIL_DOIT
                                                      : AVAIL_CANCEL;
    if (!sdavail) {
        if (action == AVAIL_CANCEL) return;
        AvailDisplay();
    }
    gtk_entry_set_text(GTK_ENTRY(avail_entry), RecordField(text, "available").c_str());
    gtk_entry_set_text(GTK_ENTRY(unavail_entry), RecordField(text, "unavailable").c_str());
    AvailAction(nullptr, GINT_TO_POINTER(action));
}
