// SPDX-License-Identifier: GPL-3.0-or-later
// The pop-up menu of the main window: one button per common command (thirty-seven), each with
// its hotkey in the label and a help text as tooltip, and a legend of the mouse actions. It
// opens on a right click (at the mouse) or on the m, F1 and "?" keys (centred on the screen;
// a note in the way closes first); BttnPress (display.h) opens and closes it.
#pragma once

#include <gtk/gtk.h>

#include <string>

// "clicked" handler of the menu's buttons; ptr is the entry id. Performs the entry's command
// (MenuCmd, commands/keys.h) and closes the menu.
void MenuCallback(GtkWidget* bttn, void* ptr);

// Closes the menu and forgets the time of the last right press (a fresh evening, tests).
void ResetBttnPress();

// The replay of a right press or double click (its record line names the button and whether
// the press was taken), and of a menu entry (the line names its hotkey).
void ReplayBttnPress(const std::string& text);
void ReplayMenuCallback(const std::string& text);
