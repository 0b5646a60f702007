#!/usr/bin/env python3
"""Random typing into Wine's notepad with the input method as the prefix's default layout.

Seeded random keys of every kind are typed from outside with xdotool, one fresh notepad per
session. After every CHECK keys: an Escape ends any open code, and notepad must answer, its
text must be readable and no keypad character of an open code (how codes show) may have stayed
in it. At the end of each session 64486 and Space must give 你好. A failing
session is replayed in fresh notepads to find a short sequence that still fails, and the seed
and that sequence are printed.

Runs in the environment tools/test.sh sets up (WINEPREFIX, DISPLAY, one wineserver), after
the helper's set-up step (tools/notepad_smoke.sh does both). Memory (anonymous resident
memory of the notepad process) and GDI objects are printed at the start and end of each
session.
"""
import argparse
import os
import random
import signal
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
HELPER = os.path.join(ROOT, "build/x64/tests/textservice_ime_notepad_test.exe")
WINE = "/usr/lib/wine/wine64"
CHECK = 250

# (weight, keys): each entry is one xdotool key name, or a list picked from.
KEYPAD = ["KP_%d" % d for d in range(10)]
VOCABULARY = [
    (40, KEYPAD),
    (4, ["KP_Add", "KP_Subtract", "KP_Multiply", "KP_Divide", "KP_Decimal"]),
    (8, ["space"]),
    (5, ["BackSpace"]),
    (2, ["Delete"]),
    (4, ["Escape"]),
    (4, ["Return"]),
    (8, ["Left", "Right", "Up", "Down", "Home", "End", "Prior", "Next"]),
    (3, ["Shift_L", "Shift_R"]),
    (4, ["shift+" + k for k in KEYPAD + ["KP_Decimal"]]),
    (2, ["shift+Left", "shift+Up", "shift+Home", "shift+Prior", "shift+End"]),
    (6, [str(d) for d in range(10)]),
    (2, ["shift+%d" % d for d in range(10)]),
    (6, [chr(c) for c in range(ord("a"), ord("z") + 1)]),
    (4, ["comma", "period", "slash", "semicolon", "apostrophe", "minus", "equal",
         "bracketleft", "bracketright"]),
    (1, ["ctrl+space"]),
    (1, ["Tab"]),
    (1, ["ctrl+Home", "ctrl+End", "ctrl+z"]),
]
# Ctrl+End: a Ctrl+Home or a selection typed before must not decide where the check types.
END_CHECK = ["Escape", "ctrl+End", "KP_6", "KP_4", "KP_4", "KP_8", "KP_6", "space"]


def log(*args):
    print("notepad random:", *args, flush=True)


def helper(step):
    env = dict(os.environ, ZAN_NOTEPAD_STEP=step)
    r = subprocess.run(["bash", os.path.join(ROOT, "tools/wine_test_run.sh"), WINE, HELPER,
                        "--gtest_brief=1"], env=env, capture_output=True, text=True,
                       timeout=90)
    return r.returncode, r.stdout


def random_keys(rng, n):
    weights = [w for w, _ in VOCABULARY]
    return [rng.choice(rng.choices(VOCABULARY, weights)[0][1]) for _ in range(n)]


def notepad_pid(launcher):
    """The process that runs notepad.exe for this prefix (the launcher itself has ended)."""
    prefix = os.environ.get("WINEPREFIX", "").encode()
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/cmdline" % entry, "rb") as f:
                cmdline = f.read()
            with open("/proc/%s/environ" % entry, "rb") as f:
                environ = f.read().split(b"\0")
            with open("/proc/%s/stat" % entry) as f:
                started = int(f.read().rsplit(")", 1)[1].split()[19])
        except (OSError, ValueError, IndexError):
            continue
        if b"notepad.exe" in cmdline.lower() and b"WINEPREFIX=" + prefix in environ:
            found.append((started, int(entry)))
    return max(found)[1] if found else launcher


def anon_kb(pid):
    try:
        with open("/proc/%d/status" % pid) as f:
            for line in f:
                if line.startswith("RssAnon:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return -1


class Notepad:
    def __init__(self):
        self.proc = subprocess.Popen([WINE, "notepad"], stdin=subprocess.DEVNULL,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        code, out = helper("wait")
        if code != 0:
            raise RuntimeError("notepad did not start:\n" + out)
        time.sleep(0.5)
        self.pid = notepad_pid(self.proc.pid)

    def close(self):
        # The launcher hands over to the notepad.exe process: both end here, else the next
        # session's probe could find this notepad's window.
        if self.proc.poll() is None:
            self.proc.kill()
        self.proc.wait()
        if self.pid != self.proc.pid:
            try:
                os.kill(self.pid, signal.SIGKILL)
            except OSError:
                pass
            for _ in range(50):
                if not os.path.exists("/proc/%d" % self.pid) or anon_kb(self.pid) < 0:
                    break
                time.sleep(0.1)

    def type(self, keys):
        for i in range(0, len(keys), 50):
            subprocess.run(["xdotool", "key", "--delay", "12"] + keys[i:i + 50], timeout=60,
                           check=False)

    def probe(self):
        """(answered, text, gdi objects) after the keys typed so far are through."""
        code, out = helper("probe")
        values = {}
        for line in out.splitlines():
            key, _, value = line.partition(" ")
            if key in ("answer", "gdi", "user", "text"):
                values[key] = value.strip()
        hexed = values.get("text")
        text = None
        if hexed is not None:
            text = "".join(chr(int(hexed[i:i + 4], 16)) for i in range(0, len(hexed), 4))
        answered = code == 0 and values.get("answer", "-1") != "-1"
        return answered, text, int(values.get("gdi", "-1"))


# The keypad characters a code shows (U+FF0C, the Chinese comma, is punctuation output).
CODE_CHARS = {chr(c) for c in range(0xFF0A, 0xFF1A) if c != 0xFF0C}


def settled(pad):
    """A probe once notepad has worked through the typed keys: the text read twice alike (an
    open code notepad has not yet been told to end shows as text in between)."""
    answered, text, gdi = pad.probe()
    for _ in range(10):
        if not answered or text is None:
            break
        time.sleep(0.4)
        again = pad.probe()
        if again[1] == text:
            return again
        answered, text, gdi = again
    return answered, text, gdi


def leaked(text):
    return [c for c in text if c in CODE_CHARS]


def run_session(keys, report=None):
    """Types keys (checking after every CHECK) and the end check; the first failure or None."""
    pad = Notepad()
    try:
        if report is not None:
            answered, _, gdi = pad.probe()
            report["start"] = (anon_kb(pad.pid), gdi)
        typed = 0
        while typed < len(keys):
            chunk = keys[typed:typed + CHECK] + ["Escape"]
            pad.type(chunk)
            typed += CHECK
            time.sleep(0.3)
            answered, text, gdi = settled(pad)
            if report is not None:
                report["end"] = (anon_kb(pad.pid), gdi)
                report.setdefault("curve", []).append((min(typed, len(keys)),) + report["end"])
            if not answered:
                return "notepad does not answer after key %d" % min(typed, len(keys))
            if text is None:
                return "the text cannot be read after key %d" % min(typed, len(keys))
            if leaked(text):
                if report is not None:
                    report["failed_at"] = min(typed, len(keys))
                return "code characters %r left in the text after key %d" % (
                    "".join(leaked(text)), min(typed, len(keys)))
        pad.type(END_CHECK)
        time.sleep(0.5)
        answered, text, gdi = settled(pad)
        if report is not None:
            report["end"] = (anon_kb(pad.pid), gdi)
        if not answered or text is None:
            return "notepad does not answer at the end"
        if not text.endswith("你好"):
            return "64486 and Space gave %r at the end" % text[-8:]
        return None
    finally:
        pad.close()


def with_checks(keys):
    """The keys as run_session types them, Escapes of the checks included."""
    out = []
    for i in range(0, len(keys), CHECK):
        out += keys[i:i + CHECK] + ["Escape"]
    return out


def shrink(keys, budget):
    """A shorter key list that still fails (checks only at its end), within budget replays."""
    global CHECK
    saved, CHECK = CHECK, 10 ** 9
    tries = 0

    def fails(candidate):
        nonlocal tries
        tries += 1
        return run_session(candidate) is not None

    try:
        if not fails(keys):
            return None
        n = 2
        while len(keys) >= 2 and tries < budget:
            size = max(1, len(keys) // n)
            removed = False
            for start in range(0, len(keys), size):
                if tries >= budget:
                    break
                candidate = keys[:start] + keys[start + size:]
                if candidate and fails(candidate):
                    keys, n, removed = candidate, max(n - 1, 2), True
                    break
            if not removed:
                if size == 1:
                    break
                n = min(len(keys), n * 2)
        return keys
    finally:
        CHECK = saved


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--seed", type=int, default=None)
    p.add_argument("--keys", type=int, default=1500, help="keys per session")
    p.add_argument("--sessions", type=int, default=2)
    p.add_argument("--shrink-budget", type=int, default=20)
    a = p.parse_args()
    seed = a.seed if a.seed is not None else random.SystemRandom().randrange(1, 2 ** 31)
    log("seed %d, %d sessions of %d keys" % (seed, a.sessions, a.keys))
    rng = random.Random(seed)
    failures = 0
    for session in range(a.sessions):
        keys = random_keys(rng, a.keys)
        report = {}
        started = time.time()
        finding = run_session(keys, report)
        start, end = report.get("start", (-1, -1)), report.get("end", (-1, -1))
        log("session %d: %d keys in %.0f s; anonymous memory %d kB -> %d kB, GDI objects "
            "%d -> %d" % (session + 1, len(keys), time.time() - started, start[0], end[0],
                          start[1], end[1]))
        curve = report.get("curve", [])
        if len(curve) > 4:
            step = len(curve) // 4
            points = curve[step - 1::step][:4]
            if points[-1] is not curve[-1]:
                points.append(curve[-1])
            log("session %d: anonymous memory kB and GDI objects after keys: %s" % (
                session + 1, ", ".join("%d: %d/%d" % p for p in points)))
        if finding is None:
            continue
        failures += 1
        log("session %d failed: %s" % (session + 1, finding))
        # The keys since the last check alone first: most findings need no longer history.
        short = None
        at = report.get("failed_at")
        if at:
            short = shrink(keys[max(0, at - CHECK):at] + ["Escape"], a.shrink_budget)
        if short is None:
            short = shrink(with_checks(keys), a.shrink_budget)
        if short is None:
            log("the failure did not come back in a fresh notepad (seed %d, session %d)" %
                (seed, session + 1))
        else:
            log("reproducer (%d keys, then the end check): xdotool key %s" %
                (len(short), " ".join(short)))
    total = a.sessions * a.keys
    if failures:
        log("%d of %d sessions failed (seed %d)" % (failures, a.sessions, seed))
        return 1
    log("%d keys in %d sessions, no finding (seed %d)" % (total, a.sessions, seed))
    return 0


if __name__ == "__main__":
    sys.exit(main())
