// SPDX-License-Identifier: GPL-3.0-or-later
// The phone page's server answering real HTTP requests on loopback: what it serves, what it
// refuses, and that no client can hold it (or the main loop it shares) up.
#include <glib.h>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <memory>

#include "phone/accesskey.h"
#include "server/server.h"
#include "support/fixtures.h"
#include "support/http_client.h"
#include "support/helmtext.h"

namespace {

class PhoneServer : public Evening {
protected:
    void SetUp() override {
        Evening::SetUp();
        PhoneServerLimits() = ServeLimits{};
        clubname = "Hilltop & <Sons>";
        AddCouple("Bob", "Ann", "Smith");
        AddCouple("Tom", "Sue", "Jones");
        AddCouple("Al", "Eve", "Brown");
        AddCouple("Cy", "Di", "Green");
        AddDancer("<script>alert(1)</script>", "Evil\"'", F);
        ServeOption opt;
        opt.address = "127.0.0.1";
        opt.port = 0;
        std::string err;
        ASSERT_TRUE(PhoneServerStart(opt, &err)) << err;
        port = PhoneServerPort();
        ASSERT_GT(port, 0);
    }
    void TearDown() override {
        PhoneServerStop();
        TurnMainLoop(20);
        PhoneServerLimits() = ServeLimits{};
        Evening::TearDown();
    }
    int port = 0;
};

// A path of the page, under the evening's key.
std::string K(const std::string& path) { return "/k/" + AccessKey() + path; }

TEST_F(PhoneServer, ServesTheBoardOfTheLatestTipAndOnlyThat) {
    HttpReply before = Http(port, "GET", K("/"));
    ASSERT_EQ(before.status, 200);
    EXPECT_EQ(before.Header("Content-Type"), "text/html; charset=utf-8");
    EXPECT_EQ(before.Header("Cache-Control"), "no-store");  // names stay out of the phones' caches
    EXPECT_NE(before.body.find("Present: no squares rolled yet"), std::string::npos);
    EXPECT_NE(before.body.find("<li><span>Smith</span><b></b></li>"), std::string::npos);

    SaveTipTexts({"   Brown:   2", "   Green: Out", "   Jones:   1", "Smith:  12"});
    HttpReply page = Http(port, "GET", K("/?from=qr"));
    ASSERT_EQ(page.status, 200);
    EXPECT_NE(page.body.find("<p id=\"tip\">Tip 1</p>"), std::string::npos);
    for (const char* li : {"<li><span>Brown</span><b>2</b></li>", "<li><span>Green</span><b>Out</b></li>",
                           "<li><span>Jones</span><b>1</b></li>", "<li><span>Smith</span><b>12</b></li>"})
        EXPECT_NE(page.body.find(li), std::string::npos) << li;
    // Only what the board shows: no card numbers, levels, roles or files.
    for (const char* secret : {"Basic", ".dorvel", "rfid"}) EXPECT_EQ(page.body.find(secret), std::string::npos) << secret;

    HttpReply json = Http(port, "GET", K("/board.json"));
    ASSERT_EQ(json.status, 200);
    EXPECT_EQ(json.Header("Content-Type"), "application/json");
    // Every connection ends after its answer: the answer says so, or a phone's next poll
    // would go into a connection that is closing.
    EXPECT_EQ(json.Header("Connection"), "close");
    EXPECT_NE(json.body.find("\"tip\":1"), std::string::npos);
    EXPECT_NE(json.body.find("{\"n\":\"Green\",\"s\":0}"), std::string::npos);

    // HEAD: the same headers, no body.
    HttpReply head = Http(port, "HEAD", K("/board.json"));
    EXPECT_EQ(head.status, 200);
    EXPECT_EQ(head.Header("Content-Length"), std::to_string(json.body.size()));
    EXPECT_EQ(head.body, "");

    // Polling with the entity tag: 304 while the board stays, the new board after a roll.
    std::string etag = json.Header("ETag");
    ASSERT_FALSE(etag.empty());
    EXPECT_EQ(Http(port, "GET", K("/board.json"), "If-None-Match: " + etag + "\r\n").status, 304);
    SaveTipTexts({"   Brown: Out", "   Green:   1"});
    HttpReply next = Http(port, "GET", K("/board.json"), "If-None-Match: " + etag + "\r\n");
    EXPECT_EQ(next.status, 200);
    EXPECT_NE(next.body.find("\"tip\":2"), std::string::npos);
    EXPECT_NE(next.Header("ETag"), etag);
}

TEST_F(PhoneServer, EveryNameIsEscaped) {
    SaveTipTexts({strprintf("%s:   1", "<script>alert(1)</script> Evil\"'"), "<b>x</b>: Out"});
    HttpReply page = Http(port, "GET", K("/"));
    ASSERT_EQ(page.status, 200);
    EXPECT_EQ(page.body.find("<script>alert"), std::string::npos);
    EXPECT_EQ(page.body.find("<b>x</b>"), std::string::npos);
    EXPECT_EQ(page.body.find("<Sons>"), std::string::npos);
    EXPECT_NE(page.body.find("&lt;script&gt;alert(1)&lt;/script&gt; Evil&quot;&#39;"), std::string::npos);
    EXPECT_NE(page.body.find("Hilltop &amp; &lt;Sons&gt;"), std::string::npos);
    // The page runs no script but its own.
    EXPECT_NE(page.Header("Content-Security-Policy").find("default-src 'none'; script-src 'sha256-"), std::string::npos);
    HttpReply json = Http(port, "GET", K("/board.json"));
    EXPECT_EQ(json.body.find('<'), std::string::npos);
    EXPECT_NE(json.body.find("\\u003cscript\\u003ealert(1)\\u003c/script\\u003e Evil\\\"'"), std::string::npos);
}

TEST_F(PhoneServer, RefusesOtherMethodsPathsAndLargeRequests) {
    for (const char* m : {"POST", "PUT", "DELETE", "PATCH", "OPTIONS", "TRACE", "CONNECT"}) {
        HttpReply r = Http(port, m, "/");
        EXPECT_EQ(r.status, 405) << m;
        EXPECT_EQ(r.Header("Allow"), "GET, HEAD") << m;
    }
    EXPECT_EQ(HttpRaw(port, "POST / HTTP/1.1\r\nHost: x\r\nContent-Length: 3\r\n\r\nabc").status, 405);
    for (const char* path : {"/index.html", "/board.json/", "/../etc/passwd", "/%2e%2e/x", "/favicon.ico", "/clubs/x.dorvel"}) {
        int status = Http(port, "GET", K(path)).status;
        EXPECT_TRUE(status == 404 || status == 403) << path << " " << status;
    }
    // A body, which no GET needs, is refused before it is read.
    EXPECT_EQ(HttpRaw(port, "GET / HTTP/1.1\r\nHost: x\r\nContent-Length: 5\r\n\r\nhello").status, 413);
    EXPECT_EQ(HttpRaw(port, "GET / HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n").status, 413);
    // Headers beyond the limit: 431; far beyond it libsoup drops the connection unanswered.
    EXPECT_EQ(Http(port, "GET", K("/"), "X-Big: " + std::string(9000, 'a') + "\r\n").status, 431);
    EXPECT_EQ(Http(port, "GET", "/" + std::string(9000, 'a')).status, 431);
    EXPECT_EQ(Http(port, "GET", "/", "X-Big: " + std::string(200000, 'a') + "\r\n").status, 0);
    EXPECT_EQ(HttpRaw(port, "NONSENSE\r\n\r\n").status, 400);
    EXPECT_EQ(HttpRaw(port, "GET " + K("/") + " HTTP/1.1\r\nHost: 127.0.0.1\r\nHost: evil.example\r\n\r\n").status, 400);
    // A body announced, however large, is never read: the refusal comes and the connection
    // closes while the client is still sending it.
    for (std::string head : {"POST " + K("/") + " HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 2000000000\r\n\r\n",
                             std::string("PUT / HTTP/1.1\r\nHost: x\r\nTransfer-Encoding: chunked\r\n\r\n40000\r\n"),
                             "GET " + K("/") + " HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 2000000000\r\n\r\n"}) {
        SCOPED_TRACE(head);
        HttpConn c(port);
        c.Send(head + std::string(65536, '\0'));
        std::string got;
        EXPECT_TRUE(c.ClosedWithin(3000, &got));
        EXPECT_TRUE(got.rfind("HTTP/1.1 405 ", 0) == 0 || got.rfind("HTTP/1.1 413 ", 0) == 0) << got;
        EXPECT_NE(got.find("\r\nConnection: close\r\n"), std::string::npos);
    }
    // And it still serves.
    EXPECT_EQ(Http(port, "GET", K("/")).status, 200);
}

TEST_F(PhoneServer, LimitsConnectionsAndClosesSlowOnesWithoutHoldingOthersUp) {
    PhoneServerLimits().maxperaddress = 3;
    PhoneServerLimits().requestms = 400;
    PhoneServerLimits().deadlinems = 400;
    {
        HttpConn a(port), b(port), c(port);
        TurnMainLoop(50);
        EXPECT_EQ(PhoneServerCounts().open, 3);
        // Every place of the address taken: the one idle longest makes room for a request.
        EXPECT_EQ(Http(port, "GET", K("/")).status, 200);
        EXPECT_TRUE(a.ClosedWithin(1000));
        // Half a request, then nothing: closed at the deadline, with no answer.
        b.Send("GET / HTTP/1.1\r\nHost: x\r\n");
        std::string got;
        EXPECT_TRUE(b.ClosedWithin(3000, &got));
        EXPECT_EQ(got, "");
        EXPECT_TRUE(c.ClosedWithin(3000));  // idle ones too
    }
    TurnMainLoop(100);
    EXPECT_EQ(PhoneServerCounts().open, 0);  // every closed connection is counted out
    EXPECT_GE(PhoneServerCounts().closed, 3u);

    // While two clients hold their requests back, a third is answered at once.
    PhoneServerLimits().requestms = 10000;
    PhoneServerLimits().deadlinems = 10000;
    HttpConn slow1(port);
    slow1.Send("GET / HTTP/1.1\r\n");
    TurnMainLoop(20);
    HttpConn slow2(port);
    slow2.Send("G");
    gint64 t0 = g_get_monotonic_time();
    EXPECT_EQ(Http(port, "GET", K("/board.json")).status, 200);
    EXPECT_LT(g_get_monotonic_time() - t0, 2000000);

    // Every place taken by them: the one that has waited longest for its request makes room.
    PhoneServerLimits().maxconnections = 2;
    EXPECT_EQ(Http(port, "GET", K("/")).status, 200);
    EXPECT_TRUE(slow1.ClosedWithin(1000));
    EXPECT_FALSE(slow2.ClosedWithin(100));
}

HttpReply Get(int port, const std::string& target, const std::string& host) {
    return HttpRaw(port, "GET " + target + " HTTP/1.1\r\nHost: " + host + "\r\nConnection: close\r\n\r\n");
}

TEST_F(PhoneServer, OnlyTheEveningsKeyAndThisComputersNamesReadTheBoard) {
    const std::string key = AccessKey(), p = std::to_string(port), at = "127.0.0.1:" + p;
    // Without the key or with another (AccessKeyOf has the keys), for a Host or an absolute
    // address of another site (HostCheck has the names): refused, nothing of the club said.
    std::vector<std::pair<std::string, std::string>> refused = {
        {"/", at}, {"/board.json", at}, {"/k/" + key + "x/board.json", at}, {"/x/" + key + "/board.json", at},
        {K("/board.json"), "evil.example:" + p}, {K("/"), ""}, {"http://evil.example" + K("/board.json"), at}};
    for (const auto& [target, host] : refused) {
        HttpReply r = Get(port, target, host);
        bool keyonly = host == at && target[0] == '/';
        EXPECT_EQ(r.status, keyonly ? 403 : 421) << target << " Host: " << host;
        for (const char* name : {"Smith", "Hilltop", "Evil"}) EXPECT_EQ(r.body.find(name), std::string::npos) << target;
        EXPECT_EQ(r.body.find("scan the QR code shown in the hall") != std::string::npos, keyonly) << target;
    }
    EXPECT_EQ(HttpRaw(port, "GET " + K("/") + " HTTP/1.0\r\n\r\n").status, 421);  // no Host at all
    EXPECT_EQ(Get(port, "http://" + at + K("/board.json"), at).status, 200);
    EXPECT_EQ(Http(port, "GET", "/k/" + key).Header("Location"), "/k/" + key + "/");  // no last slash

    // A resumed evening keeps its key; a new evening makes another, and the old address closes.
    NewAccessKey();
    EXPECT_EQ(Http(port, "GET", "/k/" + key + "/").status, 403);
    EXPECT_EQ(PhoneServerUrl(), "http://" + at + "/k/" + AccessKey() + "/");
    ASSERT_TRUE(SetAccessKey(key));
    EXPECT_EQ(Http(port, "GET", "/k/" + key + "/board.json").status, 200);
}

// 300 idle and dripping connections (requests begun and not finished) from a dozen
// addresses, the phone's own among them, do not keep a phone out when every place is taken,
// of all and of its address: one that has sent nothing, or has sent for longer than a phone
// takes, makes room. None outlives its request's deadline. (With the places a dozen
// addresses' shares leave free, the phone load test has the same flood.)
TEST_F(PhoneServer, ThreeHundredIdleConnectionsDoNotKeepAPhoneOut) {
    PhoneServerLimits().requestms = 2500;
    PhoneServerLimits().maxconnections = 64;
    std::vector<std::unique_ptr<HttpConn>> flood;
    for (int i = 0; i < 300; ++i) {
        flood.push_back(std::make_unique<HttpConn>(port, strprintf("127.0.0.%d", 1 + i % 12).c_str()));
        if (i % 2) flood.back()->Send("GET / HTTP/1.1\r\nX-Drip: ");
        if (i % 16 == 15) TurnMainLoop(2);  // the queue of connections not yet accepted drains
    }
    TurnMainLoop(1100);  // the dripping ones have now sent for longer than a phone would
    EXPECT_EQ(PhoneServerCounts().open, 64);
    for (int phone = 0; phone < 4; ++phone) {
        for (int i = 1; i < 300; i += 2) flood[i]->Send("a");  // a byte now and then
        gint64 t0 = g_get_monotonic_time();
        EXPECT_EQ(Http(port, "GET", K("/")).status, 200);  // a starved server: 503, or none
        printf("phone page: answered amid 300 idle and dripping connections (64 places) in %.1f ms\n",
               (g_get_monotonic_time() - t0) / 1000.0);
    }
    for (auto& c : flood) EXPECT_TRUE(c->ClosedWithin(3000));
    TurnMainLoop(50);
    EXPECT_EQ(PhoneServerCounts().open, 0);
}

TEST_F(PhoneServer, StopsListeningAndStartsAgain) {
    int was = port;
    PhoneServerStop();
    EXPECT_FALSE(PhoneServerRunning());
    EXPECT_EQ(PhoneServerUrl(), "");
    HttpConn refused(was);
    EXPECT_FALSE(refused.Connected());  // nothing listens

    ServeOption opt;
    opt.address = "127.0.0.1";
    opt.port = was;
    std::string err;
    ASSERT_TRUE(PhoneServerStart(opt, &err)) << err;  // the same port at once
    EXPECT_EQ(PhoneServerUrl(), "http://127.0.0.1:" + std::to_string(was) + "/k/" + AccessKey() + "/");
    EXPECT_EQ(Http(was, "GET", K("/")).status, 200);

    // A port another program holds: refused with the reason, and nothing is left running.
    int other = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(other, (sockaddr*)&a, sizeof a), 0);
    ASSERT_EQ(listen(other, 1), 0);
    socklen_t len = sizeof a;
    getsockname(other, (sockaddr*)&a, &len);
    opt.port = ntohs(a.sin_port);
    EXPECT_FALSE(PhoneServerStart(opt, &err));
    EXPECT_FALSE(err.empty());
    EXPECT_FALSE(PhoneServerRunning());
    close(other);
    opt.address = "192.0.2.77";  // not an address of this computer
    EXPECT_FALSE(PhoneServerStart(opt, &err));
}

TEST(LanAddress, ARealLocalInterfaceBeforeOthers) {
    auto A = [](const char* ifname, const char* addr, bool up = true) {
        NetAddress a;
        a.ifname = ifname;
        a.address = addr;
        a.ipv6 = strchr(addr, ':') != nullptr;
        a.loopback = strcmp(ifname, "lo") == 0;
        a.up = up;
        return a;
    };
    EXPECT_EQ(ChooseLanAddress({A("lo", "127.0.0.1"), A("docker0", "172.17.0.1"), A("wlan0", "192.168.1.20")}),
              "192.168.1.20");
    EXPECT_EQ(ChooseLanAddress({A("wlan0", "192.168.1.20", false), A("eth0", "10.0.0.5")}), "10.0.0.5");
    EXPECT_EQ(ChooseLanAddress({A("eth0", "169.254.3.3"), A("eth1", "203.0.113.9")}), "203.0.113.9");
    EXPECT_EQ(ChooseLanAddress({A("eth0", "fe80::1"), A("eth0", "2001:db8::5")}), "2001:db8::5");
    EXPECT_EQ(ChooseLanAddress({A("lo", "127.0.0.1"), A("lo", "::1")}), "");
    EXPECT_EQ(PageUrl("2001:db8::5", 8099), "http://[2001:db8::5]:8099/");
    EXPECT_EQ(PageUrl("10.0.0.5", 80), "http://10.0.0.5:80/");
}

TEST(HostCheck, OnlyThisComputersNamesAndAddressesWithOrWithoutAPort) {
    std::vector<NetAddress> addrs(3);
    addrs[0].address = "192.168.1.20";
    addrs[1] = {"eth0", "2001:db8::5", true};
    addrs[2] = {"wlan0", "fe80::1%wlan0", true};
    for (const char* host : {"192.168.1.20", "192.168.1.20:8099", "127.0.0.1", "127.1.2.3:80", "localhost",
                             "LOCALHOST:8099", "hallpc", "HallPC.local:8099", "hallpc.", "[::1]", "[::1]:8099",
                             "[2001:DB8:0::5]:8099", "[fe80::1%25wlan0]:8099", "[fe80::1]"})
        EXPECT_TRUE(HostIsThisMachine(host, addrs, "hallpc")) << host;
    for (const char* host : {"", "evil.example", "192.168.1.21", "192.168.1.20.evil.example", "192.168.1.20:",
                             "192.168.1.20:80x", "192.168.1.20:123456", "hallpc.evil.example", "127.0.0.1.evil.example",
                             "a b", "::1", "[::1", "[::1]x", "[::2]:8099", "[2001:db8::6]", "[192.168.1.20]",
                             "0x7f.1", "127.1", "evil.local", ":8099"})
        EXPECT_FALSE(HostIsThisMachine(host, addrs, "hallpc")) << host;
    // A machine whose name is not set names nothing but localhost.
    EXPECT_FALSE(HostIsThisMachine("localhost.local", addrs, "localhost"));
    EXPECT_TRUE(HostIsThisMachine("hallpc.local", addrs, "hallpc.club.example"));
}

// Each of the three corners of a QR code holds a finder: a dark 7x7 ring around a dark 3x3.
TEST(QrCode, HasTheFindersOfAQrCodeInEveryCornerForAnyAddress) {
    for (const char* url : {"http://10.0.0.5:8099/", "http://[2001:db8::5]:65535/", "http://192.168.100.200:1/"}) {
        auto qr = QrModules(url);
        ASSERT_GE(qr.size(), 21u) << url;
        ASSERT_EQ((qr.size() - 17) % 4, 0u) << url;  // the sizes of the QR versions
        int n = (int)qr.size();
        for (auto [x0, y0] : {std::pair{0, 0}, std::pair{n - 7, 0}, std::pair{0, n - 7}})
            for (int y = 0; y < 7; ++y)
                for (int x = 0; x < 7; ++x) {
                    bool ring = x == 0 || y == 0 || x == 6 || y == 6;
                    bool core = x >= 2 && x <= 4 && y >= 2 && y <= 4;
                    EXPECT_EQ(qr[y0 + y][x0 + x], ring || core) << url << " " << x0 << "," << y0;
                }
    }
}

}  // namespace
