// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up from the command line and the end of the evening.
#pragma once

#include <string>

// Takes the options and positional arguments (argv without the trace options) and reads
// the club file they choose; creates anonymous dancers asked for.
void StartupArguments(int argc, char** argv);
// Takes "--name VALUE" or "--name=VALUE" out of the argument vector. Returns 1 with *value
// set when it was there, 0 when it was not, -1 when it came without a value. An option whose
// value is optional takes it only as "--name=VALUE" and returns 1 with *value empty when bare.
int TakeLongOption(int* argc, char** argv, const char* name, std::string* value, bool optional = false);
// Sorts the roster, seeds the random generator and records the seeds.
void StartupFinish();
// The end of the evening: records "(terminate)", writes the club file (data 1: counts as
// 0, data 2: keeping the counts, 0: no writing), stops recording and ends the generator.
// A failed write is asked about (SaveWithChoice); false when the operator chose not to save.
bool TerminateEvening(int data);
