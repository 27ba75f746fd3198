// The question at start-up when the club file's evening can be resumed.
#pragma once

// Asks "Resume tonight's evening (...)?" when the evening file beside the club file holds an
// evening of the last hours, and resumes it or starts a new evening (with cards, everybody
// absent if the operator keeps that choice). Asks nothing when there is no evening to
// resume. True when the evening was resumed.
bool ResumeAtStart();
