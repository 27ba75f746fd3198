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
// What is wrong with the command line, found before anything is read or written ("" when
// nothing): a value written with a blank after an option that takes it after "=" (the value
// would be taken as a count of anonymous dancers or a club), or more anonymous dancers than
// MAXANONDANCERS in all.
std::string CommandLineProblem(int argc, char** argv);
constexpr int MAXANONDANCERS = 1000;
// Why --print-pdf must not write `file` ("" when it may): an existing file that is neither a
// PDF nor empty, or a name of the club's files (a club file, its backups and reset file, the
// pointer file), which a PDF would destroy or stand in for.
std::string PdfTargetProblem(const std::string& file);

// Sorts the roster, seeds the random generator and records the seeds.
void StartupFinish();
// The end of the evening: records "(terminate)", writes the club file (data 1: counts as
// 0, data 2: keeping the counts, 0: no writing), stops recording and ends the generator.
// A failed write is asked about (SaveWithChoice); false when the operator chose not to save.
bool TerminateEvening(int data);
