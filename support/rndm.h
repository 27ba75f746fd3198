// SPDX-License-Identifier: GPL-3.0-or-later
// The random generator. Its whole state is three 64-bit integers: a state read with
// get_rndm (or chosen by init_rndm) and later restored with set_rndm (or passed to
// init_rndm) reproduces the same sequence of setdeck and urndm results.
#pragma once

#include <cstdint>

// Seeds the generator; three zeros let it choose seeds, which are written back.
void init_rndm(int64_t* s1, int64_t* s2, int64_t* s3);
void get_rndm(int64_t* s1, int64_t* s2, int64_t* s3);
void set_rndm(int64_t s1, int64_t s2, int64_t s3);
// A newly malloc'ed random permutation of 0..n-1 (release with free); null for n < 1.
int* setdeck(int n);
// A uniform integer of lo..hi; lo when hi < lo (no draw is made then).
long urndm(long lo, long hi);
void end_rndm();
