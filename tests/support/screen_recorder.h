// SPDX-License-Identifier: GPL-3.0-or-later
// A stand-in for the screen that records what the logic asked it to show.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/dorvels.h"

namespace screen {
extern std::vector<std::string> notes;      // GtkNote texts, in order
extern std::vector<std::string> warnings;   // GtkWarning texts, in order
extern std::vector<std::string> timenotes;  // GtkTimeNote texts, in order
extern std::vector<EDITMODE> switches;      // SwitchDisplay modes, in order
extern std::vector<std::string> tooltips;   // "dispname|tooltip" for ShowDancerTooltip
extern std::vector<int> clearedsliders;     // ClearSqrTagSlider slots
extern int resetanswer;                     // what AskResetDialog answers (default 2, "No")
extern int resetasked;                      // how often AskResetDialog was called
extern std::vector<std::string> plots;     // PlotCommands: "png" or "screen", a blank, the commands
extern std::vector<std::string> replayed;   // ReplayLine: "handler|text"
// What a replayed line does besides being listed (a test's stand-in for the handlers).
extern std::function<void(const std::string& handler, const std::string& text)> onreplay;
extern bool keyboardtaken;                  // what KeyboardTaken answers (default false)
// AskSaveFailed: the texts it was shown, and its answers in turn (SAVE_NOT when none is
// left), each with the file name chosen for SAVE_OTHERNAME.
extern std::vector<std::string> saveasked;
extern std::vector<std::pair<int, std::string>> saveanswers;
// When set, SwitchDisplay also sets editmode to the new mode (as the real one does).
extern bool switchsetsmode;
void clear();
}  // namespace screen
