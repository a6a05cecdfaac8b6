// SPDX-License-Identifier: MIT
#include "X11Property.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <algorithm>
#include <cstdint>
#include <vector>

std::optional<X11Property::Value> X11Property::read(
    Display* display, unsigned long window, unsigned long property, bool remove, qsizetype maxBytes)
{
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long bytesAfter = 0;
    unsigned char* items = nullptr;
    // The length is in 32-bit units; one more byte than the cap tells a value
    // of exactly the cap from a larger one.
    const long units = long(std::min<qsizetype>(maxBytes / 4 + 1, 0x1fffffff));
    const int status = XGetWindowProperty(display, window, property, 0, units, remove ? True : False,
        AnyPropertyType, &type, &format, &count, &bytesAfter, &items);
    if (status != Success)
        return std::nullopt;
    Value value { type, format, {}, bytesAfter > 0 };
    // The server deletes only a property read to its end.
    if (remove && bytesAfter > 0)
        XDeleteProperty(display, window, property);
    if (items && count) {
        if (format == 8) {
            value.data = QByteArray(reinterpret_cast<const char*>(items), qsizetype(count));
        } else if (format == 16) {
            value.data.resize(qsizetype(count * 2));
            auto* out = reinterpret_cast<uint16_t*>(value.data.data());
            const auto* in = reinterpret_cast<const short*>(items);
            for (unsigned long i = 0; i < count; ++i)
                out[i] = uint16_t(in[i]);
        } else if (format == 32) {
            value.data.resize(qsizetype(count * 4));
            auto* out = reinterpret_cast<uint32_t*>(value.data.data());
            const auto* in = reinterpret_cast<const long*>(items);
            for (unsigned long i = 0; i < count; ++i)
                out[i] = uint32_t(in[i]);
        }
    }
    if (items)
        XFree(items);
    return value;
}

void X11Property::write(Display* display, unsigned long window, unsigned long property, unsigned long type,
    int format, const QByteArray& data, qsizetype offset, qsizetype length)
{
    const char* begin = data.constData() + offset;
    if (format == 16) {
        std::vector<short> items(size_t(length / 2));
        const auto* in = reinterpret_cast<const uint16_t*>(begin);
        for (size_t i = 0; i < items.size(); ++i)
            items[i] = short(in[i]);
        XChangeProperty(display, window, property, type, 16, PropModeReplace,
            reinterpret_cast<const unsigned char*>(items.data()), int(items.size()));
    } else if (format == 32) {
        std::vector<long> items(size_t(length / 4));
        const auto* in = reinterpret_cast<const uint32_t*>(begin);
        for (size_t i = 0; i < items.size(); ++i)
            items[i] = long(in[i]);
        XChangeProperty(display, window, property, type, 32, PropModeReplace,
            reinterpret_cast<const unsigned char*>(items.data()), int(items.size()));
    } else {
        XChangeProperty(display, window, property, type, 8, PropModeReplace,
            reinterpret_cast<const unsigned char*>(begin), int(length));
    }
}

qsizetype X11Property::maxChunkBytes(Display* display)
{
    const long units = std::min<long>(XMaxRequestSize(display), 65536);
    return qsizetype(units * 4 - 100) / 4 * 4;
}
