#!/usr/bin/env python3
"""Checks what items made on Unix keep when zipread extracts them on a POSIX system: their
permission bits (set-id and sticky bits dropped, the umask applied only to items without a Unix
mode), their exact last-write times (extended time and NTFS time blocks; the DOS time
otherwise), and their symbolic links, landed as links only when the target stays inside the
destination. Archives come from Info-ZIP zip and from Python's zipfile, made at test time.

usage: unix_landing_check.py ZIPREAD
"""
import os
import stat
import struct
import subprocess
import sys
import tempfile
import time
import zipfile

failures = []
WHEN = time.mktime((2024, 5, 6, 3, 4, 5, 0, 0, -1))  # an odd second, which DOS times cannot hold


def fail(what):
    failures.append(what)
    print("FAIL:", what)


def ntfs_block(seconds, hundreds_of_ns):
    """An NTFS times block (0x000A) with the given last-write time."""
    steps = (int(seconds) + 11644473600) * 10_000_000 + hundreds_of_ns
    return struct.pack("<HHIHH3Q", 0x000A, 32, 0, 1, 24, steps, steps, steps)


def item(name, mode, data=b"", system=3, extra=b"", date=(2024, 5, 6, 3, 4, 6)):
    info = zipfile.ZipInfo(name, date)
    info.create_system = system
    info.external_attr = mode << 16
    info.extra = extra
    return info, data


def python_archive(path):
    """(item, data) pairs with what each must land as: kind, mode, mtime (None: not checked)."""
    cases = [
        # name, zipinfo, expected kind, mode, mtime
        ("owner-only", item("owner-only", 0o100600, b"x"), "file", 0o600, None),
        ("setuid", item("setuid", 0o104755, b"x"), "file", 0o755, None),
        ("sticky-dir-bits", item("sticky", 0o101777, b"x"), "file", 0o777, None),
        ("read-only", item("read-only", 0o100444, b"x"), "file", 0o444, None),
        ("no unix mode (umask 027)", item("dos-file", 0, b"x", system=0), "file", 0o640, None),
        ("ntfs time", item("ntfs", 0o100644, b"x", extra=ntfs_block(WHEN, 1234567)), "file", None,
         int(WHEN) * 10**9 + 123456700),
        ("dos time", item("dos-time", 0o100644, b"x"), "file", None, int(WHEN + 1) * 10**9),
        ("link inside", item("sub/up", 0o120777, b"../owner-only"), "link", None, None),
        ("link to a folder", item("to-sub", 0o120777, b"sub"), "link", None, None),
        ("link climbing out", item("sub/out", 0o120777, b"../../outside"), "refused", None, None),
        ("link from the root", item("abs", 0o120777, b"/etc/passwd"), "refused", None, None),
        ("link out and back", item("back", 0o120777, b"../dest/owner-only"), "refused", None, None),
        ("empty link", item("empty", 0o120777, b""), "refused", None, None),
        ("through a landed link", item("to-sub/through", 0o100644, b"x"), "refused", None, None),
    ]
    with zipfile.ZipFile(path, "w") as z:
        for _, (info, data), *_ in cases:
            z.writestr(info, data)
    return {info.filename: (title, *expected) for title, (info, _), *expected in cases}


def infozip_archive(work, path):
    src = os.path.join(work, "src")
    os.makedirs(os.path.join(src, "bin"))
    files = {"private.txt": 0o600, "bin/run.sh": 0o755, "group.txt": 0o640}
    for name, mode in files.items():
        full = os.path.join(src, name)
        with open(full, "w") as f:
            f.write(name)
        os.chmod(full, mode)
        os.utime(full, (WHEN, WHEN))
    os.symlink("bin/run.sh", os.path.join(src, "run"))
    subprocess.run(["zip", "-qry", path, "."], cwd=src, check=True)
    expected = {name: (f"zip {name}", "file", mode, int(WHEN) * 10**9) for name, mode in files.items()}
    expected["run"] = ("zip link", "link", None, None)
    return expected


def check(dest, name, title, kind, mode, mtime, links):
    path = os.path.join(dest, name)
    if kind == "refused":
        if os.path.lexists(path):
            fail(f"{title}: {name} was written")
        return
    if not os.path.lexists(path):
        fail(f"{title}: {name} is missing")
        return
    st = os.lstat(path)
    if kind == "link":
        if not stat.S_ISLNK(st.st_mode) or os.readlink(path) != links[name]:
            fail(f"{title}: {name} is not a link to {links[name]!r}")
        return
    if not stat.S_ISREG(st.st_mode):
        fail(f"{title}: {name} is not a file")
    if mode is not None and stat.S_IMODE(st.st_mode) != mode:
        fail(f"{title}: mode {oct(stat.S_IMODE(st.st_mode))}, expected {oct(mode)}")
    if mtime is not None and st.st_mtime_ns != mtime:
        fail(f"{title}: mtime {st.st_mtime_ns}, expected {mtime}")


def main():
    zipread = sys.argv[1]
    with tempfile.TemporaryDirectory() as work:
        os.umask(0o027)
        made = {"python": os.path.join(work, "python.zip"), "zip": os.path.join(work, "zip.zip")}
        expected = {"python": python_archive(made["python"]),
                    "zip": infozip_archive(work, made["zip"])}
        for tool, archive in made.items():
            dest = os.path.join(work, "dest-" + tool)
            os.makedirs(dest)
            p = subprocess.run([zipread, "extract", "-q", "-d", dest, archive],
                               capture_output=True, text=True, timeout=60)
            refused = [n for n, e in expected[tool].items() if e[1] == "refused"]
            if p.returncode != (1 if refused else 0):
                fail(f"{tool}: exit {p.returncode} with {len(refused)} refused items: {p.stderr}")
            with zipfile.ZipFile(archive) as z:
                links = {i.filename: z.read(i).decode() for i in z.infolist()
                         if stat.S_ISLNK(i.external_attr >> 16)}
            for name, (title, kind, mode, mtime) in expected[tool].items():
                check(dest, name, title, kind, mode, mtime, links)
        if os.path.lexists(os.path.join(work, "outside")):
            fail("a link led a file outside the destination")
    print(f"unix landing: {len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
