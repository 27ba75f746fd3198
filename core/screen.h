// SPDX-License-Identifier: GPL-3.0-or-later
// What the logic asks of the screen. The GUI library defines these functions; the logic
// tests link a recording stand-in instead, so that they can check the exact messages.
#pragma once

#include <string>

#include "core/dorvels.h"

// Pop-up messages: a note (blue), a warning (red), a note that closes itself after
// `seconds` seconds (a null fmt shows the previous timed note again).
void GtkNote(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void GtkWarning(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void GtkTimeNote(int seconds, const char* fmt, ...) __attribute__((format(printf, 2, 3)));

// Rebuilds the main window in the given display mode.
void SwitchDisplay(EDITMODE neweditmode);

// Puts a dancer's tooltip text on its button of the current name grid, if that grid exists.
void ShowDancerTooltip(const SqrDancer* sd);

// sd leaves the roster: the screen lets go of every widget it keeps for the dancer.
void DancerLeaves(SqrDancer* sd);

// Square-tag slot `slot` was emptied: its setup slider (when shown) goes back to "no dancer".
void ClearSqrTagSlider(int slot);

// The modal "Reset Dialog": 0 = Cancel, 1 = Yes (write a reset file), 2 = No (reset).
int AskResetDialog();

// Starts the plotting program (gnuplot) and hands it the commands without waiting for it.
// With onscreen, the picture the commands draw into a file ("set output") is shown in a window
// of the program's own once the plotting program has ended (only when there is a screen): any
// gnuplot draws a PNG, not every one has a window. Returns the program's process id, 0 when
// it did not start (the reason goes to stderr).
int PlotCommands(const std::string& commands, bool onscreen);

// Performs the recorded action of one record line "(handler) text" again.
void ReplayLine(const std::string& handler, const std::string& text);
// True while a dialog has taken the main window's keys or a dancer's pop-up is open: a
// replay goes on through their lines (g and G are not typed in between), and shows no note
// in the pop-up's place.
bool KeyboardTaken();

// A write that must not fail unseen failed (the end of the evening, a reset file): shows
// text and asks what to do. Answers SAVE_RETRY, SAVE_OTHERNAME (with the file chosen in
// *othername) or SAVE_NOT (quitting: "Quit without saving").
enum SaveAnswer { SAVE_NOT = 0, SAVE_RETRY = 1, SAVE_OTHERNAME = 2 };
int AskSaveFailed(const std::string& text, bool quitting, std::string* othername);
