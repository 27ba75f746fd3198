// SPDX-License-Identifier: GPL-3.0-or-later
// A card reader types a card's ten digits and Enter faster than any person: told by their
// speed, the keys of a swipe into a window's text entry are taken as a card, not as typing.
#pragma once

#include <cstdint>
#include <string>

// Keys typed into an entry, with the times of their events (milliseconds). Digits are held
// back while they may still be a swipe; the caller keeps the held keys' events and delivers
// or drops them as told.
class SwipeGate {
public:
    // A reader's digits follow one another within GAPMS and all ten take at most TOTALMS; a
    // person typing ten digits takes several times as long. The Enter after them may come
    // later (within ENTERMS: a program typing the number and then Enter).
    static constexpr int32_t GAPMS = 35, TOTALMS = 200, ENTERMS = 500;
    enum Verdict {
        PASS,   // deliver the key (after the *release keys held before it)
        HOLD,   // hold the key back (after delivering the *release keys held before it)
        SWIPE,  // the held digits and this Enter are the card card(): drop them all
    };
    // The key c ('0' to '9', '\r' or '\n' for Enter, anything else for another key) at time ms.
    Verdict Key(char c, uint32_t ms, int* release);
    // No key came for a while: the held digits were typing. Returns how many to deliver.
    int Expire();
    int Held() const { return held_; }
    // How long (milliseconds) the held keys may wait for the next key of a swipe.
    int32_t WaitMs() const { return held_ == 10 ? ENTERMS : GAPMS; }
    const std::string& card() const { return card_; }

private:
    int held_ = 0;
    uint32_t first_ = 0, last_ = 0;
    std::string digits_, card_;
};
