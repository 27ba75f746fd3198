// SPDX-License-Identifier: GPL-3.0-or-later
// Shared helpers for the tests: a clean evening per test and small roster builders.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/dorvels.h"

// Every test starts with a fresh evening (and an empty screen recorder for logic tests).
class Evening : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

// Appends a single dancer (present, level Basic unless given) to the roster.
SqrDancer* AddDancer(const std::string& first, const std::string& last, SDSEX sex,
                     SDPGM pgm = Basic, SDPRIORITY prio = LUCK);
// Appends a couple: the first of the two has role sex, the partner the complementary role.
SqrDancer* AddCouple(const std::string& first1, const std::string& first2, const std::string& last,
                     SDSEX sex = M, SDPGM pgm = Basic);
// A scratch folder for files, removed at the end of the test program.
std::string TempDir();
// Makes a fresh folder under TempDir() named after prefix, remembers the working directory in
// *saved and changes into the new folder; returns its path. LeaveDir goes back.
std::string EnterNewDir(const std::string& prefix, std::string* saved);
void LeaveDir(const std::string& saved);
// Reads a whole file ("" when missing).
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& text);
// What is wrong between the roster, the card table and the command cards ("" when nothing):
// each dancer's card leads to that dancer, no card is two dancers' or a command card, and the
// table holds no other number.
std::string CardTableFaults();
// A tip rolled from the present dancers (at least one square of them) whose board shows
// `texts`: the history record the boards and the phone page read.
void SaveTipTexts(const std::vector<std::string>& texts);
