// SPDX-License-Identifier: GPL-3.0-or-later
// A card reader types a card's ten digits and Enter faster than any person: told by their
// speed, the keys of a swipe into a window's text entry are taken as a card, not as typing.
// The card is judged as a whole, so that a slow reader (40 ms a key, and now and then a late
// key on a busy machine) is still a reader, while a person typing stays typing.
#pragma once

#include <cstdint>
#include <string>

// Keys typed into an entry, with the times of their events (milliseconds). Digits are held
// back while they may still be a swipe; the caller keeps the held keys' events and delivers
// or drops them as told.
class SwipeGate {
public:
    // Ten digits and their Enter within TOTALMS of the first digit are a card; a person
    // typing at 100 ms a key takes about twice as long. A pause of more than GAPMS between
    // two keys is typing at once (no reader pauses that long), so typed digits show soon.
    static constexpr int32_t GAPMS = 250, TOTALMS = 650;
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
    // How long (milliseconds) after the last key the held keys may wait for the next one.
    int32_t WaitMs() const;
    const std::string& card() const { return card_; }

private:
    int held_ = 0;
    uint32_t first_ = 0, last_ = 0;
    std::string digits_, card_;
};
