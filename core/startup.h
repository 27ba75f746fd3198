// Start-up from the command line and the end of the evening.
#pragma once

// Takes the options and positional arguments (argv without the trace options) and reads
// the club file they choose; creates anonymous dancers asked for.
void StartupArguments(int argc, char** argv);
// Sorts the roster, seeds the random generator and records the seeds.
void StartupFinish();
// The end of the evening: records "(terminate)", writes the club file (data 1: counts as
// 0, data 2: keeping the counts, 0: no writing), stops recording and ends the generator.
// Returns false when a write was asked for and failed.
bool TerminateEvening(int data);
// Usage text for --help.
const char* UsageText();
