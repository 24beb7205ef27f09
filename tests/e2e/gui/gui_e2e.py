#!/usr/bin/env python3
"""The program as a person uses it, end to end.

The real program runs on its own X server (Xvfb) and is driven with xdotool:
clicks at the controls' positions (the control panel's template in dialog
units, two pixels each, below the 20-pixel menu bar) and typed keys. The
receiver simulator is the receiver, on a virtual port registered in a private
runtime folder, and writes every byte it puts on the line to a tee file.

Steps: the port list shows the simulator; Start GPS opens it and lines appear
in the console; the title shows the time to first fix; recording writes a
file whose lines are, byte for byte, what the simulator sent; Get Version's
reply is recorded and fills Core Version; Cold Start resets the title and
measures again; a sample replays through the file dialog into a record equal
to the sample; Close GPS; the About box; Ctrl+Q ends the program with 0.

A screenshot of each step goes to the output folder.
"""

import argparse
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIP = 77

# Control panel controls in dialog units (x, y, w, h), as in the template.
DU = {
    "start": (68, 31, 59, 13),
    "cold_start": (7, 46, 55, 13),
    "get_version": (68, 46, 59, 13),
    "core_version": (180, 17, 90, 14),
    "log_file": (181, 61, 36, 10),
    "log_name": (217, 59, 47, 13),
}
MENU_BAR = 20
# Moved in pixels by the panel when it starts: the port list and the console.
PORT_ARROW = (100 + 440 - 10, 11)
CONSOLE = (20, 150, 530, 140)
ABOUT_MENU = (95, 9)  # "About", the second item of the menu bar

TITLE_FIX = re.compile(r"^Trovix  (\d+) Sec$")


class Failure(Exception):
    pass


class Run:
    def __init__(self, args):
        self.args = args
        self.out = args.out
        self.tmp = tempfile.mkdtemp(prefix="starvane-e2e-gui-")
        self.procs = []
        self.env = None
        self.wid = None
        self.origin = (0, 0)
        self.shot_no = 0
        self.records = []

    # ------------------------------------------------------------ plumbing
    def log(self, text):
        print(f"[{time.strftime('%H:%M:%S')}] {text}", flush=True)

    def xdo(self, *argv, timeout=10):
        r = subprocess.run(["xdotool", *argv], env=self.env, capture_output=True, text=True,
                           timeout=timeout)
        return r.stdout.strip()

    def wait(self, what, test, timeout, step=0.1):
        end = time.monotonic() + timeout
        while True:
            value = test()
            if value:
                return value
            if time.monotonic() > end:
                raise Failure(f"timed out after {timeout} s waiting for {what}")
            time.sleep(step)

    def shot(self, name):
        self.shot_no += 1
        path = os.path.join(self.out, f"{self.shot_no:02d}-{name}.png")
        subprocess.run(["import", "-window", "root", path], env=self.env, check=True,
                       capture_output=True, timeout=20)
        return path

    def darkest(self, png, box):
        """Darkest grey level (0..1) inside box = (x, y, w, h) of the panel."""
        x, y, w, h = box
        px, py = self.panel_point(x, y)
        r = subprocess.run(["convert", png, "-crop", f"{w}x{h}+{px}+{py}", "+repage", "-colorspace",
                            "gray", "-format", "%[fx:minima]", "info:"],
                           capture_output=True, text=True, timeout=20)
        return float(r.stdout.strip() or 1)

    def panel_point(self, x, y):
        return self.origin[0] + x, self.origin[1] + MENU_BAR + y

    def click_px(self, x, y):
        px, py = self.panel_point(x, y)
        self.xdo("mousemove", "--sync", str(px), str(py))
        self.xdo("click", "1")

    def click(self, control):
        x, y, w, h = DU[control]
        self.click_px(2 * x + w, 2 * y + h)  # the centre, two pixels a unit

    def click_check_box(self, control):
        x, y, w, h = DU[control]
        self.click_px(2 * x + 8, 2 * y + h)  # on the box, left of the label

    def type_text(self, text):
        self.xdo("type", "--delay", "20", text, timeout=30)

    def title(self):
        return self.xdo("getwindowname", self.wid)

    def fix_title(self):
        m = TITLE_FIX.match(self.title())
        return m and int(m.group(1)) + 1  # +1: 0 Sec counts as found

    def other_window(self, name):
        """A shown window of the program other than the main window."""
        ids = self.xdo("search", "--onlyvisible", "--pid", str(self.prog.pid), "--name", name).split()
        ids = [i for i in ids if i != self.wid]
        return ids[0] if ids else None

    def alive(self, proc):
        return proc.poll() is None

    # ------------------------------------------------------------ set-up
    def start_x(self):
        r, w = os.pipe()
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(w), "-screen", "0", "1024x768x24",
                                 "-nolisten", "tcp", "-noreset"], pass_fds=[w], stderr=subprocess.DEVNULL)
        self.procs.append(xvfb)
        os.close(w)
        number = b""
        end = time.monotonic() + 15
        while not number.endswith(b"\n") and time.monotonic() < end:
            chunk = os.read(r, 16)
            if not chunk:
                break
            number += chunk
        os.close(r)
        if not number.strip():
            raise Failure("Xvfb did not start")
        env = dict(os.environ)
        env.pop("QT_QPA_PLATFORM", None)
        env.pop("WAYLAND_DISPLAY", None)
        env["DISPLAY"] = ":" + number.decode().strip()
        # Our own virtual ports and COM numbers, apart from any other run.
        env["XDG_RUNTIME_DIR"] = os.path.join(self.tmp, "run")
        env["XDG_CONFIG_HOME"] = os.path.join(self.tmp, "config")
        os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700)
        self.env = env
        self.log(f"X server on {env['DISPLAY']}")

    def start_sim(self):
        self.tee = os.path.join(self.tmp, "sim.tee")
        self.simlog = os.path.join(self.tmp, "sim.log")
        # A hot start fixes within seconds; after Cold Start it takes 5 s.
        # 4800 baud: the rate the baud list selects when the program starts.
        argv = [self.args.sim, "--style", "gps", "--baud", "4800", "--start", "hot", "--ttff", "5",
                "--seed", "11", "--name", "E2E receiver", "--tee", self.tee, "--log", self.simlog]
        self.simout = open(os.path.join(self.tmp, "sim.out"), "w+")
        self.sim = subprocess.Popen(argv, env=self.env, stdout=self.simout,
                                    stderr=subprocess.DEVNULL)
        self.procs.append(self.sim)
        ports = os.path.join(self.env["XDG_RUNTIME_DIR"], "starvane", "ports")
        self.wait("the simulator's virtual port",
                  lambda: os.path.isdir(ports) and os.listdir(ports), 10)
        self.log(f"simulator: {open(self.simout.name).read().strip()}")

    def start_program(self):
        self.prog = subprocess.Popen([self.args.program], env=self.env,
                                     stdout=open(os.path.join(self.out, "program.out"), "w"),
                                     stderr=subprocess.STDOUT)
        self.procs.append(self.prog)
        started = time.monotonic()

        def window():
            if not self.alive(self.prog):
                raise Failure(f"the program ended with {self.prog.returncode}")
            ids = self.xdo("search", "--onlyvisible", "--pid", str(self.prog.pid), "--name",
                           "^Starvane$").split()
            return ids[0] if ids else None

        self.wid = self.wait("the main window", window, 20)
        self.log(f"main window after {time.monotonic() - started:.2f} s")
        geo = dict(line.split("=") for line in
                   self.xdo("getwindowgeometry", "--shell", self.wid).splitlines())
        self.origin = (int(geo["X"]), int(geo["Y"]))
        time.sleep(0.3)  # the first paint

    def record_path(self, name):
        return os.path.join(os.path.dirname(os.path.abspath(self.args.program)), name + "_log.txt")

    # ------------------------------------------------------------ checks
    @staticmethod
    def record_bytes(path):
        """The record's body turned back into received bytes."""
        data = open(path, "rb").read()
        if data[:2] != b"\xff\xfe":
            raise Failure(f"{path} does not start with FF FE")
        body = data[2:]
        if len(body) % 2:
            raise Failure(f"{path} holds an odd number of bytes after the mark")
        out = bytearray()
        for i in range(0, len(body), 2):
            unit = body[i] | body[i + 1] << 8
            if 0x80 <= unit < 0xFF80:
                raise Failure(f"{path}: unit U+{unit:04X} is no widened byte")
            out.append(unit & 0xFF)
        return bytes(out)

    def record_text(self, path):
        try:
            return self.record_bytes(path)
        except (OSError, Failure):
            return b""

    # ------------------------------------------------------------ steps
    def select_port(self, typed):
        self.click_px(*PORT_ARROW)
        time.sleep(0.5)  # the list drops down
        self.type_text(typed)  # the list jumps to the first item starting so
        self.xdo("key", "Return")
        time.sleep(0.3)

    def set_log_name(self, name):
        x, y, w, h = DU["log_name"]
        self.click_px(2 * x + w, 2 * y + h)
        self.xdo("key", "End")
        self.xdo("key", "--repeat", "40", "BackSpace")
        self.type_text(name)

    def step_open_link(self):
        png = self.shot("started")
        self.select_port("E2E")
        self.shot("port-selected")
        self.click("start")
        self.wait("the time to first fix in the title", self.fix_title, 20)
        self.log(f"title: {self.title()!r}")
        png = self.wait("lines in the console",
                        lambda: (lambda p: self.darkest(p, CONSOLE) < 0.3 and p)(
                            self.shot("link-open")), 10, step=0.5)
        self.log(f"lines in the console ({os.path.basename(png)})")

    def step_record_and_version(self):
        name = f"e2e_gui_{os.getpid()}"
        path = self.record_path(name)
        self.records.append(path)
        self.set_log_name(name)
        self.click_check_box("log_file")
        self.wait("the record file to fill", lambda: self.record_text(path).count(b"\n") >= 5, 15)
        before = self.shot("recording")
        if self.darkest(before, DU_PX("core_version")) < 0.3:
            raise Failure("Core Version shows text before Get Version")
        self.click("get_version")
        self.wait("the $PMTK705 reply in the record",
                  lambda: b"$PMTK705," in self.record_text(path), 15)
        self.wait("Core Version to show the version",
                  lambda: self.darkest(self.shot("version"), DU_PX("core_version")) < 0.3, 5,
                  step=0.5)
        self.log("Get Version: reply recorded, Core Version filled")

        self.click("cold_start")
        self.wait("the title to read Trovix", lambda: self.title() == "Trovix", 5, step=0.05)
        self.shot("cold-start")
        seconds = self.wait("a new time to first fix", self.fix_title, 30) - 1
        self.log(f"after Cold Start: {self.title()!r}")
        if seconds < 3:
            raise Failure(f"the fix after a cold start took {seconds} s, expected about 5")
        if "cold restart" not in open(self.simlog).read():
            raise Failure("the simulator did not see the cold start command")
        # A few more lines, then stop recording.
        count = self.record_text(path).count(b"\n")
        self.wait("more recorded lines", lambda: self.record_text(path).count(b"\n") >= count + 8, 15)
        self.click_check_box("log_file")
        time.sleep(0.5)
        self.shot("recording-stopped")
        size = os.path.getsize(path)
        time.sleep(1.5)
        if os.path.getsize(path) != size:
            raise Failure("the record file still grows after Log File was unchecked")

        body = self.record_bytes(path)
        sent = open(self.tee, "rb").read()
        at = sent.find(body)
        if not body.endswith(b"\n") or at < 0 or (at > 0 and sent[at - 1:at] != b"\n"):
            shutil.copy(self.tee, os.path.join(self.out, "sim.tee"))
            raise Failure("the recorded lines are not the lines the simulator sent, byte for byte")
        if b"$PMTK705," not in body or b"$PMTK010,001" not in body:
            raise Failure("the record lacks the replies to Get Version and Cold Start")
        lines = body.count(b"\n")
        self.log(f"record: {lines} lines, {len(body)} bytes, equal to what was sent")

    def step_close(self):
        self.click("start")
        time.sleep(0.6)  # two pauses of 100 ms and the buttons relabelled
        self.shot("link-closed")
        size = os.path.getsize(self.tee)
        if not self.alive(self.sim):
            raise Failure("the simulator ended")
        return size

    def step_replay(self):
        sample = os.path.join(self.args.samples, "cold-start.pgl")
        expected = open(sample, "rb").read()
        expected = expected[: expected.rfind(b"\n") + 1]  # a last line without LF is never read
        name = f"e2e_replay_{os.getpid()}"
        path = self.record_path(name)
        self.records.append(path)
        self.set_log_name(name)
        self.click_check_box("log_file")
        self.wait("the new record file", lambda: os.path.exists(path), 5)
        self.select_port("Log")
        self.click("start")
        dialog = self.wait("the file dialog", lambda: self.other_window("WAVE Files"), 10)
        time.sleep(0.5)
        self.shot("file-dialog")
        # Into the dialog's "File name" field, just above "Files of type" at
        # its bottom.
        geo = dict(line.split("=") for line in
                   self.xdo("getwindowgeometry", "--shell", dialog).splitlines())
        x, y = int(geo["X"]) + int(geo["WIDTH"]) // 2, int(geo["Y"]) + int(geo["HEIGHT"]) - 54
        self.xdo("mousemove", "--sync", str(x), str(y))
        self.xdo("click", "1")
        self.type_text(os.path.abspath(sample))
        self.xdo("key", "Return")
        self.wait("the sample in the record", lambda: len(self.record_text(path)) >= len(expected),
                  20)
        # The whole sample plays within a second or two, below the 3 s from
        # which a time to first fix is shown: the title stays as opened.
        if self.title() != "Trovix":
            raise Failure(f"the title reads {self.title()!r} during the replay")
        self.shot("replayed")
        self.click_check_box("log_file")
        time.sleep(0.3)
        if self.record_bytes(path) != expected:
            raise Failure("the replay's record differs from the sample")
        lines = expected.count(b"\n")
        self.log(f"replay: {lines} lines recorded as in {os.path.basename(sample)}")
        self.step_close()

    def step_quit(self):
        # Clicks left the keyboard focus on a button; the About box gives it
        # back to the main window when it closes, where Ctrl+Q is translated.
        self.click_px(ABOUT_MENU[0], ABOUT_MENU[1] - MENU_BAR)
        self.wait("the About box", lambda: self.other_window("^Dialog$"), 10)
        time.sleep(0.3)
        self.shot("about")
        self.xdo("key", "Escape")
        self.wait("the About box to close", lambda: not self.other_window("^Dialog$"), 5)
        time.sleep(0.2)
        self.xdo("key", "ctrl+q")
        try:
            rc = self.prog.wait(timeout=10)
        except subprocess.TimeoutExpired:
            raise Failure("Ctrl+Q did not end the program")
        if rc != 0:
            raise Failure(f"the program exited with {rc}")
        self.shot("ended")
        self.log("Ctrl+Q: exit code 0")

    def run(self):
        os.makedirs(self.out, exist_ok=True)
        for old in os.listdir(self.out):
            if os.path.isfile(os.path.join(self.out, old)):
                os.remove(os.path.join(self.out, old))
        self.start_x()
        self.start_sim()
        self.start_program()
        self.step_open_link()
        self.step_record_and_version()
        self.step_close()
        self.step_replay()
        self.step_quit()

    def cleanup(self, failed):
        if failed:
            for f in ("sim.log", "sim.tee"):
                if os.path.exists(os.path.join(self.tmp, f)):
                    shutil.copy(os.path.join(self.tmp, f), os.path.join(self.out, f))
        for path in self.records:
            if os.path.exists(path):
                shutil.move(path, os.path.join(self.out, os.path.basename(path)))
        for proc in reversed(self.procs):
            if proc.poll() is None:
                proc.send_signal(signal.SIGTERM)
                try:
                    proc.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    proc.kill()
                    proc.wait()
        shutil.rmtree(self.tmp, ignore_errors=True)


def DU_PX(control):
    """A control's rectangle in panel pixels."""
    x, y, w, h = DU[control]
    return (2 * x + 2, 2 * y + 2, 2 * w - 4, 2 * h - 4)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--program", required=True)
    ap.add_argument("--sim", required=True)
    ap.add_argument("--samples", required=True)
    ap.add_argument("--out", required=True)
    args = ap.parse_args()
    for tool in ("Xvfb", "xdotool", "import", "convert"):
        if not shutil.which(tool):
            print(f"SKIP: {tool} is not installed")
            return SKIP
    run = Run(args)
    failed = True
    try:
        run.run()
        failed = False
    except Failure as e:
        print(f"FAIL: {e}", flush=True)
        try:
            run.shot("failure")
        except Exception:
            pass
        if os.path.exists(getattr(run, "simlog", "")):
            print("--- simulator log (last lines)")
            print("".join(open(run.simlog).readlines()[-15:]))
    finally:
        run.cleanup(failed)
    print(f"screenshots in {args.out}")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
