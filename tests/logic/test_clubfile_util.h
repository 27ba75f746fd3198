// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers shared by the club file tests: every test runs in a folder of its own.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <string>

#include "core/dorvels.h"
#include "files/clubfile.h"
#include "support/fixtures.h"
#include "support/screen_recorder.h"

class ClubFileTest : public Evening {
protected:
    void SetUp() override {
        Evening::SetUp();
        static int n = 0;
        char buf[64];
        snprintf(buf, sizeof buf, "/case%04d", n++);
        dir = TempDir() + buf;
        std::string cmd = "mkdir -p '" + dir + "'";
        ASSERT_EQ(system(cmd.c_str()), 0);
        char cwd[4096];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        oldcwd = cwd;
        ASSERT_EQ(chdir(dir.c_str()), 0);
    }
    void TearDown() override {
        Evening::TearDown();
        if (chdir(oldcwd.c_str()) != 0) perror("chdir");
    }
    // Reads text as a club file.
    static void ReadText(const std::string& text) {
        FILE* fp = tmpfile();
        ASSERT_NE(fp, nullptr);
        fwrite(text.data(), 1, text.size(), fp);
        rewind(fp);
        ReadDorvels(fp);
        fclose(fp);
    }
    static SqrDancer* Find(const std::string& firstlast) {
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
            if (sd->firstlast == firstlast) return sd;
        return nullptr;
    }
    std::string dir;
    std::string oldcwd;
};
