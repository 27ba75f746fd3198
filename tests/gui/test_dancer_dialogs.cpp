// The dancer dialogs driven as the operator drives them: keys typed into the real windows,
// buttons clicked, and the club file written and read back.
#include <gtk/gtk.h>

#include <algorithm>
#include <functional>

#include "assign/assign.h"
#include "commands/keys.h"
#include "dialogs/dancer.h"
#include "display/boards.h"
#include "files/clubfile.h"
#include "history/history.h"
#include "registry/edit.h"
#include "registry/registry.h"
#include "support/helmtext.h"
#include "test_boards_util.h"
#include "test_keys_util.h"

namespace {
// Every widget inside w (w included) for which `want` holds.
void Collect(GtkWidget* w, const std::function<bool(GtkWidget*)>& want, std::vector<GtkWidget*>& out) {
    if (!w) return;
    if (want(w)) out.push_back(w);
    if (GTK_IS_CONTAINER(w)) {
        GList* kids = gtk_container_get_children(GTK_CONTAINER(w));
        for (GList* l = kids; l; l = l->next) Collect(GTK_WIDGET(l->data), want, out);
        g_list_free(kids);
    }
}

// The button (or radio button) of window w showing `label`.
GtkWidget* Button(GtkWidget* w, const std::string& label) {
    std::vector<GtkWidget*> found;
    Collect(w, [&](GtkWidget* x) { return GTK_IS_BUTTON(x) && CellText(x) == label; }, found);
    return found.empty() ? nullptr : found.front();
}

// The name entries of window w: first name, last name.
std::vector<GtkWidget*> Entries(GtkWidget* w) {
    std::vector<GtkWidget*> found;
    Collect(w, [](GtkWidget* x) { return GTK_IS_ENTRY(x); }, found);
    auto row = [](GtkWidget* e) {
        int top = 0;
        gtk_container_child_get(GTK_CONTAINER(gtk_widget_get_parent(e)), e, "top-attach", &top, nullptr);
        return top;
    };
    std::sort(found.begin(), found.end(), [&](GtkWidget* a, GtkWidget* b) { return row(a) < row(b); });
    return found;
}

std::string Text(GtkWidget* entry) { return gtk_entry_get_text(GTK_ENTRY(entry)); }

// Types UTF-8 text one character at a time, as keys pressed on the main window (a modal
// dialog takes them from there).
void TypeText(const std::string& s) {
    for (const char* p = s.c_str(); *p; p = g_utf8_next_char(p)) {
        std::string ch(p, g_utf8_next_char(p) - p);
        SendKey(gdk_unicode_to_keyval(g_utf8_get_char(p)), ch.c_str());
    }
}

void Click(GtkWidget* w, const std::string& label) {
    GtkWidget* b = Button(w, label);
    ASSERT_NE(b, nullptr) << label;
    ASSERT_TRUE(ClickButton(b)) << label;
    Pump();
}

// Chooses `choice` in the pop-up the button `opener` of window w opens, then closes it.
void Choose(GtkWidget* w, const std::string& opener, const std::string& choice) {
    Click(w, opener);
    ASSERT_NE(sdpop, nullptr) << opener;
    GtkWidget* pop = sdpop;
    Click(pop, choice);
    Click(pop, "Done");
    EXPECT_EQ(sdpop, nullptr);
}

SqrDancer* Named(const std::string& first, const std::string& last) {
    for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
        if (sd->firstname == first && sd->lastname == last) return sd;
    return nullptr;
}

class DancerDialogs : public KeysWindow {
protected:
    void SetUp() override {
        KeysWindow::SetUp();
        BuildClub(4, 1, 1);
        SwitchDisplay(EDIT);
        Pump();
    }
    void TearDown() override {
        if (sdnew) gtk_widget_destroy(sdnew);
        KeysWindow::TearDown();
    }
};
}  // namespace

TEST_F(DancerDialogs, NewDancerTypedWithRoleAndLevelComesBackFromTheClubFileByteForByte) {
    int before = RosterCount();
    Type("n");
    ASSERT_NE(sdnew, nullptr);
    EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(sdnew)), "New Square Dancer");
    EXPECT_EQ(didhandler, 0);
    SqrDancer* sd = NewDancerBeingEntered();
    ASSERT_NE(sd, nullptr);
    std::vector<GtkWidget*> e = Entries(sdnew);
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(Text(e[0]), "first-name");
    EXPECT_EQ(Text(e[1]), "last-name");

    TypeText("Mary Ann");
    SendKey(GDK_KEY_Return, "\r");  // on to the last name
    TypeText("Zed%Love+7");
    EXPECT_EQ(Text(e[0]), "Mary Ann");
    EXPECT_EQ(Text(e[1]), "Zed%Love+7");
    Choose(sdnew, "M", "F");
    Choose(sdnew, "Basic", "Plus");
    EXPECT_EQ(sd->sex, F);
    EXPECT_EQ(sd->pgm, Plus);
    Click(sdnew, "Done");

    EXPECT_EQ(sdnew, nullptr);
    EXPECT_EQ(didhandler, 1);
    EXPECT_EQ(RosterCount(), before + 1);
    EXPECT_EQ(Named("Mary_Ann", "Zed%Love+7"), sd);
    EXPECT_EQ(sd->firstlast, "Mary_Ann Zed%Love+7");
    ASSERT_NE(sd->availbttn, nullptr);
    EXPECT_EQ(CellText(sd->availbttn), "Zed%Love+7");
    EXPECT_EQ(CellText(sd->sexbttn), "F");
    EXPECT_EQ(CellText(sd->pgmbttn), "Plus");

    Type("w");
    std::string first = ReadFile("club.dorvel");
    RosterFacts back = ReadBack("club.dorvel");
    ASSERT_EQ(back.count("Mary_Ann Zed%Love+7"), 1u) << first;
    EXPECT_EQ(back["Mary_Ann Zed%Love+7"].sex, "F");
    EXPECT_EQ(back["Mary_Ann Zed%Love+7"].pgm, "Plus");
    EXPECT_EQ(FactsDiff(RosterNow(false), back), "");
    // A restart reads the file into an empty evening; its next write is the same file.
    ResetEvening();
    outputfilename = "club.dorvel";
    FILE* fp = fopen("club.dorvel", "r");
    ASSERT_NE(fp, nullptr);
    ReadDorvels(fp);
    fclose(fp);
    SortByName();
    EXPECT_NE(Named("Mary_Ann", "Zed%Love+7"), nullptr);
    ASSERT_TRUE(WriteDorvels(0));
    EXPECT_EQ(ReadFile("club.dorvel"), first);
}
