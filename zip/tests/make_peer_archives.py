#!/usr/bin/env python3
"""Makes the archives the damage sweep starts from, one per kind, with the peer tools: Info-ZIP
zip (stored, deflate, traditional encryption), 7z (AES-256), Python's zipfile (Zip64 records) and
an Info-ZIP archive behind a stub. Each kind lands as OUTDIR/KIND.zip, with KIND.password when it
is encrypted; a kind whose tool is missing gets KIND.skip holding the reason instead.

usage: make_peer_archives.py OUTDIR
"""
import os
import random
import shutil
import sys
import tempfile
import zipfile

sys.dont_write_bytecode = True  # nothing written into the source folder
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from interop_check import run  # noqa: E402

PASSWORD = "sweep-Pw.7"
NAMES = ["readme.txt", "docs", "data"]
# Every damaged copy is opened by a new archiver, which derives the keys of each AES item afresh:
# the AES kind holds one item, so that its sweep stays about as quick as the others (the other
# kinds cover directories of several items).
AES_NAMES = ["readme.txt"]


# A few small items of every sort: compressible text, random bytes, an empty file, folders and a
# non-ASCII name. Small, so that thousands of damaged copies stay quick to read.
TREE = {
    "readme.txt": b"TaluDemo readme line\n" * 40,
    "docs/Grüße.txt": b"non-ASCII name\n",
    "data/random.bin": random.Random(9).randbytes(1500),
    "data/empty.bin": b"",
}


def make_tree(root):
    for rel, data in TREE.items():
        path = os.path.join(root, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)


def python_zip64(path, src):
    # zipfile writes the Zip64 end records only when the directory needs them; with a zero entry
    # limit it always does. force_zip64 puts Zip64 blocks into the local headers.
    zipfile.ZIP_FILECOUNT_LIMIT = 0
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        for base, _, files in sorted(os.walk(src)):
            for name in sorted(files):
                full = os.path.join(base, name)
                with open(full, "rb") as f, z.open(os.path.relpath(full, src), "w", force_zip64=True) as w:
                    w.write(f.read())


def stubbed(path, src):
    """Data in front of an Info-ZIP archive whose offsets do not count it."""
    plain = path + ".plain"
    run(["zip", "-qr", plain, *NAMES], cwd=src)
    with open(path, "wb") as out, open(plain, "rb") as archive:
        out.write(b"MZ" + b"\x90" * 1022 + archive.read())
    os.remove(plain)


KINDS = {
    "infozip-stored": ("zip", False, lambda p, s: run(["zip", "-qr0", p, *NAMES], s)),
    "infozip-deflate": ("zip", False, lambda p, s: run(["zip", "-qr9", p, *NAMES], s)),
    "infozip-traditional": ("zip", True,
                            lambda p, s: run(["zip", "-qr", "-P", PASSWORD, p, *NAMES], s)),
    "7z-aes256": ("7z", True, lambda p, s: run(
        ["7z", "a", "-tzip", "-mem=AES256", "-p" + PASSWORD, p, *AES_NAMES], s)),
    "python-zip64": (None, False, python_zip64),
    "infozip-stub": ("zip", False, stubbed),
}


def main():
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    out = os.path.abspath(sys.argv[1])
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)
    with tempfile.TemporaryDirectory(prefix="talu-peers-") as src:
        make_tree(src)
        for kind, (tool, encrypted, make) in KINDS.items():
            if tool and not shutil.which(tool):
                with open(os.path.join(out, kind + ".skip"), "w") as f:
                    f.write(f"the tool '{tool}' is not installed (./run deps installs it)")
                continue
            make(os.path.join(out, kind + ".zip"), src)
            if encrypted:
                with open(os.path.join(out, kind + ".password"), "w") as f:
                    f.write(PASSWORD)
    print("peer archives in", out)
    return 0


if __name__ == "__main__":
    sys.exit(main())
