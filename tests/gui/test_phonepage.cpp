// SPDX-License-Identifier: GPL-3.0-or-later
// The phone page in the running program: it follows the board through real rolls, and the
// i key shows its address with a QR code that reads back as that address.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>

#include "display/display.h"
#include "history/history.h"
#include "phone/accesskey.h"
#include "phone/page.h"
#include "registry/registry.h"
#include "server/server.h"
#include "test_boards_util.h"
#include "test_keys_util.h"

namespace {

class PhonePageWindow : public KeysWindow {
protected:
    void SetUp() override {
        KeysWindow::SetUp();
        BuildClub(8, 3, 2);
        SwitchDisplay(EDIT);
        Pump();
    }
    void TearDown() override {
        PhoneServerStop();
        KeysWindow::TearDown();
    }
};

TEST_F(PhonePageWindow, ThePageShowsWhatTheBoardShows) {
    for (int tip = 1; tip <= 4; ++tip) {
        Type("r");
        PhoneBoard b = CurrentPhoneBoard();
        EXPECT_EQ(b.tip, tipcnt);
        std::vector<std::string> cells = BoardTexts();
        ASSERT_EQ(b.entries.size(), cells.size());
        for (size_t i = 0; i < cells.size(); ++i) {
            PhoneEntry e;
            ASSERT_TRUE(SplitBoardText(cells[i], &e)) << cells[i];
            EXPECT_EQ(b.entries[i], e);
        }
        // Each dancer of the tip as the board names them, with the square the roll gave, or
        // Out; nothing else.
        std::set<std::pair<std::string, int>> want;
        for (SqrDancer* sd = sdhd; sd; sd = sd->nxt)
            if (sd->avail && sd->pgm >= pgmfloor) want.insert({sd->dispname, sd->assigned ? sd->square + 1 : 0});
        std::set<std::pair<std::string, int>> got;
        for (const PhoneEntry& d : b.dancers) got.insert({d.name, d.square});
        EXPECT_EQ(got, want) << "tip " << tip;
        EXPECT_EQ(got.size(), b.dancers.size());
    }
    // A tip taken back: the page shows the tip that is the latest again.
    Type("hhu");
    EXPECT_EQ(CurrentPhoneBoard().tip, 3);
    EXPECT_EQ(tipcnt, 3);
}

std::vector<std::string> Labels(GtkWidget* w) {
    std::vector<std::string> out;
    Find(w, [&](GtkWidget* l) {
        if (GTK_IS_LABEL(l)) out.push_back(gtk_label_get_text(GTK_LABEL(l)));
        return false;
    });
    return out;
}

TEST_F(PhonePageWindow, KeyIShowsTheAddressAndAQrCodeOfIt) {
    Type("i");
    EXPECT_NE(PopupText().find("The phone page is off"), std::string::npos) << PopupText();

    ServeOption opt;
    opt.address = "127.0.0.1";
    opt.port = 0;
    ASSERT_TRUE(PhonePageStart(opt));
    Type("i");
    ASSERT_NE(sdpop, nullptr);
    std::string url = PhoneServerUrl();
    EXPECT_NE(url.find("/k/" + AccessKey() + "/"), std::string::npos) << url;  // the key with it
    auto labels = Labels(sdpop);
    EXPECT_NE(std::find(labels.begin(), labels.end(), url), labels.end()) << url;
    GtkWidget* area = Find(sdpop, [](GtkWidget* w) { return GTK_IS_DRAWING_AREA(w); });
    ASSERT_NE(area, nullptr);
    Pump();
    int side = gtk_widget_get_allocated_width(area);
    EXPECT_EQ(gtk_widget_get_allocated_height(area), side);
    EXPECT_GE(side, (screenwidth < screenheight ? screenwidth : screenheight) / 2);  // across the hall

    // Drawn as on the screen, the code reads back as the address.
    cairo_surface_t* img = cairo_image_surface_create(CAIRO_FORMAT_RGB24, side, side);
    cairo_t* cr = cairo_create(img);
    gtk_widget_draw(area, cr);
    cairo_destroy(cr);
    ASSERT_EQ(cairo_surface_write_to_png(img, "qr.png"), CAIRO_STATUS_SUCCESS);
    cairo_surface_destroy(img);
    if (FILE* p = popen("zbarimg --quiet --raw qr.png 2>/dev/null", "r")) {
        char buf[256] = "";
        bool got = fgets(buf, sizeof buf, p) != nullptr;
        int rc = pclose(p);
        if (rc != 127 * 256) {  // zbarimg is there
            ASSERT_TRUE(got);
            EXPECT_EQ(std::string(buf), url + "\n");
        } else {
            ADD_FAILURE() << "zbarimg (Debian package zbar-tools) is not installed";
        }
    }

    Type("i");  // i again closes it
    EXPECT_EQ(sdpop, nullptr);
    Type("i");
    ASSERT_NE(sdpop, nullptr);
    Type("\x1b");  // and Escape, without ending the program
    EXPECT_EQ(sdpop, nullptr);
    EXPECT_NE(sdwin, nullptr);
    EXPECT_TRUE(PhoneServerRunning());
}

}  // namespace
