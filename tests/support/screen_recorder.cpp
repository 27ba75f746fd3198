// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/screen_recorder.h"

#include <cstdarg>

#include "core/screen.h"
#include "support/helmtext.h"

namespace screen {
std::vector<std::string> notes, warnings, timenotes, tooltips, plots, replayed;
std::function<void(const std::string&, const std::string&)> onreplay;
bool keyboardtaken = false;
std::vector<EDITMODE> switches;
std::vector<int> clearedsliders;
int resetanswer = 2;
int resetasked = 0;
std::vector<std::string> saveasked;
std::vector<std::pair<int, std::string>> saveanswers;
bool switchsetsmode = true;
std::string lasttimenote = "no message yet";

void clear() {
    notes.clear();
    warnings.clear();
    timenotes.clear();
    switches.clear();
    tooltips.clear();
    plots.clear();
    replayed.clear();
    onreplay = nullptr;
    keyboardtaken = false;
    clearedsliders.clear();
    resetanswer = 2;
    resetasked = 0;
    saveasked.clear();
    saveanswers.clear();
    switchsetsmode = true;
    lasttimenote = "no message yet";
}
}  // namespace screen

void GtkNote(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    screen::notes.push_back(vstrprintf(fmt, ap));
    va_end(ap);
}

void GtkWarning(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    screen::warnings.push_back(vstrprintf(fmt, ap));
    va_end(ap);
}

void GtkTimeNote(int, const char* fmt, ...) {
    if (fmt) {
        va_list ap;
        va_start(ap, fmt);
        screen::lasttimenote = vstrprintf(fmt, ap);
        va_end(ap);
    }
    screen::timenotes.push_back(screen::lasttimenote);
}

void SwitchDisplay(EDITMODE neweditmode) {
    screen::switches.push_back(neweditmode);
    if (screen::switchsetsmode) editmode = neweditmode;
}

void ShowDancerTooltip(const SqrDancer* sd) {
    if (sd) screen::tooltips.push_back(sd->dispname + "|" + sd->tooltip);
}

void DancerLeaves(SqrDancer*) {}

void ClearSqrTagSlider(int slot) { screen::clearedsliders.push_back(slot); }

int AskResetDialog() {
    ++screen::resetasked;
    return screen::resetanswer;
}

int PlotCommands(const std::string& commands, bool onscreen) {
    screen::plots.push_back((onscreen ? "screen " : "png ") + commands);
    return 0;
}

void ReplayLine(const std::string& handler, const std::string& text) {
    screen::replayed.push_back(handler + "|" + text);
    if (screen::onreplay) screen::onreplay(handler, text);
}

bool KeyboardTaken() { return screen::keyboardtaken; }

int AskSaveFailed(const std::string& text, bool, std::string* othername) {
    screen::saveasked.push_back(text);
    if (screen::saveanswers.empty()) return SAVE_NOT;
    auto [answer, name] = screen::saveanswers.front();
    screen::saveanswers.erase(screen::saveanswers.begin());
    *othername = name;
    return answer;
}

void TestScreenClear() { screen::clear(); }
