#!/usr/bin/python3
"""The client as a screen reader meets it, over the desktop's accessibility bus.

Run inside a display server and a D-Bus session (atspi_check.sh sets them up).
The client starts from a copy in a temporary folder whose config.ini points it
at a game server this script runs on 127.0.0.1. Through AT-SPI alone the
script closes the start-up window with "Chiudi", finds the game text and the
drawn buttons by name and role, presses "Connetti" and a bar button, and hears
the server's lines arrive as text insertions on the game text, the trim of the
oldest lines as a removal, and the disconnection notice. It also opens
"Trova" from its menu item, finds a line and reads it as the game text's
selection, and reads "Testo non trovato" when there is nothing to find.

Exit status: 0 passed, 1 failed, 77 skipped (no bus, no pyatspi).
"""
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time

SKIP = 77
WAIT = 15.0  # seconds for any one step; a passing run takes a few seconds
WELCOME = "Benvenuto nella prova per chi legge con la sintesi vocale"
BURST_LINES = 600  # more than the display keeps, so the oldest lines go


def skip(why):
    print("SKIP: " + why)
    sys.exit(SKIP)


def fail(why):
    print("FAIL: " + why)
    sys.exit(1)


def probe_bus():
    """libatspi ends the process when it cannot reach the accessibility bus:
    try it in a child process first, and skip with its reason."""
    probe = "import pyatspi; pyatspi.Registry.getDesktop(0).childCount"
    try:
        result = subprocess.run([sys.executable, "-c", probe], capture_output=True, text=True,
                                timeout=WAIT)
    except subprocess.TimeoutExpired:
        skip("the accessibility bus did not answer")
    if result.returncode != 0:
        lines = result.stderr.strip().splitlines() or ["exit status %d" % result.returncode]
        skip("the accessibility bus did not start: " + lines[-1])


probe_bus()
import pyatspi  # noqa: E402 (after the probe, which may skip)
from gi.repository import GLib  # noqa: E402


class GameServer:
    """One connection on 127.0.0.1: sends the welcome line at once, the burst
    when asked, and keeps what the client sends."""

    def __init__(self):
        self.sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        self.sock.bind(("127.0.0.1", 0))
        self.sock.listen(1)
        self.sock.settimeout(WAIT)
        self.port = self.sock.getsockname()[1]
        self.received = b""
        self.connected = threading.Event()
        self.burst = threading.Event()
        self.conn = None
        threading.Thread(target=self.serve, daemon=True).start()

    def serve(self):
        try:
            self.conn, _ = self.sock.accept()
        except OSError:
            return
        self.connected.set()
        self.conn.sendall((WELCOME + "\r\n").encode("latin-1"))
        self.conn.settimeout(0.05)
        sent_burst = False
        while True:
            if self.burst.is_set() and not sent_burst:
                lines = "".join("riga %d della raffica\r\n" % i for i in range(BURST_LINES))
                self.conn.sendall(lines.encode("latin-1"))
                sent_burst = True
            try:
                data = self.conn.recv(4096)
            except socket.timeout:
                continue
            except OSError:
                return
            if not data:
                return
            self.received += data


def children(node):
    try:
        return [node.getChildAtIndex(i) for i in range(node.childCount)]
    except Exception:
        return []


def walk(node, depth=0):
    if node is None or depth > 30:
        return
    yield node
    for c in children(node):
        yield from walk(c, depth + 1)


def find_app(name):
    desktop = pyatspi.Registry.getDesktop(0)
    for app in children(desktop):
        if app is not None and app.name == name:
            return app
    return None


def find_all(app, name, role):
    found = []
    for node in walk(app):
        try:
            if node.name == name and node.getRole() == role:
                found.append(node)
        except Exception:
            continue  # a node that went away while the tree was read
    return found


def find(app, name, role):
    found = find_all(app, name, role)
    return found[0] if found else None


def sensitive(node):
    return node.getState().contains(pyatspi.STATE_SENSITIVE)


def press(node):
    action = node.queryAction()
    names = [action.getName(i).lower() for i in range(action.nActions)]
    if "press" not in names:
        fail("%s offers no press action (it offers %s)" % (node.name, names))
    action.doAction(names.index("press"))


def pump_until(predicate, what):
    """Runs the event loop until predicate() holds; fails after WAIT seconds."""
    deadline = time.monotonic() + WAIT
    context = GLib.MainContext.default()
    while not predicate():
        if time.monotonic() > deadline:
            fail("timed out waiting for " + what)
        while context.pending():
            context.iteration(False)
        time.sleep(0.01)


def poll_until(lookup, what):
    deadline = time.monotonic() + WAIT
    while True:
        found = lookup()
        if found:
            return found
        if time.monotonic() > deadline:
            fail("timed out waiting for " + what)
        time.sleep(0.05)


def main():
    if len(sys.argv) != 2:
        fail("usage: atspi_check.py CLIENT_EXECUTABLE")
    client = sys.argv[1]
    started = time.monotonic()

    server = GameServer()
    folder = tempfile.mkdtemp(prefix="varendor-atspi-")
    proc = None
    try:
        # The client keeps its files beside itself: run a copy from the folder.
        exe = os.path.join(folder, os.path.basename(client))
        shutil.copy2(client, exe)
        with open(os.path.join(folder, "config.ini"), "w", newline="") as ini:
            ini.write("[SERVER]\r\nHOST=127.0.0.1\r\nPORTA=%d\r\n" % server.port)
            ini.write("[BOTTONE 1]\r\nCAPTION=Guarda\r\nAZIONE=guarda\r\nSTATO=Attivo\r\n")
        env = dict(os.environ)
        env.update({"QT_QPA_PLATFORM": "xcb", "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
                    "QT_ACCESSIBILITY": "1"})
        proc = subprocess.Popen([exe], cwd=folder, env=env)

        app = poll_until(lambda: find_app("Varendor"), "the client on the accessibility bus")
        chiudi = poll_until(lambda: find(app, "Chiudi", pyatspi.ROLE_PUSH_BUTTON),
                            'the start-up window\'s "Chiudi" button')
        press(chiudi)

        connetti = poll_until(lambda: find(app, "Connetti", pyatspi.ROLE_PUSH_BUTTON),
                              'the "Connetti" button')
        display = find(app, "Testo del gioco", pyatspi.ROLE_TEXT)
        if display is None:
            fail('no text object named "Testo del gioco"')
        disconnetti = find(app, "Disconnetti", pyatspi.ROLE_PUSH_BUTTON)
        guarda = find(app, "Guarda", pyatspi.ROLE_PUSH_BUTTON)
        empty = find_all(app, "Vuoto", pyatspi.ROLE_PUSH_BUTTON)
        if disconnetti is None or guarda is None or len(empty) != 7:
            fail("the bar and the connection pair are not all push buttons by name: "
                 "Disconnetti %s, Guarda %s, %d x Vuoto"
                 % (disconnetti is not None, guarda is not None, len(empty)))
        if not sensitive(connetti) or sensitive(disconnetti):
            fail("before connecting, Connetti should be enabled and Disconnetti not")
        if not sensitive(guarda) or any(sensitive(b) for b in empty):
            fail("the configured bar button should be enabled and the empty ones not")

        inserted, removed, selections = [], [], []

        def on_insert(event):
            if event.source == display:
                inserted.append(str(event.any_data))

        def on_delete(event):
            if event.source == display:
                removed.append(str(event.any_data))

        def on_selection(event):
            if event.source == display:
                selections.append(event)

        pyatspi.Registry.registerEventListener(on_insert, "object:text-changed:insert")
        pyatspi.Registry.registerEventListener(on_delete, "object:text-changed:delete")
        pyatspi.Registry.registerEventListener(on_selection, "object:text-selection-changed")

        press(connetti)
        pump_until(lambda: any(WELCOME in t for t in inserted),
                   "the welcome line as a text insertion on the game text")
        welcome_at = time.monotonic() - started
        pump_until(lambda: sensitive(disconnetti) and not sensitive(connetti),
                   "Disconnetti enabled once connected")

        press(guarda)
        pump_until(lambda: b"guarda\r\n" in server.received, "the bar button's command")

        server.burst.set()
        last = "riga %d della raffica" % (BURST_LINES - 1)
        pump_until(lambda: any(last in t for t in inserted), "the burst's last line")
        pump_until(lambda: any(t.startswith(WELCOME) or WELCOME in t for t in removed),
                   "the trim of the oldest lines as a text removal")
        whole = [t for t in inserted if WELCOME in t and last in t]
        if whole:
            fail("the trim was announced as the whole text again, not as a removal")

        # Trova, from its menu item: the found line is the game text's selection.
        press(poll_until(lambda: find(app, "Trova...", pyatspi.ROLE_MENU_ITEM),
                         'the menu item "Trova..."'))
        box = poll_until(lambda: find(app, "Testo da cercare:", pyatspi.ROLE_TEXT),
                         "Trova's text box")
        wanted = "riga 123 della raffica"
        box.queryEditableText().setTextContents(wanted.upper())
        press(find(app, "Successivo", pyatspi.ROLE_PUSH_BUTTON))
        pump_until(lambda: selections, "a selection event on the game text")
        text = display.queryText()
        pump_until(lambda: text.getNSelections() == 1
                   and text.getText(*text.getSelection(0)) == wanted,
                   "the found line as the game text's selection")
        box.queryEditableText().setTextContents("unicorno")
        press(find(app, "Successivo", pyatspi.ROLE_PUSH_BUTTON))
        poll_until(lambda: find(app, "Testo non trovato", pyatspi.ROLE_LABEL),
                   'Trova saying "Testo non trovato"')

        press(disconnetti)
        pump_until(lambda: any("Disconnesso da Varendor" in t for t in inserted),
                   "the disconnection notice")

        name = display.name
        if name != "Testo del gioco":
            fail("the game text lost its name: %r" % name)
        print("PASS: about closed, 10 buttons read, welcome heard after %.2f s, "
              "trim heard as a removal, Trova's match read, all in %.2f s"
              % (welcome_at, time.monotonic() - started))
        return 0
    finally:
        if proc is not None:
            proc.terminate()
            try:
                proc.wait(5)
            except subprocess.TimeoutExpired:
                proc.kill()
                proc.wait()
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
