// SPDX-License-Identifier: GPL-3.0-or-later
// The hotkeys of the main window: key events to command characters, the dispatcher of the
// one-character commands, the entry of card numbers typed by the RFID reader, and the quit
// confirmation. KeybrdHandlerRestore / KeybrdHandlerSuspend are declared in display.h.
#pragma once

#include <gtk/gtk.h>

#include <cstdint>
#include <string>

#include "core/dorvels.h"

// "key-press-event" handler of sdwin: one-character texts go to KeybrdCmd.
gboolean KeybrdHandler(GtkWidget* widget, GdkEventKey* event, gpointer data);

// "key-press-event" handler of a window over the main window that takes no typing of its own
// (the card window): a card swiped into it still arrives, digits and line ends going to
// KeybrdCmd. Other keys, and an Enter typed without digits, are left to GTK.
gboolean KeybrdSwipeHandler(GtkWidget* widget, GdkEventKey* event, gpointer data);

// True while a window over the main window has the hotkeys and waits for cards (the card
// window, a dancer's name pop-up): a card swiped anywhere then goes the main window's way.
bool KeybrdTakesCards();

// Performs one command character (keyboard, RFID reader, replay).
void KeybrdCmd(char cmd);
// Performs the command of the pop-up menu entry for key cmd: as the key does, but recorded
// as "(MenuCallback) ...", keeping the pending card states and the toggled dancer, and with
// the menu's own c, d, o and z (see CurrentSquares, NameStyle, EverybodyAvail).
void MenuCmd(char cmd);

// Digits of the card number typed so far (at most the first 19 are kept).
std::string KeybrdNumber();
// Number of digits typed since the last carriage return / line feed (all of them, also
// those beyond what is kept).
int KeybrdDigitCount();

// Forgets a number half typed (a fresh evening, tests).
void ResetKeybrd();

// The modal "Are you sure?" dialog, naming what QUIT does (write: writes the club file, as
// Escape does; otherwise quits without writing the changes since the club file was last
// written, as q does): true when the operator chose QUIT.
bool QuitConfirmDialog(bool write);
std::string QuitQuestion(bool write);
