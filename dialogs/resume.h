// SPDX-License-Identifier: GPL-3.0-or-later
// The question at start-up when the club file's evening can be resumed.
#pragma once

#include <string>
#include <vector>

// Asks "Resume tonight's evening (...)?" when the evening file beside the club file holds an
// evening of the last hours, and resumes it or starts a new evening (with cards, everybody
// absent if the operator keeps that choice). Resume is the default after a break, New
// evening after an evening ended on purpose. Asks nothing when there is no evening to
// resume; a club night with cards on a later day than the club file's last write then
// begins with everybody absent. True when the evening was resumed. A command key typed while
// the question is up (r to roll, as the operator does at the start of every evening) gives
// the default answer, and the key goes on to the main window once its display is built
// (ResumeKey); cards swiped meanwhile wait there too (ResumeCards).
bool ResumeAtStart();
// The command key typed into the question (0 when none); taken once.
char ResumeKey();
// The cards swiped while the question was up, in their order; taken once.
std::vector<std::string> ResumeCards();
