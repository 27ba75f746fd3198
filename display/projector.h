// SPDX-License-Identifier: GPL-3.0-or-later
// The projector window: a second top-level window for a projector or a TV in the hall. It
// shows the hall view of the newest tip (never an older one the operator pages to in the
// history display), fitted to its own size, while the main window stays the
// operator's. It never takes the key focus; keys typed into it anyway (the operator clicked
// it) go to the main window, so that a card swiped then still checks its dancer in. F11 and
// a double click make it full-screen or not, Escape leaves full-screen. Closing it never
// ends the evening.
#pragma once

#include <gtk/gtk.h>

#include <string>
#include <vector>

#include "display/boards.h"

// The D key: opens the window, or closes it when open. The choice is kept in the club file
// (the projector setting) and the window opens again at the next start.
void ProjectorToggle();
// Brings the window up to date: open when the setting says so (closed when not), showing
// the tip it should. Called after every change of display, roll, history step or font step;
// it rebuilds only when what the window should show has changed.
void ProjectorFollow();
// A font key on a board: the window's letters a step larger (chg > 0) or smaller, when the
// window is open and a step is left in that direction.
void ProjectorFontStep(int chg);
// The window goes without changing the setting (the end of the program, a fresh evening).
void ProjectorClose();

// ---- read back (tests, benchmarks) ----------------------------------------------------------
// The window, or null when it is closed.
GtkWidget* ProjectorWindow();
// Every label text of the window, in reading order.
std::vector<std::string> ProjectorTexts();
// The hall view the window shows (all zero before the first tip and while it is closed).
HallViewFacts ProjectorFacts();
// The label of the tip number (the club's name before the first tip), or null.
GtkWidget* ProjectorTipLabel();
// Whether the window asked to be full-screen (the window manager may not have answered yet).
bool ProjectorFullscreen();
