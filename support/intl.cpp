// SPDX-License-Identifier: GPL-3.0-or-later
// The operator's language: locale categories and the message catalogues' folder.
#include "support/intl.h"

#include <clocale>
#include <cstring>
#include <string>

#include "support/helmtext.h"

const char* pgettext_aux(const char* msgctxt_id, const char* text) {
    const char* translated = gettext(msgctxt_id);
    return translated == msgctxt_id ? text : translated;
}

const char* LocaleFolder() {
    static std::string folder;
    if (folder.empty()) {
        std::string installed = InstalledDataFolder();
#ifdef DORVELS_DATATOLOCALE
        if (!installed.empty()) folder = installed + "/" DORVELS_DATATOLOCALE;
#endif
#ifdef DORVELS_BUILDLOCALEDIR
        if (folder.empty()) folder = DORVELS_BUILDLOCALEDIR;
#endif
        if (folder.empty()) folder = "/usr/share/locale";
    }
    return folder.c_str();
}

void InitLocale() {
    setlocale(LC_ALL, "");
    // What shapes files and commands stays fixed whatever the language: "3.5" in a style
    // sheet or a plotting command, the statistics log's dates, the roster's name order.
    setlocale(LC_NUMERIC, "C");
    setlocale(LC_TIME, "C");
    setlocale(LC_COLLATE, "C");
    setlocale(LC_MONETARY, "C");
    bindtextdomain(DORVELS_TEXTDOMAIN, LocaleFolder());
    bind_textdomain_codeset(DORVELS_TEXTDOMAIN, "UTF-8");
    textdomain(DORVELS_TEXTDOMAIN);
}
