// SPDX-License-Identifier: GPL-3.0-or-later
// Every event of the program passes here before GTK takes it: a card swiped while a text
// entry of a dialog or window has the focus is taken as a card, not typed into the entry,
// and the evening is saved after each key and click (AutosaveSoon), before the next one.
#pragma once

#include <gtk/gtk.h>

#include <string>

// Puts EventFilter in front of GTK's own event handling (once, before the main loop).
void EventFilterInstall();
// The filter: delivers the event to GTK now, later (digits held while they may be a swipe),
// or never (the keys of a swipe). Tests feed it events of their own.
void EventFilter(GdkEvent* event, gpointer data);
// Delivers the held keys at once, as typing (tests).
void SwipeRelease();
// A card swiped into an entry: a dancer's card checks the dancer in or out and changes
// nothing else (the entry keeps its text, the window stays open); a card waited for (a new
// dancer's, the card windows'), and any card while the card window or a dancer's pop-up is
// open, goes where a swipe on the main window goes; any other card is not taken while the
// window is open, which the operator is told.
void SwipeIntoEntry(const std::string& card);
