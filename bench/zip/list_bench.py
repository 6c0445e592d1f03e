#!/usr/bin/env python3
"""Times `zipread list` against unzip, 7z, bsdtar and Python's zipfile on a 200,000-entry
archive, and against 7z on a 20,000-item archive whose central directory is cut off (the
recovery from local headers). Prints medians, ratios to the fastest peer and zipread's peak
memory."""
import os
import random
import re
import statistics
import subprocess
import sys
import tempfile
import time
import zipfile

RUNS = 5
ENTRIES = 200_000
RECOVERY_ITEMS = 20_000

PY_LIST = "import sys, zipfile\nfor i in zipfile.ZipFile(sys.argv[1]).infolist(): print(i.filename, i.file_size)"


def make_big(path):
    with zipfile.ZipFile(path, "w", zipfile.ZIP_STORED) as z:
        for i in range(ENTRIES):
            z.writestr(f"dir{i // 1000:03d}/file{i:06d}.txt", b"x%d" % i)


def make_cut(path):
    """20,000 text files of 1 to 8 KiB, deflated, cut where the central directory starts."""
    rng = random.Random(7)
    words = [b"alpha", b"bravo", b"charlie", b"delta", b"echo", b"foxtrot", b"golf", b"hotel"]
    whole = path + ".whole"
    with zipfile.ZipFile(whole, "w", zipfile.ZIP_DEFLATED, compresslevel=1) as z:
        for i in range(RECOVERY_ITEMS):
            size = rng.randint(1024, 8192)
            text = b" ".join(rng.choice(words) for _ in range(size // 6))[:size]
            z.writestr(f"set{i // 500:02d}/item{i:05d}.txt", text)
    data = open(whole, "rb").read()
    open(path, "wb").write(data[:data.find(b"PK\x01\x02")])
    os.remove(whole)


def median_time(command, runs=RUNS):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        times.append(time.perf_counter() - start)
    return statistics.median(times)


def peak_kib(command):
    out = subprocess.run(["/usr/bin/time", "-f", "%M", *command], stdout=subprocess.DEVNULL,
                         stderr=subprocess.PIPE, text=True).stderr
    return int(re.findall(r"^(\d+)$", out, re.M)[-1])


def table(title, ours, peers):
    fastest = min(t for t in peers.values())
    print(f"\n{title}")
    print(f"| tool | median s | ratio to fastest peer |")
    print(f"|---|---|---|")
    for name, seconds in [("zipread list", ours)] + sorted(peers.items(), key=lambda p: p[1]):
        print(f"| {name} | {seconds:.3f} | {seconds / fastest:.2f} |")


def main():
    zipread = os.path.abspath(sys.argv[1])
    with tempfile.TemporaryDirectory(prefix="talu-bench-") as work:
        big = os.path.join(work, "entries200k.zip")
        cut = os.path.join(work, "cut20k.zip")
        make_big(big)
        make_cut(cut)
        ours = median_time([zipread, "list", big])
        peers = {
            "unzip -l": median_time(["unzip", "-l", big]),
            "7z l": median_time(["7z", "l", big]),
            "bsdtar -tf": median_time(["bsdtar", "-tf", big]),
            "python zipfile": median_time([sys.executable, "-c", PY_LIST, big]),
        }
        table(f"Listing {ENTRIES:,} entries ({os.path.getsize(big):,} bytes, written by Python's zipfile)",
              ours, peers)
        kib = peak_kib([zipread, "list", big])
        print(f"\nzipread peak memory: {kib / 1024:.1f} MiB, {kib * 1024 / ENTRIES:.0f} bytes per entry")
        rebuilt = median_time([zipread, "list", cut])
        table(f"Recovery: {RECOVERY_ITEMS:,} items, central directory cut off ({os.path.getsize(cut):,} bytes)",
              rebuilt, {"7z l": median_time(["7z", "l", cut])})
        listed = subprocess.run([zipread, "list", cut], capture_output=True).stdout.count(b"\n")
        print(f"\nzipread listed {listed:,} of {RECOVERY_ITEMS:,} items from the cut archive")


if __name__ == "__main__":
    main()
