// SPDX-License-Identifier: GPL-3.0-or-later
// The question at start-up when the club file's evening can be resumed.
#pragma once

// Asks "Resume tonight's evening (...)?" when the evening file beside the club file holds an
// evening of the last hours, and resumes it or starts a new evening (with cards, everybody
// absent if the operator keeps that choice). Asks nothing when there is no evening to
// resume. True when the evening was resumed. A command key typed while the question is up
// (r to roll, as the operator does at the start of every evening) resumes the evening, and
// the key goes on to the main window once its display is built (ResumeKey).
bool ResumeAtStart();
// The command key typed into the question (0 when none); taken once.
char ResumeKey();
