// SPDX-License-Identifier: GPL-3.0-or-later
// The evening's access key of the phone page: a random word in the page's address
// (http://ADDRESS:PORT/k/KEY/), so that only those who scanned the code shown in the hall can
// read the names on it. One key for one evening: the evening's state keeps it (SetAccessKey
// on a resume), and a new evening makes a new one. No GTK and no network here.
#pragma once

#include <string>
#include <string_view>

// The key of this evening, made at its first use when none was set; "" only when the system
// gives no random bytes (then no key matches and the page stays closed).
const std::string& AccessKey();
// Takes a key kept from earlier in this evening; false (and the key unchanged) when the text
// is not a key this program makes.
bool SetAccessKey(std::string_view key);
// A new evening: a new key (old addresses stop working).
void NewAccessKey();
// True when `given` is the key. The time taken does not depend on where they differ.
bool AccessKeyMatches(std::string_view given);
// The shape of a key: ACCESSKEYLENGTH lower-case letters and digits, without 0, 1, l and o.
bool ValidAccessKey(std::string_view key);
constexpr size_t ACCESSKEYLENGTH = 16;  // 80 random bits

// A fresh key from the system's random source (getrandom, else /dev/urandom); false when
// neither gives random bytes.
bool MakeAccessKey(std::string* key);
