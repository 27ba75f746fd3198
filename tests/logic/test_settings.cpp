// SPDX-License-Identifier: GPL-3.0-or-later
// The setup dialog's rules without a display: which typed numbers are taken, and which
// files are taken for club files.
#include <gtest/gtest.h>

#include <random>

#include "core/settings.h"
#include "files/clubfile.h"
#include "registry/registry.h"
#include "support/fixtures.h"
#include "support/helmtext.h"

namespace {

class SetupRules : public Evening {};

// The number a text holds when it is nothing but blanks, an optional sign and digits.
bool Plain(const std::string& t, long long* v) {
    size_t b = t.find_first_not_of(" \t"), e = t.find_last_not_of(" \t");
    if (b == std::string::npos) return false;
    std::string core = t.substr(b, e - b + 1);
    size_t digits = core[0] == '-' || core[0] == '+' ? 1 : 0;
    if (digits == core.size() || core.find_first_not_of("0123456789", digits) != std::string::npos) return false;
    *v = std::stoll(core.substr(0, 15));
    return true;
}

TEST_F(SetupRules, NumbersAreTakenExactlyWhenPlainAndInRange) {
    AddDancer("M", "Sngl#040", M);  // numbers up to 40 are in use
    std::mt19937 rng(12);
    static const char* const pieces[] = {"", " ", "\t", "-", "+", "0", "1", "7", "9", "12", "40",
                                         "41", "99", "100", "101", "200", "201", "250", "300",
                                         "999999", "12345678901234", "x", "é", ".", "1e3"};
    for (int round = 0; round < 3000; ++round) {
        std::string text[SF_QTY];
        for (auto& t : text) {
            int n = static_cast<int>(rng() % 4);
            for (int i = 0; i < n; ++i) t += pieces[rng() % std::size(pieces)];
        }
        SetupNumbers n = CheckSetupNumbers(text);
        int made = NewAnonDancers(n), total = 0, adding = 0, refused = 0;
        for (int f = 0; f < SF_QTY; ++f) {
            SCOPED_TRACE(strprintf("field %d <%s>", f, text[f].c_str()));
            long long v = 0;
            bool plain = Plain(text[f], &v);
            long long lo = f == SF_SQUARESIZE || f == SF_TAGSQUARE || f == SF_NEXTANON ? 1 : 0;
            long long hi = f == SF_SQUARESIZE ? MAXSQUARESIZE : f == SF_NEXTANON ? MAXANONNUMBER + 1
                           : f < SF_ANON ? MAXHALLSQUARES : MAXNEWANON;
            bool taken = plain && v >= lo && v <= hi;
            if (f == SF_NEXTANON) taken = taken && v > 40 && v + made - 1 <= MAXANONNUMBER;
            if (taken) {
                EXPECT_EQ(n.value[f], v);
            } else {
                EXPECT_TRUE(n.bad[f]);
            }
            EXPECT_TRUE(!n.bad[f] || !n.message[f].empty()) << "a refusal says why";
            if (f < SF_ANON || f > SF_COUPLES || !taken) {
                EXPECT_EQ(!n.bad[f], taken);
                continue;
            }
            total += static_cast<int>(v) * (f == SF_COUPLES ? 2 : 1);
            adding += v > 0;
            refused += n.bad[f];
        }
        // Too many new dancers together: every count that adds some is refused.
        EXPECT_EQ(refused, total > MAXNEWANON ? adding : 0);
        EXPECT_LE(made, MAXNEWANON);
    }
}

TEST_F(SetupRules, OtherFilesAreNoClubFiles) {
    const struct { const char* text; const char* why; } files[] = {
        {"", "holds no dancer and no setting"},
        {"% a comment only\n\n", "holds no dancer and no setting"},
        {"seeds: 1 2 3\n(KeybrdCmd) r\n", "line 1 reads <seeds: 1 2 3>"},
        {"1920, \"DejaVu Sans Bold 48\", \"DejaVu Sans 14\", 10, 8\n", "line 1"},
        {"club=Hilltop\nAnn Ash f L 0 1 Basic\nsome stray words here\n", "line 3 reads <some stray words here>"},
    };
    for (const auto& f : files) {
        FILE* fp = tmpfile();
        fputs(f.text, fp);
        rewind(fp);
        EXPECT_NE(NotAClubFile(fp).find(f.why), std::string::npos) << f.text;
        fclose(fp);
    }
    FILE* fp = tmpfile();
    fputs("club=Hilltop\n% roles and levels may be misspelt: the reader mends them\nAnn Ash fx L 0 1 Plsu\n", fp);
    rewind(fp);
    EXPECT_EQ(NotAClubFile(fp), "");
    fclose(fp);
}

}  // namespace
