// SPDX-License-Identifier: GPL-3.0-or-later
// A screen that shows nothing: for the benchmarks and the fuzz target, where messages are
// not part of what is measured or checked.
#include "core/screen.h"

void GtkNote(const char*, ...) {}
void GtkWarning(const char*, ...) {}
void GtkTimeNote(int, const char*, ...) {}
void SwitchDisplay(EDITMODE) {}
void ShowDancerTooltip(const SqrDancer*) {}
void DancerLeaves(SqrDancer*) {}
void ClearSqrTagSlider(int) {}
int AskResetDialog() { return 0; }
int PlotCommands(const std::string&, bool) { return 0; }
void ReplayLine(const std::string&, const std::string&) {}
bool KeyboardTaken() { return false; }
int AskSaveFailed(const std::string&, bool, std::string*) { return SAVE_NOT; }
