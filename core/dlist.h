// SPDX-License-Identifier: GPL-3.0-or-later
// The two operations every doubly linked list of the program needs: append a node at the
// tail and unlink a node, keeping the list's head and tail right. Nodes link through
// `nxt` and `prv`.
#pragma once

template <typename Node>
void ListAppend(Node*& hd, Node*& tl, Node* n) {
    n->nxt = nullptr;
    n->prv = tl;
    if (tl) tl->nxt = n; else hd = n;
    tl = n;
}

template <typename Node>
void ListUnlink(Node*& hd, Node*& tl, Node* n) {
    if (n->prv) n->prv->nxt = n->nxt; else if (hd == n) hd = n->nxt;
    if (n->nxt) n->nxt->prv = n->prv; else if (tl == n) tl = n->prv;
    n->nxt = n->prv = nullptr;
}
