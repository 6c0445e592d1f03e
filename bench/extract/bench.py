"""Extraction and test speed of zipread against peer tools, measured in the same run.

usage: bench.py NATIVE_BUILD_DIR [--runs N] [--only DATASET,...]
Prints, per dataset and operation, each tool's median time, MB/s and peak memory, with our
ratio to the fastest peer and to the in-process limits (inflate + CRC, decryption loop).
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import zipfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import datasets  # noqa: E402

PW = datasets.PASSWORD


def extract_cmds(zipread):
    return {
        "zipread": lambda a, d: [zipread, "extract", "-q", "-o", "-p", PW, "-d", d, a],
        "unzip": lambda a, d: ["unzip", "-q", "-o", "-P", PW, a, "-d", d],
        "7z": lambda a, d: ["7z", "x", "-y", "-p" + PW, "-o" + d, a],
        "bsdtar": lambda a, d: ["bsdtar", "-x", "--passphrase", PW, "-f", a, "-C", d],
        "python": lambda a, d: [sys.executable, "-c",
                                "import sys,zipfile; zipfile.ZipFile(sys.argv[1]).extractall("
                                "sys.argv[2], pwd=sys.argv[3].encode())", a, d, PW],
    }


def test_cmds(zipread):
    return {
        "zipread": lambda a, d: [zipread, "test", "-q", "-p", PW, a],
        "unzip": lambda a, d: ["unzip", "-tq", "-P", PW, a],
        "7z": lambda a, d: ["7z", "t", "-p" + PW, a],
        "bsdtar": lambda a, d: ["sh", "-c", 'bsdtar -x -O --passphrase "$2" -f "$1" >/dev/null',
                                "sh", a, PW],
        "python": lambda a, d: [sys.executable, "-c",
                                "import sys,zipfile; z=zipfile.ZipFile(sys.argv[1]); "
                                "z.setpassword(sys.argv[2].encode()); "
                                "sys.exit(z.testzip() is not None)", a, PW],
    }


def timed(cmd):
    """(seconds, peak MiB) of one run, or None when the tool failed."""
    with tempfile.NamedTemporaryFile("r") as stats:
        proc = subprocess.run(["/usr/bin/time", "-o", stats.name, "-f", "%e %M", *cmd],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if proc.returncode != 0:
            return None
        seconds, kib = stats.read().split()[-2:]
        return float(seconds), int(kib) / 1024


def measure(cmd_of, archive, out_root, runs):
    """Median time and peak memory; a tool slower than a minute is timed once."""
    times, peaks = [], []
    for _ in range(runs):
        if times and times[0] > 60:
            break
        out = out_root / "out"
        shutil.rmtree(out, ignore_errors=True)
        out.mkdir()
        r = timed(cmd_of(str(archive), str(out)))
        if r is None:
            return None
        times.append(r[0])
        peaks.append(r[1])
    shutil.rmtree(out_root / "out", ignore_errors=True)
    return statistics.median(times), max(peaks)


def limits(limits_exe, archive, runs):
    """In-process limits measured on the same archive: {name: seconds}."""
    found = {}
    if not limits_exe.exists():
        return found
    for kind in ("inflate", "tradcrypt", "aes"):
        times = []
        for _ in range(runs):
            p = subprocess.run([str(limits_exe), kind, str(archive)], capture_output=True, text=True)
            if p.returncode != 0:
                break
            times.append(float(p.stdout.split()[0]))
        if times:
            found[kind] = statistics.median(times)
    return found


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("build")
    ap.add_argument("--runs", type=int, default=int(os.environ.get("TALU_BENCH_RUNS", "3")))
    ap.add_argument("--only", default="")
    args = ap.parse_args()
    build = Path(args.build)
    zipread = str(build / "tools" / "zipread" / "zipread")
    limits_exe = build / "bench" / "extract" / "extract_limits"
    data_root = Path(os.environ.get("TALU_BENCH_DIR", "/dev/shm/talu-bench"))
    archives = datasets.build(data_root)
    wanted = set(filter(None, args.only.split(",")))

    print("%-16s %-8s %-8s %9s %9s %9s %8s %8s" %
          ("dataset", "op", "tool", "median s", "MB/s", "peak MiB", "vs peer", "vs limit"))
    ours = {}  # (dataset, op) -> zipread seconds, for the AES rows' comparison with plain data
    for name, archive in archives.items():
        if wanted and name not in wanted:
            continue
        size_mb = sum(i.file_size for i in zipfile.ZipFile(archive).infolist()) / 1e6 \
            if "truncated" not in name else ours.get("big-deflate-size", 0)
        lim = limits(limits_exe, archive, args.runs) if "big" in name else {}
        for op, cmds in (("extract", extract_cmds(zipread)), ("test", test_cmds(zipread))):
            rows = {tool: measure(cmd, archive, data_root, args.runs) for tool, cmd in cmds.items()}
            peers = [r[0] for t, r in rows.items() if r and t != "zipread"]
            best_peer = min(peers) if peers else None
            if rows.get("zipread"):
                ours[(name, op)] = rows["zipread"][0]
            limit_s = lim.get("tradcrypt") if "traditional" in name else lim.get("inflate")
            if "aes" in name or "truncated" in name:  # against our own time on the intact plain item
                limit_s = ours.get(("big-deflate", op))
            for tool, r in rows.items():
                if r is None:
                    print("%-16s %-8s %-8s %9s" % (name, op, tool, "n/a"))
                    continue
                vs_peer = vs_limit = ""
                if tool == "zipread" and best_peer:
                    vs_peer = "%.2fx" % (r[0] / best_peer)
                if tool == "zipread" and limit_s and "big" in name:
                    vs_limit = "%.2fx" % (r[0] / limit_s)
                print("%-16s %-8s %-8s %9.3f %9.0f %9.1f %8s %8s" %
                      (name, op, tool, r[0], size_mb / max(r[0], 1e-9), r[1], vs_peer, vs_limit),
                      flush=True)
        if name == "big-deflate":
            ours["big-deflate-size"] = size_mb
        for kind, s in lim.items():
            print("%-16s %-8s %-9s %8.3f" % (name, "limit", kind, s), flush=True)


if __name__ == "__main__":
    main()
