// SPDX-License-Identifier: GPL-3.0-or-later
// The tip history of the evening: saving rolled tips, paging through them, re-using one,
// and repeating a roll.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "core/dorvels.h"

// Saves the tip just rolled; takes ownership of sqrlist (2 * totdancers malloc'ed texts
// or nulls, in a malloc'ed array).
void HistorySave(char** sqrlist, int totdancers);
void HistoryChange(int chg);
void HistoryUse();
// True when h is an earlier tip than the newest: the hall sees it marked as history (in the
// main window's hall view and in the projector window alike).
inline bool HistoryEarlier(const History* h) { return h && h != histtl; }
// Deletes record h, or the newest record when h is null.
void HistoryDelete(History* h);
void SaveRollDisplay();
void RepeatRollDisplay();
// True when RepeatRollDisplay and a roll would give the newest tip again (with tipcnt set
// to its number: showing an older tip changes tipcnt): the newest tip is the last roll
// made, and nothing the roll depended on has changed since.
bool LastRollRepeatable();
// Set by RepeatRollDisplay when the next roll shows the same tip again (a board redrawn for
// a font or a name style); the roll clears it. Such a roll is not a new tip of the evening.
extern bool rollrepeat;
// True when record h names sd anywhere (a place, a partner, a temporary partner, or its
// copy of the out-dancer list).
bool HistoryNames(const History* h, const SqrDancer* sd);

// Takes a dancer who leaves the roster out of every record: the places it held are empty,
// links to it are dropped and it leaves the records' out lists. The tips, their numbers and
// everybody else's history stay (the board texts keep what the hall was shown).
void HistoryForget(const SqrDancer* sd);

// A tip kept outside the program (the evening file), as HistorySave made it: its numbers and
// seeds, the board texts by cell, the places by square and slot, and its out list.
struct HistoryPlace {
    int square = 0, slot = 0;
    HistoryDancer hd;
};
struct HistoryTip {
    int tipcnt = 0, prvtipcnt = 0, totsquares = 0, sqrsize = 0, totdancers = 0;
    SDPGM pgmfloor = Basic;
    int64_t s1 = 0, s2 = 0, s3 = 0;
    std::vector<std::pair<int, std::string>> cells;  // cell index < 2 * totdancers
    std::vector<HistoryPlace> places;                // square < totsquares, slot < sqrsize
    std::vector<std::pair<SqrDancer*, int>> outs;    // dancer, assigned
};
// Appends such a tip as the newest record; places without a dancer are left empty.
void HistoryRestore(const HistoryTip& tip);

// Counts every change of the records (a tip saved, restored, deleted, a dancer forgotten):
// whoever keeps a copy of them knows when it is out of date.
extern unsigned historyversion;

// Deletes every record (hist becomes none); the dancers' counters are left as they are.
void HistoryClear();
// Drops every reference the saved roll state (SaveRollDisplay) holds to sd.
void HistoryForgetDancer(const SqrDancer* sd);
// Frees the history and the saved roll state (part of ResetAssign).
void HistoryReset();
