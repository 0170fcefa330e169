#!/usr/bin/python3
"""The client as a blind player meets it: played by keyboard alone while a
real screen reader (Orca) listens, with the client's own voice going to the
same speech service.

Run inside a D-Bus session (orca_check.sh starts it). The script builds the
rest of a desktop of its own in a temporary folder: a display server, a
window manager, the accessibility bus, speech-dispatcher writing to a null
sound device and logging every client's requests, Orca with a line-buffered
debug file, the practice world on a free port and a copy of the client. It
then plays: Connetti, a name, a password, guarda, nord, di ciao, Trova with a
match and a miss, Disconnetti; and reads back what was said.

Exit status: 0 passed, 1 failed, 77 skipped (Orca or the speech service
could not start here).
"""
import os
import re
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

SKIP = 77
WAIT = 15.0
PASSWORD = "rosa77"
NAME = "Ascolta"


def skip(why):
    print("SKIP: " + why)
    sys.exit(SKIP)


class Failed(Exception):
    pass


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Desktop:
    def __init__(self, folder):
        self.folder = folder
        self.procs = []
        self.env = dict(os.environ)
        home = os.path.join(folder, "home")
        runtime = os.path.join(folder, "run")
        os.makedirs(home)
        os.makedirs(runtime, mode=0o700)
        # Without a sound card the speech service would hang: a null device.
        with open(os.path.join(home, ".asoundrc"), "w") as f:
            f.write("pcm.!default { type null }\nctl.!default { type hw card 0 }\n")
        self.env.update({"HOME": home, "XDG_RUNTIME_DIR": runtime,
                         "XDG_CONFIG_HOME": os.path.join(home, ".config"),
                         "XDG_DATA_HOME": os.path.join(home, ".local/share"),
                         "GTK_A11Y": "atspi", "NO_AT_BRIDGE": "0"})

    def start(self, args, log=None, **kw):
        out = open(os.path.join(self.folder, log), "w") if log else subprocess.DEVNULL
        p = subprocess.Popen(args, env=self.env, stdout=out, stderr=subprocess.STDOUT,
                             start_new_session=True, **kw)
        self.procs.append(p)
        return p

    def run(self, args, timeout=WAIT):
        return subprocess.run(args, env=self.env, capture_output=True, text=True, timeout=timeout)

    def stop(self):
        for p in reversed(self.procs):
            if p.poll() is None:
                try:
                    os.killpg(p.pid, signal.SIGTERM)
                except ProcessLookupError:
                    pass
        for p in reversed(self.procs):
            try:
                p.wait(3)
            except subprocess.TimeoutExpired:
                os.killpg(p.pid, signal.SIGKILL)
                p.wait()


def wait_for(predicate, what, timeout=WAIT):
    deadline = time.monotonic() + timeout
    while True:
        found = predicate()
        if found:
            return found
        if time.monotonic() > deadline:
            raise Failed("timed out waiting for " + what)
        time.sleep(0.1)


def read(path):
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            return f.read()
    except FileNotFoundError:
        return ""


class Ears:
    """What was said: Orca's speech from its debug file, the client's own
    voice from the speech service's record of what each client asked."""

    def __init__(self, orca_log, protocol_log):
        self.orca_log = orca_log
        self.protocol_log = protocol_log

    def orca(self):
        said = []
        for line in read(self.orca_log).splitlines():
            _, found, text = line.partition("SPEECH OUTPUT: '")
            if not found:
                continue
            if text.endswith("}") and "'{" in text:
                text = text.rpartition("'{")[0]
            said.append(text.rstrip("'"))
        return said

    def voice(self):
        """Texts the client asked the service to say. Each request is logged
        as "speechd: ID:DATA:|TEXT" up to "| (LENGTH)"; a text comes between
        SPEAK and a lone "."."""
        names, inside, said = {}, {}, []
        entries = re.findall(r"speechd:\s+(\d+):DATA:\|(.*?)\n\| \(\d+\)",
                             read(self.protocol_log), re.S)
        for client, data in entries:
            data = data.strip()
            if data.upper().startswith("SET SELF CLIENT_NAME"):
                names[client] = data
            elif data.upper() == "SPEAK":
                inside[client] = []
            elif data == "." and client in inside:
                if "varendor" in names.get(client, ""):
                    said.append(" ".join(inside.pop(client)))
                else:
                    inside.pop(client)
            elif client in inside:
                inside[client].append(" ".join(data.split()))
        return said

    def everything(self):
        return self.orca() + self.voice()

    def heard(self, text):
        return any(text.lower() in s.lower() for s in self.everything())


def main():
    if len(sys.argv) != 3:
        print("usage: orca_check.py CLIENT PRACTICE_SERVER")
        return 1
    client, practice = sys.argv[1], sys.argv[2]
    started = time.monotonic()
    folder = tempfile.mkdtemp(prefix="varendor-orca-")
    desk = Desktop(folder)
    try:
        return play(desk, folder, client, practice, started)
    except Failed as e:
        print("FAIL: %s" % e)
        for name in ("orca-speech.txt",):
            pass
        return 1
    finally:
        desk.stop()
        if os.environ.get("VARENDOR_KEEP_ORCA_LOGS"):
            print("logs kept in " + folder)
        else:
            shutil.rmtree(folder, ignore_errors=True)


def start_desktop(desk, folder):
    # The display server picks a free display and writes its number.
    r, w = os.pipe()
    desk.start(["Xvfb", "-displayfd", str(w), "-screen", "0", "1280x800x24", "-nolisten", "tcp"],
               log="xvfb.log", pass_fds=(w,))
    os.close(w)
    with os.fdopen(r) as f:
        number = f.readline().strip()
    if not number:
        skip("the display server did not start")
    desk.env["DISPLAY"] = ":" + number
    desk.start(["openbox"], log="openbox.log")
    desk.start(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"], log="atspi.log")
    try:
        desk.run(["gsettings", "set", "org.gnome.desktop.interface", "toolkit-accessibility",
                  "true"])
    except (OSError, subprocess.TimeoutExpired):
        pass

    # The speech service, with its own settings: every client's requests logged.
    conf = os.path.join(folder, "speechd")
    shutil.copytree("/etc/speech-dispatcher", conf)
    protocol_log = os.path.join(folder, "protocol.log")
    with open(os.path.join(conf, "speechd.conf"), "a") as f:
        f.write('\nCustomLogFile "protocol" "%s"\nAudioOutputMethod "alsa"\n'
                'DefaultModule espeak-ng\n' % protocol_log)
    desk.start(["speech-dispatcher", "-s", "-t", "0", "-C", conf, "-L", folder], log="speechd.log")
    socket_path = os.path.join(desk.env["XDG_RUNTIME_DIR"], "speech-dispatcher", "speechd.sock")
    try:
        wait_for(lambda: os.path.exists(socket_path), "the speech service")
    except Failed:
        skip("speech-dispatcher did not start")

    # Orca, from a copy of its launcher that neither looks for other
    # screen readers of this user (other sessions may run one) nor holds its
    # debug file in blocks.
    launcher = os.path.join(folder, "orca-launcher")
    code = read("/usr/bin/orca")
    code = code.replace("if otherOrcas():", "if False:")
    code = code.replace("open(args.debug_file, 'w')", "open(args.debug_file, 'w', buffering=1)")
    with open(launcher, "w") as f:
        f.write(code)
    orca_log = os.path.join(folder, "orca.log")
    orca = desk.start(["/usr/bin/python3", launcher, "--debug-file=" + orca_log], log="orca.out")
    ears = Ears(orca_log, protocol_log)
    try:
        wait_for(lambda: ears.orca() or orca.poll() is not None, "Orca", timeout=25)
    except Failed:
        skip("Orca did not speak within 25 s")
    if orca.poll() is not None:
        skip("Orca could not start: " + read(os.path.join(folder, "orca.out"))[-300:])
    return ears


class Bus:
    """Every text the accessibility bus carries while it listens: inserted
    and removed text, new names and descriptions, selections."""

    KINDS = ("object:text-changed", "object:property-change:accessible-name",
             "object:property-change:accessible-description", "object:text-selection-changed",
             "object:property-change:accessible-value")

    def __init__(self):
        import pyatspi
        from gi.repository import GLib
        self.pyatspi, self.context = pyatspi, GLib.MainContext.default()
        self.texts = []
        self.pyatspi.Registry.registerEventListener(self.heard, *self.KINDS)

    def heard(self, event):
        for value in (event.any_data, getattr(event.source, "name", None)):
            if isinstance(value, str) and value:
                self.texts.append(value)

    def pump(self, seconds):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            while self.context.pending():
                self.context.iteration(False)
            time.sleep(0.02)

    def stop(self):
        self.pyatspi.Registry.deregisterEventListener(self.heard, *self.KINDS)


def key(desk, *keys):
    desk.run(["xdotool", "key", "--clearmodifiers", "--delay", "80"] + list(keys))
    time.sleep(0.3)


def key_until(desk, keys, predicate, what, tries=4):
    """Presses keys until predicate() holds: a key pressed while the window
    is still settling can be lost."""
    for _ in range(tries):
        key(desk, *keys)
        try:
            return wait_for(predicate, what, timeout=3)
        except Failed:
            key(desk, "Escape")
    raise Failed("timed out waiting for " + what)


def type_text(desk, text):
    desk.run(["xdotool", "type", "--clearmodifiers", "--delay", "90", text])
    time.sleep(0.2)


def play(desk, folder, client, practice, started):
    ears = start_desktop(desk, folder)

    port = free_port()
    desk.start([practice, "--port", str(port)], log="practice.log")
    game = os.path.join(folder, "game")
    os.makedirs(game)
    exe = os.path.join(game, os.path.basename(client))
    shutil.copy2(client, exe)
    with open(os.path.join(game, "config.ini"), "w", newline="") as ini:
        ini.write("[SERVER]\r\nHOST=127.0.0.1\r\nPORTA=%d\r\n" % port)
    desk.env.update({"QT_QPA_PLATFORM": "xcb", "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
                     "QT_ACCESSIBILITY": "1"})
    desk.start([exe], log="client.log", cwd=game)

    def said_since(mark):
        return ears.everything()[mark:]

    # The start-up window, then Collegamento > Connetti.
    wait_for(lambda: ears.heard("Chiudi"), "the start-up window", timeout=20)
    key(desk, "Return")
    wait_for(lambda: ears.heard("Comando"), "the input line named Comando")
    key_until(desk, ["alt+c"], lambda: ears.heard("Connetti"), "the menu item Connetti")
    key(desk, "Return")
    wait_for(lambda: ears.heard("Benvenuto"), "the greeting")
    wait_for(lambda: ears.heard("Come ti chiami"), "the name prompt")

    type_text(desk, NAME)
    key(desk, "Return")
    wait_for(lambda: ears.heard("parola d'ordine"), "the password prompt")
    time.sleep(0.5)
    mark = len(ears.orca())
    bus = Bus()
    type_text(desk, PASSWORD)
    bus.pump(1.0)
    password_said = ears.orca()[mark:]
    key(desk, "Return")
    bus.pump(0.5)
    bus.stop()
    leaked = [t for t in bus.texts if any(piece in t for piece in ("rosa", "osa", "77", "a7"))
              or (len(t) == 1 and t in PASSWORD)]
    if leaked:
        raise Failed("password characters on the accessibility bus: %r" % leaked)
    wait_for(lambda: ears.heard("Piazza del Pozzo"), "the room after logging in")
    for ch in set(PASSWORD):
        if any(s.strip().lower() == ch for s in password_said):
            raise Failed("a password character was spoken: %r" % password_said)
    if any(PASSWORD in s for s in ears.everything()):
        raise Failed("the password was spoken")

    counts = {}
    for command, answer in (("guarda", "Piazza del Pozzo"), ("nord", "Taverna del Cinghiale"),
                            ("di ciao", "Dici 'ciao'")):
        mark = len(ears.everything())
        type_text(desk, command)
        key(desk, "Return")
        wait_for(lambda: any(answer in s for s in said_since(mark)),
                 "%r after %r" % (answer, command))
        time.sleep(0.8)
        counts[command] = [s for s in said_since(mark) if s.strip().startswith(command)
                           and len(s.strip()) <= len(command) + 12]

    if any("Selection deleted" in s for s in ears.orca()):
        raise Failed('"Selection deleted" was heard in the input line')
    # Trova: a match, then a miss.
    key_until(desk, ["ctrl+f"], lambda: ears.heard("Testo da cercare"), "Trova's text box")
    type_text(desk, "taverna")
    key(desk, "Return")
    wait_for(lambda: ears.heard("Trovato alla riga"), "Trova's match")
    key(desk, "ctrl+a")
    type_text(desk, "drago")
    key(desk, "Return")
    wait_for(lambda: ears.heard("Testo non trovato"), "Trova's miss")
    key(desk, "Escape")

    mark = len(ears.orca())
    key_until(desk, ["alt+c"], lambda: any("Disconnetti" in s for s in ears.orca()[mark:]),
              "the Collegamento menu")
    key(desk, "Return")
    wait_for(lambda: ears.heard("Disconnesso"), "the disconnection")

    twice = {c: s for c, s in counts.items() if len(s) > 1}
    if twice:
        raise Failed("a command was heard more than once: %r" % twice)
    print("PASS in %.1f s; Orca said %d things, the client's voice %d"
          % (time.monotonic() - started, len(ears.orca()), len(ears.voice())))
    for s in ears.orca():
        print("  orca: " + s)
    for s in ears.voice():
        print("  voce: " + s)
    return 0


if __name__ == "__main__":
    sys.exit(main())
