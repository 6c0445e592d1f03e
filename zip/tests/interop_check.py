#!/usr/bin/env python3
"""Checks `zipread list` and `zipread info` against Python's zipfile on archives that real tools
write at test time (Info-ZIP zip, 7z, Python zipfile, bsdtar), on damaged copies of them, and on
the real-world archives of the corpus.

usage: interop_check.py ZIPREAD [--runner PROGRAM] [--corpus DIR]
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import zipfile
import zlib

failures = []


def fail(what):
    failures.append(what)
    print("FAIL:", what)


def run(args, cwd=None):
    subprocess.run(args, cwd=cwd, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


class ZipRead:
    def __init__(self, exe, runner):
        self.prefix = ([runner] if runner else []) + [exe]
        self.windows = exe.endswith(".exe")  # messages name items with backslashes there

    def call_bytes(self, verb, path, *options, stdin=b"", env=None):
        """Options after the archive are operands (masks, item names). `env` adds variables."""
        before = [o for o in options if not self._operand(options, o)]
        after = [o for o in options if self._operand(options, o)]
        p = subprocess.run(self.prefix + [verb, *before, path, *after], capture_output=True,
                           timeout=300, input=stdin, env={**os.environ, **(env or {})})
        return p.returncode, p.stdout, p.stderr.decode("utf-8", "replace")

    @staticmethod
    def _operand(options, option):
        """The last option is an operand when it is neither a flag nor a flag's value."""
        i = options.index(option)
        takes_value = ("-p", "-d", "--offset", "--count")
        return i == len(options) - 1 and not option.startswith("-") and \
            (i == 0 or options[i - 1] not in takes_value)

    def call(self, verb, path, *options, **how):
        rc, out, err = self.call_bytes(verb, path, *options, **how)
        return rc, out.decode("utf-8", "replace"), err

    def items(self, path, *options):
        """(name, size, compressed size, crc) per item, or None when the tool failed. A name may
        hold tabs and line breaks: an item's line starts with its index."""
        rc, out, err = self.call("list", path, *options)
        if rc != 0:
            return None, err.strip()
        rows, pending = [], ""
        for line in out.split("\n")[:-1]:
            pending = line if not pending else pending + "\n" + line
            fields = pending.split("\t", 1)[-1].rsplit("\t", 8)
            if len(fields) == 9 and fields[1].isdigit() and pending.startswith(f"{len(rows)}\t"):
                rows.append((fields[0], int(fields[1]), int(fields[2]), int(fields[3], 16)))
                pending = ""
        return rows, ""

    def info(self, path, *options):
        """The facts of `info`, or the exit code and message when the tool failed."""
        rc, out, err = self.call("info", path, *options)
        if rc != 0:
            return {"failed": f"exit {rc}: {err.strip()}"}
        return dict(line.split(": ", 1) for line in out.splitlines())


def unicode_path(info):
    """The name of an Info-ZIP Unicode Path extra block whose CRC matches the stored name."""
    raw = info.orig_filename.encode("utf-8" if info.flag_bits & 0x800 else "cp437")
    extra = info.extra
    while len(extra) >= 4:
        tag, size = int.from_bytes(extra[:2], "little"), int.from_bytes(extra[2:4], "little")
        data = extra[4:4 + size]
        if tag == 0x7075 and len(data) > 5 and data[0] == 1 and \
                int.from_bytes(data[1:5], "little") == zlib.crc32(raw):
            return data[5:].decode("utf-8")
        extra = extra[4 + size:]
    return None


def expected_name(info, oem, rebuilt):
    """The name zipread should show, or None where it follows code-page rules Python lacks (the
    OEM code page; the ANSI code page for unmarked names of a rebuilt directory)."""
    if unicode_path(info) or info.flag_bits & 0x800 or info.orig_filename.isascii():
        return unicode_path(info) or info.orig_filename
    if oem or rebuilt:
        return None
    try:
        return info.orig_filename.encode("cp437").decode("utf-8")
    except UnicodeDecodeError:
        return None


def expected_items(path, oem=True, rebuilt=False):
    with zipfile.ZipFile(path) as z:
        return [(expected_name(i, oem, rebuilt), i.file_size, i.compress_size, i.CRC)
                for i in z.infolist()]


def same_items(got, expected):
    return len(got) == len(expected) and all(
        g[1:] == e[1:] and e[0] in (None, g[0]) for g, e in zip(got, expected))


def compare(tool, title, path, expected, info=None, options=()):
    got, err = tool.items(path, *options)
    if got is None:
        fail(f"{title}: zipread failed: {err}")
        return
    if not same_items(got, expected):
        diff = [(g, e) for g, e in zip(got, expected) if not same_items([g], [e])][:3]
        fail(f"{title}: items differ ({len(got)} vs {len(expected)}): {diff}")
    facts = tool.info(path, *options) if info else {}
    for key, value in (info or {}).items():
        if facts.get(key) != value:
            fail(f"{title}: info {key} is {facts.get(key)}, expected {value} ({facts.get('failed', '')})")


def make_tree(root):
    os.makedirs(os.path.join(root, "docs", "empty"))
    os.makedirs(os.path.join(root, "data"))
    with open(os.path.join(root, "readme.txt"), "w") as f:
        f.write("TaluDemo readme\n" * 200)
    with open(os.path.join(root, "docs", "Grüße.txt"), "w") as f:
        f.write("non-ASCII name\n")
    with open(os.path.join(root, "docs", "日本.txt"), "w") as f:
        f.write("CJK name\n")
    open(os.path.join(root, "data", "zero.bin"), "wb").close()
    with open(os.path.join(root, "data", "random.bin"), "wb") as f:
        f.write(os.urandom(70000))


def make_archives(work, src):
    out = {}
    names = ["readme.txt", "docs", "data"]
    out["zip"] = os.path.join(work, "infozip.zip")
    run(["zip", "-qr", out["zip"], *names], cwd=src)
    out["7z"] = os.path.join(work, "7z.zip")
    run(["7z", "a", "-tzip", out["7z"], *names], cwd=src)
    out["bsdtar"] = os.path.join(work, "bsdtar.zip")
    run(["bsdtar", "--format", "zip", "-cf", out["bsdtar"], *names], cwd=src)
    out["python-zip64"] = os.path.join(work, "python64.zip")
    with zipfile.ZipFile(out["python-zip64"], "w", zipfile.ZIP_DEFLATED) as z:
        for base, dirs, files in sorted(os.walk(src)):
            for name in sorted(files):
                full = os.path.join(base, name)
                with open(full, "rb") as f, z.open(os.path.relpath(full, src), "w", force_zip64=True) as w:
                    w.write(f.read())
    return out


def stubbed(work, source, name, adjust):
    path = os.path.join(work, name)
    with open(path, "wb") as f:
        f.write(b"MZ" + b"\x90" * 4094)
        with open(source, "rb") as s:
            f.write(s.read())
    if adjust:
        run(["zip", "-qA", path])
    return path


def damaged(work, source, name, change):
    data = bytearray(open(source, "rb").read())
    path = os.path.join(work, name)
    open(path, "wb").write(change(data))
    return path


def cut_directory(data):
    """A download that stopped a few bytes into the central directory."""
    return bytes(data[:data.find(b"PK\x01\x02") + 10])


def break_end_record(data):
    at = data.rfind(b"PK\x05\x06")
    data[at:at + 4] = b"XX\x05\x06"
    return bytes(data)


def check_tools(tool, work):
    src = os.path.join(work, "src")
    make_tree(src)
    archives = make_archives(work, src)
    for title, path in archives.items():
        # Info-ZIP stores the names' UTF-8 bytes unmarked: read them without the OEM code page.
        options = ("--no-oem-names",) if title == "zip" else ()
        expected = expected_items(path, oem=not options)
        compare(tool, title, path, expected,
                {"rebuilt": "no", "stub-size": "0", "items": str(len(expected))}, options)
        rebuilt = expected_items(path, oem=not options, rebuilt=True)
        compare(tool, title + " cut directory", damaged(work, path, title + "-cut.zip", cut_directory),
                rebuilt, {"rebuilt": "yes"}, options)
        compare(tool, title + " damaged end record",
                damaged(work, path, title + "-noend.zip", break_end_record), rebuilt,
                {"rebuilt": "yes"}, options)
        for adjust in (True, False) if title == "zip" else (False,):
            sfx = stubbed(work, path, f"{title}-stub{int(adjust)}.zip", adjust)
            compare(tool, f"{title} stub adjusted={adjust}", sfx, expected,
                    {"stub-size": "4096", "rebuilt": "no"}, options)
    commented = os.path.join(work, "comment.zip")
    shutil.copy(archives["zip"], commented)
    with zipfile.ZipFile(commented, "a") as z:
        z.comment = b"c" * 65535
    compare(tool, "65535-byte comment", commented, expected_items(commented),
            {"comment-length": "65535"})
    for args in ([], ["list"], ["list", "a.zip", "b.zip"], ["extract-all", "a.zip"], ["info", "--bad", "a.zip"]):
        p = subprocess.run(tool.prefix + args, capture_output=True, timeout=300)
        if p.returncode != 10 or b"usage:" not in p.stderr:
            fail(f"usage {args}: exit {p.returncode}")
    for args, expected in ((["--version"], b"zipread 1.0.7.0"), (["--help"], b"--password-file")):
        p = subprocess.run(tool.prefix + args, capture_output=True, timeout=300)
        if p.returncode != 0 or expected not in p.stdout:
            fail(f"{args}: exit {p.returncode}, {p.stdout[:80]!r}")
    text = os.path.join(work, "text.txt")
    open(text, "w").write("This is not an archive.\n" * 10)
    rc, _, err = tool.call("list", text, "-v")
    if rc != 3 or err.replace("\r\n", "\n") != f"zipread: {text}: Invalid archive file. - Native error: 00035\n":
        fail(f"text file: exit {rc}, stderr {err!r}")


def check_corpus(tool, corpus):
    """Every corpus file ends in a listing or an archive error; where Python lists a file, sizes and
    CRCs agree (names too where they are ASCII)."""
    for line in open(os.path.join(corpus, "MANIFEST.tsv"), encoding="utf-8").read().splitlines()[1:]:
        fields = line.split("\t")
        rel, python_list = fields[0], fields[10]
        path = os.path.join(corpus, rel)
        rc, _, err = tool.call("list", path)
        if rc not in (0, 2, 3) or (rc != 0 and not err.startswith("zipread: ")):
            fail(f"corpus {rel}: exit {rc} {err.strip()}")
            continue
        if not python_list.startswith("yes") or "damaged" in fields[7]:
            continue
        got, err = tool.items(path)
        if got is None:
            fail(f"corpus {rel}: Python lists it, zipread failed: {err}")
            continue
        if not same_items(got, expected_items(path)):
            fail(f"corpus {rel}: items differ from Python's")


def tool_from_args(corpus=True):
    """The zipread under test and the arguments: ZIPREAD [--runner PROGRAM] [--corpus DIR]."""
    parser = argparse.ArgumentParser()
    parser.add_argument("zipread")
    parser.add_argument("--runner")
    if corpus:
        parser.add_argument("--corpus")
    args = parser.parse_args()
    return ZipRead(os.path.abspath(args.zipread), args.runner), args


def main():
    tool, args = tool_from_args()
    with tempfile.TemporaryDirectory(prefix="talu-interop-") as work:
        check_tools(tool, work)
    if args.corpus and os.path.isdir(args.corpus):
        check_corpus(tool, args.corpus)
    print("interop:", "FAILED" if failures else "passed", f"({len(failures)} failures)")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
