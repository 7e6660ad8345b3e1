#!/usr/bin/python3
"""Acts on the X server as a desktop does, for the window tests.

Another X client than the program under test: what it sends reaches the
program through the server, the way a window manager's request or a user's
key press does. Commands, several allowed in one call, run in order:

  close WIN           WM_DELETE_WINDOW in a WM_PROTOCOLS client message, as a
                      window manager sends it when the title bar's close box
                      is clicked
  iconify WIN         WM_CHANGE_STATE (IconicState) to the root window: asks
                      the window manager to minimise WIN (ICCCM 4.1.4)
  activate WIN        _NET_ACTIVE_WINDOW to the root window, as a task bar does
  keys KEY...         key presses and releases (XTEST); KEY is a keysym name,
                      "shift+NAME" with Shift held, "down:NAME" or "up:NAME"
                      for a press or a release alone
  click X Y [down|up] left button at root position X, Y (XTEST)
  sleep MS            pause, so that the program handles what came before
  info WIN            one JSON line: map state, WM_STATE, WM_TRANSIENT_FOR,
                      client geometry on the root, frame extents, Motif hints,
                      allowed actions, place in the stacking order, the
                      screen's resolution in dots per inch
  wait-wm [SECONDS]   until a window manager runs (_NET_SUPPORTING_WM_CHECK)

"serve" alone reads command lines from standard input instead and answers
each with its output and a line "ok" (or "error: ..."), so that a test pays
for starting the helper once.

WIN is a window id in decimal or 0x hexadecimal.
"""

import json
import sys
import time

from Xlib import X, XK, display, error, protocol
from Xlib.ext import xtest


def atom(d, name):
    return d.intern_atom(name)


def window(d, text):
    return d.create_resource_object("window", int(text, 0))


def client_message(d, target, kind, data, mask):
    ev = protocol.event.ClientMessage(window=target, client_type=atom(d, kind), data=(32, data))
    dest = d.screen().root if mask else target
    dest.send_event(ev, event_mask=mask)
    d.flush()


def keycode(d, name):
    code = d.keysym_to_keycode(XK.string_to_keysym(name))
    if not code:
        raise ValueError("no key for " + name)
    return code


def keys(d, strokes):
    shift = keycode(d, "Shift_L")
    for stroke in strokes:
        mode, _, name = stroke.rpartition(":")
        held = name.startswith("shift+")
        code = keycode(d, name[6:] if held else name)
        if held:
            xtest.fake_input(d, X.KeyPress, shift)
        if mode in ("", "down"):
            xtest.fake_input(d, X.KeyPress, code)
        if mode in ("", "up"):
            xtest.fake_input(d, X.KeyRelease, code)
        if held:
            xtest.fake_input(d, X.KeyRelease, shift)
        d.sync()


def prop(d, win, name, kind=X.AnyPropertyType):
    p = win.get_full_property(atom(d, name), kind)
    return list(p.value) if p else None


def stacking(d, win):
    """Place of the window's frame among the root's children, bottom first."""
    root = d.screen().root
    top = win
    while True:
        parent = top.query_tree().parent
        if parent.id == root.id:
            break
        top = parent
    return [w.id for w in root.query_tree().children].index(top.id)


def info(d, win):
    root = d.screen().root
    geo = win.get_geometry()
    origin = root.translate_coords(win, 0, 0)
    state = prop(d, win, "WM_STATE")
    transient = prop(d, win, "WM_TRANSIENT_FOR")
    actions = prop(d, win, "_NET_WM_ALLOWED_ACTIONS") or []
    return {
        "mapped": win.get_attributes().map_state == X.IsViewable,
        "wm_state": {0: "withdrawn", 1: "normal", 3: "iconic"}.get(state[0]) if state else None,
        "transient_for": transient[0] if transient else None,
        "x": origin.x, "y": origin.y, "width": geo.width, "height": geo.height,
        "frame": prop(d, win, "_NET_FRAME_EXTENTS"),  # left, right, top, bottom
        "motif": prop(d, win, "_MOTIF_WM_HINTS"),  # flags, functions, decorations, ...
        "actions": sorted(d.get_atom_name(a) for a in actions),
        "stack": stacking(d, win),
        "dpi": d.screen().width_in_pixels * 25.4 / d.screen().width_in_mms,
    }


def wait_wm(d, seconds):
    deadline = time.monotonic() + seconds
    root = d.screen().root
    while time.monotonic() < deadline:
        check = prop(d, root, "_NET_SUPPORTING_WM_CHECK")
        if check:
            try:
                window(d, str(check[0])).get_geometry()
                return
            except error.XError:
                pass
        time.sleep(0.02)
    raise ValueError("no window manager came up")


def run(d, args):
    """Runs the commands in args; returns what they print, one line each."""
    root = d.screen().root
    out = []
    while args:
        cmd, args = args[0], args[1:]
        if cmd == "close":
            client_message(d, window(d, args[0]), "WM_PROTOCOLS",
                           [atom(d, "WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0], 0)
            args = args[1:]
        elif cmd == "iconify":
            client_message(d, window(d, args[0]), "WM_CHANGE_STATE", [3, 0, 0, 0, 0],
                           X.SubstructureRedirectMask | X.SubstructureNotifyMask)
            args = args[1:]
        elif cmd == "activate":
            client_message(d, window(d, args[0]), "_NET_ACTIVE_WINDOW", [2, X.CurrentTime, 0, 0, 0],
                           X.SubstructureRedirectMask | X.SubstructureNotifyMask)
            args = args[1:]
        elif cmd == "keys":
            n = next((i for i, a in enumerate(args) if a in COMMANDS), len(args))
            keys(d, args[:n])
            args = args[n:]
        elif cmd == "click":
            x, y = int(args[0]), int(args[1])
            mode = args[2] if len(args) > 2 and args[2] in ("down", "up") else ""
            args = args[3:] if mode else args[2:]
            xtest.fake_input(d, X.MotionNotify, x=x, y=y, root=root)
            if mode in ("", "down"):
                xtest.fake_input(d, X.ButtonPress, 1)
            if mode in ("", "up"):
                xtest.fake_input(d, X.ButtonRelease, 1)
            d.sync()
        elif cmd == "sleep":
            time.sleep(int(args[0]) / 1000)
            args = args[1:]
        elif cmd == "info":
            out.append(json.dumps(info(d, window(d, args[0]))))
            args = args[1:]
        elif cmd == "wait-wm":
            seconds = float(args[0]) if args and args[0] not in COMMANDS else 10
            args = args[1:] if args and args[0] not in COMMANDS else args
            wait_wm(d, seconds)
        else:
            raise ValueError("unknown command " + cmd)
    return out


def serve(d):
    """One command line from stdin at a time; answers with what it prints,
    then "ok", or with "error: ..." (a test starts one helper for all)."""
    for line in sys.stdin:
        try:
            for text in run(d, line.split()):
                print(text)
            print("ok", flush=True)
        except (ValueError, IndexError, error.XError, SystemExit) as e:
            print("error: %s" % e, flush=True)


def main(args):
    d = display.Display()
    if args == ["serve"]:
        serve(d)
    else:
        for text in run(d, args):
            print(text)
    d.close()


COMMANDS = ("close", "iconify", "activate", "keys", "click", "sleep", "info", "wait-wm")

if __name__ == "__main__":
    main(sys.argv[1:])
