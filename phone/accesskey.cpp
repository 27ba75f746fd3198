// SPDX-License-Identifier: GPL-3.0-or-later
// The phone page's access key: made from the kernel's random source, written in lower-case
// letters and digits without those easily mistaken for others when read off the screen and
// typed (0 and o, 1 and l), compared in constant time.
#include "phone/accesskey.h"

#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace {

const char alphabet[] = "23456789abcdefghijkmnpqrstuvwxyz";  // 32: five bits a character
constexpr size_t RANDOMBYTES = ACCESSKEYLENGTH * 5 / 8;

std::string key;  // "" until made or set

bool RandomBytes(unsigned char* buf, size_t n) {
    size_t got = 0;
    while (got < n) {
        ssize_t r = getrandom(buf + got, n - got, 0);
        if (r > 0) {
            got += (size_t)r;
        } else if (r < 0 && errno != EINTR) {
            break;
        }
    }
    if (got == n) return true;
    // A kernel without getrandom: the device.
    int fd = open("/dev/urandom", O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    got = 0;
    while (got < n) {
        ssize_t r = read(fd, buf + got, n - got);
        if (r > 0) {
            got += (size_t)r;
        } else if (r == 0 || errno != EINTR) {
            break;
        }
    }
    close(fd);
    return got == n;
}

}  // namespace

bool MakeAccessKey(std::string* out) {
    unsigned char raw[RANDOMBYTES];
    if (!RandomBytes(raw, sizeof raw)) return false;
    std::string k;
    // Every five bytes give eight characters of five bits each.
    for (size_t i = 0; i < RANDOMBYTES; i += 5) {
        uint64_t v = 0;
        for (size_t j = 0; j < 5; ++j) v = v << 8 | raw[i + j];
        for (int s = 35; s >= 0; s -= 5) k += alphabet[(v >> s) & 31];
    }
    *out = k;
    return true;
}

const std::string& AccessKey() {
    if (key.empty()) MakeAccessKey(&key);
    return key;
}

bool ValidAccessKey(std::string_view k) {
    if (k.size() != ACCESSKEYLENGTH) return false;
    for (char c : k)
        if (!c || !strchr(alphabet, c)) return false;
    return true;
}

bool SetAccessKey(std::string_view k) {
    if (!ValidAccessKey(k)) return false;
    key = std::string(k);
    return true;
}

void NewAccessKey() { key.clear(); }

bool AccessKeyMatches(std::string_view given) {
    const std::string& k = AccessKey();
    if (k.empty()) return false;  // no key could be made: nothing opens
    // Every character of the key is looked at whatever is given; only the length may show.
    unsigned diff = given.size() != k.size();
    for (size_t i = 0; i < k.size(); ++i) diff |= (unsigned char)k[i] ^ (unsigned char)(i < given.size() ? given[i] : 0);
    return diff == 0;
}
