// SPDX-License-Identifier: GPL-3.0-or-later
// The operator's language: German messages from the build tree's catalogue, while what goes
// into files and plotting commands is the same as in the C locale.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <ctime>
#include <string>

#include "files/clubfile.h"
#include "files/statistics.h"
#include "registry/registry.h"
#include "support/fixtures.h"
#include "support/helmtext.h"
#include "support/intl.h"

namespace {

class Language : public Evening {
protected:
    void TearDown() override {
        // Back to the untranslated texts for the tests that follow.
        unsetenv("LANG");
        setlocale(LC_ALL, "C");
        Evening::TearDown();
    }
};

TEST_F(Language, GermanTextsWhileFilesAndNumbersStayAsInTheCLocale) {
    FILE* fp = fopen((std::string(DORVELS_TESTDATA) + "/sample.dorvel").c_str(), "r");
    ASSERT_NE(fp, nullptr);
    ReadDorvels(fp);
    fclose(fp);
    struct tm when = {};
    when.tm_year = 126, when.tm_mon = 2, when.tm_mday = 6, when.tm_hour = 20, when.tm_wday = 5;
    const std::string club = ClubFileText(1), stat = StatLine(CountPresent(), when);
    const std::string bars = DanceBarsScript(7, true, {"Ann", "Bo"});
    ASSERT_STREQ(_("Cancel"), "Cancel");

    if (!setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "the locale de_DE.UTF-8 is not generated";
    for (const char* v : {"LC_ALL", "LC_MESSAGES", "LC_NUMERIC", "LC_TIME", "LANGUAGE"}) unsetenv(v);
    setenv("LANG", "de_DE.UTF-8", 1);
    InitLocale();

    EXPECT_STREQ(_("Cancel"), "Abbrechen");
    EXPECT_STREQ(C_("priority", "Luck"), "Glück");
    EXPECT_EQ(strprintf(ngettext("%d tip", "%d tips", 1), 1), "1 Tip");
    EXPECT_EQ(strprintf(ngettext("%d tip", "%d tips", 3), 3), "3 Tips");
    // A decimal point, never a comma, in formatted and parsed numbers.
    EXPECT_EQ(strprintf("%g %.1f", 0.5, 2.25), "0.5 2.2");
    EXPECT_DOUBLE_EQ(strtod("2.5", nullptr), 2.5);
    EXPECT_EQ(ClubFileText(1), club);
    EXPECT_EQ(StatLine(CountPresent(), when), stat);
    EXPECT_EQ(DanceBarsScript(7, true, {"Ann", "Bo"}), bars);
}

}  // namespace
