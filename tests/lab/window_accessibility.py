#!/usr/bin/python3
"""The real window's printer list as a screen reader reads it over AT-SPI.

Usage, inside scripts/printer-lab (the window searches as it starts):
    window_accessibility.py TOLVANE [--dump] [--orca]

Starts a private X server and a private D-Bus session (their sockets, HOME and the runtime
folder in one temporary folder, removed afterwards), runs TOLVANE there and reads its printer
list from outside: a table with the four header texts, each row's first cell a check box,
checked exactly when ticked, insensitive exactly when locked, and the focus cell as keys move
it. --dump prints the table's tree; --orca runs the steps slowly under Orca and prints what
Orca says (its speech goes to its log only).
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

HEADERS = ["Select", "IP Address", "Printer Name", "Status"]
# tests/lab/main_window.printers, in the list's first order (by address). 10.77.3.14 has no
# name, so its row is locked.
ADDRESSES = ["10.77.3.11", "10.77.3.12", "10.77.3.14", "10.77.3.15", "10.77.3.16"]
LOCKED = {"10.77.3.14"}
# The keys in turn, each with the focus cell (row, column) after it. Alt+S reaches the list.
STEPS = [
    ("Alt+s", (0, 0)),
    ("Down", (1, 0)),
    ("Right", (1, 1)),
    ("Right", (1, 2)),
    ("Down", (2, 2)),
    ("Right", (2, 3)),
    ("Right", (2, 3)),  # past the last column: it stays
    ("Left", (2, 2)),
    ("Left", (2, 1)),
    ("space", (2, 0)),  # a locked row: the tick stays, the focus goes to it
    ("Up", (1, 0)),
    ("space", (1, 0)),
    ("Down", (2, 0)),
    ("Down", (3, 0)),
    ("Right", (3, 1)),
    ("space", (3, 0)),
]
TICKED_AFTER_STEPS = {"10.77.3.12", "10.77.3.15"}
KEYSYMS = {"Down": 0xFF54, "Up": 0xFF52, "Left": 0xFF51, "Right": 0xFF53, "space": 0x20,
           "s": 0x73}
# Left Alt in the X server's default key map.
ALT_KEYCODE = 64
TIMEOUT = 30
# Orca speaks a focus change only when no key follows it at once.
ORCA_PAUSE = 1.5


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def wait_for(what, condition, pump, timeout=TIMEOUT):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if condition():
            return
        pump()
    fail("no %s within %d s" % (what, timeout))


def outside(args):
    """Makes the private display and session, and runs the checks inside them."""
    if os.environ.get("TOLVANE_LAB_NETNS") != os.readlink("/proc/self/ns/net"):
        fail("this runs only inside the printer lab: scripts/printer-lab -- " + sys.argv[0])
    scratch = tempfile.mkdtemp(prefix="window-accessibility.")
    xvfb = None
    try:
        env = dict(os.environ, TMPDIR=scratch, HOME=os.path.join(scratch, "home"),
                   XDG_RUNTIME_DIR=os.path.join(scratch, "run"))
        os.mkdir(env["HOME"])
        os.mkdir(env["XDG_RUNTIME_DIR"], 0o700)
        read, write = os.pipe()
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0",
                                 "1024x768x24", "-nolisten", "tcp"], pass_fds=[write],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as display:
            env["DISPLAY"] = ":" + display.readline().strip()
        if env["DISPLAY"] == ":":
            fail("Xvfb named no display")
        # The session bus of dbus-run-session with its socket in the scratch folder.
        config = os.path.join(scratch, "session.conf")
        with open(config, "w") as out:
            out.write("<busconfig><type>session</type><listen>unix:dir=%s</listen>"
                      "<auth>EXTERNAL</auth><standard_session_servicedirs/>"
                      "<policy context='default'><allow send_destination='*' eavesdrop='true'/>"
                      "<allow eavesdrop='true'/><allow own='*'/></policy></busconfig>"
                      % scratch)
        command = ["dbus-run-session", "--config-file", config, "--", sys.executable,
                   os.path.abspath(__file__), "--inside"] + args
        return subprocess.run(command, env=env, check=False).returncode
    finally:
        if xvfb:
            xvfb.terminate()
            xvfb.wait()
        shutil.rmtree(scratch, ignore_errors=True)


def inside(program, dump, with_orca):
    import pyatspi
    from gi.repository import GLib

    def pump():
        if not GLib.MainContext.default().iteration(False):
            time.sleep(0.02)

    # The window starts once the registry runs and this client listens: one that joined the
    # desktop earlier was at times never seen there.
    focused = []
    pyatspi.Registry.registerEventListener(
        lambda event: event.detail1 and focused.append(event.source),
        "object:state-changed:focused")
    _ = pyatspi.Registry.getDesktop(0).childCount
    orca = start_orca(pyatspi, pump) if with_orca else None
    window = subprocess.Popen([program], env=dict(os.environ, QT_QPA_PLATFORM="xcb",
                                                  QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1"))
    try:
        found = []

        def table_shown():
            for app in pyatspi.Registry.getDesktop(0):
                if app and app.get_process_id() == window.pid:
                    table = pyatspi.findDescendant(app,
                                                   lambda x: x.getRole() == pyatspi.ROLE_TABLE)
                    if table and table.queryTable().nRows == len(ADDRESSES):
                        found.append(table)
            return found

        wait_for("table of %d printers" % len(ADDRESSES), table_shown, pump)
        cells = found[0].queryTable()
        if dump:
            print_tree(pyatspi, found[0])
        headers = [cells.getColumnHeader(column).name for column in range(cells.nColumns)]
        if headers != HEADERS:
            fail("headers %s, expected %s" % (headers, HEADERS))
        if [cells.getAccessibleAt(row, 1).name for row in range(cells.nRows)] != ADDRESSES:
            fail("rows not in address order")

        def position(cell):
            index = cell.getIndexInParent()
            return cells.getRowAtIndex(index), cells.getColumnAtIndex(index)

        # A move is heard as a focus event from the new cell; a key that leaves the focus
        # where it was sends none. Either way the cell then reads as focused.
        before = None
        for key, cell in STEPS:
            focused.clear()
            press(pyatspi, key)
            wait_for("focus on cell %s after %s" % (cell, key),
                     lambda: (cell == before or (focused and position(focused[-1]) == cell))
                     and cells.getAccessibleAt(*cell).getState().contains(
                         pyatspi.STATE_FOCUSED), pump)
            before = cell
            if orca:
                settle(pump, ORCA_PAUSE)
        check_ticks(pyatspi, cells)
        print("PASS: %d headers, %d rows, %d focus moves" % (len(HEADERS), cells.nRows,
                                                             len(STEPS)))
        return 0
    finally:
        window.terminate()
        window.wait()
        if orca:
            stop_orca(orca)


def press(pyatspi, key):
    """Presses `key`, a name of KEYSYMS, with Alt held when it reads "Alt+name"."""
    alt = key.startswith("Alt+")
    if alt:
        pyatspi.Registry.generateKeyboardEvent(ALT_KEYCODE, None, pyatspi.KEY_PRESS)
    pyatspi.Registry.generateKeyboardEvent(KEYSYMS[key.removeprefix("Alt+")], None,
                                           pyatspi.KEY_SYM)
    if alt:
        pyatspi.Registry.generateKeyboardEvent(ALT_KEYCODE, None, pyatspi.KEY_RELEASE)


def check_ticks(pyatspi, cells):
    for row in range(cells.nRows):
        address = cells.getAccessibleAt(row, 1).name
        tick = cells.getAccessibleAt(row, 0)
        state = tick.getState()
        seen = (tick.getRole(), state.contains(pyatspi.STATE_CHECKED),
                not state.contains(pyatspi.STATE_SENSITIVE))
        expected = (pyatspi.ROLE_CHECK_BOX, address in TICKED_AFTER_STEPS, address in LOCKED)
        if seen != expected:
            fail("%s: (role, checked, insensitive) %s, expected %s" % (address, seen, expected))


def print_tree(pyatspi, node, depth=0):
    state = node.getState()
    marks = [mark for mark, bit in (("checked", pyatspi.STATE_CHECKED),
                                    ("focused", pyatspi.STATE_FOCUSED)) if state.contains(bit)]
    if not state.contains(pyatspi.STATE_SENSITIVE):
        marks.append("insensitive")
    description = " (%s)" % node.description if node.description else ""
    print("%s[%s] %r%s %s" % ("  " * depth, node.getRoleName(), node.name, description,
                              " ".join(marks)))
    for child in node:
        print_tree(pyatspi, child, depth + 1)


def settle(pump, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        pump()


def start_orca(pyatspi, pump):
    log = os.path.join(os.environ["TMPDIR"], "orca.log")
    # No speech server: Orca logs each utterance before it would send it.
    env = dict(os.environ, SPEECHD_ADDRESS="unix_socket:" + os.path.join(
        os.environ["TMPDIR"], "no-speech-server"))
    orca = subprocess.Popen(["orca", "--debug-file", log, "-u",
                             os.path.join(os.environ["TMPDIR"], "orca")], env=env)
    wait_for("Orca", lambda: any(app and app.name == "orca"
                                 for app in pyatspi.Registry.getDesktop(0)), pump)
    orca.log = log
    return orca


def stop_orca(orca):
    orca.terminate()
    try:
        orca.wait(TIMEOUT)
    except subprocess.TimeoutExpired:
        orca.kill()
        orca.wait()
    with open(orca.log) as log:
        for line in log:
            if "SPEECH OUTPUT:" in line:
                print("Orca: " + line.split("SPEECH OUTPUT: ", 1)[1].split("{")[0].strip())


if __name__ == "__main__":
    options = {"--dump", "--orca"}
    given = [arg for arg in sys.argv[1:] if arg not in options]
    if given[:1] == ["--inside"] and len(given) == 2:
        sys.exit(inside(given[1], "--dump" in sys.argv, "--orca" in sys.argv))
    if len(given) != 1:
        fail(__doc__)
    sys.exit(outside(sys.argv[1:]))
