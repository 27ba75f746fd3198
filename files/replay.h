// SPDX-License-Identifier: GPL-3.0-or-later
// Replaying a record file: one recorded action at a time (key g) or in runs up to the next
// change of display (key G), so that an evening can be reproduced action by action.
#pragma once

#include <string>

#include "core/dorvels.h"

// The keys g (Gmode 0) and G (Gmode 1): opens dbgfile for reading when it is not open, then
// replays; without a file to replay the operator is warned. Nothing happens while a replay
// is already running.
void ReplayKey(int Gmode);
// Replays from dbgfilefp: one action (Gmode 0), or actions up to the first one that changes
// the display mode (Gmode 1). Recording is suspended meanwhile.
void DbgRecording(int Gmode);
// Ends a replay: closes the replay file and forgets what was read ahead of it.
void ReplayStop();
// A replayed action would end the evening (Escape with nothing open, q, Q, x, X, the window
// closed): the replay ends there instead, as at the end of the record, and the evening goes
// on with its club file unwritten. Nothing happens outside a replay.
void ReplayEndsEvening();

// True while a recorded action is being performed again.
bool Replaying();
// A line written by Record while a recorded action is performed again. The action writes its
// own recorded line and the lines of what it sets off (a board built, a dialog's answer) once
// more; each is matched with the next unread line of the record, which is then passed over
// instead of being replayed as an action of its own.
void ReplayEcho(const std::string& line);
// The text of the next unread record line when it was written by `handler` ("" otherwise):
// how the operator answered a question that a replayed action asks again.
std::string ReplayAnswer(const char* handler);

// The keys a recorded text is replayed as. Any text: its letters and digits up to the first
// other character or an "m", and a carriage return after a text that starts with a digit (a
// card number). A line of the key handler (keybrdline) that stands for one key is replayed
// as that key: Escape ("<esc>"), "-", "+", Enter with no digits (an empty text) and a letter
// followed by remarks ("d style<lastfi>").
std::string ReplayKeys(const std::string& text, bool keybrdline);

// Splits a record line "(Handler) text" into the handler's name and the text (leading blanks
// skipped). False for anything else.
bool SplitRecordLine(const std::string& line, std::string* handler, std::string* text);

// The value of the field "key<value>" of a record text ("" when absent); *found tells
// whether it was there. A value runs to the first ">" that ends the text or stands before a
// blank.
std::string RecordField(const std::string& text, const char* key, bool* found = nullptr);
// The name by which record lines name a dancer: its full name, with the first name before it
// for a member of an anonymous couple (both members have the full name "Couple#%03d").
std::string RecordName(const SqrDancer* sd);
// The dancer a record text names: the field dancer<...>, else sd<...>, as a record name, then
// as a full name, then as a display name that only one dancer has. Null when there is none.
SqrDancer* RecordedDancer(const std::string& text);
