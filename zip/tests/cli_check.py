#!/usr/bin/env python3
"""Checks zipread's command line on real runs over archives that Info-ZIP zip and Python's
zipfile write at test time: where options may stand, what each outcome prints and its exit
code (one table), that Ctrl-C or SIGTERM in the middle of a large item leaves no partial file
and ends with exit 80, and that Ctrl-C at a password prompt gives the terminal its echo back.

usage: cli_check.py ZIPREAD
"""
import os
import select
import signal
import struct
import subprocess
import sys
import tempfile
import termios
import time
import zipfile
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from wrong_password import wrong_password  # noqa: E402

failures = []


def fail(what):
    failures.append(what)
    print("FAIL:", what)


def make_archives(work):
    src = os.path.join(work, "src")
    os.makedirs(os.path.join(src, "d"))
    for name, text in (("a.txt", "alpha\n"), ("d/B.TXT", "bravo\n"), ("d/c.log", "charlie\n"),
                       ("-dash.txt", "dash\n")):
        open(os.path.join(src, name), "w").write(text)
    paths = {k: os.path.join(work, k + ".zip") for k in ("plain", "secret", "lzma", "damaged", "cp866")}
    subprocess.run(["zip", "-qr", paths["plain"], "a.txt", "d", "--", "-dash.txt"], cwd=src, check=True)
    # A name stored as DOS Cyrillic bytes, without the UTF-8 flag.
    russian = os.path.join(work, "russian")
    os.makedirs(russian)
    open(os.path.join(russian.encode(), "Привет.txt".encode("cp866")), "w").write("privet\n")
    subprocess.run(["zip", "-q", paths["cp866"], "-r", "."], cwd=russian, check=True)
    subprocess.run(["zip", "-qr", "-P", "right", paths["secret"], "a.txt"], cwd=src, check=True)
    with zipfile.ZipFile(paths["damaged"], "w") as z:
        z.writestr("a.txt", "alpha\n" * 100, zipfile.ZIP_DEFLATED)
    good = open(paths["damaged"], "rb").read()
    damaged = bytearray(good)
    damaged[30 + len("a.txt") + 3] ^= 0xFF  # inside the deflated data
    open(paths["damaged"], "wb").write(damaged)
    # LZMA's method number in both headers: a method zipread does not read.
    lzma = bytearray(good)
    for at in (8, lzma.rfind(b"PK\x01\x02") + 10):
        lzma[at] = 14
    open(paths["lzma"], "wb").write(lzma)
    return paths


def run(tool, args, cwd):
    p = subprocess.run([tool, *args], capture_output=True, cwd=cwd, stdin=subprocess.DEVNULL,
                       timeout=120)
    return p.returncode, p.stdout.decode(errors="replace"), p.stderr.decode(errors="replace")


def check_table(tool, work, a):
    out = os.path.join(work, "out")
    os.makedirs(out)
    existing = os.path.join(work, "existing")
    subprocess.run([tool, "extract", "-q", a["plain"], "-d", existing], check=True)
    # args, exit code, text in stderr (or stdout when it starts with "out:"), files left in
    # the destination (None: not checked); "-" in stderr text means "not in it".
    wrong = wrong_password(a["secret"], "a.txt")
    cases = [
        (["extract", a["plain"], "-qo", "-d", out + "/1"], 0, "", {"a.txt", "d/B.TXT", "d/c.log", "-dash.txt"}),
        (["extract", "-d" + out + "/2", a["plain"], "a.txt"], 0, "out:extracted: a.txt", {"a.txt"}),
        (["extract", f"--dir={out}/3", a["plain"], "-j", "-x", "*.log", "--", "-dash.txt"], 0, "", {"a.txt", "B.TXT"}),
        (["extract", a["plain"], "-q", "d/[a-b]*", "[!a-z]*", "-d", out + "/5"], 0, "", {"d/B.TXT", "-dash.txt"}),
        (["test", a["plain"], "-C", "d/b.txt"], 11, "no item matches d/b.txt", None),
        (["test", a["plain"], "-C", "d/B.TXT"], 0, "", None),
        (["list", a["plain"], "-l"], 0, "out:          25            25     0%  4 files, 5 items\n", None),
        (["test", a["plain"], "--", "-dash.txt"], 0, "out:1 item tested: 1 fine, 0 failed, 0 skipped", None),
        (["test", "-qq", a["plain"]], 0, "-tested", None),
        (["test", a["plain"], "-z"], 10, "unknown option -z", None),
        (["list", a["plain"], "-o"], 10, "option --overwrite does not apply to list", None),
        (["extract", a["plain"], "-d"], 10, "option --dir needs a value", None),
        (["test", a["plain"], "a.txt", "nothing*"], 11, "zipread: no item matches nothing*", None),
        (["test", os.path.join(work, "missing.zip")], 9, "No such file or directory", None),
        (["test", work], 9, "is a folder", None),
        (["extract", a["plain"], "-d", existing], 1, "d/c.log: exists; kept (no terminal", None),
        (["extract", a["damaged"], "--corrupted", "-q", "-d", out + "/4"], 1, "a.txt: kept, but its data fails its check", {"a.txt"}),
        (["test", a["damaged"]], 2, "a.txt: Invalid size or check sum", None),
        (["test", a["damaged"]], 2, "-Native error", None),
        (["test", a["damaged"], "-v"], 2, "Native error: 00008", None),
        (["test", a["secret"], "-p", wrong], 82, "a.txt: skipped: incorrect password", None),
        (["test", a["secret"]], 82, "a.txt: skipped: no password given", None),
        (["test", a["secret"], "-p", "right"], 0, "", None),
        (["test", a["lzma"]], 81, "compression method 14 is not supported", None),
        (["extract", a["plain"], "-q", "-d", a["plain"]], 2, "Not a directory", None),
        (["cat", a["plain"], "missing.txt"], 11, "not found", None),
        (["extract", a["cp866"], "-q", "-O", "CP866", "-d", out + "/6"], 0, "", {"Привет.txt"}),
        (["list", a["cp866"], "--charset=no-such-set"], 10, "unknown character set: no-such-set", None),
    ]
    for args, code, text, files in cases:
        rc, stdout, stderr = run(tool, args, work)
        shown = " ".join(os.path.relpath(x, work) if x.startswith(work) else x for x in args)
        where, want = (stdout, text[4:]) if text.startswith("out:") else (stderr, text)
        found = want.lstrip("-") in where
        if rc != code or (want and found == want.startswith("-")):
            fail(f"{shown}: exit {rc} (want {code}), stdout {stdout!r}, stderr {stderr!r}")
        if files is not None and "-d" in " ".join(args):
            dest = next(x[len("--dir="):] if x.startswith("--dir=") else x[2:] if x.startswith("-d") and len(x) > 2
                        else args[i + 1] for i, x in enumerate(args) if x.startswith(("-d", "--dir")))
            got = {os.path.relpath(os.path.join(b, f), dest) for b, _, fs in os.walk(dest) for f in fs}
            if got != files:
                fail(f"{shown}: files {sorted(got)}, want {sorted(files)}")


def large_archive(path, size):
    """One deflated item of `size` zero bytes, written without compressing them all."""
    chunk = 1 << 20
    z = zlib.compressobj(1, zlib.DEFLATED, -15)
    block = z.compress(bytes(chunk)) + z.flush(zlib.Z_FULL_FLUSH)
    tail = z.flush()
    crc = 0
    for _ in range(size // chunk):
        crc = zlib.crc32(bytes(chunk), crc)
    packed = len(block) * (size // chunk) + len(tail)
    name = b"big.bin"
    with open(path, "wb") as f:
        f.write(struct.pack("<IHHHHHIIIHH", 0x04034B50, 20, 0, 8, 0, 0x21, crc, packed, size, len(name), 0) + name)
        for _ in range(size // chunk):
            f.write(block)
        f.write(tail)
        cd = f.tell()
        f.write(struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 20, 20, 0, 8, 0, 0x21, crc, packed, size,
                            len(name), 0, 0, 0, 0, 0, 0) + name)
        end = f.tell()
        f.write(struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, 1, 1, end - cd, cd, 0))


def check_interrupt(tool, work):
    archive = os.path.join(work, "big.zip")
    large_archive(archive, 1 << 30)
    for sig in (signal.SIGINT, signal.SIGTERM):
        out = os.path.join(work, f"int-{sig}")
        target = os.path.join(out, "big.bin")
        p = subprocess.Popen([tool, "extract", "-q", archive, "-d", out], stdin=subprocess.DEVNULL,
                             stderr=subprocess.PIPE)
        deadline = time.time() + 60
        while p.poll() is None and time.time() < deadline and \
                (not os.path.exists(target) or os.path.getsize(target) < (1 << 20)):
            time.sleep(0.001)
        p.send_signal(sig)
        err = p.communicate(timeout=60)[1].decode(errors="replace")
        if p.returncode != 80 or os.path.exists(target) or "interrupted" not in err:
            fail(f"signal {sig}: exit {p.returncode}, partial file left: {os.path.exists(target)}, {err!r}")


def check_prompt_interrupt(tool, archive):
    """Ctrl-C at a password prompt gives the terminal its echo back."""
    master, slave = os.openpty()
    p = subprocess.Popen([tool, "test", archive], stdin=slave, stdout=subprocess.DEVNULL, stderr=slave)
    seen, deadline = b"", time.time() + 30
    while b"Enter password" not in seen and time.time() < deadline:
        if select.select([master], [], [], 0.2)[0]:
            seen += os.read(master, 4096)
    p.send_signal(signal.SIGINT)
    p.wait(timeout=30)
    if p.returncode != 80 or not termios.tcgetattr(slave)[3] & termios.ECHO:
        fail(f"Ctrl-C at the password prompt: exit {p.returncode}, echo {termios.tcgetattr(slave)[3] & termios.ECHO}")
    os.close(master)
    os.close(slave)


def main():
    tool = os.path.abspath(sys.argv[1])
    with tempfile.TemporaryDirectory(prefix="talu-cli-") as work:
        archives = make_archives(work)
        check_table(tool, work, archives)
        check_prompt_interrupt(tool, archives["secret"])
        check_interrupt(tool, work)
    print("cli:", "FAILED" if failures else "passed", f"({len(failures)} failures)")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
