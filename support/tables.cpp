// SPDX-License-Identifier: GPL-3.0-or-later
// The hash table keyed by byte strings and the word trie.
#include <cstring>
#include <map>
#include <vector>

#include "support/helmtext.h"

// ---- VarHash ---------------------------------------------------------------------------
struct VarHashEntry {
    std::string key;
    void* item;
};

struct VarHash {
    std::vector<std::vector<VarHashEntry>> buckets;
    VarHashFn hash;
    VarCmpFn cmp;
    size_t count = 0;
};

VarHash* VarHashBuild(size_t size, VarHashFn hash, VarCmpFn cmp) {
    auto* vh = new VarHash;
    vh->buckets.resize(size ? size : 1);
    vh->hash = hash;
    vh->cmp = cmp;
    return vh;
}

static size_t Bucket(const VarHash* vh, const void* key, size_t keylen) {
    uint64_t h = 0;
    if (vh->hash) {
        h = vh->hash(key);
    } else {
        const auto* p = static_cast<const unsigned char*>(key);
        for (size_t i = 0; i < keylen; ++i) h = h * 131 + p[i];
    }
    return static_cast<size_t>(h % vh->buckets.size());
}

// Keys are equal when neither is greater (the comparison only answers "a > b"); without a
// comparison function the bytes must match.
static bool SameKey(const VarHash* vh, const std::string& stored, const void* key, size_t keylen) {
    if (stored.size() != keylen) return false;
    if (vh->cmp) return !vh->cmp(stored.data(), key) && !vh->cmp(key, stored.data());
    return memcmp(stored.data(), key, keylen) == 0;
}

void VarHashInsert(VarHash* vh, void* item, const void* key, size_t keylen) {
    if (!vh || !key) return;
    auto& b = vh->buckets[Bucket(vh, key, keylen)];
    for (auto& e : b)
        if (SameKey(vh, e.key, key, keylen)) {
            e.item = item;
            return;
        }
    b.push_back({std::string(static_cast<const char*>(key), keylen), item});
    ++vh->count;
}

void* VarHashFind(const VarHash* vh, const void* key, size_t keylen) {
    if (!vh || !key) return nullptr;
    for (const auto& e : vh->buckets[Bucket(vh, key, keylen)])
        if (SameKey(vh, e.key, key, keylen)) return e.item;
    return nullptr;
}

void VarHashDelete(VarHash* vh, const void* key, size_t keylen, int freeitem) {
    if (!vh || !key) return;
    auto& b = vh->buckets[Bucket(vh, key, keylen)];
    for (size_t i = 0; i < b.size(); ++i)
        if (SameKey(vh, b[i].key, key, keylen)) {
            if (freeitem) free(b[i].item);
            b.erase(b.begin() + static_cast<long>(i));
            --vh->count;
            return;
        }
}

void VarHashFree(VarHash* vh, int freeitems) {
    if (!vh) return;
    if (freeitems)
        for (auto& b : vh->buckets)
            for (auto& e : b) free(e.item);
    delete vh;
}

size_t VarHashCount(const VarHash* vh) { return vh ? vh->count : 0; }

// ---- PS word trie ----------------------------------------------------------------------
struct PS {
    std::map<unsigned char, std::unique_ptr<PS>> next;
    void* item = nullptr;
    bool word = false;
};

PS* ps_make() { return new PS; }

void ps_insert(PS* ps, const std::string& word, void* item) {
    if (!ps) return;
    PS* node = ps;
    for (unsigned char c : word) {
        auto& child = node->next[c];
        if (!child) child = std::make_unique<PS>();
        node = child.get();
    }
    node->item = item;
    node->word = true;
}

static const PS* Walk(const PS* ps, const std::string& word) {
    const PS* node = ps;
    for (unsigned char c : word) {
        if (!node) return nullptr;
        auto it = node->next.find(c);
        node = it == node->next.end() ? nullptr : it->second.get();
    }
    return node;
}

int ps_search(const PS* ps, const std::string& word, void** item) {
    const PS* node = ps ? Walk(ps, word) : nullptr;
    bool found = node && node->word;
    if (item) *item = found ? node->item : nullptr;
    return found ? 1 : 0;
}

// Removes the word and prunes the branches it leaves empty.
static bool RemoveFrom(PS* node, const std::string& word, size_t i, const void* item) {
    if (i == word.size()) {
        if (node->word && (!item || node->item == item)) {
            node->word = false;
            node->item = nullptr;
        }
    } else {
        auto it = node->next.find(static_cast<unsigned char>(word[i]));
        if (it == node->next.end()) return false;
        if (RemoveFrom(it->second.get(), word, i + 1, item)) node->next.erase(it);
    }
    return !node->word && node->next.empty();
}

void ps_remove(PS* ps, const std::string& word, const void* item) {
    if (ps) RemoveFrom(ps, word, 0, item);
}

static void Collect(const PS* node, std::string& path, std::vector<std::pair<std::string, void*>>& out) {
    if (node->word) out.emplace_back(path, node->item);
    for (const auto& [c, child] : node->next) {
        path.push_back(static_cast<char>(c));
        Collect(child.get(), path, out);
        path.pop_back();
    }
}

std::vector<std::pair<std::string, void*>> ps_prefix(const PS* ps, const std::string& prefix) {
    std::vector<std::pair<std::string, void*>> out;
    const PS* node = ps ? Walk(ps, prefix) : nullptr;
    if (node) {
        std::string path = prefix;
        Collect(node, path, out);
    }
    return out;
}

void ps_free(PS* ps, int freeitems) {
    if (!ps) return;
    if (freeitems)
        for (auto& [w, item] : ps_prefix(ps, "")) free(item);
    // Take the nodes apart one level at a time: a recursive teardown would need a stack
    // frame per character of the longest word.
    std::vector<std::unique_ptr<PS>> pending;
    for (auto& [c, child] : ps->next) pending.push_back(std::move(child));
    delete ps;
    while (!pending.empty()) {
        std::unique_ptr<PS> node = std::move(pending.back());
        pending.pop_back();
        for (auto& [c, child] : node->next) pending.push_back(std::move(child));
    }
}
