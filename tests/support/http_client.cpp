// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/http_client.h"

#include <arpa/inet.h>
#include <glib.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <strings.h>
#include <thread>

static int Connect(int port, const char* from = nullptr) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd >= 0 && from) {  // from another loopback address, as another client would
        sockaddr_in src{};
        src.sin_family = AF_INET;
        if (inet_pton(AF_INET, from, &src.sin_addr) != 1 || bind(fd, (sockaddr*)&src, sizeof src) != 0) {
            close(fd);
            return -1;
        }
    }
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd >= 0 && connect(fd, (sockaddr*)&a, sizeof a) != 0) {
        close(fd);
        fd = -1;
    }
    return fd;
}

// Reads until end of stream, a reset or the time is up.
static std::string ReadAll(int fd, int timeoutms, bool* closed) {
    std::string got;
    gint64 end = g_get_monotonic_time() + timeoutms * 1000LL;
    *closed = false;
    while (true) {
        int left = (int)((end - g_get_monotonic_time()) / 1000);
        if (left <= 0) break;
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, left) <= 0) break;
        char buf[65536];
        ssize_t n = recv(fd, buf, sizeof buf, 0);
        if (n <= 0) {
            *closed = true;
            break;
        }
        got.append(buf, (size_t)n);
    }
    return got;
}

void TurnMainLoop(int ms) {
    gint64 end = g_get_monotonic_time() + ms * 1000LL;
    while (g_get_monotonic_time() < end) {
        while (g_main_context_iteration(nullptr, FALSE)) {
        }
        g_usleep(1000);
    }
}

// Runs work on a thread while the main loop turns, until it is done.
template <class F>
static void WhileLoopTurns(F work) {
    std::atomic<bool> done{false};
    std::thread t([&] {
        work();
        done = true;
        g_main_context_wakeup(nullptr);
    });
    while (!done) {
        while (g_main_context_iteration(nullptr, FALSE)) {
        }
        if (!done) g_usleep(500);
    }
    t.join();
}

std::string HttpReply::Header(const std::string& name) const {
    size_t pos = 0;
    while ((pos = head.find("\r\n", pos)) != std::string::npos) {
        pos += 2;
        if (strncasecmp(head.c_str() + pos, (name + ":").c_str(), name.size() + 1) == 0) {
            size_t v = head.find_first_not_of(' ', pos + name.size() + 1);
            return head.substr(v, head.find("\r\n", v) - v);
        }
    }
    return "";
}

HttpReply HttpRaw(int port, const std::string& raw, int timeoutms) {
    std::string got;
    WhileLoopTurns([&] {
        int fd = Connect(port);
        if (fd < 0) return;
        if (send(fd, raw.data(), raw.size(), MSG_NOSIGNAL) >= 0) {
            bool closed;
            got = ReadAll(fd, timeoutms, &closed);
        }
        close(fd);
    });
    HttpReply r;
    size_t end = got.find("\r\n\r\n");
    if (got.rfind("HTTP/1.", 0) != 0 || end == std::string::npos) return r;
    r.status = atoi(got.c_str() + 9);
    r.head = got.substr(0, end);
    r.body = got.substr(end + 4);
    return r;
}

HttpReply Http(int port, const std::string& method, const std::string& path, const std::string& headers) {
    return HttpRaw(port, method + " " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n" + headers + "\r\n");
}

HttpConn::HttpConn(int port, const char* from) : fd(Connect(port, from)) {}

HttpConn::~HttpConn() {
    if (fd >= 0) close(fd);
}

void HttpConn::Send(const std::string& data) {
    if (fd >= 0) (void)!send(fd, data.data(), data.size(), MSG_NOSIGNAL);
}

bool HttpConn::ClosedWithin(int waitms, std::string* got) {
    bool closed = false;
    std::string text;
    WhileLoopTurns([&] { text = ReadAll(fd, waitms, &closed); });
    if (got) *got = text;
    return closed;
}
