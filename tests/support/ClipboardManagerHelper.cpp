// SPDX-License-Identifier: MIT
// A clipboard manager as desktops run one, cut to what the tests need: it
// owns CLIPBOARD_MANAGER, answers SAVE_TARGETS by copying every target of
// CLIPBOARD (values of one request; INCR ones are skipped), and takes
// CLIPBOARD over with the copy once the asking window is gone. Prints
// "ready" once it owns CLIPBOARD_MANAGER and "took" when it takes over.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Saved {
    Atom target;
    Atom type;
    int format;
    std::string bytes; // items as Xlib hands them out
    unsigned long count;
};

Display* display;
Window window;

Atom atom(const char* name)
{
    return XInternAtom(display, name, False);
}

bool convert(Atom selection, Atom target, Saved& out)
{
    const Atom property = atom("SORVANTEL_MANAGER_VALUE");
    XConvertSelection(display, selection, target, property, window, CurrentTime);
    XEvent event;
    XIfEvent(
        display, &event,
        [](Display*, XEvent* e, XPointer w) {
            return Bool(
                e->type == SelectionNotify && e->xselection.requestor == *reinterpret_cast<Window*>(w));
        },
        reinterpret_cast<XPointer>(&window));
    if (event.xselection.property == None)
        return false;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(display, window, property, 0, 0x1fffffff, True, AnyPropertyType, &out.type,
        &out.format, &out.count, &after, &data);
    const size_t unit = out.format == 32 ? sizeof(long) : size_t(out.format / 8);
    out.target = target;
    out.bytes.assign(reinterpret_cast<const char*>(data), data ? out.count * unit : 0);
    if (data)
        XFree(data);
    return out.type != atom("INCR");
}

} // namespace

int main()
{
    display = XOpenDisplay(nullptr);
    if (!display)
        return 1;
    window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(display, atom("CLIPBOARD_MANAGER"), window, CurrentTime);
    std::puts("ready");
    std::fflush(stdout);
    std::vector<Saved> saved;
    Window asking = None;
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == DestroyNotify && event.xdestroywindow.window == asking) {
            XSetSelectionOwner(display, atom("CLIPBOARD"), window, CurrentTime);
            std::puts("took");
            std::fflush(stdout);
            continue;
        }
        if (event.type != SelectionRequest)
            continue;
        const XSelectionRequestEvent request = event.xselectionrequest;
        XSelectionEvent reply { SelectionNotify, 0, True, display, request.requestor, request.selection,
            request.target, None, request.time };
        if (request.selection == atom("CLIPBOARD_MANAGER") && request.target == atom("SAVE_TARGETS")) {
            Saved targets {};
            if (convert(atom("CLIPBOARD"), atom("TARGETS"), targets)) {
                const auto* list = reinterpret_cast<const long*>(targets.bytes.data());
                for (unsigned long i = 0; i < targets.count; ++i) {
                    Saved value {};
                    if (Atom(list[i]) != atom("TARGETS") && Atom(list[i]) != atom("MULTIPLE")
                        && Atom(list[i]) != atom("TIMESTAMP")
                        && convert(atom("CLIPBOARD"), Atom(list[i]), value))
                        saved.push_back(value);
                }
                asking = request.requestor;
                XSelectInput(display, asking, StructureNotifyMask);
                reply.property = atom("SAVE_TARGETS");
            }
        } else if (request.selection == atom("CLIPBOARD")) {
            if (request.target == atom("TARGETS")) {
                std::vector<long> list { long(atom("TARGETS")) };
                for (const Saved& value : saved)
                    list.push_back(long(value.target));
                XChangeProperty(display, request.requestor, request.property, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(list.data()), int(list.size()));
                reply.property = request.property;
            }
            for (const Saved& value : saved) {
                if (value.target == request.target) {
                    XChangeProperty(display, request.requestor, request.property, value.type, value.format,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(value.bytes.data()),
                        int(value.count));
                    reply.property = request.property;
                }
            }
        }
        XSendEvent(display, request.requestor, False, NoEventMask, reinterpret_cast<XEvent*>(&reply));
        XFlush(display);
    }
}
