// SPDX-License-Identifier: GPL-3.0-or-later
// Season memory: who met whom in a square on the club's earlier evenings, so that mixing can
// prefer faces not yet met this season. Kept while mixing is on, in a file beside the club
// file ("club.season" beside "club.dorvel"): one line per pair of dancers (by full name) with
// the number of meetings and the date of the last one. A pair not met for 26 weeks is
// forgotten. A damaged file is reported, kept aside and not used; a replay never reads or
// writes the file.
#pragma once

#include <functional>
#include <string>
#include <unordered_map>

#include "core/dorvels.h"

// The running program keeps season memory (set at start-up unless a replay runs; off in
// tests until one sets it).
extern int seasonflag;
// The evening's date as days since 1970-01-01; -1 = today's local date.
extern int seasontoday;

constexpr int SEASONDAYS = 182;          // a pair unmet for longer is forgotten
constexpr long SEASONMAXBYTES = 64L << 20;  // a larger file is taken as damaged

// The season file of a club file (CompanionFile): "club.dorvel" -> "club.season".
std::string SeasonFilename(const std::string& clubfile);

// Whether the memory takes part tonight: seasonflag and mixflag set and the current club
// file's season memory read. The first call reads the file (again when the club file
// changes); an absent file is an empty memory, a damaged one is reported once.
bool SeasonReady();

// For the dancers numbered by `id` (each name used by exactly one dancer of the roster):
// f(a, b, count, tonight) for every remembered pair of two of them, with the meetings
// remembered and how many of those were on this evening's date (a program started again
// the same evening wrote them). Nothing when the memory is not ready.
void SeasonPairs(const std::unordered_map<const SqrDancer*, int>& id,
                 const std::function<void(int, int, int, int)>& f);

// Writes the memory with this evening's meetings (the tip history) to the season file,
// replacing it atomically; forgets pairs unmet for SEASONDAYS and names no dancer of the
// roster has (a dancer deleted leaves nothing behind). A failure is reported once per
// reason. True when written.
bool SeasonSave();

// A dancer's full name changed: its memory follows it; whatever was remembered under the
// new name belonged to somebody no longer on the roster and goes.
void SeasonRename(const std::string& from, const std::string& to);
// Drops the memory (not the file) and turns seasonflag off (a fresh evening, tests).
void SeasonReset();

// Days since 1970-01-01 of a date "YYYY-MM-DD"; -1 when it is no valid date.
int SeasonDay(const std::string& text);
std::string SeasonDate(int day);
