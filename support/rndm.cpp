// SPDX-License-Identifier: GPL-3.0-or-later
// The random generator: a 128-bit linear congruential state (s1 high word, s2 low word)
// stepped with increment s3 (forced odd) and output through a xor-shift and rotation, so
// the whole state is three 64-bit integers and every state is valid, zeros included.
#include "support/rndm.h"

#include <sys/random.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>

namespace {
using u128 = unsigned __int128;
const u128 kMultiplier = (static_cast<u128>(2549297995355413924ULL) << 64) + 4865540595714422341ULL;

struct State {
    u128 lcg = 0;
    uint64_t inc = 0;  // as given; the step uses inc | 1
} st;

uint64_t Next() {
    st.lcg = st.lcg * kMultiplier + (static_cast<u128>(st.inc | 1));
    uint64_t x = static_cast<uint64_t>(st.lcg >> 64) ^ static_cast<uint64_t>(st.lcg);
    unsigned rot = static_cast<unsigned>(st.lcg >> 122);
    return (x >> rot) | (x << ((64 - rot) & 63));
}

// A uniform value of 0..range-1 without modulo bias (multiply-and-reject).
uint64_t Below(uint64_t range) {
    u128 m = static_cast<u128>(Next()) * range;
    uint64_t low = static_cast<uint64_t>(m);
    if (low < range) {
        uint64_t threshold = (0 - range) % range;
        while (low < threshold) {
            m = static_cast<u128>(Next()) * range;
            low = static_cast<uint64_t>(m);
        }
    }
    return static_cast<uint64_t>(m >> 64);
}

int64_t FreshSeed() {
    uint64_t v = 0;
    if (getrandom(&v, sizeof v, 0) != static_cast<ssize_t>(sizeof v))
        v = static_cast<uint64_t>(time(nullptr)) * 6364136223846793005ULL ^ static_cast<uint64_t>(getpid());
    v &= 0x7fffffffffffffffULL;  // positive: the seeds are printed and parsed as %ld
    return v ? static_cast<int64_t>(v) : 1;
}
}  // namespace

void set_rndm(int64_t s1, int64_t s2, int64_t s3) {
    st.lcg = (static_cast<u128>(static_cast<uint64_t>(s1)) << 64) | static_cast<uint64_t>(s2);
    st.inc = static_cast<uint64_t>(s3);
}

void get_rndm(int64_t* s1, int64_t* s2, int64_t* s3) {
    if (s1) *s1 = static_cast<int64_t>(static_cast<uint64_t>(st.lcg >> 64));
    if (s2) *s2 = static_cast<int64_t>(static_cast<uint64_t>(st.lcg));
    if (s3) *s3 = static_cast<int64_t>(st.inc);
}

void init_rndm(int64_t* s1, int64_t* s2, int64_t* s3) {
    if (!s1 || !s2 || !s3) return;
    if (*s1 == 0 && *s2 == 0 && *s3 == 0) {
        *s1 = FreshSeed();
        *s2 = FreshSeed();
        *s3 = FreshSeed();
    }
    set_rndm(*s1, *s2, *s3);
}

int* setdeck(int n) {
    if (n < 1) return nullptr;
    int* deck = static_cast<int*>(malloc(sizeof(int) * static_cast<size_t>(n)));
    if (!deck) return nullptr;
    for (int i = 0; i < n; ++i) deck[i] = i;
    // Fisher-Yates: every permutation equally likely.
    for (int i = n - 1; i > 0; --i) {
        int j = static_cast<int>(Below(static_cast<uint64_t>(i) + 1));
        int t = deck[i];
        deck[i] = deck[j];
        deck[j] = t;
    }
    return deck;
}

long urndm(long lo, long hi) {
    if (hi < lo) return lo;
    uint64_t range = static_cast<uint64_t>(hi) - static_cast<uint64_t>(lo) + 1;
    if (range == 0) return static_cast<long>(Next());  // the whole 64-bit range
    return static_cast<long>(static_cast<uint64_t>(lo) + Below(range));
}

void end_rndm() { st = State{}; }
