// SPDX-License-Identifier: GPL-3.0-or-later
// The resume question at start-up.
#include "dialogs/resume.h"

#include <sys/stat.h>

#include <ctime>

#include "display/display.h"
#include "files/clubfile.h"
#include "files/evening.h"
#include "support/intl.h"

namespace {
enum { RESUME_YES = 1, RESUME_NEW = 2 };
bool allabsent = false;  // the new evening's "everybody absent" choice
char typedkey = 0;       // a command key typed into the question
int dflt = RESUME_YES;   // the answer of Enter
std::string typing;      // digits typed into the question: a card on its way
std::vector<std::string> cards;  // cards swiped while the question was up

// A letter, "+" or "-" typed into the question is a command of the evening: it gives the
// default answer and is performed then. Digits ended by Enter are a card: it waits until the
// evening is chosen, and its Enter answers nothing. Enter alone, Escape, Tab and the
// mnemonics (with Alt) are the dialog's own.
gboolean QuestionKey(GtkWidget* dlg, GdkEventKey* event, gpointer) {
    if (event->state & (GDK_CONTROL_MASK | GDK_MOD1_MASK)) return FALSE;
    guint32 c = gdk_keyval_to_unicode(event->keyval);
    if (c >= '0' && c <= '9') {
        if (typing.size() < 32) typing += (char)c;
        return TRUE;
    }
    if (event->keyval == GDK_KEY_Return || event->keyval == GDK_KEY_KP_Enter) {
        if (typing.empty()) return FALSE;
        cards.push_back(typing);
        typing.clear();
        return TRUE;
    }
    typing.clear();
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '+' || c == '-')) return FALSE;
    typedkey = (char)c;
    gtk_dialog_response(GTK_DIALOG(dlg), dflt);
    return TRUE;
}

// Whether the club file was last written on an earlier day than today.
bool ClubFileFromEarlierDay() {
    struct stat st;
    time_t now = time(nullptr);
    struct tm then, today;
    if (inputfilename.empty() || stat(inputfilename.c_str(), &st) != 0) return false;
    if (!localtime_r(&st.st_mtime, &then) || !localtime_r(&now, &today)) return false;
    return then.tm_year < today.tm_year || (then.tm_year == today.tm_year && then.tm_yday < today.tm_yday);
}

// No evening to resume: a club night with cards, on a day after the club file was last
// written, begins with everybody absent, so that the first card at the door checks its
// dancer in, not out (and last week's dancers who stayed home are not rolled).
void NewClubNight() {
    // A replay begins as its record says (an "EveningNew" line), whatever the day.
    if (!dbgfile.empty() || !RosterHasCards() || !ClubFileFromEarlierDay()) return;
    bool anypresent = false;
    for (const SqrDancer* sd = sdhd; sd && !anypresent; sd = sd->nxt) anypresent = sd->avail != 0;
    if (!anypresent) return;
    EveningNew(true);
    ClubFileNotice("%s", _("A new club night: everybody begins absent, and the cards swiped at the door check "
                           "dancers in."));
}
}  // namespace

char ResumeKey() {
    char c = typedkey;
    typedkey = 0;
    return c;
}

std::vector<std::string> ResumeCards() {
    std::vector<std::string> c;
    c.swap(cards);
    return c;
}

bool ResumeAtStart() {
    typedkey = 0;
    typing.clear();
    cards.clear();
    EveningOffer offer = EveningFind(time(nullptr));
    if (!offer.offered) {
        NewClubNight();
        return false;
    }
    GtkWidget* dlg = gtk_dialog_new_with_buttons(
        _("Tonight's evening"), sdwin ? GTK_WINDOW(sdwin) : nullptr,
        GtkDialogFlags(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT), _("_New evening"), RESUME_NEW, _("_Resume"),
        RESUME_YES, nullptr);
    GtkWidget* area = gtk_dialog_get_content_area(GTK_DIALOG(dlg));
    gtk_container_set_border_width(GTK_CONTAINER(area), (guint)sp10);
    gtk_box_set_spacing(GTK_BOX(area), sp10);
    std::string question = EveningQuestion(offer);
    if (offer.ended) question += std::string("\n") + _("(The evening was ended on purpose.)");
    GtkWidget* lbl = gtk_label_new(question.c_str());
    gtk_label_set_line_wrap(GTK_LABEL(lbl), TRUE);
    gtk_label_set_max_width_chars(GTK_LABEL(lbl), 60);
    if (lblfont2) SetWidgetFont(lbl, lblfont2);
    gtk_container_add(GTK_CONTAINER(area), lbl);
    // With cards, a new club night begins with everybody absent, so that the cards swiped at
    // the door check dancers in rather than out; a new evening on the day the club file was
    // written (a second evening the same day) keeps the presence stored unless the operator chooses.
    allabsent = RosterHasCards() && ClubFileFromEarlierDay();
    if (RosterHasCards()) {
        GtkWidget* absent = gtk_check_button_new_with_mnemonic(
            _("A new evening begins with everybody _absent: cards swiped at the door check dancers in"));
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(absent), allabsent);
        g_signal_connect(absent, "toggled", G_CALLBACK(+[](GtkToggleButton* b, gpointer) {
                             allabsent = gtk_toggle_button_get_active(b);
                         }), nullptr);
        gtk_container_add(GTK_CONTAINER(area), absent);
    }
    g_signal_connect(dlg, "key-press-event", G_CALLBACK(QuestionKey), nullptr);
    // After a break (crash, power cut) Resume is the default; after an evening ended on
    // purpose, New evening is, so that an "r" out of habit does not roll on the old counts.
    // Closing the dialog any other way resumes: nothing is thrown away unasked.
    dflt = offer.ended ? RESUME_NEW : RESUME_YES;
    if (RunQuestion(dlg, dflt) == RESUME_NEW) {
        EveningNew(allabsent);
        return false;
    }
    return EveningResume();
}
