// SPDX-License-Identifier: GPL-3.0-or-later
// The QR code of the page's address, from libqrencode.
#include <qrencode.h>

#include "server/server.h"

std::vector<std::vector<bool>> QrModules(const std::string& text) {
    std::vector<std::vector<bool>> rows;
    // Level M: a code still read when a part of it is hidden by a reflection on the screen.
    QRcode* qr = QRcode_encodeString8bit(text.c_str(), 0, QR_ECLEVEL_M);
    if (!qr) return rows;
    rows.assign(qr->width, std::vector<bool>(qr->width));
    for (int y = 0; y < qr->width; ++y)
        for (int x = 0; x < qr->width; ++x) rows[y][x] = qr->data[y * qr->width + x] & 1;
    QRcode_free(qr);
    return rows;
}
