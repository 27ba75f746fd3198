// SPDX-License-Identifier: GPL-3.0-or-later
// The evening beside the club file: what a quit, a crash or a power cut must not take away
// (dance counts, presence, the tip number and the tips rolled, the out list, skip and
// must-once requests, square tags, the choices of the evening). It is kept in a small text
// file next to the club file ("harbor.dorvel" -> "harbor.evening"), replaced atomically
// whenever it changed, and offered back at the next start on the same club file within
// EVENINGHOURS hours. The club file's own format, and its rule that counts read as 0, stay.
//
// The file: a first line "dorvels-evening 1", then "key=value" lines. Unknown keys are
// ignored, so that later versions can add keys; a line a known key cannot take makes the
// whole file ignored, with a word to the operator. Dancers are named as the club file names
// them (first and last name, the n-th dancer of that name), so that a dancer who has left
// the club file since is left out.
#pragma once

#include <ctime>
#include <functional>
#include <string>

// Adds a field kept by another part of the program. One call, before the evening is read at
// start-up (before RunDisplay), e.g.:
//   EveningField("projector", [] { return std::string(projectoropen ? "1" : ""); },
//                [](const std::string& v) { projectorwanted = v == "1"; return true; });
// `save` gives the value to write ("" writes no line); `load` takes it back when an evening
// is resumed and returns false for a value it cannot take (that field is then reported and
// left out; the rest of the evening is resumed). A key is letters, digits and "-"; a value
// is one line (line ends become blanks).
void EveningField(const std::string& key, std::function<std::string()> save,
                  std::function<bool(const std::string&)> load);

// The evening file of a club file (CompanionFile): "harbor.dorvel" -> "harbor.evening".
std::string EveningFileName(const std::string& clubfile);

// The evening file of the club file in use; "" when the evening is not kept: no club file of
// this run's own yet (none read or written, one not read, one another Dorvels holds), or a
// replay (-d), which neither reads nor writes it.
std::string EveningPath();

// Writes the evening file when the evening changed since it was last written (cheap when it
// did not). Called after every roll, after each key or click, and at the end of the evening
// (`ended`: ended on purpose, so that the next start offers it with "New evening" as the
// default). Nothing is written while an evening found at the start waits for the operator's
// answer. False when it could not be written (said once, in the window too).
bool EveningSave(bool ended = false);

// What start-up found beside the club file.
struct EveningOffer {
    bool offered = false;  // an evening of the last EVENINGHOURS hours with something to resume
    int tip = 0;           // its tip number
    int present = 0;       // dancers present in it (of those still in the club file)
    time_t lastroll = 0;   // when its last tip was rolled; 0 = none yet
    time_t saved = 0;      // when it was written last
    bool ended = false;    // ended on purpose (x, q, Escape, the window closed), not broken off
    time_t now = 0;        // the time it was found at
};
constexpr time_t EVENINGHOURS = 12;
// Reads the evening file of the club file in use (once the club file is read). A damaged
// file is reported (ClubFileNotice) and not offered.
EveningOffer EveningFind(time_t now);
// The question asked for an offer: "Resume tonight's evening (tip N, M present, last roll at
// HH:MM)?", N the newest tip rolled; the date is added when that was not today, and no time
// is named that the clock cannot give.
std::string EveningQuestion(const EveningOffer& offer);
// Puts the evening EveningFind offered back into the roster (as it was: dancers entered,
// deleted, renamed, cards, partners), the settings and the state of the evening, and writes
// it at once; false when none was offered.
bool EveningResume();
// Resumes the evening of an evening file named (a replay's copy of the evening a record
// resumed); false, said in the window, when it cannot be read.
bool EveningResumeFrom(const std::string& path);
// "New evening": the evening found is not offered again (the new one is written in its
// place); with everybodyabsent every dancer starts absent (cards swiped at the door then
// check dancers in).
void EveningNew(bool everybodyabsent);
// Whether any dancer of the roster has a card.
bool RosterHasCards();

// Forgets what is known of the evening file (a fresh evening, tests).
void EveningReset();
