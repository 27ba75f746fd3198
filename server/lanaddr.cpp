// SPDX-License-Identifier: GPL-3.0-or-later
// The machine's address on the hall's network, for the page's address and its QR code.
#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <cctype>
#include <cstring>

#include "server/server.h"

std::vector<NetAddress> MachineAddresses() {
    std::vector<NetAddress> out;
    struct ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return out;
    for (struct ifaddrs* i = list; i; i = i->ifa_next) {
        if (!i->ifa_addr || (i->ifa_addr->sa_family != AF_INET && i->ifa_addr->sa_family != AF_INET6)) continue;
        NetAddress a;
        a.ifname = i->ifa_name ? i->ifa_name : "";
        a.ipv6 = i->ifa_addr->sa_family == AF_INET6;
        a.loopback = (i->ifa_flags & IFF_LOOPBACK) != 0;
        a.up = (i->ifa_flags & IFF_UP) && (i->ifa_flags & IFF_RUNNING);
        char buf[INET6_ADDRSTRLEN] = "";
        const void* raw = a.ipv6 ? (const void*)&((struct sockaddr_in6*)i->ifa_addr)->sin6_addr
                                 : (const void*)&((struct sockaddr_in*)i->ifa_addr)->sin_addr;
        if (!inet_ntop(i->ifa_addr->sa_family, raw, buf, sizeof buf)) continue;
        a.address = buf;
        out.push_back(a);
    }
    freeifaddrs(list);
    return out;
}

static bool StartsWith(const std::string& s, const char* p) { return s.rfind(p, 0) == 0; }

// Bridges and tunnels of containers and virtual machines: reachable from this machine only.
static bool Virtual(const std::string& ifname) {
    for (const char* p : {"docker", "br-", "virbr", "veth", "vmnet", "vboxnet", "lxc", "tun", "tap", "wg"})
        if (StartsWith(ifname, p)) return true;
    return false;
}

static bool PrivateIpv4(const std::string& a) {
    unsigned b[4];
    if (sscanf(a.c_str(), "%u.%u.%u.%u", &b[0], &b[1], &b[2], &b[3]) != 4) return false;
    return b[0] == 10 || (b[0] == 172 && b[1] >= 16 && b[1] <= 31) || (b[0] == 192 && b[1] == 168);
}

std::string ChooseLanAddress(const std::vector<NetAddress>& addrs) {
    const NetAddress* best = nullptr;
    int bestrank = 0;
    for (const NetAddress& a : addrs) {
        if (!a.up || a.loopback || StartsWith(a.address, "127.") || a.address == "::1") continue;
        int rank;
        if (a.ipv6) {
            if (StartsWith(a.address, "fe80")) continue;  // link-local: needs an interface name
            rank = 1;
        } else if (StartsWith(a.address, "169.254.")) {
            rank = 2;
        } else {
            rank = PrivateIpv4(a.address) ? 5 : 4;
        }
        if (Virtual(a.ifname)) rank -= 2;
        if (rank > bestrank) {
            bestrank = rank;
            best = &a;
        }
    }
    return best ? best->address : "";
}

std::string PageUrl(const std::string& address, int port, const std::string& key) {
    bool v6 = address.find(':') != std::string::npos;
    return "http://" + (v6 ? "[" + address + "]" : address) + ":" + std::to_string(port) + "/" +
           (key.empty() ? "" : "k/" + key + "/");
}

static std::string Lower(std::string s) {
    for (char& c : s) c = (char)tolower((unsigned char)c);
    return s;
}

// An address of the list in binary form, for comparing spellings of one address.
static bool SameAddress(int family, const unsigned char* bin, const std::vector<NetAddress>& addrs) {
    for (const NetAddress& a : addrs) {
        unsigned char other[16];
        std::string text = a.address.substr(0, a.address.find('%'));  // a zone after an IPv6 address
        if ((family == AF_INET6) == a.ipv6 && inet_pton(family, text.c_str(), other) == 1 &&
            memcmp(bin, other, family == AF_INET6 ? 16 : 4) == 0)
            return true;
    }
    return false;
}

bool HostIsThisMachine(const std::string& value, const std::vector<NetAddress>& addrs, const std::string& hostname) {
    std::string host = Lower(value), port;
    if (!host.empty() && host[0] == '[') {
        size_t close = host.find(']');
        if (close == std::string::npos) return false;
        if (close + 1 < host.size()) {
            if (host[close + 1] != ':') return false;
            port = host.substr(close + 2);
            if (port.empty()) return false;
        }
        std::string v6 = host.substr(1, close - 1);
        v6 = v6.substr(0, v6.find('%'));  // a zone (link-local addresses): the address decides
        unsigned char bin[16];
        if (inet_pton(AF_INET6, v6.c_str(), bin) != 1) return false;
        static const unsigned char loop6[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
        if (!port.empty() && (port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos))
            return false;
        return memcmp(bin, loop6, 16) == 0 || SameAddress(AF_INET6, bin, addrs);
    }
    size_t colon = host.find(':');
    if (colon != std::string::npos) {
        port = host.substr(colon + 1);
        host.erase(colon);
        if (port.empty() || port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos) return false;
    }
    if (!host.empty() && host.back() == '.') host.pop_back();  // a name written fully qualified
    if (host.empty()) return false;
    unsigned char bin[4];
    if (inet_pton(AF_INET, host.c_str(), bin) == 1) return bin[0] == 127 || SameAddress(AF_INET, bin, addrs);
    if (host == "localhost") return true;
    std::string name = Lower(hostname);
    if (name.empty() || name == "localhost") return false;
    std::string first = name.substr(0, name.find('.'));
    return host == name || host == name + ".local" || host == first + ".local";
}
