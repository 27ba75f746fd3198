// SPDX-License-Identifier: GPL-3.0-or-later
// A long random evening: a seeded stream of hotkeys, card numbers, clicks and double clicks
// on name buttons, right clicks and clicks on the pop-up menu's entries against the sample
// club. Cards are swiped at reader speed into whichever window has the focus: dancers' cards,
// command cards, unknown cards and stray numbers, and the card windows they open are answered.
// Nothing may crash, GTK may not complain, the card table must agree with the roster, the
// edit display's kept cells with their dancers, and every club file written must read back
// into the roster in memory.
//
// The length is DORVELS_SOAK_EVENTS (default 1500) and the seed DORVELS_SOAK_SEED; the long
// run is (one line)
//   DORVELS_SOAK_EVENTS=20000 xvfb-run -a -s "-screen 0 1920x1080x24" build/tests/gui_tests --gtest_filter='Soak.*'
// (in the sanitizer build, with LSAN_OPTIONS=suppressions=scripts/lsan.supp); DORVELS_SOAK_CLUB
// names another club file than data/sample.dorvel. The seed fixes the actions, not the clock:
// a timed note closing after its seconds, and a right press ignored within the second of the
// last one, fall where the machine's speed puts them, so two runs of one seed may part ways.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>

#include "commands/keys.h"
#include "commands/menu.h"
#include "display/boards.h"
#include "display/display.h"
#include "files/clubfile.h"
#include "registry/registry.h"
#include "rfid/rfid.h"
#include "support/helmtext.h"
#include "test_boards_util.h"
#include "test_keys_util.h"

namespace {

std::vector<std::string> glib_complaints;

void FailOnWarnings(const gchar* domain, GLogLevelFlags level, const gchar* message, gpointer) {
    if (level & (G_LOG_LEVEL_WARNING | G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_ERROR))
        glib_complaints.push_back(std::string(domain ? domain : "") + ": " + (message ? message : ""));
}

long EnvNumber(const char* name, long dflt) {
    const char* v = getenv(name);
    return v && *v ? strtol(v, nullptr, 10) : dflt;
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class Soak : public KeysWindow {
protected:
    void SetUp() override {
        KeysWindow::SetUp();
        glib_complaints.clear();
        old_handler = g_log_set_default_handler(FailOnWarnings, nullptr);
        for (const char* d : {"Gtk", "Gdk", "GLib", "GLib-GObject", "Pango", "GdkPixbuf"})
            handler_ids.emplace_back(d, g_log_set_handler(d, GLogLevelFlags(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_CRITICAL),
                                                          FailOnWarnings, nullptr));
    }
    void TearDown() override {
        KeysWindow::TearDown();
        for (auto& [d, id] : handler_ids) g_log_remove_handler(d, id);
        g_log_set_default_handler(old_handler, nullptr);
    }
    GLogFunc old_handler = nullptr;
    std::vector<std::pair<const char*, guint>> handler_ids;
};

void LoadSample() {
    // DORVELS_SOAK_CLUB names another club file to run the evening with.
    const char* other = getenv("DORVELS_SOAK_CLUB");
    std::string sample = other && *other ? other : std::string(DORVELS_TESTDATA) + "/sample.dorvel";
    FILE* fp = fopen(sample.c_str(), "r");
    ASSERT_NE(fp, nullptr) << sample;
    ReadDorvels(fp);
    fclose(fp);
    outputfilename = "club.dorvel";  // written into the test's folder
    inputfilename = "club.dorvel";
    SortByName();
}

// Keys that neither end the program nor open a modal dialog; letters weighted by how
// often an operator uses them.
const std::string kKeys =
    "rrrrrrppppeeeehhhhHHHuucccAAdddaafFjJllLLottwWEIzRST-+kMm?VV";
// Menu entries the stream may choose: all but those that end the evening, ask a modal
// question or open the setup or new-dancer dialog (each tested on its own).
const std::string kEntries = "aAcdeEfFhHIlLMoprRtTuwWz";

// A card a dancer may swipe: usually one of the roster's, else a command card or one of a few
// unknown cards (which come back, as a new dancer's card does).
uint64_t SomeCard(const std::function<int(int)>& pick) {
    int kind = pick(10);
    if (kind < 2) return speccard[pick(SPECCARD_SKIP)] ? speccard[pick(SPECCARD_SKIP)] : 4900000000;
    if (kind < 4) return 4900000000 + (uint64_t)pick(6);
    std::vector<uint64_t> cards;
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        if (sd->rfid) cards.push_back(sd->rfid);
    return cards.empty() ? 4900000000 : cards[(size_t)pick((int)cards.size())];
}

TEST_F(Soak, RandomEveningStaysSound) {
    LoadSample();
    ASSERT_GT(RosterCount(), 0);
    for (int slot = 0; slot < SPECCARD_SKIP; slot += 3) speccard[slot] = 4800000000 + (uint64_t)slot;
    int startcount = RosterCount();
    SwitchDisplay(EDIT);
    Pump();

    const long events = EnvNumber("DORVELS_SOAK_EVENTS", 1500);
    const unsigned seed = (unsigned)EnvNumber("DORVELS_SOAK_SEED", 20240607);
    std::mt19937 rng(seed);
    std::function<int(int)> pick = [&](int n) { return (int)(rng() % (unsigned)n); };
    std::string lastfile;
    long writes = 0, clicks = 0, keys = 0, numbers = 0, rightclicks = 0, entries = 0;
    std::string trail;  // the latest events, for a failure report

    for (long i = 0; i < events && sdwin; ++i) {
        int kind = pick(100);
        char key = 0;
        if (kind < 10) {
            // A card swiped, or the operator answering the card window it opened.
            if (!ActOnCardWindows((unsigned)pick(1000))) Swipe(SomeCard(pick), pick(4) == 0);
            key = '#';
            ++numbers;
        } else if (kind < 60) {
            key = kKeys[(size_t)pick((int)kKeys.size())];
            if (key == 'k' && pick(4)) key = 'e';  // removals stay rare
            // k asks before it removes a dancer entered tonight: answered either way.
            if (key == 'k') AnswerDialog("Remove the newest dancer?", pick(2) ? GTK_RESPONSE_ACCEPT : GTK_RESPONSE_REJECT);
            Type(std::string(1, key));
            if (key == 'k') CancelAnswers();
            ++keys;
        } else if (kind < 72) {
            // A card number: usually ten digits, sometimes too short or far too long.
            int len = pick(5) ? 10 : pick(30);
            std::string n;
            for (int d = 0; d < len; ++d) n += char('0' + pick(10));
            n += pick(8) ? '\r' : '\n';
            Type(n);
            ++numbers;
        } else if (kind < 75) {
            // Escape only where it closes something instead of ending the evening.
            if (Aflag || sdpop || menubttnpopup) Type("\x1b");
        } else if (kind < 83) {
            // The mouse's right button (on the menu when it is open, at times), or an entry.
            if (menubttnpopup && pick(3)) {
                key = kEntries[(size_t)pick((int)kEntries.size())];
                ASSERT_TRUE(ClickButton(MenuButton(key))) << key;
                Pump();
                ++entries;
            } else {
                GtkWidget* on = menubttnpopup && pick(2) ? menubttnpopup : sdwin;
                PressButton(on, 3, pick(400), pick(300));
                ++rightclicks;
            }
        } else {
            // A click on a name button of the current display, with Shift or Ctrl at times.
            std::vector<SqrDancer*> shown;
            for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
                if (sd->availbttn && gtk_widget_get_mapped(sd->availbttn)) shown.push_back(sd);
            if (shown.empty()) {
                Type("e");
                continue;
            }
            int m = pick(10);
            guint state = m == 0 ? GDK_SHIFT_MASK : m == 1 ? GDK_CONTROL_MASK : 0;
            SqrDancer* sd = shown[(size_t)pick((int)shown.size())];
            if (m == 2)
                ClickButton(sd->availbttn, 0, 2);  // a double click
            else
                ClickName(sd, state);
            ++clicks;
        }
        trail += key ? key : '.';
        if (trail.size() > 60) trail.erase(0, trail.size() - 60);

        // New dancers arrive when many have been removed.
        if (RosterCount() < startcount / 2) {
            for (int a = 0; a < 4; ++a) AddCouple(strprintf("New%ld", i), strprintf("Mate%ld", i), strprintf("Arrival%ld%d", i, a));
            SetupDispNames();
            SortByName();
        }

        std::string now = Slurp("club.dorvel");
        if (!now.empty() && now != lastfile) {
            lastfile = now;
            ++writes;
            RosterFacts file = ReadBack("club.dorvel");
            RosterFacts mem = RosterNow(key != 'w');
            ASSERT_TRUE(file == mem) << FactsDiff(file, mem)
                << "event " << i << " (seed " << seed << ") after: " << trail;
        }
        ASSERT_EQ(CardTableFaults(), "") << "event " << i << " (seed " << seed << ") after: " << trail;
        ASSERT_EQ(EditCellFaults(), "") << "event " << i << " (seed " << seed << ") after: " << trail;
        ASSERT_TRUE(glib_complaints.empty())
            << "event " << i << " (seed " << seed << "): " << glib_complaints.front() << "\nafter: " << trail;
        ASSERT_LE(KeybrdNumber().size(), 19u);
    }
    ASSERT_NE(sdwin, nullptr) << "the evening ended during the soak";
    EXPECT_GT(writes, 0);
    EXPECT_GT(entries, 0);
    printf("soak: %ld events (seed %u): %ld keys, %ld numbers, %ld clicks, %ld right clicks, %ld menu "
           "entries, %ld club files checked\n",
           events, seed, keys, numbers, clicks, rightclicks, entries, writes);
}

}  // namespace
