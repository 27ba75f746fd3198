// The record of operator actions: one line per action in a numbered record file.
#pragma once

// Appends the formatted text to the open record file and flushes it at once; does nothing
// when not recording (rflag null).
void Record(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// Starts recording in the first free "dorvels.record%03d" (000..999) of the working
// directory, whose first line holds the current seeds; sets rflag. When no file can be
// made, the operator is warned and recording stays off.
void OpenRecordFile();

// Stops recording: closes the open record file and clears rflag.
void CloseRecordFile();
