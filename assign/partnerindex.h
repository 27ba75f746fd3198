// SPDX-License-Identifier: GPL-3.0-or-later
// Index over the singles of a running roll, so that the partner search costs amortised
// O(1) instead of a walk over every class. Used by RollSquares and LookForPartner only.
#pragma once

#include "assign/assign.h"

// Builds the index over the classes `prio` (nprio of them) in their current deck order.
// While it exists, LookForPartner(sex, prio) answers from it for that same array.
void PartnerIndexBuild(Priority* prio, int nprio);
void PartnerIndexDrop();
// True while an index exists for prio.
bool PartnerIndexActive(const Priority* prio);
// Answer of the index (same contract as LookForPartner).
SqrDancer* PartnerIndexFind(SDSEX sex);

// When set, every LookForPartner call during a roll also runs the plain scan and counts the
// calls and the answers that differ (for the tests that prove the two equal).
extern int partnercheck;
extern long partnerchecks, partnermismatches;

// The squaresize the latest roll was made with (the size of every sqr[i].dancer array).
extern int rollsqrsize;
