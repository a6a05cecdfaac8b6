// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <optional>

typedef struct _XDisplay Display;

// Window properties as the selection transfers use them: whole values read
// in one request, items kept in the wire's widths (Xlib itself hands out
// 16- and 32-bit items as shorts and longs).
namespace X11Property {

struct Value {
    unsigned long type = 0; // 0 (None) when the property does not exist
    int format = 0;
    QByteArray data;
    bool truncated = false; // the property held more than was asked for; data holds the start
};

// Reads at most `maxBytes` of the property (the server sends no more),
// deleting it afterwards when `remove` is set, also when it was truncated.
// Nothing when the window is gone.
std::optional<Value> read(Display* display, unsigned long window, unsigned long property, bool remove,
    qsizetype maxBytes = qsizetype(1) << 30);

// Replaces the property with `length` bytes of `data` from `offset` (both
// multiples of the item size).
void write(Display* display, unsigned long window, unsigned long property, unsigned long type, int format,
    const QByteArray& data, qsizetype offset, qsizetype length);

// The largest property chunk one request can carry without the server's
// big-requests extension being relied on, as many selection owners use.
qsizetype maxChunkBytes(Display* display);

} // namespace X11Property
