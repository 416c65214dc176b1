"""Files dropped on an X window the way a file manager drops them: the
XDND protocol (version 5), spoken by a small source window of this process.

Wine takes an XDND drop of text/uri-list on a window that accepts files
and posts it WM_DROPFILES with the files as Windows paths (Z:\\...), so
this is the shell's drop as the program under Wine sees it.

    drop_files(x_window, (x, y), ["/tmp/a.d88", "/tmp/b.d88"])

Standard library only (ctypes on libX11).
"""

import ctypes
import ctypes.util
import time
import urllib.parse

_X = None

CLIENT_MESSAGE = 33
SELECTION_REQUEST = 30
PROP_MODE_REPLACE = 0
XDND_VERSION = 5


class _ClientData(ctypes.Union):
    _fields_ = [("b", ctypes.c_char * 20), ("s", ctypes.c_short * 10), ("l", ctypes.c_long * 5)]


class _ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong),
                ("message_type", ctypes.c_ulong), ("format", ctypes.c_int), ("data", _ClientData)]


class _SelectionRequest(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("owner", ctypes.c_ulong), ("requestor", ctypes.c_ulong),
                ("selection", ctypes.c_ulong), ("target", ctypes.c_ulong), ("property", ctypes.c_ulong),
                ("time", ctypes.c_ulong)]


class _Selection(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("requestor", ctypes.c_ulong), ("selection", ctypes.c_ulong),
                ("target", ctypes.c_ulong), ("property", ctypes.c_ulong), ("time", ctypes.c_ulong)]


class _Event(ctypes.Union):
    _fields_ = [("type", ctypes.c_int), ("client", _ClientMessage), ("request", _SelectionRequest),
                ("selection", _Selection), ("pad", ctypes.c_long * 24)]


def _xlib():
    global _X
    if _X is None:
        name = ctypes.util.find_library("X11") or "libX11.so.6"
        x = ctypes.cdll.LoadLibrary(name)
        x.XOpenDisplay.restype = ctypes.c_void_p
        x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x.XDefaultRootWindow.restype = ctypes.c_ulong
        x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x.XCreateSimpleWindow.restype = ctypes.c_ulong
        x.XCreateSimpleWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + [ctypes.c_int] * 2 + \
            [ctypes.c_uint] * 3 + [ctypes.c_ulong] * 2
        x.XInternAtom.restype = ctypes.c_ulong
        x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        x.XSetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_ulong]
        x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                                 ctypes.POINTER(_Event)]
        x.XChangeProperty.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_ulong,
                                      ctypes.c_int, ctypes.c_int, ctypes.c_char_p, ctypes.c_int]
        x.XPending.argtypes = [ctypes.c_void_p]
        x.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.POINTER(_Event)]
        x.XFlush.argtypes = [ctypes.c_void_p]
        x.XDestroyWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        x.XCloseDisplay.argtypes = [ctypes.c_void_p]
        _X = x
    return _X


def file_uri_list(paths):
    """text/uri-list of local files: one file:// URI per line, CRLF ended."""
    return "".join("file://" + urllib.parse.quote(p) + "\r\n" for p in paths).encode("ascii")


class DropError(Exception):
    pass


def drop_files(target, point, paths, timeout=10.0):
    """Drops paths on the X window target (an int or a decimal string, the
    top-level window Wine made) at root point (x, y). Returns the action
    the target accepted (an atom name, None when it refused)."""
    x = _xlib()
    display = x.XOpenDisplay(None)
    if not display:
        raise DropError("cannot open the X display")
    try:
        return _drop(x, display, int(target), point, paths, timeout)
    finally:
        x.XCloseDisplay(display)


def _drop(x, display, target, point, paths, timeout):
    def atom(name):
        return x.XInternAtom(display, name.encode("ascii"), 0)

    names = ["XdndAware", "XdndSelection", "XdndEnter", "XdndPosition", "XdndStatus", "XdndDrop",
             "XdndFinished", "XdndLeave", "XdndActionCopy", "text/uri-list"]
    a = {n: atom(n) for n in names}
    root = x.XDefaultRootWindow(display)
    source = x.XCreateSimpleWindow(display, root, 0, 0, 1, 1, 0, 0, 0)
    data = file_uri_list(paths)
    x.XSetSelectionOwner(display, a["XdndSelection"], source, 0)

    def send(kind, l1=0, l2=0, l3=0, l4=0):
        event = _Event()
        event.client.type = CLIENT_MESSAGE
        event.client.window = target
        event.client.message_type = a[kind]
        event.client.format = 32
        for i, v in enumerate((source, l1, l2, l3, l4)):
            event.client.data.l[i] = v
        x.XSendEvent(display, target, 0, 0, ctypes.byref(event))
        x.XFlush(display)

    def serve(request):
        # The target asks for the data as text/uri-list.
        r = request.request
        reply = _Event()
        reply.selection.type = 31  # SelectionNotify
        reply.selection.requestor = r.requestor
        reply.selection.selection = r.selection
        reply.selection.target = r.target
        reply.selection.time = r.time
        if r.target == a["text/uri-list"]:
            x.XChangeProperty(display, r.requestor, r.property, r.target, 8, PROP_MODE_REPLACE,
                              data, len(data))
            reply.selection.property = r.property
        else:
            reply.selection.property = 0
        x.XSendEvent(display, r.requestor, 0, 0, ctypes.byref(reply))
        x.XFlush(display)

    def wait_for(kind):
        deadline = time.monotonic() + timeout
        event = _Event()
        while time.monotonic() < deadline:
            while x.XPending(display):
                x.XNextEvent(display, ctypes.byref(event))
                if event.type == SELECTION_REQUEST:
                    serve(event)
                elif event.type == CLIENT_MESSAGE and event.client.message_type == a[kind]:
                    return [event.client.data.l[i] for i in range(5)]
            time.sleep(0.01)
        raise DropError("no %s from window 0x%x within %g s" % (kind, target, timeout))

    try:
        send("XdndEnter", XDND_VERSION << 24, a["text/uri-list"])
        send("XdndPosition", 0, (int(point[0]) << 16) | int(point[1]), 0, a["XdndActionCopy"])
        status = wait_for("XdndStatus")
        if not status[1] & 1:
            send("XdndLeave")
            return None
        send("XdndDrop", 0, 0)
        finished = wait_for("XdndFinished")
        return "XdndActionCopy" if finished[2] == a["XdndActionCopy"] else finished[2]
    finally:
        x.XDestroyWindow(display, source)
        x.XFlush(display)
