// SPDX-License-Identifier: GPL-3.0-or-later
// The tip history of the evening: saving rolled tips, paging through them, re-using one,
// and repeating a roll.
#pragma once

#include "core/dorvels.h"

// Saves the tip just rolled; takes ownership of sqrlist (2 * totdancers malloc'ed texts
// or nulls, in a malloc'ed array).
void HistorySave(char** sqrlist, int totdancers);
void HistoryChange(int chg);
void HistoryUse();
// True when h is an earlier tip than the newest: the hall sees it marked as history (in the
// main window's hall view and in the projector window alike).
inline bool HistoryEarlier(const History* h) { return h && h != histtl; }
// Deletes record h, or the newest record when h is null. The tip stays danced: its number is
// not given again (tipcnt becomes NewestTip()).
void HistoryDelete(History* h);
// The number of the newest tip of the evening: the newest record's, or that of a newer record
// deleted with a dancer (0 before the first tip). Showing older tips changes nothing here.
int NewestTip();
// The number the next roll takes: the one after the newest tip, whatever tip is shown (a
// repeated roll keeps the number of the tip it repeats). Only HistoryUse, which takes the
// later tips back, makes the numbers go on from an older tip.
int NextTipNumber();
void SaveRollDisplay();
void RepeatRollDisplay();
// True when RepeatRollDisplay and a roll would give the newest tip again (with tipcnt set
// to its number): the newest tip is the last roll made, and nothing the roll depended on has
// changed since.
bool LastRollRepeatable();
// Set by RepeatRollDisplay when the next roll shows the same tip again (a board redrawn for
// a font or a name style); the roll clears it. Such a roll is not a new tip of the evening.
extern bool rollrepeat;
// True when record h names sd anywhere (a place, a partner, a temporary partner, or its
// copy of the out-dancer list).
bool HistoryNames(const History* h, const SqrDancer* sd);

// Deletes every record (hist becomes none); the dancers' counters are left as they are.
void HistoryClear();
// Drops every reference the saved roll state (SaveRollDisplay) holds to sd.
void HistoryForgetDancer(const SqrDancer* sd);
// Frees the history and the saved roll state (part of ResetAssign).
void HistoryReset();
