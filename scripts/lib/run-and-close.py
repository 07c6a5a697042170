#!/usr/bin/python3
"""Starts a program on the X display, waits for its window, and asks the
window to close the way a desktop's close button does: a WM_DELETE_WINDOW
message. Exits with the program's own status; 124 when a step timed out.

  run-and-close.py TITLE PROGRAM [ARG...]

Every step is bounded, and a program that does not end is killed.
"""
import subprocess
import sys
import time

from Xlib import X, display, error
from Xlib.protocol import event

WINDOW_TIMEOUT = 60  # seconds until the window must be on screen
IDLE_SECONDS = 2  # the window stays open this long before it is closed
EXIT_TIMEOUT = 20  # seconds from the close request until the program ends


def find_window(dpy, title):
    """A viewable top-level window whose name is title, or None."""
    for win in dpy.screen().root.query_tree().children:
        try:
            if win.get_attributes().map_state != X.IsViewable:
                continue
            name = win.get_full_text_property(dpy.intern_atom("_NET_WM_NAME"))
            if name is None:
                name = win.get_wm_name()
            if name == title:
                return win
        except error.XError:
            continue  # the window went away while it was looked at
    return None


def ask_to_close(dpy, win):
    protocols = dpy.intern_atom("WM_PROTOCOLS")
    delete = dpy.intern_atom("WM_DELETE_WINDOW")
    if delete not in (win.get_wm_protocols() or []):
        sys.exit("the window does not accept WM_DELETE_WINDOW")
    msg = event.ClientMessage(window=win, client_type=protocols,
                              data=(32, [delete, X.CurrentTime, 0, 0, 0]))
    win.send_event(msg, event_mask=X.NoEventMask)
    dpy.flush()


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    title, command = sys.argv[1], sys.argv[2:]
    dpy = display.Display()
    proc = subprocess.Popen(command)
    try:
        deadline = time.monotonic() + WINDOW_TIMEOUT
        win = None
        while win is None:
            if proc.poll() is not None:
                print(f"ended before its window appeared: {proc.returncode}")
                return proc.returncode or 1
            if time.monotonic() > deadline:
                print("no window titled %r" % title)
                return 124
            time.sleep(0.2)
            win = find_window(dpy, title)
        print("window up")
        time.sleep(IDLE_SECONDS)
        if proc.poll() is not None:
            print(f"ended on its own: {proc.returncode}")
            return proc.returncode or 1
        ask_to_close(dpy, win)
        print("close requested")
        try:
            status = proc.wait(timeout=EXIT_TIMEOUT)
        except subprocess.TimeoutExpired:
            print("still running after the close request")
            return 124
        print(f"ended: {status}")
        return status if status >= 0 else 128 - status  # a signal, as sh says
    finally:
        if proc.poll() is None:
            proc.kill()
            proc.wait()


if __name__ == "__main__":
    sys.exit(main())
