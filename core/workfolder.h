// SPDX-License-Identifier: GPL-3.0-or-later
// The working folder of a start from the desktop's menu.
#pragma once

#include <string>

// The program's own folder for club files when started from the menu: $XDG_DATA_HOME/dorvels
// when that variable holds an absolute path, else HOME/.local/share/dorvels; "" without a HOME.
std::string UserDataFolder(const char* home, const char* xdgdatahome);

// A start with no club named (argv holds options only) from the home folder, which holds no
// club file of its own (dorvels.dorvel or lastdance.dorvels): the evening then works in
// UserDataFolder, made as needed, so that club files, the pointer file, backups and records
// never land in the home folder itself. Changes the working folder and returns it; returns ""
// when the start stays where it is (a folder that cannot be made is said in a notice).
std::string ChooseWorkingFolder(int argc, char** argv);

// True after ChooseWorkingFolder moved into a folder that holds no club yet: the program's
// first start there, greeted by the setup dialog. EndFirstStart once the operator answered.
bool FirstStart();
void EndFirstStart();
// After start-up, on a first start that read no club: the empty club is written only once
// something is entered into it, so that closing the greeting leaves no file behind.
void FirstStartFinish();
