// SPDX-License-Identifier: GPL-3.0-or-later
// Telling a card reader's swipe from typing by its speed.
#include "core/swipe.h"

SwipeGate::Verdict SwipeGate::Key(char c, uint32_t ms, int* release) {
    *release = 0;
    bool digit = c >= '0' && c <= '9';
    bool enter = c == '\r' || c == '\n';
    if (held_ > 0) {
        // Event times are the X server's, in milliseconds, and wrap around: the difference
        // of two of them is taken as a signed number.
        bool intime = (int32_t)(ms - last_) <= GAPMS && (int32_t)(ms - first_) <= TOTALMS;
        if (enter && held_ == 10 && intime) {
            card_ = digits_;
            held_ = 0;
            digits_.clear();
            return SWIPE;
        }
        if (digit && held_ < 10 && intime) {
            ++held_;
            digits_ += c;
            last_ = ms;
            return HOLD;
        }
        *release = Expire();
    }
    if (!digit) return PASS;
    held_ = 1;
    digits_ = c;
    first_ = last_ = ms;
    return HOLD;
}

int SwipeGate::Expire() {
    int n = held_;
    held_ = 0;
    digits_.clear();
    return n;
}

int32_t SwipeGate::WaitMs() const {
    int32_t left = TOTALMS - (int32_t)(last_ - first_);
    return left < 0 ? 0 : left < GAPMS ? left : GAPMS;
}
