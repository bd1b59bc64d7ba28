#!/usr/bin/env python3
"""Start-up time and memory of the real program, from outside.

Run inside a private X session:
    scripts/x11-session with python3 bench/program_figures.py BUILD_DIR [RUNS]

Each run starts BUILD_DIR/lettergate over a clipboard history of 50 entries, 20 of them
1280 x 800 screenshots (clipboard.json + clipboard_images/<UUID>.png, written here once),
and reports:
  armed      exec until the log line that the trigger is registered
  rss_idle   resident size 3 s later (the history loaded and its previews made)
  shown      the trigger typed with xdotool until the log line that the panel is shown
  rss_open   resident size with the clipboard page (50 cards) open
Medians over RUNS (default 5).
"""
import json
import os
import signal
import statistics
import struct
import subprocess
import sys
import tempfile
import threading
import time
import uuid
import zlib


def png(width, height, seed):
    # The same detail as stores_bench's screenshots, so PNG has something to compress.
    rows = bytearray()
    red = bytes((x + seed * 13) & 0xFF for x in range(width))
    for y in range(height):
        row = bytearray(width * 3)
        row[0::3] = red
        row[1::3] = bytes([(y * 3) & 0xFF]) * width
        row[2::3] = bytes(((x ^ y) + seed) & 0xFF for x in range(width))
        rows.append(0)
        rows += row

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(rows), 6)) + chunk(b"IEND", b"")


def write_history(data_dir):
    images = os.path.join(data_dir, "Lettergate", "clipboard_images")
    os.makedirs(images, mode=0o700)
    entries = []
    for i in range(50):
        identifier = str(uuid.uuid4()).upper()
        if i % 5 < 2:
            name = identifier + ".png"
            with open(os.path.join(images, name), "wb") as file:
                file.write(png(1280, 800, i))
            entries.append({"id": identifier, "isImage": True, "imageFile": name})
        else:
            entries.append({"id": identifier, "isImage": False, "text": "entry %d " % i + "x" * 200})
    with open(os.path.join(data_dir, "Lettergate", "clipboard.json"), "w") as file:
        json.dump(entries, file, separators=(",", ":"))
    with open(os.path.join(data_dir, "..", "config", "Lettergate", "Lettergate.ini"), "w") as file:
        file.write("[General]\nLettergate.clipboardHistoryLimit=50\n")


def resident_mib(pid):
    with open("/proc/%d/status" % pid) as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
    return float("nan")


class Program:
    def __init__(self, binary, environment):
        self.lines = []
        self.changed = threading.Condition()
        self.started = time.monotonic()
        self.process = subprocess.Popen([binary], env=environment, stdin=subprocess.DEVNULL,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        threading.Thread(target=self.read, daemon=True).start()

    def read(self):
        for raw in self.process.stderr:
            with self.changed:
                self.lines.append((time.monotonic(), raw.decode("utf-8", "replace").rstrip()))
                self.changed.notify_all()

    def wait_for(self, text, after=0.0, timeout=20.0):
        deadline = time.monotonic() + timeout
        with self.changed:
            while True:
                for stamp, line in self.lines:
                    if stamp >= after and text in line:
                        return stamp
                remaining = deadline - time.monotonic()
                if remaining <= 0:
                    raise RuntimeError("no line with %r; got %r" % (text, [l for _, l in self.lines]))
                self.changed.wait(remaining)

    def stop(self):
        self.process.send_signal(signal.SIGTERM)
        try:
            self.process.wait(5)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()


def main():
    build = sys.argv[1]
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    binary = os.path.join(build, "lettergate")
    figures = {"armed": [], "rss_idle": [], "shown": [], "rss_open": []}
    with tempfile.TemporaryDirectory() as root:
        os.makedirs(os.path.join(root, "config", "Lettergate"))
        os.makedirs(os.path.join(root, "runtime"), mode=0o700)
        data = os.path.join(root, "data")
        write_history(data)
        # "show done" is a debug line of the lettergate.app category.
        environment = dict(os.environ, XDG_DATA_HOME=data, XDG_CONFIG_HOME=os.path.join(root, "config"),
                           XDG_CACHE_HOME=os.path.join(root, "cache"), XDG_RUNTIME_DIR=os.path.join(root, "runtime"),
                           QT_QPA_PLATFORM="xcb", QT_LOGGING_RULES="lettergate.app.debug=true")
        for _ in range(runs):
            program = Program(binary, environment)
            try:
                armed = program.wait_for("hotkey registered")
                figures["armed"].append((armed - program.started) * 1000)
                time.sleep(3)
                figures["rss_idle"].append(resident_mib(program.process.pid))
                typed = time.monotonic()
                subprocess.run(["xdotool", "key", "ctrl+alt+w"], check=True)
                shown = program.wait_for("show done", after=typed)
                figures["shown"].append((shown - typed) * 1000)
                subprocess.run(["xdotool", "key", "v"], check=True)
                time.sleep(1)
                figures["rss_open"].append(resident_mib(program.process.pid))
            finally:
                program.stop()
    for name, values in figures.items():
        unit = "MiB" if name.startswith("rss") else "ms"
        print("%-9s median %7.1f %s   (%s)" % (name, statistics.median(values), unit,
                                             ", ".join("%.1f" % v for v in values)))


if __name__ == "__main__":
    main()
