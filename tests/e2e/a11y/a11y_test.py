#!/usr/bin/env python3
"""The running program as a screen reader meets it: found, read and driven
only through the accessibility bus (AT-SPI).

Started by run_a11y_test.sh inside a private X server and D-Bus session. A
pseudo-terminal registered as the virtual port "Test GPS" plays the receiver.
Writes the accessible tree at each stage into the output folder.
"""
import argparse
import os
import subprocess
import sys
import time

import pyatspi
from gi.repository import Atspi

PORT_NAME = "Test GPS"
TITLE = "Starvane"
HIDDEN_NAMES = {"Scan Com Port", "VTG", "Power Save", "WAAS/EGNOS", "Set Filte", "Auto",
                "P Version:", "Time:", "File:", "Mod:"}
# What the control panel shows, in order: (role, name).
PANEL = [
    ("combo box", "COM Port"),
    ("combo box", "Baud Rate"),
    ("label", "COM Port :"),
    ("label", "Baud Rate :"),
    ("push button", "Cold Start"),
    ("push button", "Start GPS"),
    ("push button", "Get Version"),
    ("label", "Core Version:"),
    ("text", "Core Version"),
    ("label", "FW Version:"),
    ("text", "FW Version"),
    ("check box", "Log File"),
    ("text", "Log File"),
    ("push button", "Send"),
    ("text", "Send"),
    ("push button", "Factory Reset"),
    ("text", ""),  # the console: no label introduces it
]

failures = []


def check(cond, what):
    print(("ok      " if cond else "FAILED  ") + what, flush=True)
    if not cond:
        failures.append(what)
    return cond


def nmea(body):
    """The sentence with its checksum and CR LF."""
    x = 0
    for c in body.encode():
        x ^= c
    return ("$%s*%02X\r\n" % (body, x)).encode()


# ------------------------------------------------------------------ the tree
def states(acc):
    return {pyatspi.stateToString(s) for s in acc.getState().getStates()}


def text_of(acc):
    try:
        return acc.queryText().getText(0, -1)
    except NotImplementedError:
        return None


def children(acc):
    out = []
    for i in range(acc.childCount):
        c = acc.getChildAtIndex(i)
        if c is not None:
            out.append(c)
    return out


def walk(acc, depth=0):
    yield acc, depth
    for c in children(acc):
        yield from walk(c, depth + 1)


def listing(root):
    lines = []
    for acc, depth in walk(root):
        line = "%s[%s] %r (%s)" % ("  " * depth, acc.getRoleName(), acc.name,
                                   ",".join(sorted(states(acc))))
        t = text_of(acc)
        if t:
            line += " text=%r" % t[:200]
        lines.append(line)
    return "\n".join(lines) + "\n"


def save(root, out, name):
    with open(os.path.join(out, name), "w") as f:
        f.write(listing(root))


def find(root, role=None, name=None, pred=None):
    for acc, _ in walk(root):
        if role is not None and acc.getRoleName() != role:
            continue
        if name is not None and acc.name != name:
            continue
        if pred is not None and not pred(acc):
            continue
        return acc
    return None


def wait_for(what, fn, timeout=10.0):
    end = time.monotonic() + timeout
    while True:
        try:
            r = fn()
        except Exception:  # the tree may change under a walk
            r = None
        if r:
            check(True, what)
            return r
        if time.monotonic() > end:
            check(False, "in time: " + what)
            return None
        time.sleep(0.1)


def enabled(acc):
    return "enabled" in states(acc) and "sensitive" in states(acc)


def act(acc, names=("Press", "press", "click", "Click")):
    action = acc.queryAction()
    for i in range(action.nActions):
        if action.getName(i) in names:
            return action.doAction(i)
    raise RuntimeError("no action %s on %r" % (names, acc.name))


def key(keysym):
    Atspi.generate_keyboard_event(keysym, None, Atspi.KeySynthType.SYM)


# ------------------------------------------------------------------ the run
def find_app(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for app in children(desktop):
        try:
            if app.get_process_id() == pid:
                return app
        except Exception:
            pass
    return None


def register_port():
    master, slave = os.openpty()
    ports = os.path.join(os.environ["XDG_RUNTIME_DIR"], "starvane", "ports")
    os.makedirs(ports, exist_ok=True)
    os.symlink(os.ttyname(slave), os.path.join(ports, PORT_NAME))
    return master, slave


def check_initial(app, out):
    frame = find(app, role="frame")
    check(frame is not None and frame.name == TITLE, "main window is a frame named by its title %r" % TITLE)
    start = find(app, role="push button", name="Start GPS")
    if not check(start is not None, "'Start GPS' found by name"):
        return None
    panel = start.parent
    shown = [(c.getRoleName(), c.name) for c in children(panel)]
    check(shown == PANEL, "control panel lists its visible controls, named:\n    %s" % shown)
    for c in children(panel):
        st = states(c)
        check({"showing", "visible"} <= st, "%s %r showing" % (c.getRoleName(), c.name))
    names = {acc.name for acc, _ in walk(app)}
    check(not (names & HIDDEN_NAMES), "no hidden control in the tree: %s" % sorted(names & HIDDEN_NAMES))
    unnamed = [acc.getRoleName() for acc, _ in walk(app)
               if acc.getRoleName() in ("combo box", "text") and not acc.name
               and "multi line" not in states(acc)]
    check(not unnamed, "no unnamed edit or combo box: %s" % unnamed)

    cold = find(panel, role="push button", name="Cold Start")
    check(cold is not None and not enabled(cold), "'Cold Start' disabled before the link is open")
    console = find(panel, role="text", pred=lambda a: "multi line" in states(a))
    check(console is not None and "read only" in states(console) and text_of(console) is not None,
          "the console is a read-only multi-line text whose text is readable")
    bar = find(app, role="menu bar")
    set_time = bar and find(bar, role="menu item", name="Set Time")
    about = bar and find(bar, role="menu item", name="About")
    check(set_time is not None and not enabled(set_time), "menu item 'Set Time' disabled")
    check(about is not None and enabled(about), "menu item 'About' enabled")
    return panel


def select_port(app, panel):
    """Chooses the test port in the port box with the arrow keys, as a user
    of a screen reader would."""
    box = find(panel, role="combo box", name="COM Port")
    items = [c.name for c in children(children(box)[0])]
    target = next((i for i, n in enumerate(items) if n.startswith(PORT_NAME)), None)
    if not check(target is not None, "port list offers %r: %s" % (PORT_NAME, items)):
        return False
    box.queryComponent().grabFocus()
    field = children(box)[1]
    for _ in range(len(items)):
        current = text_of(field)
        if current.startswith(PORT_NAME):
            break
        down = current not in items or items.index(current) < target
        key(0xFF54 if down else 0xFF52)  # Down / Up
        time.sleep(0.2)
    return check(text_of(field).startswith(PORT_NAME), "port %r selected" % PORT_NAME)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--app", required=True)
    ap.add_argument("--out", required=True)
    args = ap.parse_args()
    os.makedirs(args.out, exist_ok=True)

    master, slave = register_port()
    log = open(os.path.join(args.out, "app.log"), "w")
    proc = subprocess.Popen([args.app], stdout=log, stderr=subprocess.STDOUT)
    try:
        app = wait_for("program on the accessibility bus", lambda: find_app(proc.pid), 20)
        if not app:
            return 1
        # Read everything live: no answers cached on this side.
        app.set_cache_mask(Atspi.Cache.NONE)
        wait_for("control panel shown", lambda: find(app, role="push button", name="Start GPS"))
        save(app, args.out, "tree-initial.txt")
        panel = check_initial(app, args.out)
        if panel is None or not select_port(app, panel):
            return 1

        act(find(panel, role="push button", name="Start GPS"))
        opened = wait_for("link opened ('Close GPS')",
                          lambda: find(panel, role="push button", name="Close GPS"))
        if opened:
            frame = find(app, role="frame")
            check(frame.name == "Trovix", "main window named by its new title 'Trovix': %r" % frame.name)
            check(enabled(find(panel, role="push button", name="Cold Start")),
                  "'Cold Start' enabled once the link is open")
            check(not enabled(find(panel, role="combo box", name="COM Port")), "port box disabled while open")
            act(find(panel, role="push button", name="Get Version"))
            reply = nmea("PMTK705,AXN_1.0,0001")
            core = find(panel, role="text", name="Core Version")
            for _ in range(3):
                os.write(master, reply)
                time.sleep(0.2)
            wait_for("Core Version reads AXN_1.0", lambda: text_of(core) == "AXN_1.0")
            console = find(panel, role="text", pred=lambda a: "multi line" in states(a))
            wait_for("console shows the reply", lambda: "$PMTK705,AXN_1.0,0001*" in text_of(console))
            save(app, args.out, "tree-open.txt")

            act(opened)
            wait_for("link closed ('Start GPS')", lambda: find(panel, role="push button", name="Start GPS"))
            check(not enabled(find(panel, role="push button", name="Cold Start")),
                  "'Cold Start' disabled again once the link is closed")

        # The About box: a dialog named by its caption, with its text.
        act(find(app, role="menu item", name="About"))
        dialog = wait_for("About box shown", lambda: find(app, role="dialog", name="Dialog"))
        if dialog:
            save(app, args.out, "tree-about.txt")
            check(find(dialog, role="label", name="Starvane Version 1.0.0") is not None,
                  "About box shows 'Starvane Version 1.0.0'")
            key(0xFF1B)  # Escape closes it
            wait_for("About box closed", lambda: find(app, role="dialog") is None)
    finally:
        proc.terminate()
        try:
            proc.wait(10)
        except subprocess.TimeoutExpired:
            proc.kill()
        os.close(master)
        os.close(slave)
    if failures:
        print("%d check(s) failed" % len(failures))
        return 1
    print("all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
