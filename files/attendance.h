// SPDX-License-Identifier: GPL-3.0-or-later
// The season's attendance beside the club file ("club.attendance" beside "club.dorvel"): for
// every evening with a tip rolled, one record per dancer who came, with the tips danced.
// Dancers are named as the club file names them (first and last name, the n-th dancer of
// that name). The file is replaced atomically after every roll and at the end of the
// evening; an evening resumed after a crash or a quit keeps its identity, so it stays one
// evening. A replay neither reads nor writes the file; a damaged file is reported and kept
// aside, and a new one is begun.
//
// The file: a header line "dorvels-attendance 1", then tab-separated lines
//   evening <id> <date> <tips rolled>
//   dancer <id> <first> <last> <n> <tips danced>
// where <id> is the evening's start (seconds since 1970) and <date> its local date.
#pragma once

#include <ctime>
#include <string>
#include <vector>

// The attendance file of a club file (CompanionFile): "club.dorvel" -> "club.attendance".
std::string AttendanceFilename(const std::string& clubfile);

// When this evening began (its identity in the file); 0 until its first tip is saved. Kept
// with the evening, so that a resumed evening goes on as the same one.
extern time_t attendancestart;

// Writes this evening's attendance into the attendance file of the club file in use (not in
// a replay, not for a club file this run does not own): the dancers present or who danced,
// with their dance counts. An evening without a tip leaves nothing. A failure is reported
// once. True when written (or nothing was to be written).
bool AttendanceSave();
// Keeps attendancestart in the evening file, so that a resumed evening stays one evening.
// Once at start-up, before the evening is read.
void AttendanceKeepWithEvening();
// Forgets what is known of the file and of this evening (a fresh evening, tests).
void AttendanceReset();

struct AttendanceDancer {
    std::string first, last;  // as the club file names the dancer (blanks as "_")
    int nth = 1;
    int evenings = 0, tips = 0;
    int firstday = 0, lastday = 0;  // days since 1970
    bool gone = false;              // not seen for 4 weeks or more
};
struct AttendanceEvening {
    long long id = 0;
    int day = 0;
    int present = 0, tips = 0;
};
struct AttendanceReport {
    std::vector<AttendanceDancer> dancers;    // sorted as the language sorts names
    std::vector<AttendanceEvening> evenings;  // oldest first
};
constexpr int ATTENDANCEGONEDAYS = 28;

// Reads an attendance file into a report; false with *why when it cannot be read or is
// damaged. A missing file is an empty season.
bool AttendanceRead(const std::string& path, AttendanceReport* report, std::string* why);
// The report as CSV (UTF-8 with a byte-order mark): the dancers' table, a blank line, the
// evenings' table.
std::string AttendanceCsv(const AttendanceReport& report);
// The report as lines for people (paper): the dancers, the evenings, those not seen lately.
std::vector<std::string> AttendanceLines(const AttendanceReport& report);
// A dancer's name for people: "First Last" with blanks for the file's underscores.
std::string AttendanceName(const AttendanceDancer& d);
// Writes the report to a CSV file, replacing it atomically; false with *why.
bool WriteAttendanceCsv(const std::string& path, const AttendanceReport& report, std::string* why);
// --attendance=FILE: the report of the club file read to FILE. Says what it wrote or why not
// on the terminal and returns the exit status.
int AttendanceCommand(const std::string& csv);
