#!/usr/bin/python3
"""End-to-end tests: the real Tovanel.exe under Wine, used from outside.

Tovanel runs as a process of its own. The tests act on it only as a user
and the desktop around it can: keys and mouse clicks through the X server
(xdotool), files dropped by an X drag-and-drop source, the close message a
window manager sends, and the clipboard. What the windows show is read by
probe.exe, a second Windows program on the same desktop.

    tovanel_e2e.py --exe Tovanel.exe --probe probe.exe --env wine-env.sh [Test...]

Needs an X display without a window manager (Xvfb), Debian's python3-xlib
and xdotool. Exit code 77 means the tests could not run here.
"""

import argparse
import json
import os
import select
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
from urllib.parse import quote

try:
    from Xlib import X, display as xdisplay
    from Xlib.protocol import event as xevent
except ImportError:  # reported in main(), where it can end the run cleanly
    X = None

SKIP = 77
TIMEOUT = 15.0  # seconds for anything the program should do promptly
DOUBLE_CLICK_TIME = 0.6  # seconds; the platform's default is 0.5

MAIN_TITLE = "Tovanel"
PROMPT = "ファイルをドラッグ&ドロップしてください｡"
LIST_TITLE = "Tovanel - リスト"
FORM_ITEMS = [
    "[&0]名前(長い)", "[&1]名前(短い)",
    "[&2]ドライブとフォルダ名(長い)", "[&3]ドライブとフォルダ名(短い)",
    "[&4]ファイル名と拡張子(長い)", "[&5]ファイル名と拡張子((短い)",
    "[&6]ファイル名だけ(長い)", "[&7]ファイル名だけ(短い)",
]
CHAR_BUTTONS = [
    "大文字→小文字(&A)", "小文字→大文字(&B)", "全角→半角(&C)",
    "半角→全角((&D)", "ひらがな→カタカナ(&E)", "カタカナ→ひらがな(&F)",
]
FILE_GROUP_BUTTONS = ["文字種変換に入力(&G)", "リストに追加(&S)", "クリップボードに送る(&Q)"]
CHAR_GROUP_BUTTONS = CHAR_BUTTONS + ["クリップボードに送る(&Z)", "リストに追加(&T)"]

WS_MAXIMIZEBOX = 0x00010000
WS_MINIMIZEBOX = 0x00020000
WS_THICKFRAME = 0x00040000
WS_SYSMENU = 0x00080000
WS_EX_TOOLWINDOW = 0x00000080

FIRST_RUN_SETTINGS = (
    b"[Main]\r\nTop=100\r\nLeft=100\r\n\r\n"
    b"[Select]\r\nItem=0\r\n\r\n"
    b"[List]\r\nTop=400\r\nLeft=708\r\nHeight=300\r\nWidth=300\r\n\r\n"
)

_T0 = time.monotonic()


def log(message):
    """A line of the run's story, shown by ctest when a test fails."""
    print(f"[{time.monotonic() - _T0:7.2f}] {message}", flush=True)


def wait_for(what, probe_fn, timeout=TIMEOUT):
    """Polls probe_fn until it returns something true; fails with `what`."""
    log(f"waiting for {what}")
    end = time.monotonic() + timeout
    last = None
    while True:
        try:
            last = probe_fn()
        except LookupError as e:  # a window or control not there yet
            last = e
        if last and not isinstance(last, Exception):
            return last
        if time.monotonic() > end:
            raise AssertionError(f"timed out waiting for {what} (last: {last!r})")
        time.sleep(0.1)


def read_settings(path):
    """The settings file as {section: {key: value}}, in the file's order."""
    sections = {}
    current = None
    with open(path, "rb") as f:
        content = f.read().decode("ascii")
    assert "\n" not in content.replace("\r\n", ""), f"lines not ended by CR LF: {content!r}"
    for line in content.split("\r\n"):
        line = line.strip()
        if line.startswith("[") and line.endswith("]"):
            assert line[1:-1] not in sections, f"section {line} twice: {content!r}"
            current = sections[line[1:-1]] = {}
        elif "=" in line and current is not None:
            key, value = line.split("=", 1)
            current[key] = value
    return sections


# ---- What the probe sees ----

class Window:
    """One top-level window and its controls, as the probe saw them."""

    def __init__(self, data):
        self.data = data
        self.controls = data["controls"]

    def __getattr__(self, name):
        try:
            return self.data[name]
        except KeyError:
            raise AttributeError(name) from None

    @property
    def left_top(self):
        return tuple(self.rect[:2])

    @property
    def outer_size(self):
        return (self.rect[2] - self.rect[0], self.rect[3] - self.rect[1])

    @property
    def client_size(self):
        return (self.client[2] - self.client[0], self.client[3] - self.client[1])

    def control(self, text=None, cls=None, parent=None):
        for c in self.controls:
            if text is not None and c["text"] != text:
                continue
            if cls is not None and not c["class"].lower().endswith(cls.lower()):
                continue
            if parent is not None and c["parent"] != parent["hwnd"]:
                continue
            return c
        raise LookupError(f"no control text={text!r} class={cls!r} in {self.title!r}")

    def toolbar_button(self, text):
        for c in self.controls:
            for b in c.get("buttons") or []:
                if b["text"] == text:
                    return b
        raise LookupError(f"no toolbar button {text!r} in {self.title!r}")


class MainView(Window):
    @property
    def file_group(self):
        return self.control(text="[ファイル名]", cls="BUTTON")

    @property
    def char_group(self):
        return self.control(text="[文字種変換]", cls="BUTTON")

    @property
    def radio_items(self):
        items = [self.control(text=t) for t in FORM_ITEMS]
        return items

    @property
    def radio_group(self):
        return next(c for c in self.controls if c["hwnd"] == self.radio_items[0]["parent"])

    @property
    def checked_form(self):
        checked = [i for i, c in enumerate(self.radio_items) if c.get("checked")]
        assert len(checked) <= 1, f"several name forms checked: {checked}"
        return checked[0] if checked else -1

    @property
    def edit_file(self):
        return self.control(cls="EDIT", parent=self.file_group)

    @property
    def edit_char(self):
        return self.control(cls="EDIT", parent=self.char_group)

    @property
    def status_text(self):
        """The status bar's text as another program reads it: through the
        bar's own SB_GETTEXTW (a buffer lent from Tovanel's process) and
        WM_GETTEXT, which must agree."""
        bar = self.control(cls="msctls_statusbar32")
        status = bar["status"]
        assert status is not None, "the status bar cannot be read"
        assert status["type"] == 0, f"the status bar reports its text as drawn by its owner: {status}"
        assert status["length"] == len(status["text"]) == status["got"], status
        assert bar["text"] == status["text"], f"WM_GETTEXT {bar['text']!r} but SB_GETTEXTW {status['text']!r}"
        return status["text"]

    def file_group_controls(self):
        """The controls that follow the file box's text, with names for messages."""
        out = [("file frame", self.file_group), ("radio group", self.radio_group), ("file box", self.edit_file)]
        out += [(c["text"], c) for c in self.radio_items]
        out += [(t, self.control(text=t)) for t in FILE_GROUP_BUTTONS]
        return out

    def char_group_controls(self):
        return [(t, self.control(text=t)) for t in CHAR_GROUP_BUTTONS]


class ListView(Window):
    @property
    def list_box(self):
        return self.control(cls="LISTBOX")

    @property
    def entries(self):
        return self.list_box["items"]

    @property
    def selected(self):
        return self.list_box["selected"]

    def entry_point(self, index):
        """The middle of entry `index`'s row, for clicks."""
        box = self.list_box
        h = box["itemheight"]
        return (box["client"][0] + 40, box["client"][1] + (index - box["top"]) * h + h // 2)


class Snapshot:
    def __init__(self, data, pid):
        self.foreground = data["foreground"]
        ours = [w for w in data["windows"] if w["pid"] == pid]
        self.main = self.list = None
        self.message_boxes = []
        self.tool_tips = []
        for w in ours:
            if w["class"] == "#32770":
                self.message_boxes.append(Window(w))
            elif w["class"] == "tooltips_class32":
                self.tool_tips.append(Window(w))
            elif w["title"] == MAIN_TITLE and w["owner"] == 0:
                self.main = MainView(w)
            elif w["title"] == LIST_TITLE:
                self.list = ListView(w)


# ---- The program under test and the desktop around it ----

class Desktop:
    """Wine, the X display and the probe, shared by every session."""

    def __init__(self, exe, probe, env_script):
        self.exe = exe
        self.probe_exe = probe
        out = subprocess.run(["sh", "-c", '. "$1" && env -0', "sh", env_script],
                             check=True, stdout=subprocess.PIPE, stdin=subprocess.DEVNULL).stdout
        self.env = dict(item.split("=", 1) for item in out.decode().split("\0") if "=" in item)
        # A crash should end the process, not leave a debugger behind.
        self.env["WINEDLLOVERRIDES"] = self.env.get("WINEDLLOVERRIDES", "") + ";winedbg.exe=d"
        self.prefix = self.env["WINEPREFIX"]
        self.x = xdisplay.Display()
        self.root = self.x.screen().root
        self._appdata = None
        self._last_click = (0, 0, 0.0)

    # Wine's own processes must not inherit the test runner's pipes: they
    # would keep it waiting after the test has ended.
    def wine(self, *args, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL):
        return subprocess.Popen(["wine", *args], env=self.env, stdin=subprocess.DEVNULL,
                                stdout=stdout, stderr=stderr)

    def probe(self, *args):
        # One retry, logged, for a start of the probe that failed in Wine's
        # loader; exit code 4 is the probe's own report of a hung window.
        for attempt in (1, 2):
            rc, text, complaint = self._run_probe(args)
            if rc == 0:
                return json.loads(text) if text.strip() else None
            if attempt == 1 and rc != 4:
                log(f"probe {args} failed with {rc}, once more: {complaint[-500:]}")
                continue
            raise AssertionError(f"probe {args} failed with {rc}: {complaint[-2000:]}")

    def _run_probe(self, args):
        started = time.monotonic()
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            p = self.wine(self.probe_exe, *args, stdout=out, stderr=err)
            try:
                rc = p.wait(timeout=60)
            except subprocess.TimeoutExpired:
                p.kill()
                p.wait()
                raise AssertionError(f"probe {args} did not end") from None
            out.seek(0)
            err.seek(0)
            text = out.read().decode("ascii")
            complaint = err.read().decode("utf-8", "replace").strip()
        if time.monotonic() - started > 2:
            log(f"probe {args[0]} took {time.monotonic() - started:.1f} s")
        return rc, text, complaint

    def unix_path(self, windows_path):
        drive, rest = windows_path[:2].lower(), windows_path[3:]
        base = os.path.realpath(os.path.join(self.prefix, "dosdevices", drive))
        return os.path.join(base, *rest.split("\\")) if rest else base

    def windows_path(self, unix_path):
        drive_c = os.path.realpath(os.path.join(self.prefix, "drive_c"))
        rel = os.path.relpath(os.path.realpath(unix_path), drive_c)
        assert not rel.startswith(".."), unix_path
        return "C:\\" + ("" if rel == "." else rel.replace("/", "\\"))

    @property
    def data_folder(self):
        if self._appdata is None:
            self._appdata = self.unix_path(self.probe("appdata")["path"])
        return os.path.join(self._appdata, "Orvendel", "Tovanel")

    @property
    def settings_file(self):
        return os.path.join(self.data_folder, "Tovanel.ini")

    def clipboard(self):
        return self.probe("clip")["text"]

    def short_path(self, windows_path):
        """The platform's short form: 8.3 names, or the long path on a volume without them."""
        return self.probe("short", windows_path.encode("utf-8").hex())["path"]

    def set_clipboard(self, text):
        self.probe("setclip", text.encode("utf-8").hex())
        wait_for("the clipboard to take the text", lambda: self.clipboard() == text)

    # -- keyboard and mouse, through the X server --

    def xdotool(self, *args):
        log("xdotool " + " ".join(map(str, args)))
        subprocess.run(["xdotool", *map(str, args)], check=True, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL)

    def key(self, *keys):
        self.xdotool("key", "--delay", "40", *keys)

    def type(self, text):
        self.xdotool("type", "--delay", "30", text)

    def click(self, x, y, repeat=1):
        # Two single clicks on one spot in quick succession would make a double click.
        last_x, last_y, last_t = self._last_click
        pause = DOUBLE_CLICK_TIME - (time.monotonic() - last_t)
        if pause > 0 and abs(x - last_x) < 5 and abs(y - last_y) < 5:
            time.sleep(pause)
        self.xdotool("mousemove", x, y, "sleep", "0.05", "click", "--repeat", repeat, "--delay", "80", "1")
        self._last_click = (x, y, time.monotonic())

    def drag(self, x0, y0, x1, y1):
        self.xdotool("mousemove", x0, y0, "sleep", "0.1", "mousedown", "1", "sleep", "0.1",
                     "mousemove", (x0 + x1) // 2, (y0 + y1) // 2, "sleep", "0.1",
                     "mousemove", x1, y1, "sleep", "0.1", "mouseup", "1")

    # -- the window manager's part --

    def x_window_at(self, x, y):
        return self.root.translate_coords(self.root, x, y).child

    def move_x_window(self, x, y, to_x, to_y):
        """Moves the X window under (x, y) so that its corner lands at (to_x, to_y),
        as a window manager does when the user drags a title bar."""
        w = self.x_window_at(x, y)
        w.configure(x=to_x, y=to_y)
        self.x.sync()

    def send_close(self, x, y):
        """WM_DELETE_WINDOW to the X window under (x, y): a window manager's close box."""
        w = self.x_window_at(x, y)
        protocols = self.x.intern_atom("WM_PROTOCOLS")
        delete = self.x.intern_atom("WM_DELETE_WINDOW")
        ev = xevent.ClientMessage(window=w, client_type=protocols, data=(32, [delete, X.CurrentTime, 0, 0, 0]))
        w.send_event(ev, event_mask=X.NoEventMask)
        self.x.sync()

    def drop_files(self, unix_paths, x, y, timeout=TIMEOUT):
        """Drags files from an X client onto the window at (x, y) and drops them
        (the XDND protocol, offering text/uri-list). Returns whether the target
        accepted and finished the drop."""
        d = self.x
        atom = d.intern_atom
        uri_list = atom("text/uri-list")
        source = self.root.create_window(-10, -10, 1, 1, 0, X.CopyFromParent, override_redirect=True)
        try:
            source.set_selection_owner(atom("XdndSelection"), X.CurrentTime)
            payload = "".join("file://" + quote(p, safe="/") + "\r\n" for p in unix_paths).encode()
            target = self.x_window_at(x, y)
            aware = target.get_full_property(atom("XdndAware"), X.AnyPropertyType)
            if not aware:
                raise AssertionError(f"X window {target.id:#x} at {x},{y} takes no drops")
            version = min(5, aware.value[0])

            def send(kind, data):
                target.send_event(xevent.ClientMessage(window=target, client_type=atom(kind), data=(32, data)),
                                  event_mask=X.NoEventMask)
                d.flush()

            send("XdndEnter", [source.id, version << 24, uri_list, 0, 0])
            send("XdndPosition", [source.id, 0, (x << 16) | y, X.CurrentTime, atom("XdndActionCopy")])
            accepted = dropped = finished = False
            end = time.monotonic() + timeout
            while not finished and time.monotonic() < end:
                if not d.pending_events():
                    select.select([d], [], [], 0.05)
                    continue
                e = d.next_event()
                if e.type == X.SelectionRequest:
                    # The target reads the dragged data as soon as the drag enters.
                    prop = e.property if e.property != X.NONE else e.target
                    if e.target == uri_list:
                        e.requestor.change_property(prop, uri_list, 8, payload)
                    else:
                        prop = X.NONE
                    e.requestor.send_event(
                        xevent.SelectionNotify(time=e.time, requestor=e.requestor, selection=e.selection,
                                               target=e.target, property=prop),
                        event_mask=X.NoEventMask)
                    d.flush()
                elif e.type == X.ClientMessage and e.client_type == atom("XdndStatus") and not dropped:
                    accepted = bool(e.data[1][1] & 1)
                    if not accepted:
                        send("XdndLeave", [source.id, 0, 0, 0, 0])
                        return False
                    send("XdndDrop", [source.id, 0, X.CurrentTime, 0, 0])
                    dropped = True
                elif e.type == X.ClientMessage and e.client_type == atom("XdndFinished"):
                    finished = True
            return accepted and finished
        finally:
            source.destroy()
            d.sync()


class Session:
    """One run of Tovanel.exe, from its start to its end."""

    def __init__(self, desktop, args=()):
        self.d = desktop
        before = self.d.probe("dump")
        self.others = {w["pid"] for w in before["windows"]}
        self.process = self.d.wine(self.d.exe, *args)
        try:
            self.pid = wait_for("Tovanel's main window", self._started, timeout=60).main.pid
        except BaseException:
            self.kill()
            raise

    def _started(self):
        data = self.d.probe("dump")
        for w in data["windows"]:
            if w["pid"] not in self.others and w["title"] == MAIN_TITLE and w["visible"]:
                return Snapshot(data, w["pid"])
        if self.process.poll() is not None:
            raise AssertionError(f"Tovanel ended at start with exit code {self.process.returncode}")
        return None

    def snap(self):
        s = Snapshot(self.d.probe("dump"), self.pid)
        if s.message_boxes:
            texts = [c["text"] for w in s.message_boxes for c in w.controls if c["text"]]
            raise AssertionError(f"Tovanel shows a message box: {texts}")
        return s

    def until(self, what, cond, timeout=TIMEOUT):
        """The first snapshot for which cond(snapshot) holds."""
        def attempt():
            s = self.snap()
            if s.main is None:
                raise LookupError("no main window")
            return s if cond(s) else None
        return wait_for(what, attempt, timeout)

    def until_sent(self, what, text):
        """Waits for Tovanel's text on the clipboard, owned by one of its windows:
        Windows refuses data from a clipboard opened without a window, Wine takes it."""
        clip = wait_for(what, lambda: (c := self.d.probe("clip"))["text"] == text and c)
        if clip["owner"] != self.pid:
            raise AssertionError(f"{what}: the clipboard's owner is process {clip['owner']}, not Tovanel")

    def running(self):
        return self.process.poll() is None

    def wait_exit(self, timeout=TIMEOUT):
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise AssertionError("Tovanel did not end") from None

    def kill(self):
        # Only this process: other tests share the Wine server.
        if self.running():
            self.process.kill()
            self.process.wait()

    # -- a user's actions --

    def free_point(self, snap=None):
        """A point of the main window that shows nothing to click (its status
        bar, else the toolbar's empty end) and that the list window leaves uncovered."""
        snap = snap or self.snap()
        m = snap.main
        covered = snap.list.rect if snap.list and snap.list.visible else [0, 0, 0, 0]
        bar = m.control(cls="msctls_statusbar32")["rect"]
        tools = m.control(cls="ToolbarWindow32")["rect"]
        last_button = max(b["rect"][2] for b in m.control(cls="ToolbarWindow32")["buttons"])
        rows = [(bar[0] + 5, bar[2] - 5, (bar[1] + bar[3]) // 2),
                (last_button + 5, tools[2] - 5, (tools[1] + tools[3]) // 2)]
        for x0, x1, y in rows:
            for x in range(x0, x1, 10):
                if not (covered[0] <= x < covered[2] and covered[1] <= y < covered[3]):
                    return x, y
        raise AssertionError("the list window covers every free point of the main window")

    def _pointer_to_active_window(self):
        """Keys from the X server reach the window under the pointer: the
        pointer rests on the active window, as a user's does."""
        snap = self.snap()
        if snap.list and snap.list.visible and snap.foreground == snap.list.hwnd:
            r = snap.list.rect
            area, point = r, ((r[0] + r[2]) // 2, (snap.list.client[1] + r[3]) // 2)
        elif snap.foreground == snap.main.hwnd:
            area, point = snap.main.client, None
        else:
            raise AssertionError(f"no window of Tovanel is active (foreground {snap.foreground})")
        p = self.d.root.query_pointer()
        inside = area[0] <= p.root_x < area[2] and area[1] <= p.root_y < area[3]
        if inside and point is None and snap.list and snap.list.visible:
            r = snap.list.rect
            inside = not (r[0] <= p.root_x < r[2] and r[1] <= p.root_y < r[3])
        if not inside:
            self.d.xdotool("mousemove", *(point or self.free_point(snap)))

    def key(self, *keys):
        self._pointer_to_active_window()
        self.d.key(*keys)

    def type(self, text):
        self._pointer_to_active_window()
        self.d.type(text)

    def activate_main(self):
        """Clicks a free point of the main window, which gives it the keyboard."""
        self.d.click(*self.free_point())
        return self.until("the main window to be active", lambda s: s.foreground == s.main.hwnd)

    def activate_list(self):
        """Clicks the list window's caption."""
        s = self.snap()
        r, c = s.list.rect, s.list.client
        self.d.click(r[0] + 30, (r[1] + c[1]) // 2)
        return self.until("the list window to be active", lambda s: s.foreground == s.list.hwnd)

    def click_control(self, control, dx=None, dy=None):
        r = control["rect"]
        self.d.click(r[0] + (dx if dx is not None else (r[2] - r[0]) // 2),
                     r[1] + (dy if dy is not None else (r[3] - r[1]) // 2))

    def replace_char_text(self, text):
        """Puts `text` into the conversion box as a user would: select what is
        there and paste over it."""
        self.d.set_clipboard(text)
        s = self.snap()
        self.click_control(s.main.edit_char)
        self.key("End", "shift+Home", "ctrl+v")
        return self.until("the conversion box to hold the pasted text",
                          lambda s: s.main.edit_char["text"] == text[:256])


# ---- The tests ----

class TovanelTest(unittest.TestCase):
    desktop = None

    def setUp(self):
        self.d = TovanelTest.desktop
        # Every test begins as a first run: nothing in the data folder's place.
        orvendel = os.path.dirname(self.d.data_folder)
        if os.path.isdir(orvendel) and not os.path.islink(orvendel):
            shutil.rmtree(orvendel)
        elif os.path.lexists(orvendel):
            os.remove(orvendel)
        self.files = os.path.join(self.d.prefix, "drive_c", "tovanel-e2e", self.id().split(".")[-1])
        shutil.rmtree(self.files, ignore_errors=True)
        os.makedirs(os.path.join(self.files, "Some Folder"))
        self.sessions = []

    def tearDown(self):
        for s in self.sessions:
            s.kill()
        shutil.rmtree(self.files, ignore_errors=True)

    def start(self, *args):
        s = Session(self.d, args)
        self.sessions.append(s)
        return s

    def make_file(self, relative):
        path = os.path.join(self.files, *relative.split("/"))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w") as f:
            f.write("e2e\n")
        return path

    def win(self, unix_path):
        return self.d.windows_path(unix_path)

    def close_main_by_alt_x(self, s):
        s.key("alt+x")
        self.assertEqual(s.wait_exit(), 0, "exit code after 終了(&X)")

    def close_main_by_close_box(self, s):
        self.d.send_close(*s.free_point())
        self.assertEqual(s.wait_exit(), 0, "exit code after the close box")

    def assert_enabled(self, named_controls, enabled, when):
        wrong = [name for name, c in named_controls if c["enabled"] != enabled]
        self.assertFalse(wrong, f"{when}: these should be {'enabled' if enabled else 'disabled'}: {wrong}")


class FirstRun(TovanelTest):
    def test_first_start_and_alt_x_write_the_default_settings(self):
        self.assertFalse(os.path.exists(self.d.data_folder))
        s = self.start()
        snap = s.snap()
        m, lst = snap.main, snap.list

        self.assertTrue(os.path.isdir(self.d.data_folder), "the data folder is made at start")
        self.assertFalse(os.path.exists(self.d.settings_file), "nothing is written before closing")

        # The main window: default place, fixed size, no maximise box.
        self.assertEqual(m.left_top, (100, 100))
        self.assertEqual(m.client_size, (624, 361))
        self.assertTrue(m.style & WS_MINIMIZEBOX and m.style & WS_SYSMENU)
        self.assertFalse(m.style & (WS_MAXIMIZEBOX | WS_THICKFRAME))
        self.assertEqual(snap.foreground, m.hwnd)

        # The list window: made, hidden, owned by the main window, a tool window.
        self.assertIsNotNone(lst, "the list window exists from the start")
        self.assertFalse(lst.visible)
        self.assertEqual(lst.owner, m.hwnd)
        self.assertTrue(lst.exstyle & WS_EX_TOOLWINDOW)
        self.assertTrue(lst.style & WS_THICKFRAME)
        self.assertEqual(lst.rect, [708, 400, 1008, 700])
        self.assertEqual(lst.entries, [])
        self.assertFalse(lst.list_box["enabled"])
        for t in ("クリップボードに送る(&C)", "ファイル名に入力(&F)", "文字種変換に入力(&J)"):
            self.assertFalse(lst.toolbar_button(t)["enabled"], t)

        # The prompt, readable from outside as a screen reader reads it.
        self.assertEqual(m.status_text, PROMPT)

        # What a screen reader is told of each control it can reach, asked
        # through the platform's accessibility from here: the name-form items
        # and the buttons by their captions. The boxes and the list give
        # their names (the frame or window they stand in) through the
        # platform's annotation service, which Wine does not have (it names
        # every object by its window text): here they must respond at all,
        # and being asked must leave Tovanel as it was.
        acc = self.d.probe("acc")
        mine = [w for w in acc["windows"] if w["title"] in (MAIN_TITLE, LIST_TITLE)]
        names = {c["text"]: c["acc"] for w in mine for c in w["controls"]}
        for caption in FORM_ITEMS + CHAR_GROUP_BUTTONS + FILE_GROUP_BUTTONS:
            self.assertEqual(names.get(caption, {}).get("name"), caption.replace("&", ""), caption)
        boxes = [c for w in mine for c in w["controls"] if c["class"].upper().endswith(("EDIT", "LISTBOX"))]
        self.assertEqual(len(boxes), 3)
        for c in boxes:
            self.assertNotIn("error", c["acc"], c["class"])
        m = s.snap().main

        # Nothing chosen yet: both groups disabled, both boxes empty.
        self.assertEqual(m.checked_form, -1)
        self.assertEqual(m.edit_file["text"], "")
        self.assertEqual(m.edit_char["text"], "")
        self.assertTrue(m.edit_file["readonly"])
        self.assert_enabled(m.file_group_controls(), False, "at start")
        self.assert_enabled(m.char_group_controls(), False, "at start")
        self.assertTrue(m.edit_char["enabled"])
        self.assertTrue(m.toolbar_button("リストを表示(&L)")["enabled"])
        self.assertTrue(m.toolbar_button("終了(&X)")["enabled"])

        # One typed character enables the conversion group; deleting it disables it again.
        s.click_control(m.edit_char)
        s.type("x")
        snap = s.until("typing to enable the conversion buttons",
                       lambda s: s.main.edit_char["text"] == "x")
        self.assert_enabled(snap.main.char_group_controls(), True, "after typing one character")
        s.key("BackSpace")
        snap = s.until("the conversion box to empty", lambda s: s.main.edit_char["text"] == "")
        self.assert_enabled(snap.main.char_group_controls(), False, "after deleting it")
        self.assert_enabled(snap.main.file_group_controls(), False, "after deleting it")

        self.close_main_by_alt_x(s)
        with open(self.d.settings_file, "rb") as f:
            self.assertEqual(f.read().decode("ascii"), FIRST_RUN_SETTINGS.decode("ascii"))


class Conversion(TovanelTest):
    def test_conversion_buttons_and_clipboard(self):
        s = self.start()
        m = s.snap().main
        # Resting the mouse on the conversion box brings up its hint.
        r = m.edit_char["rect"]
        self.d.xdotool("mousemove", (r[0] + r[2]) // 2, (r[1] + r[3]) // 2)
        tip = s.until("the conversion box's hint", lambda s: s.tool_tips).tool_tips[0]
        self.assertGreater(tip.rect[2] - tip.rect[0], 0)
        s.click_control(m.edit_char)
        s.type("Tovanel Text")
        s.until("the typed text", lambda s: s.main.edit_char["text"] == "Tovanel Text")

        # Accelerators and clicks press the same buttons.
        s.key("alt+b")
        s.until("upper case by Alt+B", lambda s: s.main.edit_char["text"] == "TOVANEL TEXT")
        s.click_control(m.control(text="大文字→小文字(&A)"))
        s.until("lower case by a click", lambda s: s.main.edit_char["text"] == "tovanel text")
        s.key("alt+z")
        s.until_sent("the conversion text on the clipboard", "tovanel text")

        # Kana and widths, on text pasted in from the clipboard.
        s.replace_char_text("ひらがな abc")
        steps = [
            ("alt+e", "ヒラガナ abc"),
            ("alt+c", "ﾋﾗｶﾞﾅ abc"),
            ("alt+d", "ヒラガナ\u3000ａｂｃ"),
            ("alt+f", "ひらがな\u3000ａｂｃ"),
            ("alt+b", "ひらがな\u3000ＡＢＣ"),
        ]
        for keys, expected in steps:
            s.key(keys)
            s.until(f"{keys} to give {expected!r}", lambda s: s.main.edit_char["text"] == expected)
        s.click_control(m.control(text="クリップボードに送る(&Z)"))
        s.until_sent("the converted text on the clipboard", "ひらがな\u3000ＡＢＣ")

        self.close_main_by_close_box(s)
        self.assertEqual(read_settings(self.d.settings_file)["Select"], {"Item": "0"})


class FileForms(TovanelTest):
    def test_command_line_file_in_each_name_form(self):
        path = self.make_file("Some Folder/Long File Name.txt")
        long_form = self.win(path)
        # Given in other letter case, it is shown as the file system stores it.
        given = long_form[:3] + long_form[3:].lower()
        s = self.start(given)
        snap = s.until("the file from the command line",
                       lambda s: s.main.edit_file["text"] != "")
        m = snap.main
        self.assertEqual(m.edit_file["text"].lower(), long_form.lower())
        self.assertEqual(m.edit_file["text"][3:], long_form[3:], "stored letter case")
        shown = m.edit_file["text"]
        self.assertEqual(m.checked_form, 0)
        self.assert_enabled(m.file_group_controls(), True, "with a file")
        self.assertEqual(snap.list.entries, [shown])
        self.assertEqual(snap.list.selected, 0)
        self.assertFalse(snap.list.visible, "the list window stays hidden")
        # The chosen form's item has the keyboard focus.
        s.until("the chosen form to take the focus", lambda s: s.main.focus == s.main.radio_items[0]["hwnd"])

        folder = shown.rsplit("\\", 1)[0]
        forms = {}
        for i in (4, 6, 2, 1, 3, 5, 7, 0):
            s.key(f"alt+{i}")
            snap = s.until(f"form {i} by Alt+{i}", lambda s: s.main.checked_form == i)
            forms[i] = snap.main.edit_file["text"]
        self.assertEqual(forms[0], shown)
        self.assertEqual(forms[2], folder)
        self.assertEqual(forms[4], "Long File Name.txt")
        self.assertEqual(forms[6], "Long File Name")
        # Short forms: the platform's, cut by the same rules.
        short = forms[1]
        self.assertEqual(short, self.d.short_path(shown))
        self.assertEqual(forms[3], short.rsplit("\\", 1)[0])
        self.assertEqual(forms[5], short.rsplit("\\", 1)[1])
        self.assertEqual(forms[7], forms[5].rsplit(".", 1)[0])

        # A click on an item chooses it too.
        s.click_control(m.radio_items[4], dx=20)
        snap = s.until("form 4 by a click", lambda s: s.main.checked_form == 4)
        self.assertEqual(snap.main.edit_file["text"], "Long File Name.txt")

        s.key("alt+q")
        s.until_sent("the file text on the clipboard", "Long File Name.txt")
        s.click_control(m.control(text="文字種変換に入力(&G)"))
        snap = s.until("the file text in the conversion box",
                       lambda s: s.main.edit_char["text"] == "Long File Name.txt")
        self.assert_enabled(snap.main.char_group_controls(), True, "after 文字種変換に入力")

        s.key("alt+s")
        snap = s.until("the list window with the file text",
                       lambda s: s.list.visible and s.list.entries[:1] == ["Long File Name.txt"])
        self.assertEqual(snap.list.entries, ["Long File Name.txt", shown])
        self.assertEqual(snap.list.selected, 0)
        self.assertEqual(snap.foreground, snap.list.hwnd)

        s.activate_main()
        self.close_main_by_alt_x(s)
        settings = read_settings(self.d.settings_file)
        self.assertEqual(settings["Select"], {"Item": "4"})
        self.assertEqual(list(settings), ["Main", "Select", "List"])


    def test_path_longer_than_the_box_limit(self):
        # The box's limit binds typing only: a long path is shown, copied and listed whole.
        folders = "/".join(f"Folder Number {i:02d} With A Long Name" for i in range(8))
        path = self.make_file(folders + "/File.txt")
        long_form = self.win(path)
        self.assertGreater(len(long_form), 300)
        s = self.start(long_form)
        snap = s.until("the long path", lambda s: s.main.edit_file["text"] == long_form)
        self.assertEqual(snap.list.entries, [long_form])
        s.key("alt+g")
        s.until("the long path in the conversion box", lambda s: s.main.edit_char["text"] == long_form)
        s.key("alt+q")
        s.until_sent("the long path on the clipboard", long_form)
        s.key("alt+t")
        snap = s.until("the long path listed again", lambda s: s.list.visible and len(s.list.entries) == 2)
        self.assertEqual(snap.list.entries, [long_form, long_form])
        s.activate_main()
        self.close_main_by_alt_x(s)


class Drops(TovanelTest):
    def test_files_dropped_from_outside(self):
        a = self.make_file("Some Folder/Alpha File.txt")
        b = self.make_file("b.txt")
        c = self.make_file("Some Folder/Gamma.data.txt")
        s = self.start()
        m = s.snap().main
        x, y = (m.client[0] + m.client[2]) // 2, (m.client[1] + m.client[3]) // 2
        self.assertTrue(self.d.drop_files([a, b, c], x, y), "the main window takes the drop")
        snap = s.until("the dropped file", lambda s: s.main.edit_file["text"] == self.win(a))
        self.assertEqual(snap.main.status_text, self.win(a))
        self.assertEqual(snap.main.checked_form, 0)
        self.assertEqual(snap.list.entries, [self.win(c), self.win(b), self.win(a)])
        self.assertEqual(snap.list.selected, 0)
        self.assertFalse(snap.list.visible)
        self.assert_enabled(snap.main.file_group_controls(), True, "after a drop")
        s.until("the chosen form to take the focus", lambda s: s.main.focus == s.main.radio_items[0]["hwnd"])

        # The root of a drive has no file name: the file group goes off, and
        # the next file brings it back in the same form.
        s.key("alt+4")
        s.until("form 4", lambda s: s.main.edit_file["text"] == "Alpha File.txt")
        root = os.path.join(self.d.prefix, "drive_c")
        self.assertTrue(self.d.drop_files([root + "/"], x, y))
        snap = s.until("the root's empty name", lambda s: s.main.edit_file["text"] == "")
        self.assertEqual(snap.list.entries[0], "C:\\")
        self.assert_enabled(snap.main.file_group_controls(), False, "with a drive's root")
        self.assertEqual(snap.main.checked_form, 4)
        self.assertTrue(self.d.drop_files([b], x, y))
        snap = s.until("b.txt", lambda s: s.main.edit_file["text"] == "b.txt")
        self.assert_enabled(snap.main.file_group_controls(), True, "after b.txt")
        self.assertEqual(snap.main.checked_form, 4)
        # Only the Alt+4 queued with the new file gives the item the focus back.
        s.until("item 4 to take the focus again", lambda s: s.main.focus == s.main.radio_items[4]["hwnd"])

        # A drop on the list window: the first file to the main window, all
        # to the list, and the main window active at the end.
        s.key("alt+l")
        snap = s.until("the list window", lambda s: s.list.visible and s.foreground == s.list.hwnd)
        lst = snap.list
        lx, ly = (lst.client[0] + lst.client[2]) // 2, (lst.client[1] + lst.client[3]) // 2
        self.assertTrue(self.d.drop_files([c, a], lx, ly), "the list window takes the drop")
        snap = s.until("the drop on the list", lambda s: s.main.edit_file["text"] == "Gamma.data.txt")
        self.assertEqual(snap.list.entries[:2], [self.win(a), self.win(c)])
        self.assertEqual(len(snap.list.entries), 7)
        self.assertTrue(snap.list.visible)
        s.until("the main window active", lambda s: s.foreground == s.main.hwnd)

        s.activate_main()
        self.close_main_by_alt_x(s)
        self.assertEqual(read_settings(self.d.settings_file)["Select"], {"Item": "4"})


class ListWindow(TovanelTest):
    def test_list_window_buttons_keys_and_close_box(self):
        f = self.make_file("Some Folder/Listed File.txt")
        s = self.start(self.win(f))
        s.until("the file", lambda s: s.main.edit_file["text"] == self.win(f))
        s.activate_main()
        s.replace_char_text("not a path")
        s.key("alt+t")
        snap = s.until("the list window with the text",
                       lambda s: s.list.visible and s.list.entries == ["not a path", self.win(f)])
        lst = snap.list
        self.assertEqual(snap.foreground, lst.hwnd)
        self.assertEqual(lst.selected, 0)
        self.assertTrue(lst.list_box["enabled"])
        self.assertTrue(lst.toolbar_button("クリップボードに送る(&C)")["enabled"])
        self.assertTrue(lst.toolbar_button("文字種変換に入力(&J)")["enabled"])
        self.assertFalse(lst.toolbar_button("ファイル名に入力(&F)")["enabled"], "the text names nothing on disk")

        # A click on the file's entry selects it; the file button follows.
        self.d.click(*lst.entry_point(1))
        snap = s.until("the file's entry selected", lambda s: s.list.selected == 1)
        self.assertTrue(snap.list.toolbar_button("ファイル名に入力(&F)")["enabled"])
        s.key("alt+c")
        s.until_sent("the entry on the clipboard", self.win(f))

        # Keys: Up moves the selection, Enter sends it.
        s.key("Up")
        snap = s.until("Up to select the text", lambda s: s.list.selected == 0)
        self.assertFalse(snap.list.toolbar_button("ファイル名に入力(&F)")["enabled"])
        s.key("Return")
        s.until_sent("Enter to send the text", "not a path")

        # A double click sends the entry under the pointer.
        self.d.click(*s.snap().list.entry_point(1), repeat=2)
        s.until_sent("a double click to send the entry", self.win(f))

        # The entry to the main window's file box, by Alt+F.
        s.activate_main()
        s.key("alt+4")
        s.until("form 4", lambda s: s.main.checked_form == 4)
        s.activate_list()
        s.key("alt+f")
        snap = s.until("the entry as the current file",
                       lambda s: s.main.edit_file["text"] == "Listed File.txt" and s.foreground == s.main.hwnd)

        # The other entry to the conversion box, by a click on its button.
        s.activate_list()
        self.d.click(*snap.list.entry_point(0))
        s.until("the text selected", lambda s: s.list.selected == 0)
        button = s.snap().list.toolbar_button("文字種変換に入力(&J)")
        s.click_control(button)
        s.until("the entry in the conversion box",
                lambda s: s.main.edit_char["text"] == "not a path" and s.foreground == s.main.hwnd)

        # The close box hides the window and writes its place; it comes back as it was.
        snap = s.snap()
        lst = snap.list
        self.assertTrue(lst.closebox, "the list window shows a close box")
        self.d.click(*lst.closebox)
        snap = s.until("the list window hidden", lambda s: not s.list.visible)
        self.assertEqual(read_settings(self.d.settings_file),
                         {"List": {"Top": str(lst.rect[1]), "Left": str(lst.rect[0]),
                                   "Height": str(lst.outer_size[1]), "Width": str(lst.outer_size[0])}})
        s.activate_main()
        s.click_control(snap.main.toolbar_button("リストを表示(&L)"))
        snap = s.until("the list window again", lambda s: s.list.visible)
        self.assertEqual(snap.list.entries, ["not a path", self.win(f)])
        self.assertEqual(snap.list.selected, 0)
        self.assertEqual(snap.list.rect, lst.rect)

        s.activate_main()
        self.close_main_by_alt_x(s)
        settings = read_settings(self.d.settings_file)
        self.assertEqual(list(settings), ["List", "Main", "Select"])


class Restore(TovanelTest):
    def test_second_run_starts_where_the_first_left_off(self):
        f = self.make_file("Some Folder/First Run.txt")
        g = self.make_file("Second Run.txt")

        # First run: choose form 6, move the main window, move and size the list window.
        s = self.start(self.win(f))
        s.until("the file", lambda s: s.main.edit_file["text"] == self.win(f))
        s.key("alt+6")
        s.until("form 6", lambda s: s.main.edit_file["text"] == "First Run")
        m = s.snap().main
        dx, dy = m.client[0] - m.rect[0], m.client[1] - m.rect[1]
        self.d.move_x_window(m.client[0] + 5, m.client[1] + 5, 160 + dx, 130 + dy)
        s.until("the main window moved", lambda s: s.main.left_top == (160, 130))
        s.key("alt+l")
        lst = s.until("the list window", lambda s: s.list.visible).list
        # Dragged by its caption, then sized by its lower right corner.
        cap_y = (lst.rect[1] + lst.client[1]) // 2
        self.d.drag(lst.rect[0] + 40, cap_y, lst.rect[0] + 40 - 300, cap_y - 150)
        lst = s.until("the list window moved", lambda s: s.list.left_top == (408, 250)).list
        self.d.drag(lst.rect[2] - 2, lst.rect[3] - 2, lst.rect[2] - 2 + 60, lst.rect[3] - 2 + 40)
        lst = s.until("the list window sized", lambda s: s.list.outer_size == (360, 340)).list
        s.activate_main()
        self.close_main_by_alt_x(s)
        expected = {
            "Main": {"Top": "130", "Left": "160"},
            "Select": {"Item": "6"},
            "List": {"Top": "250", "Left": "408", "Height": "340", "Width": "360"},
        }
        self.assertEqual(read_settings(self.d.settings_file), expected)

        # Second run: the places, the size and the form come back.
        s = self.start(self.win(g))
        snap = s.until("the second file", lambda s: s.main.edit_file["text"] == "Second Run")
        self.assertEqual(snap.main.checked_form, 6)
        # The stored form's item has the keyboard focus.
        s.until("item 6 to take the focus", lambda s: s.main.focus == s.main.radio_items[6]["hwnd"])
        self.assertEqual(snap.main.left_top, (160, 130))
        self.assertEqual(snap.list.rect, [408, 250, 768, 590])
        s.key("alt+l")
        snap = s.until("the list window", lambda s: s.list.visible)
        self.assertEqual(snap.list.rect, [408, 250, 768, 590])
        self.assertEqual(snap.list.entries, [self.win(g)])
        s.activate_main()
        self.close_main_by_close_box(s)
        self.assertEqual(read_settings(self.d.settings_file), expected)

        # A run without a file stores form 0 again; closed by a click on 終了.
        s = self.start()
        snap = s.snap()
        self.assertEqual(snap.main.checked_form, -1)
        self.assertEqual(snap.main.left_top, (160, 130))
        s.click_control(snap.main.toolbar_button("終了(&X)"))
        self.assertEqual(s.wait_exit(), 0, "exit code after a click on 終了(&X)")
        expected["Select"] = {"Item": "0"}
        self.assertEqual(read_settings(self.d.settings_file), expected)


    def test_settings_written_by_hand(self):
        # Names in another letter case are found, hexadecimal is read, a
        # value that is no number gives the default, a form beyond 7 means 7.
        os.makedirs(self.d.data_folder)
        with open(self.d.settings_file, "wb") as f:
            f.write(b"[main]\r\ntop=0x20\r\nLEFT=abc\r\n[SELECT]\r\nitem=12\r\n")
        path = self.make_file("Some Folder/Hand Made.txt")
        s = self.start(self.win(path))
        snap = s.until("the file", lambda s: s.main.edit_file["text"] != "")
        self.assertEqual(snap.main.left_top, (100, 32))
        self.assertEqual(snap.main.checked_form, 7)
        bare_short = snap.main.edit_file["text"]
        self.assertTrue(0 < len(bare_short) <= 8 and " " not in bare_short and "." not in bare_short,
                        f"not the short bare name: {bare_short!r}")
        self.close_main_by_alt_x(s)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--probe", required=True)
    parser.add_argument("--env", required=True)
    parser.add_argument("tests", nargs="*")
    args = parser.parse_args()

    if X is None:
        print("python3-xlib is missing (Debian's python3-xlib, for /usr/bin/python3)")
        return SKIP
    if not os.environ.get("DISPLAY") or shutil.which("xdotool") is None:
        print("needs an X display (run under xvfb-run) and xdotool")
        return SKIP
    desktop = Desktop(*(os.path.abspath(p) for p in (args.exe, args.probe, args.env)))
    if desktop.root.get_full_property(desktop.x.intern_atom("_NET_SUPPORTING_WM_CHECK"), X.AnyPropertyType):
        print("a window manager runs on this display: these tests need a bare X server such as Xvfb")
        return SKIP
    # Both windows' default places must lie on the screen.
    screen = desktop.x.screen()
    if screen.width_in_pixels < 1024 or screen.height_in_pixels < 768:
        print(f"the screen is {screen.width_in_pixels}x{screen.height_in_pixels}; these tests need 1024x768"
              ' (xvfb-run -s "-screen 0 1024x768x24")')
        return SKIP
    TovanelTest.desktop = desktop

    loader = unittest.TestLoader()
    module = sys.modules[__name__]
    suite = loader.loadTestsFromNames(args.tests, module) if args.tests else loader.loadTestsFromModule(module)
    result = unittest.TextTestRunner(verbosity=2, stream=sys.stdout).run(suite)
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
