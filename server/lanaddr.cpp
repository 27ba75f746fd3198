// SPDX-License-Identifier: GPL-3.0-or-later
// The machine's address on the hall's network, for the page's address and its QR code.
#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

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

std::string PageUrl(const std::string& address, int port) {
    bool v6 = address.find(':') != std::string::npos;
    return "http://" + (v6 ? "[" + address + "]" : address) + ":" + std::to_string(port) + "/";
}
