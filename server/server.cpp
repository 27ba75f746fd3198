// SPDX-License-Identifier: GPL-3.0-or-later
// The phone page's HTTP server. The listening socket is our own GSocketService, so that a
// connection beyond the limits is turned away (or makes room) before libsoup sees it; an
// accepted one is held until its first bytes arrive and then handed to libsoup, which reads
// requests and writes answers asynchronously on the main loop. The held ones are watched
// through one epoll descriptor: the main loop polls every descriptor it watches at every
// turn, and hundreds of idle connections among them would slow every turn of the window's
// drawing. Requests are checked as soon as their headers are in (method, size, body, Host,
// access key) and answered there when refused; the rest wait, paused, for an idle turn of
// the main loop: the page is made then, once for every request waiting, within a time
// budget, after the window's keys and drawing.
#include <gio/gio.h>
#include <glib-unix.h>
#include <libsoup/soup.h>
#include <sys/epoll.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <unordered_map>

#include "phone/accesskey.h"
#include "server/server.h"
#include "support/helmtext.h"
#include "support/intl.h"

namespace {

struct Conn {
    GSocket* socket = nullptr;  // the connection's socket, for the deadline and the message lookup
    GSocketConnection* held = nullptr;  // until its first bytes arrive (a reference)
    std::string host;    // client address
    gint64 since;        // start of the current wait for a request or an answer (µs)
    bool reading = true; // waiting for its request (else for its answer to be made and taken)
    bool closing = false;
};

// One answer body as sent, with its entity tag.
struct Body {
    std::string text, etag;
};

struct Server {
    GSocketService* service = nullptr;
    SoupServer* soup = nullptr;
    ServeOption option;
    int port = 0;
    std::string shown;  // the address in the page's address
    std::string csp;
    std::string hostname;                 // this machine's name, for the Host check
    std::vector<NetAddress> addrs;        // and its addresses, looked up again now and then
    gint64 addrsat = 0;
    guint deadlinetimer = 0;
    guint answerer = 0;
    int epfd = -1;         // the held connections' epoll descriptor
    guint epwatch = 0;     // its watch in the main loop
    std::deque<SoupServerMessage*> waiting;  // paused until the next idle turn (a reference each)
    PhoneBoard board;                        // the board the bodies were made from
    bool made = false;
    Body html, json;
};

Server srv;
ServeLimits limits;
ServeCounts counts;
// Connections alive, also those of a server stopped a moment ago and those still closing.
std::unordered_map<GSocket*, Conn*> conns;
std::unordered_map<int, Conn*> held;  // by descriptor: those waiting for their first bytes
// Connections not closing, in all and by client address: what the limits count.
int live = 0;
std::unordered_map<std::string, int> perhost;

// A connection is no longer counted against the limits (it is closing, or gone).
void Uncount(Conn* c) {
    --live;
    if (--perhost[c->host] <= 0) perhost.erase(c->host);
}

// A held connection is no longer watched for its first bytes; its reference is the caller's.
GSocketConnection* Unhold(Conn* c) {
    GSocketConnection* conn = c->held;
    if (!conn) return nullptr;
    int fd = g_socket_get_fd(c->socket);
    epoll_ctl(srv.epfd, EPOLL_CTL_DEL, fd, nullptr);
    held.erase(fd);
    c->held = nullptr;
    return conn;
}

// Closes a connection. One still held goes at once (and with it c); in libsoup's hands,
// its pending read or write ends with the socket, and libsoup lets the connection go.
void CloseConn(Conn* c) {
    if (c->closing) return;
    c->closing = true;
    Uncount(c);
    ++counts.closed;
    if (GSocketConnection* conn = Unhold(c)) {
        g_io_stream_close(G_IO_STREAM(conn), nullptr, nullptr);
        g_object_unref(conn);
        return;
    }
    g_socket_shutdown(c->socket, TRUE, TRUE, nullptr);
}

std::string Etag(const std::string& body) {
    uint64_t h = 1469598103934665603ULL;  // FNV-1a
    for (unsigned char c : body) h = (h ^ c) * 1099511628211ULL;
    return strprintf("\"%016llx\"", (unsigned long long)h);
}

std::string Sha256Base64(const char* text) {
    GChecksum* sum = g_checksum_new(G_CHECKSUM_SHA256);
    g_checksum_update(sum, (const guchar*)text, (gssize)strlen(text));
    guint8 digest[32];
    gsize len = sizeof digest;
    g_checksum_get_digest(sum, digest, &len);
    g_checksum_free(sum);
    gchar* b64 = g_base64_encode(digest, len);
    std::string out = b64;
    g_free(b64);
    return out;
}

Conn* ConnOf(SoupServerMessage* msg) {
    auto it = conns.find(soup_server_message_get_socket(msg));
    return it == conns.end() ? nullptr : it->second;
}

// The connection object is gone (libsoup closed it, or it was turned away).
void ConnGone(gpointer data, GObject*) {
    Conn* c = static_cast<Conn*>(data);
    conns.erase(c->socket);
    if (!c->closing) Uncount(c);
    delete c;
}

void FirstBytesNow();

// When every place is taken: the connection that has waited longest for its request is
// closed for a new one; one that has sent nothing yet before one that sends it slowly. A
// phone sends its request as soon as it is connected (those whose bytes are in are handed
// on first), so idle connections held open by others cannot keep it out.
bool MakeRoom() {
    FirstBytesNow();
    Conn* oldest = nullptr;
    for (auto& [fd, c] : held)
        if (!oldest || c->since < oldest->since) oldest = c;
    if (!oldest)
        for (auto& [sock, c] : conns)
            if (!c->closing && c->reading && (!oldest || c->since < oldest->since)) oldest = c;
    if (!oldest) return false;
    CloseConn(oldest);
    return true;
}

std::string RemoteHost(GSocketConnection* conn) {
    std::string host;
    if (GSocketAddress* a = g_socket_connection_get_remote_address(conn, nullptr)) {
        if (G_IS_INET_SOCKET_ADDRESS(a)) {
            gchar* s = g_inet_address_to_string(g_inet_socket_address_get_address(G_INET_SOCKET_ADDRESS(a)));
            host = s;
            g_free(s);
        }
        g_object_unref(a);
    }
    return host;
}

// libsoup takes a connection: it reads the requests from here on.
void ToSoup(GSocketConnection* conn) {
    GSocketAddress* local = g_socket_connection_get_local_address(conn, nullptr);
    GSocketAddress* remote = g_socket_connection_get_remote_address(conn, nullptr);
    GError* err = nullptr;
    if (!soup_server_accept_iostream(srv.soup, G_IO_STREAM(conn), local, remote, &err)) {
        DPRINTF(1, "(ToSoup) %s\n", err ? err->message : "not accepted");
        g_clear_error(&err);
        g_io_stream_close(G_IO_STREAM(conn), nullptr, nullptr);
    }
    if (local) g_object_unref(local);
    if (remote) g_object_unref(remote);
}

// A held connection has sent its first bytes (or closed).
void HandOver(Conn* c) {
    GSocketConnection* conn = Unhold(c);
    ToSoup(conn);
    g_object_unref(conn);  // libsoup's now, or gone (and c with it)
}

// Every held connection whose first bytes are in goes on to libsoup.
void FirstBytesNow() {
    epoll_event ev[64];
    for (int n = 64; n == 64;) {
        n = epoll_wait(srv.epfd, ev, 64, 0);
        for (int i = 0; i < n; ++i) {
            auto it = held.find(ev[i].data.fd);
            if (it != held.end()) HandOver(it->second);
        }
    }
}

gboolean FirstBytes(gint, GIOCondition, gpointer) {
    FirstBytesNow();
    return G_SOURCE_CONTINUE;
}

gboolean Incoming(GSocketService*, GSocketConnection* conn, GObject*, gpointer) {
    GSocket* sock = g_socket_connection_get_socket(conn);
    std::string host = RemoteHost(conn);
    auto known = perhost.find(host);
    bool full = known != perhost.end() && known->second >= limits.maxperaddress;
    if (!full && live >= limits.maxconnections) full = !MakeRoom();
    if (full) {
        ++counts.refused;
        static const char busy[] =
            "HTTP/1.1 503 Service Unavailable\r\nContent-Type: text/plain\r\nContent-Length: 5\r\n"
            "Retry-After: 5\r\nConnection: close\r\n\r\nbusy\n";
        g_socket_set_blocking(sock, FALSE);
        g_socket_send(sock, busy, sizeof busy - 1, nullptr, nullptr);
        g_socket_shutdown(sock, FALSE, TRUE, nullptr);
        g_io_stream_close(G_IO_STREAM(conn), nullptr, nullptr);
        return TRUE;
    }
    Conn* c = new Conn;
    c->socket = sock;
    c->host = host;
    c->since = g_get_monotonic_time();
    conns[sock] = c;
    ++live;
    ++perhost[host];
    g_object_weak_ref(G_OBJECT(conn), ConnGone, c);
    epoll_event ev{};
    ev.events = EPOLLIN | EPOLLRDHUP;
    ev.data.fd = g_socket_get_fd(sock);
    if (epoll_ctl(srv.epfd, EPOLL_CTL_ADD, ev.data.fd, &ev) == 0) {
        c->held = G_SOCKET_CONNECTION(g_object_ref(conn));
        held[ev.data.fd] = c;
    } else {
        ToSoup(conn);
    }
    return TRUE;
}

// A connection's request is all in: from now on it waits for its answer. (A connection that
// is kept open for a next request waits for that one from the end of its answer.)
void RequestRead(SoupServer*, SoupServerMessage* msg, gpointer) {
    if (Conn* c = ConnOf(msg)) {
        c->since = g_get_monotonic_time();
        c->reading = false;
    }
}

void RequestDone(SoupServer*, SoupServerMessage* msg, gpointer) {
    if (Conn* c = ConnOf(msg)) {
        c->since = g_get_monotonic_time();
        c->reading = true;
    }
}

gboolean CheckDeadlines(gpointer) {
    gint64 now = g_get_monotonic_time();
    std::vector<Conn*> late;
    for (auto& [sock, c] : conns)
        if (!c->closing && now - c->since > (gint64)(c->reading ? limits.requestms : limits.deadlinems) * 1000)
            late.push_back(c);
    for (Conn* c : late) CloseConn(c);
    return G_SOURCE_CONTINUE;
}

void Refuse(SoupServerMessage* msg, guint status, const char* text, const char* type = "text/plain; charset=utf-8") {
    ++counts.answered;
    // libsoup knows no reason phrase for 421 and 431.
    const char* phrase = status == 421 ? "Misdirected Request" : status == 431 ? "Request Header Fields Too Large" : nullptr;
    soup_server_message_set_status(msg, status, phrase);
    soup_server_message_set_response(msg, type, SOUP_MEMORY_STATIC, text, strlen(text));
    SoupMessageHeaders* out = soup_server_message_get_response_headers(msg);
    soup_message_headers_replace(out, "Connection", "close");
    soup_message_headers_replace(out, "Cache-Control", "no-store");
    soup_message_headers_replace(out, "X-Content-Type-Options", "nosniff");
    soup_message_headers_replace(out, "Referrer-Policy", "no-referrer");
    soup_message_headers_replace(out, "Content-Security-Policy", srv.csp.c_str());
}

// The machine's addresses, looked up again at most every few seconds (a laptop may join
// another network during the evening).
const std::vector<NetAddress>& Addresses() {
    gint64 now = g_get_monotonic_time();
    if (!srv.addrsat || now - srv.addrsat > 5 * G_USEC_PER_SEC) {
        srv.addrs = MachineAddresses();
        srv.addrsat = now;
    }
    return srv.addrs;
}

// The address named in the request's Host header and in its target (an absolute address
// names a host of its own) is this machine's.
bool ForThisMachine(SoupServerMessage* msg) {
    const char* host = soup_message_headers_get_one(soup_server_message_get_request_headers(msg), "Host");
    if (!host || !HostIsThisMachine(host, Addresses(), srv.hostname)) return false;
    GUri* uri = soup_server_message_get_uri(msg);
    const char* target = uri ? g_uri_get_host(uri) : nullptr;
    if (!target) return false;
    std::string t = target;
    if (t.find(':') != std::string::npos && t[0] != '[') t = "[" + t + "]";
    return HostIsThisMachine(t, Addresses(), srv.hostname);
}

// What a request without the key gets: where to find the address, and nothing of the club.
// Made once, in the operator's language; it stays for the process (the answer borrows it).
const char* Keyless() {
    static const std::string page =
        "<!DOCTYPE html>\n<html lang=\"" + HtmlEscape(C_("language of the phone page", "en")) +
        "\"><head><meta charset=\"utf-8\">"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\"><title>Dorvels</title></head>\n"
        "<body><p>" +
        HtmlEscape(_("To see the squares, scan the QR code shown in the hall, or type the whole address shown "
                     "beside it.")) +
        "</p></body></html>\n";
    return page.c_str();
}

// The part of a path after /k/KEY when KEY is the evening's key; false otherwise.
bool KeyedPath(const char* path, std::string* rest) {
    if (strncmp(path, "/k/", 3) != 0) return false;
    const char* key = path + 3;
    const char* end = strchr(key, '/');
    size_t len = end ? (size_t)(end - key) : strlen(key);
    if (!AccessKeyMatches(std::string_view(key, len))) return false;
    *rest = key + len;
    return true;
}

// Headers are in: everything that is not a small GET or HEAD is answered here, before a
// body is read.
void EarlyCheck(SoupServer*, SoupServerMessage* msg, const char*, GHashTable*, gpointer) {
    const char* method = soup_server_message_get_method(msg);
    SoupMessageHeaders* h = soup_server_message_get_request_headers(msg);
    if (strcmp(method, "GET") != 0 && strcmp(method, "HEAD") != 0) {
        soup_message_headers_replace(soup_server_message_get_response_headers(msg), "Allow", "GET, HEAD");
        Refuse(msg, SOUP_STATUS_METHOD_NOT_ALLOWED, "only GET and HEAD\n");
        return;
    }
    gchar* uri = g_uri_to_string(soup_server_message_get_uri(msg));
    size_t size = strlen(method) + strlen(uri) + 12;
    g_free(uri);
    SoupMessageHeadersIter it;
    const char *name, *value;
    soup_message_headers_iter_init(&it, h);
    while (soup_message_headers_iter_next(&it, &name, &value)) size += strlen(name) + strlen(value) + 4;
    if ((int)size > limits.maxrequestbytes) {
        Refuse(msg, 431, "request too large\n");
        return;
    }
    if (soup_message_headers_get_encoding(h) != SOUP_ENCODING_NONE &&
        !(soup_message_headers_get_encoding(h) == SOUP_ENCODING_CONTENT_LENGTH &&
          soup_message_headers_get_content_length(h) == 0)) {
        Refuse(msg, SOUP_STATUS_REQUEST_ENTITY_TOO_LARGE, "no request body here\n");
        return;
    }
    // A page of another site, whose name a browser on the hall's network was made to look up
    // as this machine's address, must read nothing here.
    if (!ForThisMachine(msg)) {
        Refuse(msg, SOUP_STATUS_MISDIRECTED_REQUEST, "this server answers only for this computer's own addresses\n");
        return;
    }
    std::string rest;
    if (!KeyedPath(g_uri_get_path(soup_server_message_get_uri(msg)), &rest)) {
        Refuse(msg, SOUP_STATUS_FORBIDDEN, Keyless(), "text/html; charset=utf-8");
        return;
    }
    if (rest.empty()) {  // the address without its last slash: the page's own links need it
        std::string to = "/k/" + AccessKey() + "/";
        Refuse(msg, SOUP_STATUS_PERMANENT_REDIRECT, "");
        soup_message_headers_replace(soup_server_message_get_response_headers(msg), "Location", to.c_str());
    }
}

// The bodies of the current board, made again only when the board changed.
void MakeBodies() {
    PhoneBoard b = CurrentPhoneBoard();
    if (srv.made && b == srv.board) return;
    srv.board = b;
    srv.made = true;
    srv.html.text = PhonePageHtml(b);
    srv.html.etag = Etag(srv.html.text);
    srv.json.text = PhoneBoardJson(b);
    srv.json.etag = Etag(srv.json.text);
}

// The name asked for in the query (n, name, q or search), if any.
bool SearchQuery(GUri* uri, std::string* query) {
    const char* q = g_uri_get_query(uri);
    if (!q || !*q) return false;
    GHashTable* params = g_uri_parse_params(q, -1, "&", G_URI_PARAMS_NONE, nullptr);
    if (!params) return false;
    const char* found = nullptr;
    for (const char* key : {"n", "name", "q", "search"})
        if (!found) found = static_cast<const char*>(g_hash_table_lookup(params, key));
    if (found) *query = found;
    g_hash_table_unref(params);
    return found != nullptr;
}

void Answer(SoupServerMessage* msg) {
    ++counts.answered;
    std::string path;  // after /k/KEY, which the early check has seen
    if (!KeyedPath(g_uri_get_path(soup_server_message_get_uri(msg)), &path)) path.clear();
    const Body* body = nullptr;
    const char* type = nullptr;
    if (path == "/") {
        body = &srv.html;
        type = "text/html; charset=utf-8";
    } else if (path == "/board.json") {
        body = &srv.json;
        type = "application/json";
    }
    // board.json?n=NAME: the board with the dancers that name finds (first name, family name
    // or both, whatever the case and accents), as the page's own search finds them.
    std::string query;
    if (body == &srv.json && SearchQuery(soup_server_message_get_uri(msg), &query)) {
        static Body search;
        search.text = PhoneBoardJson(srv.board, query);
        search.etag = Etag(search.text);
        body = &search;
    }
    SoupMessageHeaders* out = soup_server_message_get_response_headers(msg);
    // libsoup keeps a connection open for the next request only when it listens itself; the
    // listening socket here is ours, so it closes every connection after one answer. Saying
    // so keeps clients from sending their next poll into a connection that is closing.
    soup_message_headers_replace(out, "Connection", "close");
    soup_message_headers_replace(out, "X-Content-Type-Options", "nosniff");
    soup_message_headers_replace(out, "Referrer-Policy", "no-referrer");
    soup_message_headers_replace(out, "Content-Security-Policy", srv.csp.c_str());
    if (!body) {
        static const char notfound[] = "not found\n";
        soup_server_message_set_status(msg, SOUP_STATUS_NOT_FOUND, nullptr);
        soup_server_message_set_response(msg, "text/plain; charset=utf-8", SOUP_MEMORY_STATIC, notfound,
                                         sizeof notfound - 1);
        return;
    }
    soup_message_headers_replace(out, "Cache-Control", "no-cache, private");
    soup_message_headers_replace(out, "ETag", body->etag.c_str());
    const char* match = soup_message_headers_get_one(soup_server_message_get_request_headers(msg), "If-None-Match");
    if (match && (strstr(match, body->etag.c_str()) || strcmp(match, "*") == 0)) {
        soup_server_message_set_status(msg, SOUP_STATUS_NOT_MODIFIED, nullptr);
        return;
    }
    soup_server_message_set_status(msg, SOUP_STATUS_OK, nullptr);
    soup_server_message_set_response(msg, type, SOUP_MEMORY_COPY, body->text.data(), body->text.size());
}

gboolean AnswerWaiting(gpointer) {
    gint64 start = g_get_monotonic_time();
    MakeBodies();
    while (!srv.waiting.empty()) {
        SoupServerMessage* msg = srv.waiting.front();
        srv.waiting.pop_front();
        Answer(msg);
        soup_server_message_unpause(msg);
        g_object_unref(msg);
        if (g_get_monotonic_time() - start > limits.answerbudgetus) break;
    }
    if (!srv.waiting.empty()) return G_SOURCE_CONTINUE;
    srv.answerer = 0;
    return G_SOURCE_REMOVE;
}

void Handle(SoupServer*, SoupServerMessage* msg, const char*, GHashTable*, gpointer) {
    if (soup_server_message_get_status(msg) >= 300) return;  // refused by EarlyCheck
    soup_server_message_pause(msg);
    srv.waiting.push_back(SOUP_SERVER_MESSAGE(g_object_ref(msg)));
    if (!srv.answerer) srv.answerer = g_idle_add_full(G_PRIORITY_DEFAULT_IDLE, AnswerWaiting, nullptr, nullptr);
}

// A waiting request whose connection went away is not answered.
void Aborted(SoupServer*, SoupServerMessage* msg, gpointer) {
    for (auto it = srv.waiting.begin(); it != srv.waiting.end(); ++it) {
        if (*it != msg) continue;
        srv.waiting.erase(it);
        g_object_unref(msg);
        return;
    }
}

// Listens as opt says; false with the reason when it cannot. *port is the port listened on.
bool Listen(GSocketListener* l, const std::string& address, int* port, std::string* err) {
    GError* e = nullptr;
    bool ok = false;
    if (address.empty()) {
        if (*port == 0) {
            *port = g_socket_listener_add_any_inet_port(l, nullptr, &e);
            ok = *port != 0;
        } else {
            ok = g_socket_listener_add_inet_port(l, (guint16)*port, nullptr, &e);
        }
    } else {
        GSocketAddress* a = g_inet_socket_address_new_from_string(address.c_str(), (guint)*port);
        GSocketAddress* used = nullptr;
        if (a) ok = g_socket_listener_add_address(l, a, G_SOCKET_TYPE_STREAM, G_SOCKET_PROTOCOL_TCP, nullptr, &used, &e);
        if (ok && used) *port = g_inet_socket_address_get_port(G_INET_SOCKET_ADDRESS(used));
        if (used) g_object_unref(used);
        if (a) g_object_unref(a);
    }
    if (!ok) *err = e ? e->message : _("not an address of this computer: ") + address;
    g_clear_error(&e);
    return ok;
}

}  // namespace

ServeLimits& PhoneServerLimits() { return limits; }
bool PhoneServerRunning() { return srv.service != nullptr; }
const ServeOption& PhoneServerOption() { return srv.option; }
int PhoneServerPort() { return srv.service ? srv.port : 0; }
std::string PhoneServerUrl() { return srv.service ? PageUrl(srv.shown, srv.port, AccessKey()) : ""; }

ServeCounts PhoneServerCounts() {
    ServeCounts c = counts;
    c.open = (int)conns.size();
    return c;
}

bool PhoneServerStart(const ServeOption& opt, std::string* err) {
    PhoneServerStop();
    srv.option = opt;
    if (AccessKey().empty()) {
        *err = _("the system gives no random numbers for the page's access key");
        return false;
    }
    std::string address = opt.address;
    if (address == "lan") {
        address = ChooseLanAddress(MachineAddresses());
        if (address.empty()) {
            *err = _("this computer has no address on a local network");
            return false;
        }
    }
    GSocketService* service = g_socket_service_new();
    // GLib's queue of 10 connections not yet accepted drops the rest when a hall of phones
    // opens the page at once, and each dropped phone waits a second before it tries again.
    g_socket_listener_set_backlog(G_SOCKET_LISTENER(service), limits.maxconnections);
    int port = opt.port;
    if (!Listen(G_SOCKET_LISTENER(service), address, &port, err)) {
        g_object_unref(service);
        return false;
    }
    srv.service = service;
    srv.port = port;
    std::string shown = address.empty() ? ChooseLanAddress(MachineAddresses()) : address;
    srv.shown = shown.empty() ? "127.0.0.1" : shown;
    srv.hostname = g_get_host_name();
    srv.addrsat = 0;
    srv.csp = "default-src 'none'; script-src 'sha256-" + Sha256Base64(phonepagescript) +
              "'; style-src 'sha256-" + Sha256Base64(phonepagestyle) +
              "'; connect-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'";
    srv.made = false;
    srv.soup = soup_server_new("server-header", "Dorvels", nullptr);
    soup_server_add_early_handler(srv.soup, nullptr, EarlyCheck, nullptr, nullptr);
    soup_server_add_handler(srv.soup, nullptr, Handle, nullptr, nullptr);
    g_signal_connect(srv.soup, "request-read", G_CALLBACK(RequestRead), nullptr);
    g_signal_connect(srv.soup, "request-finished", G_CALLBACK(RequestDone), nullptr);
    g_signal_connect(srv.soup, "request-aborted", G_CALLBACK(Aborted), nullptr);
    g_signal_connect(service, "incoming", G_CALLBACK(Incoming), nullptr);
    srv.epfd = epoll_create1(EPOLL_CLOEXEC);
    if (srv.epfd >= 0) srv.epwatch = g_unix_fd_add(srv.epfd, G_IO_IN, FirstBytes, nullptr);
    // Looked at often enough that a connection is closed within an eighth past its deadline.
    int tick = std::clamp(std::min(limits.requestms, limits.deadlinems) / 8, 20, 250);
    srv.deadlinetimer = g_timeout_add(tick, CheckDeadlines, nullptr);
    g_socket_service_start(service);
    DPRINTF(1, "(PhoneServerStart) %s\n", PhoneServerUrl().c_str());
    return true;
}

void PhoneServerStop() {
    if (!srv.service) return;
    g_socket_service_stop(srv.service);
    g_socket_listener_close(G_SOCKET_LISTENER(srv.service));
    g_clear_object(&srv.service);
    std::vector<Conn*> silent;  // connections that never sent a byte: libsoup has not seen them
    for (auto& [fd, c] : held) silent.push_back(c);
    for (Conn* c : silent) CloseConn(c);
    if (srv.epwatch) g_source_remove(srv.epwatch);
    if (srv.epfd >= 0) close(srv.epfd);
    srv.epwatch = 0;
    srv.epfd = -1;
    if (srv.deadlinetimer) g_source_remove(srv.deadlinetimer);
    if (srv.answerer) g_source_remove(srv.answerer);
    srv.deadlinetimer = srv.answerer = 0;
    std::deque<SoupServerMessage*> waiting;
    waiting.swap(srv.waiting);
    soup_server_disconnect(srv.soup);
    for (SoupServerMessage* msg : waiting) g_object_unref(msg);
    g_clear_object(&srv.soup);
    srv.port = 0;
}
