// SPDX-License-Identifier: GPL-3.0-or-later
// The phone page's HTTP server: libsoup 3 on GLib's main loop, in the program's one thread.
// It answers GET and HEAD on the page (/k/KEY/) and its board (/k/KEY/board.json) and on
// nothing else: KEY is the evening's access key (phone/accesskey.h), carried by the address
// shown in the hall; without it a request gets a short page that says where to find the
// address. Only requests addressed to this machine by name or address are answered, against
// pages of other sites that a browser on the hall's network runs. Answers are made when the
// main loop is otherwise idle, after the operator's keys and the window's drawing; a
// connection that does not send its request in time, or keeps its answer waiting, is closed,
// and when every place is taken the connection that has waited longest for its request makes
// room, so no client can hold up the window or keep the phones out.
// No GTK here: the server needs only the main loop.
#pragma once

#include <string>
#include <vector>

#include "phone/page.h"

struct ServeLimits {
    int maxconnections = 256;   // connections open at once
    int maxperaddress = 16;     // of them from one client address (a phone opens a few)
    int requestms = 2000;       // a whole request must arrive within this, or the connection is closed
    int deadlinems = 10000;     // an answer must be taken within this
    int maxrequestbytes = 8192; // request line and headers
    int answerbudgetus = 2000;  // answering time per turn of the main loop before the window's turn
};

// The limits in force (tests lower them); a change applies to the next connection.
ServeLimits& PhoneServerLimits();

// Starts listening as opt says (stops a server already running first). False, with the
// reason in *err, when it cannot listen there.
bool PhoneServerStart(const ServeOption& opt, std::string* err);
void PhoneServerStop();
bool PhoneServerRunning();
// The option it was started with last (the setup switch starts it the same way again).
const ServeOption& PhoneServerOption();
// The port it listens on (the one chosen when 0 was asked for); 0 when stopped.
int PhoneServerPort();
// The address to give the dancers: http://LAN-ADDRESS:PORT/k/KEY/ (the bound address when it
// was bound to one) with the evening's access key; "" when stopped.
std::string PhoneServerUrl();

struct ServeCounts {
    unsigned long answered = 0;  // responses made, refusals included
    unsigned long refused = 0;   // connections turned away at the limits
    unsigned long closed = 0;    // connections closed at the deadline, or to make room
    int open = 0;                // connections open now
};
ServeCounts PhoneServerCounts();

// ---- the machine's address on the local network (server/lanaddr.cpp) ----------------------
struct NetAddress {
    std::string ifname;
    std::string address;  // numeric
    bool ipv6 = false;
    bool loopback = false;
    bool up = false;
};
// Every address of the machine's interfaces.
std::vector<NetAddress> MachineAddresses();
// The address a phone in the hall reaches: an IPv4 address of an interface that is up, not
// loopback, a private network before others and a real interface before a virtual one;
// IPv6 only when there is no IPv4. "" when there is none.
std::string ChooseLanAddress(const std::vector<NetAddress>& addrs);
// "http://ADDRESS:PORT/" with an IPv6 address in brackets, and "k/KEY/" after it for a key.
std::string PageUrl(const std::string& address, int port, const std::string& key = "");
// Whether the value of a Host header (or the host of a request's absolute address) names this
// machine: "localhost", its host name (also with .local), a loopback address or one of
// `addrs` (IPv6 in brackets), each with or without a port.
bool HostIsThisMachine(const std::string& host, const std::vector<NetAddress>& addrs, const std::string& hostname);

// ---- the QR code of the address (server/qr.cpp) -------------------------------------------
// The modules of a QR code for text, row by row (true = dark); empty when it cannot be made.
std::vector<std::vector<bool>> QrModules(const std::string& text);
