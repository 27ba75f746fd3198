// SPDX-License-Identifier: GPL-3.0-or-later
// The record of operator actions: one line per action in a numbered record file.
#pragma once

#include <string>

// Appends the formatted text to the open record file as one line and flushes it at once;
// does nothing when not recording (rflag null). During a replay the line goes to ReplayEcho.
void Record(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// Starts recording in the first free "dorvels.record%03d" (000..999) of the working
// directory, whose first line holds the current seeds; sets rflag. When no file can be
// made, the operator is warned and recording stays off.
void OpenRecordFile();

// Stops recording: closes the open record file and clears rflag.
void CloseRecordFile();

// Recording is put aside while a replayed action runs, so that it is not recorded again.
void RecordSuspend();
void RecordResume();
// Whether the club file says that this evening is recorded: a record file is open (or put
// aside while a replayed action runs). A record being replayed is not one: a replay never
// switches recording on for the evenings after it.
bool RecordingOn();
// The open record file's name ("" when not recording).
std::string RecordFileName();
