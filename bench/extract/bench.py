"""Extraction and test speed of zipread against peer tools, measured in the same run.

usage: bench.py NATIVE_BUILD_DIR [--runs N] [--only DATASET,...]
Runs the tools round by round, each once per round, and prints per dataset and operation each
tool's median time, MB/s and peak memory, with the median of our per-round ratios to the
round's fastest peer and our ratio to the limits: in-process ones (raw inflate + CRC with each
inflater the build has, the decryption loops) and, for the small files, tar landing the same
files from an uncompressed tar in the same rounds.
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


def rounds(cmds, archive, out_root, runs):
    """Runs every tool once per round, round after round, so that the machine's drift between
    rounds touches all tools alike; the order turns by one tool each round. Returns
    {tool: [(seconds, peak MiB) per round]}; a tool that fails is left out, one slower than a
    minute runs in the first round only."""
    found = {tool: [] for tool in cmds}
    tools = list(cmds)
    for n in range(runs):
        for tool in tools[n % len(tools):] + tools[:n % len(tools)]:
            runs_so_far = found.get(tool)
            if runs_so_far is None or (runs_so_far and runs_so_far[0][0] > 60):
                continue
            out = out_root / "out"
            shutil.rmtree(out, ignore_errors=True)
            out.mkdir()
            r = timed(cmds[tool](str(archive), str(out)))
            if r is None:
                del found[tool]
            else:
                runs_so_far.append(r)
    shutil.rmtree(out_root / "out", ignore_errors=True)
    return found


def ratio_to_best_peer(found):
    """(median of zipread's per-round ratio to the round's fastest peer, that peer's name most
    often), or None without zipread or peers."""
    ours = found.get("zipread")
    peers = {t: r for t, r in found.items() if t != "zipread"}
    if not ours or not peers:
        return None
    ratios, names = [], []
    for n, (seconds, _) in enumerate(ours):
        in_round = {t: r[n][0] for t, r in peers.items() if n < len(r)}
        if in_round:
            best = min(in_round, key=in_round.get)
            ratios.append(seconds / max(in_round[best], 1e-9))
            names.append(best)
    if not ratios:
        return None
    return statistics.median(ratios), max(set(names), key=names.count)


def limits(limits_exe, archive, runs):
    """In-process limits measured on the same archive, round by round: {name: median seconds}.
    Raw inflate is measured with each inflater the build has, and split on several threads."""
    if not limits_exe.exists():
        return {}
    kinds = ["tradcrypt", "aes"]
    inflaters = subprocess.run([str(limits_exe), "inflaters"], capture_output=True, text=True)
    kinds += ["inflate-" + name for name in inflaters.stdout.split()] + ["split-inflate"]
    times = {kind: [] for kind in kinds}
    for _ in range(runs):
        for kind in kinds:
            p = subprocess.run([str(limits_exe), kind, str(archive)], capture_output=True, text=True)
            if p.returncode == 0:
                times[kind].append(float(p.stdout.split()[0]))
    return {kind: statistics.median(t) for kind, t in times.items() if t}


def machine_state():
    """One line on the machine: cores, load, and memory free, for the table's caption."""
    load = " ".join(open("/proc/loadavg").read().split()[:3])
    mem = dict(line.split(":", 1) for line in open("/proc/meminfo"))
    free_gib = int(mem["MemAvailable"].split()[0]) / (1 << 20)
    return "%d cores, load %s, %.1f GiB available" % (os.cpu_count(), load, free_gib)


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
    tars = datasets.landing_tars(data_root)
    wanted = set(filter(None, args.only.split(",")))

    print("machine: %s; %d rounds, each tool once per round" % (machine_state(), args.runs))
    print("%-16s %-8s %-9s %9s %9s %9s %14s %8s" %
          ("dataset", "op", "tool", "median s", "MB/s", "peak MiB", "vs peer", "vs limit"))
    ours = {}  # (dataset, op) -> zipread seconds, for the AES rows' comparison with plain data
    for name, archive in archives.items():
        if wanted and name not in wanted:
            continue
        size_mb = sum(i.file_size for i in zipfile.ZipFile(archive).infolist()) / 1e6 \
            if "truncated" not in name else ours.get("big-deflate-size", 0)
        lim = limits(limits_exe, archive, args.runs) if "big" in name else {}
        inflate_limit = min((s for k, s in lim.items() if k.startswith("inflate-")), default=None)
        for op, cmds in (("extract", extract_cmds(zipread)), ("test", test_cmds(zipread))):
            tar = tars.get(name) if op == "extract" else None
            landing = {"tar -x": lambda a, d: ["tar", "-xf", str(tar), "-C", d]} if tar else {}
            found = rounds({**cmds, **landing}, archive, data_root, args.runs)
            landing_runs = found.pop("tar -x", None)
            landing_s = statistics.median(r[0] for r in landing_runs) if landing_runs else None
            vs_peer = ratio_to_best_peer(found)
            if found.get("zipread"):
                ours[(name, op)] = statistics.median(r[0] for r in found["zipread"])
            limit_s = lim.get("tradcrypt") if "traditional" in name else inflate_limit
            if "aes" in name or "truncated" in name:  # against our own time on the intact plain item
                limit_s = ours.get(("big-deflate", op))
            if landing_s:  # extract / tar landing limit
                limit_s = landing_s
            for tool in cmds:
                if tool not in found:
                    print("%-16s %-8s %-9s %9s" % (name, op, tool, "n/a"))
                    continue
                seconds = statistics.median(r[0] for r in found[tool])
                peak = max(r[1] for r in found[tool])
                peer_text = limit_text = ""
                if tool == "zipread" and vs_peer:
                    peer_text = "%.2fx %s" % vs_peer
                if tool == "zipread" and limit_s and ("big" in name or landing_s):
                    limit_text = "%.2fx" % (seconds / limit_s)
                print("%-16s %-8s %-9s %9.3f %9.0f %9.1f %14s %8s" %
                      (name, op, tool, seconds, size_mb / max(seconds, 1e-9), peak, peer_text,
                       limit_text), flush=True)
            if landing_s:
                print("%-16s %-8s %-9s %9.3f %9.0f" %
                      (name, "limit", "tar -x", landing_s, size_mb / landing_s), flush=True)
            elif tar:
                print("%-16s %-8s %-9s %9s" % (name, "limit", "tar -x", "n/a"))
        if name == "big-deflate":
            ours["big-deflate-size"] = size_mb
        for kind, seconds in lim.items():
            if "traditional" in name or not kind.startswith("tradcrypt"):
                print("%-16s %-8s %-9s %9.3f %9.0f" %
                      (name, "limit", kind, seconds, size_mb / max(seconds, 1e-9)), flush=True)


if __name__ == "__main__":
    main()
