// SPDX-License-Identifier: GPL-3.0-or-later
// Real HTTP on loopback for the tests of the phone page's server. The server runs on the
// test's main loop, so the client runs on a thread of its own while the main loop turns.
#pragma once

#include <string>

struct HttpReply {
    int status = 0;      // 0: no answer (connection refused, reset or closed without one)
    std::string head;    // status line and headers
    std::string body;
    std::string Header(const std::string& name) const;  // "" when missing
};

// Sends `raw` as it stands to 127.0.0.1:port and reads until the server closes the
// connection or `timeoutms` pass; the main loop turns meanwhile.
HttpReply HttpRaw(int port, const std::string& raw, int timeoutms = 5000);
// A request of `method` for `path` with extra header lines ("Name: value\r\n"), closing.
HttpReply Http(int port, const std::string& method, const std::string& path, const std::string& headers = "");

// An open connection the test keeps (idle, or sending its request slowly).
class HttpConn {
public:
    // From the loopback address `from` (e.g. "127.0.0.5") when given.
    explicit HttpConn(int port, const char* from = nullptr);
    ~HttpConn();
    bool Connected() const { return fd >= 0; }
    void Send(const std::string& data);
    // True when the server has closed the connection (or reset it) within `waitms`, the main
    // loop turning meanwhile; anything it sent first is in *got.
    bool ClosedWithin(int waitms, std::string* got = nullptr);
private:
    int fd = -1;
};

// Turns the main loop for about `ms` milliseconds.
void TurnMainLoop(int ms);
