#!/usr/bin/env python3
"""End-to-end tests of the real cascade.scr under Wine.

Each case runs on a private Xvfb display that it starts and stops itself, in
the prefix that the wine_prefix fixture made (WINE_LOADER and WINEPREFIX come
from CTest). Input is real X input from xdotool; what Windows itself would
see is asked of the saver's windows by window_probe.exe.

    saver_e2e.py CASE --saver cascade.scr --probe window_probe.exe \
        --preview-host preview_host.exe --password-provider PASSWORD.CPL --work DIR
"""

import argparse
import os
import shutil
import subprocess
import sys
import time

SCREEN_WIDTH, SCREEN_HEIGHT = 640, 480
# How many times slower this Wine is than a native one: more than 1 where the
# 32-bit Wine runs under qemu-i386. Every allowance for Wine's time, and every
# wait for something that must not happen, is stretched by it.
SLOWDOWN = float(os.environ.get("CASCADE_WINE_SLOWDOWN", "1"))


def allow(seconds):
    return seconds * SLOWDOWN


# Wine takes a second or two to end a process after ExitProcess, more on a
# busy machine.
EXIT_GRACE = allow(5.0)
MINUS_ONE = 255  # an exit code of -1 as the Unix side sees it
WINE_OUTPUT = "wine-stderr.txt"  # every Wine process's stderr, in the work folder


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


class Session:
    """An Xvfb display plus the environment for Wine programs on it."""

    def __init__(self, work, xvfb_args=()):
        self.work = work
        self.xvfb_args = list(xvfb_args)
        self.loader = os.environ["WINE_LOADER"]
        self.wineserver = os.path.join(os.path.dirname(self.loader), "wineserver")
        self.env = dict(os.environ)
        # Quiet unless the caller asks for more (the emulated runs keep Wine's
        # errors, which tell a Wine that could not start from a saver fault).
        self.env.setdefault("WINEDEBUG", "-all")
        self.wine_output = os.path.join(work, WINE_OUTPUT)
        self.env["WINEDLLOVERRIDES"] = "winemenubuilder.exe=d;mscoree,mshtml="
        self.xvfb = None
        self.children = []

    def __enter__(self):
        open(self.wine_output, "w").close()
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
             f"{SCREEN_WIDTH}x{SCREEN_HEIGHT}x24", "-nolisten", "tcp", "-noreset", *self.xvfb_args],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            number = pipe.readline().strip()
        check(number.isdigit(), "Xvfb did not report a display")
        self.env["DISPLAY"] = ":" + number
        return self

    def __exit__(self, *exc):
        for child in self.children:
            if child.poll() is None:
                child.kill()
        subprocess.run([self.wineserver, "-k"], env=self.env,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for child in self.children:
            try:
                child.wait(timeout=10)
            except subprocess.TimeoutExpired:
                pass
        if self.xvfb:
            self.xvfb.terminate()
            self.xvfb.wait(timeout=10)
        return False

    def start(self, program, *args, extra_env=None, output=None):
        """Starts a program; its output goes to the file `output`, never to a
        pipe, which the Wine services it starts would keep open."""
        env = dict(self.env, **(extra_env or {}))
        sink = open(output, "w") if output else subprocess.DEVNULL
        with open(self.wine_output, "a") as errors:
            child = subprocess.Popen([self.loader, program, *args], env=env, cwd=self.work,
                                     stdout=sink, stderr=errors)
        if output:
            sink.close()
        self.children.append(child)
        return child

    def run(self, program, *args, timeout=allow(30)):
        output = os.path.join(self.work, "run-output.txt")
        child = self.start(program, *args, output=output)
        try:
            child.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            child.kill()
            raise Failure(f"{os.path.basename(program)} {' '.join(args)} did not end in {timeout} s")
        with open(output) as f:
            return child.returncode, f.read()

    def xdotool(self, *args):
        subprocess.run(["xdotool", *args], env=self.env, check=True)

    def screenshot(self, path):
        subprocess.run(["import", "-window", "root", path], env=self.env, check=True)
        return path


def parse_fields(text):
    fields = {}
    for word in text.split():
        if "=" in word:
            key, value = word.split("=", 1)
            fields[key] = value
    return fields


def bright_fraction(image, crop=None):
    """Share of the pixels brighter than half grey: the streaks, not the dark-blue fade."""
    command = ["convert", image]
    if crop:
        command += ["-crop", crop]
    command += ["-colorspace", "Gray", "-threshold", "50%", "-format", "%[fx:mean]", "info:"]
    return float(subprocess.run(command, capture_output=True, text=True, check=True).stdout)


def resident_kib(pid):
    """Resident memory of a process as the kernel counts it, or -1."""
    try:
        with open(f"/proc/{pid}/status") as f:
            for line in f:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return -1


def pictures_differ(first, second):
    result = subprocess.run(["compare", "-metric", "AE", first, second, "null:"],
                            capture_output=True, text=True)
    return float(result.stderr.split()[0]) > 0


def planted_dll_loads(marker):
    """What the planted DLL wrote about the processes that loaded it, or 'none'."""
    if not os.path.exists(marker):
        return "none"
    with open(marker, errors="replace") as f:
        return f.read().strip()


def wait_until(predicate, timeout, step=0.1):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if predicate():
            return True
        time.sleep(step)
    return predicate()


class Cases:
    def __init__(self, options):
        self.o = options

    # helpers

    def probe(self, session, what="saver"):
        status, out = session.run(self.o.probe, what)
        fields = parse_fields(out)
        fields["status"] = status
        return fields

    def start_saver(self, session, saver=None, extra_env=None):
        saver_process = session.start(saver or self.o.saver, "/s", extra_env=extra_env)

        def ready():
            # In the foreground only once its creation (and with it the
            # cursor's start point) is complete.
            info = self.probe(session)
            return info["status"] == 0 and info.get("foreground") == "1"

        found = wait_until(lambda: saver_process.poll() is not None or ready(), allow(30), step=0.3)
        check(found and saver_process.poll() is None,
              f"the saver window did not appear (exit {saver_process.poll()})")
        return saver_process

    def expect_exit(self, process, code, within, what):
        try:
            process.wait(timeout=within)
        except subprocess.TimeoutExpired:
            raise Failure(f"{what}: the saver still runs {within} s later")
        check(process.returncode == code, f"{what}: exit code {process.returncode}, expected {code}")

    def expect_running(self, session, process, seconds, what):
        time.sleep(allow(seconds))
        check(process.poll() is None, f"{what}: the saver ended (exit {process.returncode})")
        check(self.probe(session)["status"] == 0, f"{what}: the saver window is gone")

    def wait_for_streaks(self, session, shot):
        """Screenshots into `shot` from 2 s on until streaks show or the
        allowance ends (the first frames may be slow on a loaded machine);
        the last picture's share of bright pixels."""
        time.sleep(2.0)
        wait_until(lambda: bright_fraction(session.screenshot(shot)) > 0.01, allow(8.0), step=1.0)
        return bright_fraction(shot)

    def step_mouse(self, session, steps):
        for dx, dy in steps:
            session.xdotool("mousemove_relative", "--", str(dx), str(dy))
            time.sleep(0.15)

    # cases

    def saver_window(self, session):
        saver = self.start_saver(session)
        info = self.probe(session)
        print("probe:", info)
        check(info["topmost"] == "1", "the saver window is not topmost")
        check(info["popup"] == "1" and info["visible"] == "1", "the saver window is not a visible popup")
        # Two monitors (see below): the virtual screen is wider than the
        # primary monitor, so a window on the primary alone cannot pass.
        check(int(info["monitors"]) == 2 and int(info["virtual_width"]) > int(info["screen_width"]),
              "the display does not have the two monitors of this case")
        covered = [info[k] for k in ("x", "y", "width", "height")]
        virtual = [info[k] for k in ("virtual_x", "virtual_y", "virtual_width", "virtual_height")]
        check(covered == virtual, f"the saver window covers {covered}, not the virtual screen {virtual}")
        # Twice the primary's pixels: on a loaded machine the first frames
        # may take longer than 2 s.
        started = time.monotonic()
        shot = os.path.join(self.o.work, "saver.png")
        bright = self.wait_for_streaks(session, shot)
        if self.o.screenshot:
            shutil.copy(shot, self.o.screenshot)
        print(f"bright pixels after {time.monotonic() - started:.1f} s: {bright:.4f}")
        check(bright > 0.01, f"the screen shows no streaks ({bright:.4f} bright)")
        session.xdotool("key", "space")
        self.expect_exit(saver, 0, EXIT_GRACE, "key press")

    # A second monitor: Xvfb cannot place its screens side by side, but with
    # Xinerama (and without RandR, which Wine would ask first) Wine reports
    # both, the second 1280 wide from the origin, as two monitors.
    saver_window.xvfb_args = ("+xinerama", "-screen", "1", f"{2 * SCREEN_WIDTH}x{SCREEN_HEIGHT}x24",
                              "-extension", "RANDR")

    def saver_mouse_4px(self, session):
        saver = self.start_saver(session)
        # 3 across and 1 down in single pixels, then away and back: never more than 4.
        self.step_mouse(session, [(1, 0), (1, 0), (1, 1), (-1, -1), (1, 1)])
        self.expect_running(session, saver, 2.0, "4 px of travel")
        session.xdotool("key", "Escape")
        self.expect_exit(saver, 0, EXIT_GRACE, "key press after 4 px")

    def saver_mouse_5px(self, session):
        saver = self.start_saver(session)
        self.step_mouse(session, [(1, 0), (1, 1), (1, 0)])
        self.expect_running(session, saver, 1.0, "4 px of travel")
        started = time.monotonic()
        self.step_mouse(session, [(0, 1)])
        self.expect_exit(saver, 0, EXIT_GRACE, "5 px of travel")
        print(f"ended {time.monotonic() - started:.2f} s after the 5th pixel")

    def saver_key(self, session):
        saver = self.start_saver(session)
        time.sleep(0.5)
        session.xdotool("key", "a")
        self.expect_exit(saver, 0, EXIT_GRACE, "key press")

    def second_instance(self, session):
        first = self.start_saver(session)
        started = time.monotonic()
        second = session.start(self.o.saver, "/s")
        self.expect_exit(second, 0, EXIT_GRACE + allow(2), "second /s")
        print(f"second /s ended after {time.monotonic() - started:.2f} s")
        self.expect_running(session, first, 0.5, "after the second /s")
        session.xdotool("key", "space")
        self.expect_exit(first, 0, EXIT_GRACE, "key press")

    def preview(self, session):
        output = os.path.join(self.o.work, "preview-host.txt")
        host = session.start(self.o.preview_host, self.o.saver, output=output)
        try:
            host.wait(timeout=allow(60))
        except subprocess.TimeoutExpired:
            raise Failure("preview_host did not end")
        with open(output) as f:
            report = f.read()
        print(report.strip())
        check(host.returncode == 0 and "PASS" in report, f"preview_host failed (exit {host.returncode})")

    def bad_switches(self, session):
        # "At once": no window, and ended within the time Wine takes to start
        # a program on this machine right now plus its teardown of a GL
        # program (the saver loads OpenGL at start-up, which Wine winds down
        # at exit).
        self.probe(session, "running")
        started = time.monotonic()
        self.probe(session, "running")
        baseline = time.monotonic() - started
        allowed = 3 * baseline + EXIT_GRACE
        print(f"a trivial program takes {baseline:.2f} s; allowing {allowed:.2f} s")
        # A handle that is no window would make the creation fail just the
        # same, with the same result: Wine's window trace shows whether the
        # saver set about making its window at all.
        trace = os.path.join(self.o.work, "bad-switch-trace.txt")
        for args in (["/p"], ["/p", "999999"], ["/p:1234"], ["/x"]):
            started = time.monotonic()
            with open(trace, "w") as sink:
                child = subprocess.Popen([session.loader, self.o.saver, *args], cwd=self.o.work,
                                         env=dict(session.env, WINEDEBUG="+win"),
                                         stdout=subprocess.DEVNULL, stderr=sink)
            session.children.append(child)
            try:
                status = child.wait(timeout=allow(20))
            except subprocess.TimeoutExpired:
                child.kill()
                raise Failure(f"{args}: the saver did not end in {allow(20):.0f} s")
            elapsed = time.monotonic() - started
            print(f"{' '.join(args)}: exit {status} after {elapsed:.2f} s")
            check(status == MINUS_ONE, f"{args}: exit code {status}, expected -1")
            check(elapsed < allowed, f"{args}: took {elapsed:.1f} s")
            check(self.probe(session)["status"] != 0, f"{args}: a saver window appeared")
            with open(trace, errors="replace") as f:
                attempts = [line.strip() for line in f if "WindowsScreenSaverClass" in line]
            check(not attempts, f"{args}: the saver tried to make its window: {attempts[:1]}")

    def config(self, session, key, code, saver=None):
        dialog = session.start(saver or self.o.saver, "/c")
        check(wait_until(lambda: self.probe(session, "dialog")["status"] == 0, allow(20), step=0.3),
              "the settings dialog did not appear")
        time.sleep(0.5)
        check(dialog.poll() is None, "the settings dialog closed by itself")
        session.xdotool("key", key)
        self.expect_exit(dialog, code, EXIT_GRACE, key)

    def config_enter(self, session):
        self.config(session, "Return", 1)

    def config_escape(self, session):
        self.config(session, "Escape", 0)

    def change_password_nt(self, session):
        status, _ = session.run(self.o.saver, "/a", timeout=allow(20))
        check(status == MINUS_ONE, f"/a on the NT family: exit code {status}, expected -1")

    def change_password_win98(self, session):
        # The password change goes to MPR.DLL in the system directory; a copy
        # planted beside the saver must not be the one called. Wine's own
        # MPR.DLL is set aside for the stand-in while the case runs.
        saver = os.path.join(self.o.work, "cascade98.scr")
        shutil.copy(self.o.saver, saver)
        system_mpr = os.path.join(os.environ["WINEPREFIX"], "drive_c", "windows", "system32", "mpr.dll")
        kept = system_mpr + ".kept"
        if not os.path.exists(kept):
            shutil.copy(system_mpr, kept)
        log = os.path.join(self.o.work, "change.log")
        if os.path.exists(log):
            os.remove(log)
        try:
            shutil.copy(self.o.password_provider, system_mpr)
            shutil.copy(self.o.password_provider, os.path.join(self.o.work, "MPR.DLL"))
            env = {"CASCADE_TEST_PASSWORD_LOG": "Z:" + log.replace("/", "\\"),
                   "WINEDLLOVERRIDES": session.env["WINEDLLOVERRIDES"] + ";mpr=n"}
            desktop = self.probe(session, "desktop")["desktop"]

            def calls():
                if not os.path.exists(log):
                    return []
                with open(log) as f:
                    return [parse_fields(line) for line in f if line.startswith("change")]

            # The NT family has no saver password: -1, and nothing is loaded.
            status = session.start(self.o.saver, "/a", desktop, extra_env=env).wait(timeout=allow(30))
            check(status == MINUS_ONE, f"/a on the NT family: exit code {status}, expected -1")
            check(calls() == [], "/a on the NT family called the password change")

            status = session.start(saver, "/a", desktop, extra_env=env).wait(timeout=allow(30))
            print("calls:", calls())
            check(status == 0, f"/a on Windows 98: exit code {status}, expected 0")
            check(len(calls()) == 1, "the password change was not called once")
            call = calls()[0]
            check(call["provider"] == "SCRSAVE" and call["owner"] == desktop, f"called with {call}")
            check(call["flags"] == "0" and call["reserved"] == "0", f"called with {call}")
            check(call["path"].lower() == "c:\\windows\\system32\\mpr.dll",
                  f"MPR.DLL was loaded from {call['path']}, not the system directory")

            # A handle that is no window: the foreground window owns the change.
            status = session.start(saver, "/a", "999999", extra_env=env).wait(timeout=allow(30))
            check(status == 0, f"/a 999999 on Windows 98: exit code {status}, expected 0")
            check(len(calls()) == 2 and calls()[1]["owner"] != "999999", f"calls: {calls()}")
        finally:
            shutil.copy(kept, system_mpr)

    def win98_password(self, session):
        # Wine reports Windows 98 to this file name (prefix_settings.reg).
        saver = os.path.join(self.o.work, "cascade98.scr")
        shutil.copy(self.o.saver, saver)
        system_dir = os.path.join(os.environ["WINEPREFIX"], "drive_c", "windows", "system32")
        shutil.copy(self.o.password_provider, os.path.join(system_dir, "PASSWORD.CPL"))
        # A provider planted beside the saver must not be the one loaded.
        shutil.copy(self.o.password_provider, os.path.join(self.o.work, "PASSWORD.CPL"))
        log = os.path.join(self.o.work, "password.log")
        if os.path.exists(log):
            os.remove(log)
        provider_env = {
            "CASCADE_TEST_PASSWORD_ANSWERS": "01",
            "CASCADE_TEST_PASSWORD_RECLOSE": "1",
            "CASCADE_TEST_PASSWORD_LOG": "Z:" + log.replace("/", "\\"),
        }
        self.probe(session, "reset-running")
        check(self.probe(session, "running").get("running") == "0", "running state set before the saver")
        process = self.start_saver(session, saver, provider_env)
        check(self.probe(session, "running").get("running") == "1",
              "the running state is not set while the verifier is loaded")

        def requests():
            if not os.path.exists(log):
                return []
            with open(log) as f:
                return [parse_fields(line) for line in f if line.strip()]

        # First close: refused; the provider's own second close right after
        # it falls within 200 ms and is refused without asking.
        session.xdotool("key", "space")
        check(wait_until(lambda: len(requests()) >= 1, allow(10)), "no password request")
        self.expect_running(session, process, 1.5, "refused password")
        first = requests()
        print("requests:", first)
        check(len(first) == 1, f"{len(first)} requests, expected 1 (the second close is within 200 ms)")
        check(first[0]["running"] == "1", "running state off during the request")
        check(first[0]["window"] == "Screen_Saver", "the request was not made for the saver window")
        check(first[0]["path"].lower() == "c:\\windows\\system32\\password.cpl",
              f"the provider was loaded from {first[0]['path']}, not the system directory")

        # Next close: the cursor is still hidden from the refusal; accepted.
        session.xdotool("key", "space")
        self.expect_exit(process, 0, EXIT_GRACE + allow(2), "accepted password")
        both = requests()
        print("requests:", both)
        check(len(both) == 2, f"{len(both)} requests, expected 2")
        check(both[1]["cursor"] == "hidden", "the cursor was shown again after the refusal")
        check(self.probe(session, "running").get("running") == "0",
              "the running state is still set after the saver ended")

    def long_run(self, session):
        # Minutes of the real saver, as an unattended machine runs it for
        # days: memory flat after warm-up, the picture still moving, and it
        # still closes on input. CASCADE_LONG_RUN_SECONDS sets the length.
        # Memory is read from the saver's heaps by a probe loaded into it:
        # the Wine process's resident pages also move with the machine's load
        # and the GL driver's pools, which failed the test by chance.
        length = max(60.0, float(os.environ.get("CASCADE_LONG_RUN_SECONDS", "120")))
        warm_up = 20.0
        # The saver's heaps hold the same after every frame, to the byte; the
        # room is for Wine's own bookkeeping. An 8-byte array leaked a frame
        # adds some 10 KiB in the 40 s after warm-up of the shortest run.
        heap_allowance = 4 * 1024
        check(self.o.heap_probe, "long_run needs --heap-probe")
        report = os.path.join(os.path.dirname(self.o.heap_probe), "heap-probe.txt")
        if os.path.exists(report):
            os.remove(report)
        # llvmpipe's threaded rasterizer grows its binning pools for minutes.
        saver = self.start_saver(session, extra_env={"LP_NUM_THREADS": "0"})
        started = time.monotonic()
        first = resident_kib(saver.pid)
        try:
            status, out = session.run(self.o.heap_probe, os.path.basename(self.o.saver), timeout=allow(60))
        except Failure as failure:
            with open(os.path.join(session.work, "run-output.txt")) as f:
                raise Failure(f"{failure}; it had said: {f.read().strip()}")
        print("heap probe:", out.strip())
        check(status == 0, "the heap probe could not be loaded into the saver")
        shots = []
        while time.monotonic() - started < length:
            check(saver.poll() is None, f"the saver ended by itself (exit {saver.returncode})")
            elapsed = time.monotonic() - started
            if len(shots) < int(elapsed // 15) + 1:
                shots.append(session.screenshot(os.path.join(self.o.work, f"long-run-{len(shots)}.png")))
            time.sleep(2.0)
        last_resident = resident_kib(saver.pid)
        with open(report) as f:
            rows = [tuple(int(field) for field in line.split()) for line in f if len(line.split()) == 2]
        check(len(rows) > 10, "too few heap reports from the probe")
        begin = rows[0][0]
        samples = [size for ms, size in rows if ms - begin >= warm_up * 1000]
        check(len(samples) > 10, "too few heap reports after warm-up")
        settled = samples[0]
        print(f"heap in use: {rows[0][1]} bytes at the probe's start, {settled} after warm-up, "
              f"{samples[-1]} at the end, least {min(samples)}, peak {max(samples)}; "
              f"resident: {first} KiB then {last_resident} KiB, over {length:.0f} s")
        check(samples[-1] - settled <= heap_allowance, "the saver's heap grew after warm-up")
        check(max(samples) - settled <= heap_allowance, "the saver's heap peaked after warm-up")
        still = [i for i in range(1, len(shots)) if not pictures_differ(shots[i - 1], shots[i])]
        print(f"{len(shots)} screenshots 15 s apart, unchanged between: {still}")
        check(not still, "the picture stopped moving")
        session.xdotool("key", "space")
        self.expect_exit(saver, 0, EXIT_GRACE, "key press after the long run")

    def no_gl(self, session):
        # A display whose server has no GLX: Wine can make no GL context, yet
        # the saver still covers the screen and still closes on input.
        saver = self.start_saver(session)
        info = self.probe(session)
        check(info["topmost"] == "1" and info["visible"] == "1", "no topmost saver window without GL")
        covered = [info[k] for k in ("x", "y", "width", "height")]
        virtual = [info[k] for k in ("virtual_x", "virtual_y", "virtual_width", "virtual_height")]
        check(covered == virtual and virtual == ["0", "0", str(SCREEN_WIDTH), str(SCREEN_HEIGHT)],
              f"the saver window covers {covered}, not the screen {virtual}")
        self.expect_running(session, saver, 2.0, "without GL")
        # Proof that no context was made: nothing of the scene is drawn.
        bright = bright_fraction(session.screenshot(os.path.join(self.o.work, "no-gl.png")))
        check(bright == 0, f"streaks on screen ({bright:.4f}) although the server has no GLX")
        session.xdotool("mousemove_relative", "--", "3", "2")
        self.expect_exit(saver, 0, EXIT_GRACE, "5 px of travel without GL")

    no_gl.xvfb_args = ("-extension", "GLX")

    def no_opengl(self, session):
        # A system without opengl32.dll (Windows 95 as installed): the saver
        # still starts, covers the screen in black and closes on input.
        session.env["WINEDLLOVERRIDES"] += ";opengl32="
        self.no_gl(session)

    def plant_gl_dlls(self, name):
        # A copy of the saver in a folder of its own, beside DLLs named like
        # OpenGL's and GLU's whose DllMain writes the returned marker file.
        folder = os.path.join(self.o.work, name)
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        saver = os.path.join(folder, "cascade.scr")
        shutil.copy(self.o.saver, saver)
        for dll in ("opengl32.dll", "glu32.dll"):
            shutil.copy(self.o.planted_dll, os.path.join(folder, dll))
        return saver, os.path.join(folder, "planted-dll-loaded.txt")

    def planted_gl(self, session):
        # DLLs named like OpenGL's beside the saver must never be loaded, in
        # any mode. Wine prefers its builtin OpenGL unless told to search like
        # Windows, the program's folder first.
        saver, marker = self.plant_gl_dlls("planted")
        plain = session.env["WINEDLLOVERRIDES"]
        session.env["WINEDLLOVERRIDES"] = plain + ";opengl32,glu32=n,b"

        def planted_loads():
            return planted_dll_loads(marker)

        process = self.start_saver(session, saver)
        # Drawn: the system's OpenGL was loaded instead.
        bright = self.wait_for_streaks(session, os.path.join(self.o.work, "planted.png"))
        print(f"/s: bright pixels: {bright:.4f}; planted DLL loads: {planted_loads()}")
        check(bright > 0.01, f"/s beside a planted opengl32.dll draws nothing ({bright:.4f} bright)")
        session.xdotool("key", "space")
        self.expect_exit(process, 0, EXIT_GRACE, "key press")
        check(not os.path.exists(marker), f"/s loaded the planted DLL: {planted_loads()}")

        # A system whose own OpenGL cannot be loaded (here Wine's builtin one is
        # refused): GDI's pixel-format functions would then load opengl32.dll
        # by name, from the saver's folder. The saver stays black and closes.
        process = self.start_saver(session, saver, {"WINEDLLOVERRIDES": plain + ";opengl32,glu32=n"})
        time.sleep(allow(1.0))
        bright = bright_fraction(session.screenshot(os.path.join(self.o.work, "planted-no-gl.png")))
        check(bright == 0, f"/s without the system's OpenGL drew something ({bright:.4f} bright)")
        session.xdotool("key", "space")
        self.expect_exit(process, 0, EXIT_GRACE, "key press without the system's OpenGL")
        check(not os.path.exists(marker), f"/s without the system's OpenGL loaded the planted DLL: {planted_loads()}")

        output = os.path.join(self.o.work, "planted-preview.txt")
        host = session.start(self.o.preview_host, saver, output=output)
        try:
            host.wait(timeout=allow(60))
        except subprocess.TimeoutExpired:
            raise Failure("preview_host did not end")
        with open(output) as f:
            check(host.returncode == 0 and "PASS" in f.read(), f"/p: preview_host failed (exit {host.returncode})")
        check(not os.path.exists(marker), f"/p loaded the planted DLL: {planted_loads()}")

        self.config(session, "Escape", 0, saver)
        check(not os.path.exists(marker), f"/c loaded the planted DLL: {planted_loads()}")


def print_tail(path, title, lines=10):
    try:
        with open(path, errors="replace") as f:
            tail = f.read().splitlines()[-lines:]
    except FileNotFoundError:
        return
    if tail:
        print(f"{title}:\n" + "\n".join(tail))


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("case")
    parser.add_argument("--saver", required=True)
    parser.add_argument("--probe", required=True)
    parser.add_argument("--preview-host", required=True)
    parser.add_argument("--password-provider", required=True)
    parser.add_argument("--planted-dll", help="a DLL that records being loaded (planted_gl)")
    parser.add_argument("--heap-probe", help="heap_probe_inject, which loads the heap probe (long_run)")
    parser.add_argument("--work", required=True)
    parser.add_argument("--screenshot", help="keep the saver_window screenshot here")
    options = parser.parse_args()
    for name in ("saver", "probe", "preview_host", "password_provider", "planted_dll", "work", "screenshot"):
        if getattr(options, name):
            setattr(options, name, os.path.abspath(getattr(options, name)))
    os.makedirs(options.work, exist_ok=True)
    cases = Cases(options)
    case = getattr(cases, options.case, None)
    if case is None or options.case.startswith("_"):
        parser.error(f"unknown case {options.case}")
    started = time.monotonic()
    try:
        with Session(options.work, getattr(case, "xvfb_args", ())) as session:
            case(session)
    except Failure as failure:
        print(f"FAIL {options.case}: {failure}")
        print_tail(os.path.join(options.work, WINE_OUTPUT), "Wine's error output ends")
        return 1
    print(f"PASS {options.case} ({time.monotonic() - started:.1f} s)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
