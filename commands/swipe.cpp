// SPDX-License-Identifier: GPL-3.0-or-later
// The program's event filter: card swipes into text entries; after each key and click the
// evening is saved (commands/autosave).
#include "commands/swipe.h"

#include <deque>

#include "commands/autosave.h"
#include "commands/keys.h"
#include "core/swipe.h"
#include "dialogs/dancer.h"
#include "display/display.h"
#include "files/record.h"
#include "registry/registry.h"
#include "rfid/rfid.h"
#include "support/intl.h"

namespace {

SwipeGate gate;
std::deque<GdkEvent*> held;  // copies of the key events held back, presses and releases
guint expiretimer = 0;
int expirewaits = 0;

// The text entry that has the focus in the window of the event, when it is a window over the
// main window (the main window takes every digit as a card digit already).
GtkWidget* FocusedEntry(GdkEvent* event) {
    GtkWidget* w = gtk_get_event_widget(event);
    GtkWidget* top = w ? gtk_widget_get_toplevel(w) : nullptr;
    if (!top || !GTK_IS_WINDOW(top) || top == sdwin) return nullptr;
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(top));
    return focus && GTK_IS_ENTRY(focus) ? focus : nullptr;
}

// The character of a key for the gate: a digit or Enter (main keys or keypad), else 0.
char GateChar(const GdkEventKey* key) {
    if (key->keyval >= GDK_KEY_KP_0 && key->keyval <= GDK_KEY_KP_9) return (char)('0' + (key->keyval - GDK_KEY_KP_0));
    if (key->keyval == GDK_KEY_KP_Enter || key->keyval == GDK_KEY_Return) return '\r';
    if (key->keyval >= GDK_KEY_0 && key->keyval <= GDK_KEY_9 &&
        !(key->state & (GDK_CONTROL_MASK | GDK_MOD1_MASK)))
        return (char)('0' + (key->keyval - GDK_KEY_0));
    return 0;
}

void Deliver();

void StopExpire() {
    if (expiretimer) g_source_remove(expiretimer);
    expiretimer = 0;
    expirewaits = 0;
}

void Drop() {
    for (GdkEvent* e : held) gdk_event_free(e);
    held.clear();
    StopExpire();
}

// No key came for longer than a reader leaves between two: the digits held were typed. Keys
// still queued are judged first by their own times (a busy machine delivers them late).
gboolean Expire(gpointer) {
    expiretimer = 0;
    if (gdk_events_pending() && ++expirewaits < 50) {
        expiretimer = g_timeout_add(5, Expire, nullptr);
        return G_SOURCE_REMOVE;
    }
    gate.Expire();
    SwipeRelease();
    return G_SOURCE_REMOVE;
}

void ArmExpire() {
    StopExpire();
    expiretimer = g_timeout_add((guint)gate.WaitMs() + 15, Expire, nullptr);
}

// A key event while digits may be held; true when the filter took it.
bool TakeKey(GdkEvent* event) {
    if (event->type == GDK_KEY_RELEASE) {
        if (held.empty()) return false;
        held.push_back(gdk_event_copy(event));
        return true;
    }
    bool entry = FocusedEntry(event) != nullptr;
    if (!entry && held.empty()) return false;
    int release = 0;
    SwipeGate::Verdict v = entry ? gate.Key(GateChar(&event->key), event->key.time, &release)
                                 : (release = gate.Expire(), SwipeGate::PASS);
    // The keys held before this one were typing; the gate may hold this one anew.
    if (release) Deliver();
    switch (v) {
        case SwipeGate::HOLD:
            held.push_back(gdk_event_copy(event));
            ArmExpire();
            return true;
        case SwipeGate::SWIPE:
            Drop();
            SwipeIntoEntry(gate.card());
            AutosaveSoon();
            return true;
        default: return false;
    }
}

// Delivers the key events held, in their order.
void Deliver() {
    StopExpire();
    std::deque<GdkEvent*> out;
    out.swap(held);
    for (GdkEvent* e : out) {
        gtk_main_do_event(e);
        gdk_event_free(e);
    }
}

}  // namespace

void SwipeRelease() {
    gate.Expire();
    Deliver();
}

void EventFilter(GdkEvent* event, gpointer) {
    if (event->type == GDK_KEY_PRESS || event->type == GDK_BUTTON_PRESS) AutosaveNow();
    if ((event->type == GDK_KEY_PRESS || event->type == GDK_KEY_RELEASE) && TakeKey(event)) return;
    if (!held.empty() && (event->type == GDK_BUTTON_PRESS || event->type == GDK_FOCUS_CHANGE)) SwipeRelease();
    gtk_main_do_event(event);
    // A digit alone changes nothing to keep (a card's digits are collected until its Enter).
    // A button pressed with Space or Enter acts when the key is released, so releases count too.
    bool key = event->type == GDK_KEY_PRESS || event->type == GDK_KEY_RELEASE;
    char c = key ? GateChar(&event->key) : 0;
    if ((key && !(c >= '0' && c <= '9')) || event->type == GDK_BUTTON_RELEASE) AutosaveSoon();
}

void EventFilterInstall() { gdk_event_handler_set(EventFilter, nullptr, nullptr); }

void SwipeIntoEntry(const std::string& card) {
    // A card the open window waits for (a new dancer's card, a card window's) or that a
    // pending command wants goes the way of a swipe on the main window; so does any card while
    // a window that takes cards is open over the main window (the card window, a dancer's
    // pop-up): whichever of its widgets has the focus, the card does what it does there.
    bool popup = DancerPopupOpen() && !NewDancerBeingEntered();
    if (Eflag || Iflag || Mflag || NDflag || skiptipflag || zflag || KeybrdTakesCards() || popup) {
        ResetKeybrd();
        for (char c : card) KeybrdCmd(c);
        KeybrdCmd('\r');
        return;
    }
    Record("(SwipeIntoEntry) %s\n", card.c_str());
    uint64_t number = RfidParse(card.c_str());
    SqrDancer* sd = number && !IsCommandCard(number) ? RfidHolder(number) : nullptr;
    if (!sd) {
        // A command card or an unknown card would close the window and what was typed.
        if (!sdpop)
            GtkTimeNote(4, _("card %s was not taken while this window is open: close it, then swipe the card again"),
                        card.c_str());
        return;
    }
    CardPresenceFlip(sd);
    EditCellsRefresh();
    // The note goes where no dancer's dialog is open (a pop-up there would take its place).
    if (!sdpop)
        GtkTimeNote(3, sd->avail ? _("%s is available to dance") : _("%s is no longer available to dance"),
                    sd->dispname.c_str());
}
