// SPDX-License-Identifier: GPL-3.0-or-later
// Texts for people in the operator's language: _() translates a text where it is used,
// N_() marks a text of a static table (translated with _() where it is shown), C_() gives
// a short text a context that tells its translator what it means, and ngettext picks the
// singular or plural form of a count. Data texts (club-file keywords, record lines, traces,
// statistics-log fields, plotting commands) are never passed through these.
#pragma once

#include <libintl.h>

#define DORVELS_TEXTDOMAIN "dorvels"
#define _(text) gettext(text)
#define N_(text) text
// The context and the text joined by the EOT character, as the message catalogue keeps them;
// untranslated, the text alone.
#define C_(context, text) pgettext_aux(context "\004" text, text)

const char* pgettext_aux(const char* msgctxt_id, const char* text);

// Takes the operator's language from the environment (LANG, LC_ALL, LC_MESSAGES) for
// messages and character classes only: numbers, dates and collation stay in the C locale, so
// that files, plotting commands and style sheets never get a decimal comma. Binds the text
// domain to the installed locale folder, or to the build tree's for a program run from it.
void InitLocale();
// The folder the message catalogues are read from.
const char* LocaleFolder();
