// SPDX-License-Identifier: GPL-3.0-or-later
// The phone page's content: the board of the latest tip (or who is present) read from the
// evening's state, and the page and JSON made from it with every text escaped.
#include "phone/page.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <map>

#include "core/dorvels.h"
#include "files/clubfile.h"
#include "registry/registry.h"
#include "support/helmtext.h"
#include "support/intl.h"

// ---- the board ---------------------------------------------------------------------------
bool SplitBoardText(const std::string& text, PhoneEntry* e) {
    size_t colon = text.rfind(": ");
    if (colon == std::string::npos) return false;
    size_t start = text.find_first_not_of(' ');
    if (start >= colon) return false;
    std::string name = text.substr(start, colon - start);
    std::string rest = text.substr(colon + 2);
    rest.erase(0, rest.find_first_not_of(' '));
    int square;
    if (rest == "Out") {
        square = 0;
    } else if (!rest.empty() && rest.size() <= 6 &&
               std::all_of(rest.begin(), rest.end(), [](char c) { return isdigit((unsigned char)c); })) {
        square = atoi(rest.c_str());
        if (square < 1) return false;
    } else {
        return false;
    }
    e->name = name;
    e->square = square;
    return true;
}

// The dancers of a saved tip with their squares: the places of its squares (and the
// temporary partners brought in from the out-dancers, who have no place of their own), then
// those who sat out.
static std::vector<std::pair<const SqrDancer*, int>> TipDancers(const History* h) {
    std::vector<std::pair<const SqrDancer*, int>> out;
    auto add = [&](const SqrDancer* sd, int square) {
        for (const auto& d : out)
            if (d.first == sd) return;
        out.push_back({sd, square});
    };
    for (int i = 0; h->histsqr && i < h->totsquares; ++i)
        for (int j = 0; h->histsqr[i].histsd && j < h->sqrsize; ++j) {
            const HistoryDancer& hd = h->histsqr[i].histsd[j];
            if (!hd.sd) continue;
            add(hd.sd, hd.square + 1);
            if (hd.tmppartner) add(hd.tmppartner, hd.square + 1);
        }
    for (const OutDancer* o = h->outdancerhd; o; o = o->nxt)
        if (o->sd) add(o->sd, 0);
    return out;
}

// Which club: its name, or for a club file without one the file's name.
static std::string ClubShown() {
    if (!clubname.empty() && clubname != "None" && clubname != "none") return clubname;
    // (The default output name is no club's: an evening that named none.)
    std::string file = !inputfilename.empty() ? inputfilename : outputfilename != dfltsavefile ? outputfilename : "";
    file = file.substr(file.find_last_of('/') + 1);
    if (file.size() > 7 && file.compare(file.size() - 7, 7, ".dorvel") == 0) file.erase(file.size() - 7);
    return file;
}

PhoneBoard CurrentPhoneBoard() {
    PhoneBoard b;
    b.club = ClubShown();
    std::vector<std::pair<const SqrDancer*, int>> dancers;
    if (const History* h = histtl) {
        // The texts saved with the tip are the board the hall saw, in the board's order.
        b.tip = h->tipcnt;
        for (int i = 0; h->sqrlist && i < 2 * h->totdancers; ++i) {
            PhoneEntry e;
            if (h->sqrlist[i] && SplitBoardText(h->sqrlist[i], &e)) b.entries.push_back(e);
        }
        dancers = TipDancers(h);
    } else {
        for (const SqrDancer* sd = sdhd; sd; sd = sd->nxt)
            if (sd->avail && sd->pgm >= pgmfloor) dancers.push_back({sd, -1});
    }
    SortDancersByName(dancers);
    // Each dancer as the board names it (a couple of one last name shows once).
    std::map<std::pair<std::string, int>, size_t> listed;  // name and square -> index in b.dancers
    for (const auto& [sd, square] : dancers) {
        if (!b.tip && !PresentHidden(sd)) b.entries.push_back({sd->dispname, -1});
        auto [at, added] = listed.insert({{sd->dispname, square}, b.dancers.size()});
        if (added) {
            b.dancers.push_back({sd->dispname, square});
            b.keys.push_back(NameSearchKey(sd));
        } else {  // both of a couple shown once: found by either's names
            b.keys[at->second] += " " + NameSearchKey(sd);
        }
    }
    return b;
}

std::string PhoneBoardHeading(const PhoneBoard& b) {
    return b.tip > 0 ? strprintf(_("Tip %d"), b.tip) : _("Present: no squares rolled yet");
}

// ---- escaping ----------------------------------------------------------------------------
static std::string Utf8(const std::string& s) {
    std::string u = s;
    MakeValidUtf8(u);
    return u;
}

std::string HtmlEscape(const std::string& s) {
    std::string out;
    for (char c : Utf8(s)) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&#39;"; break;
            default: out += c; break;
        }
    }
    return out;
}

std::string JsonString(const std::string& s) {
    std::string u = Utf8(s), out = "\"";
    for (size_t i = 0; i < u.size(); ++i) {
        unsigned char c = u[i];
        if (c == '"' || c == '\\') {
            out += '\\';
            out += (char)c;
        } else if (c < 0x20 || c == '<' || c == '>' || c == '&' || c == 0x7f) {
            out += strprintf("\\u%04x", c);
        } else if (c == 0xE2 && i + 2 < u.size() && (unsigned char)u[i + 1] == 0x80 &&
                   ((unsigned char)u[i + 2] == 0xA8 || (unsigned char)u[i + 2] == 0xA9)) {
            out += (unsigned char)u[i + 2] == 0xA8 ? "\\u2028" : "\\u2029";  // line ends to JavaScript
            i += 2;
        } else {
            out += (char)c;
        }
    }
    return out + "\"";
}

// ---- the page ----------------------------------------------------------------------------
const char* const phonepagestyle =
    "body{font:18px/1.35 sans-serif;margin:0 auto;max-width:60em;padding:0 12px 24px;"
    "background:#fffff0;color:#111}"
    "h1{font-size:1.3em;margin:12px 0 0}"
    "#tip{font-size:1.6em;font-weight:bold;margin:2px 0 12px}"
    "label{display:block;font-size:.9em}"
    "#name{font-size:1.3em;width:100%;box-sizing:border-box;padding:8px;margin:4px 0 8px}"
    "#answer div{font-size:2.8em;font-weight:bold;text-align:center;margin:4px 0 12px}"
    "#answer small{display:block;font-size:.4em;font-weight:normal}"
    "ol{list-style:none;padding:0;margin:0;columns:14em}"
    "li{display:flex;justify-content:space-between;gap:1em;padding:4px 8px;break-inside:avoid}"
    "li:nth-child(even){background:#90ee90}"
    "li.me{outline:3px solid #0088ff}"
    "#state{color:#a00}";

// Fills in the board from /board.json every two seconds (an unchanged board costs a 304),
// and answers the name typed with the square of every dancer the server finds by it (first
// name, family name or both: the page itself holds only the names the board shows), else of
// every entry that names it. Texts go into the
// page only as text nodes.
const char* const phonepagescript =
    "\"use strict\";(function(){"
    "var box=document.getElementById(\"name\"),ans=document.getElementById(\"answer\"),"
    "list=document.getElementById(\"board\"),state=document.getElementById(\"state\"),t=ans.dataset,"
    "data=null,etag=\"\",failures=0;"
    "function words(s){return s.normalize(\"NFD\").replace(/[\\u0300-\\u036f]/g,\"\").toLowerCase()"
    ".split(/[^\\p{L}\\p{N}#'-]+/u).filter(Boolean);}"
    "function cell(e){return e.s>0?String(e.s):e.s===0?t.outcell:\"\";}"
    "function say(e){return e.s>0?t.square.replace(\"%d\",e.s):e.s===0?t.out:t.here;}"
    "function find(list,qw){var best=0,found=[];"
    "list.forEach(function(e){var ew=words(e.n),score=0;"
    "qw.forEach(function(w){if(ew.indexOf(w)>=0)score+=2;"
    "else if(w.length>1&&ew.some(function(x){return x.lastIndexOf(w,0)===0;}))score+=1;});"
    "if(score>best){best=score;found=[];}if(score&&score===best)found.push(e);});return found;}"
    "function add(big,small){var d=document.createElement(\"div\"),s=document.createElement(\"small\");"
    "d.textContent=big;s.textContent=small;d.appendChild(s);ans.appendChild(d);}"
    "function answer(){var q=box.value;if(!data||!words(q).length){render(q,null);return;}"
    "fetch(\"board.json?n=\"+encodeURIComponent(q),{cache:\"no-store\"}).then(function(r){return r.json();})"
    ".then(function(d){if(box.value===q)render(q,d.found);},function(){render(q,null);});}"
    "function render(q,found){ans.textContent=\"\";var rows=list.children,qw=words(q);"
    "for(var k=0;k<rows.length;k++)rows[k].className=\"\";if(!data||!qw.length)return;"
    "var cells=find(data.entries,qw),people=found&&found.length?found:find(data.dancers,qw),"
    "shown=people.length?people:cells;"
    "if(!shown.length)add(t.none,\"\");"
    "shown.slice(0,6).forEach(function(e){add(say(e),e.n);});"
    "data.entries.forEach(function(e,i){if(cells.indexOf(e)>=0&&rows[i])rows[i].className=\"me\";});}"
    "function show(d){data=d;document.getElementById(\"club\").textContent=d.club;"
    "document.getElementById(\"tip\").textContent=d.heading;list.textContent=\"\";"
    "d.entries.forEach(function(e){var li=document.createElement(\"li\"),n=document.createElement(\"span\"),"
    "s=document.createElement(\"b\");n.textContent=e.n;s.textContent=cell(e);li.appendChild(n);"
    "li.appendChild(s);list.appendChild(li);});var dl=document.getElementById(\"dancers\");dl.textContent=\"\";"
    "d.dancers.forEach(function(e){var o=document.createElement(\"option\");o.value=e.n;dl.appendChild(o);});"
    "answer();}"
    "function poll(){if(document.hidden){setTimeout(poll,2000);return;}"
    "fetch(\"board.json\",{cache:\"no-store\",headers:etag?{\"If-None-Match\":etag}:{}})"
    ".then(function(r){if(r.status===304)return;if(r.status!==200)throw new Error(r.status);"
    "etag=r.headers.get(\"ETag\")||\"\";return r.json().then(show);})"
    ".then(function(){failures=0;state.textContent=\"\";},function(){failures++;"
    "if(failures>2)state.textContent=t.lost;})"
    ".then(function(){setTimeout(poll,Math.min(2000*(failures+1),10000));});}"
    "try{box.value=localStorage.getItem(\"dorvels-name\")||\"\";}catch(e){}"
    "var m=/[#&]n=([^&]*)/.exec(location.hash);"
    "if(m){try{box.value=decodeURIComponent(m[1]);}catch(e){}}"
    "box.addEventListener(\"input\",function(){try{localStorage.setItem(\"dorvels-name\",box.value);}"
    "catch(e){}answer();});poll();})();";

static std::string SquareCell(int square) {
    return square > 0 ? std::to_string(square) : square == 0 ? _("Out") : "";
}

std::string PhonePageHtml(const PhoneBoard& b) {
    std::string club = HtmlEscape(b.club), heading = HtmlEscape(PhoneBoardHeading(b));
    std::string out =
        "<!DOCTYPE html>\n<html lang=\"" + HtmlEscape(C_("language of the phone page", "en")) +
        "\"><head><meta charset=\"utf-8\">"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
        "<title>" + (club.empty() ? std::string("Dorvels") : club) + " \u00b7 " + heading + "</title>"
        "<style>" + phonepagestyle + "</style></head>\n<body>"
        "<h1 id=\"club\">" + club + "</h1><p id=\"tip\">" + heading + "</p>"
        "<label for=\"name\">" + HtmlEscape(_("Your name as the board shows it")) + "</label>"
        "<input id=\"name\" type=\"search\" list=\"dancers\" autocomplete=\"off\" autocapitalize=\"words\" "
        "spellcheck=\"false\"><datalist id=\"dancers\">";
    for (const PhoneEntry& d : b.dancers) out += "<option value=\"" + HtmlEscape(d.name) + "\">";
    // The script's own words ride on the answer's element, so that the script stays the same
    // in every language (its hash is in the page's security policy).
    out += "</datalist><div id=\"answer\" aria-live=\"polite\" data-square=\"" + HtmlEscape(_("Square %d")) +
           "\" data-outcell=\"" + HtmlEscape(_("Out")) + "\" data-out=\"" + HtmlEscape(_("sitting out")) + "\" data-here=\"" + HtmlEscape(_("here: no squares yet")) +
           "\" data-none=\"" + HtmlEscape(_("not on the board")) + "\" data-lost=\"" +
           HtmlEscape(_("No answer from the hall's computer: trying again.")) + "\"></div>\n<ol id=\"board\">\n";
    for (const PhoneEntry& e : b.entries)
        out += "<li><span>" + HtmlEscape(e.name) + "</span><b>" + SquareCell(e.square) + "</b></li>\n";
    out += "</ol><p id=\"state\"></p><script>";
    out += phonepagescript;
    out += "</script></body></html>\n";
    return out;
}

static std::string JsonEntries(const std::vector<PhoneEntry>& list) {
    std::string out = "[";
    for (size_t i = 0; i < list.size(); ++i) {
        if (i) out += ',';
        out += "{\"n\":" + JsonString(list[i].name) + ",\"s\":" + std::to_string(list[i].square) + "}";
    }
    return out + "]";
}

std::string PhoneBoardJson(const PhoneBoard& b) {
    return "{\"club\":" + JsonString(b.club) + ",\"tip\":" + std::to_string(b.tip) +
           ",\"heading\":" + JsonString(PhoneBoardHeading(b)) + ",\"entries\":" + JsonEntries(b.entries) +
           ",\"dancers\":" + JsonEntries(b.dancers) + "}\n";
}

std::vector<PhoneEntry> PhoneFind(const PhoneBoard& b, const std::string& query) {
    std::vector<PhoneEntry> found;
    for (size_t i = 0; i < b.dancers.size(); ++i)
        if (NameKeyMatches(i < b.keys.size() ? b.keys[i] : NameFolded(b.dancers[i].name), query))
            found.push_back(b.dancers[i]);
    return found;
}

std::string PhoneBoardJson(const PhoneBoard& b, const std::string& query) {
    std::string json = PhoneBoardJson(b);
    json.erase(json.rfind('}'));
    return json + ",\"query\":" + JsonString(query) + ",\"found\":" + JsonEntries(PhoneFind(b, query)) + "}\n";
}

// ---- --serve ------------------------------------------------------------------------------
static bool Port(const std::string& s, int* port) {
    if (s.empty() || s.size() > 5 || !std::all_of(s.begin(), s.end(), [](char c) { return isdigit((unsigned char)c); }))
        return false;
    *port = atoi(s.c_str());
    return *port <= 65535;
}

static bool NumericAddress(const std::string& s) {
    unsigned char buf[16];
    return inet_pton(AF_INET, s.c_str(), buf) == 1 || inet_pton(AF_INET6, s.c_str(), buf) == 1;
}

bool ParseServeOption(const std::string& value, ServeOption* opt, std::string* err) {
    ServeOption o;
    std::string addr = value, port;
    if (!value.empty() && value[0] == '[') {  // [IPv6] or [IPv6]:PORT
        size_t close = value.find(']');
        if (close == std::string::npos || (close + 1 < value.size() && value[close + 1] != ':')) {
            *err = _("an IPv6 address is written in brackets: [ADDRESS]:PORT");
            return false;
        }
        addr = value.substr(1, close - 1);
        if (close + 1 < value.size()) port = value.substr(close + 2);
        if (port.empty() && close + 1 < value.size()) {
            *err = _("no port after the colon");
            return false;
        }
    } else if (std::count(value.begin(), value.end(), ':') == 1) {
        size_t colon = value.find(':');
        addr = value.substr(0, colon);
        port = value.substr(colon + 1);
        if (port.empty()) {
            *err = _("no port after the colon");
            return false;
        }
    } else if (!value.empty() && std::all_of(value.begin(), value.end(), [](char c) { return isdigit((unsigned char)c); })) {
        addr.clear();
        port = value;
    }
    if (!port.empty() && !Port(port, &o.port)) {
        *err = strprintf(_("\"%s\" is not a port number (0 to 65535)"), port.c_str());
        return false;
    }
    if (addr == "all" || addr.empty()) {
        o.address.clear();
    } else if (addr == "lan") {
        o.address = "lan";
    } else if (NumericAddress(addr)) {
        o.address = addr;
    } else {
        *err = strprintf(_("\"%s\" is not a numeric address of this computer (nor all or lan)"), addr.c_str());
        return false;
    }
    *opt = o;
    return true;
}
