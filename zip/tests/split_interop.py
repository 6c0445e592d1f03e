#!/usr/bin/env python3
"""Checks `zipread list`, `test`, `extract` and `cat` on split archives given by their last
volume: archives that `zip -s` writes at test time (64 KiB volumes, items larger than a volume,
stored and deflated, with a traditional password, and 400 small items whose directory starts in
an earlier volume than the last), a Zip64 one with its end records moved as a writer moves
records that do not fit (all three alone in the last volume, or the end record alone there and
the other two ending the volume before), and the corpus's split archive, read where it lies. 7z
reads the same archives: its list and its extracted files must agree item for item. A missing
middle volume fails its items, and the tool names the file it looked for.

usage: split_interop.py ZIPREAD [--runner PROGRAM] [--corpus DIR]
"""
import filecmp
import os
import random
import shutil
import struct
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from interop_check import fail, failures, run, tool_from_args  # noqa: E402

PASSWORD = "qarvu-tn.pzo"
CORPUS_SPLIT = os.path.join("commons-compress", "split_zip_created_by_zip.zip")


def sevenzip_items(path, password=None):
    """(name, size, crc) of every file item as 7z lists it."""
    args = ["7z", "l", "-slt", "-p" + (password or ""), path]
    out = subprocess.run(args, capture_output=True, text=True, check=True).stdout
    items, record = [], {}
    for line in out.split("\n") + [""]:
        if " = " in line:
            key, value = line.split(" = ", 1)
            record[key] = value
        elif record:
            if "CRC" in record and record.get("Folder") != "+":
                items.append((record["Path"], int(record["Size"]), int(record["CRC"] or "0", 16)))
            record = {}
    return items


def check_archive(tool, work, title, path, password=None):
    """zipread lists what 7z lists, tests every item, and extracts the files 7z extracts."""
    rows, err = tool.items(path)
    if rows is None:
        fail(f"{title}: list failed: {err}")
        return
    listed = [(name.replace("\\", "/"), size, crc) for name, size, _, crc in rows if not name.endswith("/")]
    if sorted(listed) != sorted(sevenzip_items(path, password)):
        fail(f"{title}: list differs from 7z")
    secret = ["-p", password] if password else []
    rc, _, err = tool.call("test", path, "-q", *secret)
    if rc != 0:
        fail(f"{title}: test exit {rc}: {err.strip()}")
    ours, theirs = os.path.join(work, title + "-zipread"), os.path.join(work, title + "-7z")
    rc, _, err = tool.call("extract", path, "-q", *secret, "-d", ours)
    if rc != 0:
        fail(f"{title}: extract exit {rc}: {err.strip()}")
    run(["7z", "x", "-y", "-p" + (password or ""), "-o" + theirs, path])
    for name, _, _ in listed:
        if not filecmp.cmp(os.path.join(ours, name), os.path.join(theirs, name), shallow=False):
            fail(f"{title}: {name} differs from 7z's")
    name = max(listed, key=lambda item: item[1])[0]
    rc, data, err = tool.call_bytes("cat", path, *secret, name)
    with open(os.path.join(theirs, name), "rb") as f:
        if rc != 0 or data != f.read():
            fail(f"{title}: cat {name} differs (exit {rc}) {err.strip()}")


def make_split_archives(work):
    src = os.path.join(work, "src")
    os.makedirs(src)
    rng = random.Random(5)
    with open(os.path.join(src, "noise.bin"), "wb") as f:
        f.write(bytes(rng.getrandbits(8) for _ in range(200000)))
    with open(os.path.join(src, "words.txt"), "w") as f:
        f.write("".join(rng.choice("talu demo \n") for _ in range(400000)))
    with open(os.path.join(src, "small.txt"), "w") as f:
        f.write("small\n")
    # Long names make the directory larger than a volume, so that it starts in an earlier one.
    many = os.path.join(src, "many")
    os.makedirs(many)
    for i in range(400):
        with open(os.path.join(many, "long-name-" * 11 + f"{i:03}.bin"), "wb") as f:
            f.write(rng.randbytes(300))
    names = ["noise.bin", "words.txt", "small.txt"]
    archives = {}
    cases = (("stored", ["-0"], names), ("deflated", [], names),
             ("password", ["-P", PASSWORD], names), ("long-directory", ["-r"], ["many"]))
    for title, options, sources in cases:
        folder = os.path.join(work, title)
        os.makedirs(folder)
        archives[title] = os.path.join(folder, "split.zip")
        run(["zip", "-q", "-s", "64k", *options, archives[title], *sources], cwd=src)
    return archives


def move_end_records(path, moved):
    """Moves the last `moved` of the three end records of the split archive `path` (written by
    zip -fz, the Zip64 end record, its locator and the end record at the end of its last volume)
    into a new last volume; the others end the volume before it."""
    with open(path, "rb") as f:
        data = f.read()
    start = struct.unpack_from("<Q", data, len(data) - 42 + 8)[0]
    body, zip64, end = data[:start], bytearray(data[start:-42]), bytearray(data[-22:])
    old_disk = struct.unpack_from("<H", end, 4)[0]
    new_disk = old_disk + 1
    zip64_disk = new_disk if moved == 3 else old_disk
    struct.pack_into("<I", zip64, 16, zip64_disk)
    struct.pack_into("<Q", zip64, 24, 0)  # no directory entries on the records' volume
    locator = struct.pack("<IIQI", 0x07064B50, zip64_disk, 0 if moved == 3 else len(body),
                          new_disk + 1)
    struct.pack_into("<HHH", end, 4, new_disk, struct.unpack_from("<H", end, 6)[0], 0)
    records = [bytes(zip64), locator, bytes(end)]
    os.rename(path, os.path.join(os.path.dirname(path), "split.z%02d" % new_disk))
    with open(os.path.join(os.path.dirname(path), "split.z%02d" % new_disk), "wb") as f:
        f.write(body + b"".join(records[:3 - moved]))
    with open(path, "wb") as f:
        f.write(b"".join(records[3 - moved:]))


def make_moved_records_archives(work):
    src = os.path.join(work, "src")
    archives = {}
    for moved in (3, 1):
        title = f"zip64-{moved}-records-moved"
        folder = os.path.join(work, title)
        os.makedirs(folder)
        archives[title] = os.path.join(folder, "split.zip")
        run(["zip", "-q", "-fz", "-s", "64k", archives[title], "noise.bin", "small.txt"], cwd=src)
        move_end_records(archives[title], moved)
    return archives


def check_missing_volume(tool, work, archive):
    folder = os.path.join(work, "missing")
    shutil.copytree(os.path.dirname(archive), folder)
    os.remove(os.path.join(folder, "split.z02"))
    rc, _, err = tool.call("test", os.path.join(folder, "split.zip"), "-q")
    if rc == 0 or "volume not found: " + os.path.join(folder, "split.z02") not in err:
        fail(f"missing volume: exit {rc}, {err.strip()}")


def main():
    tool, args = tool_from_args()
    with tempfile.TemporaryDirectory(prefix="talu-split-") as work:
        archives = make_split_archives(work)
        archives.update(make_moved_records_archives(work))
        for title, path in archives.items():
            check_archive(tool, work, title, path, PASSWORD if title == "password" else None)
        check_missing_volume(tool, work, archives["deflated"])
        if args.corpus and os.path.isdir(args.corpus):
            check_archive(tool, work, "corpus", os.path.join(args.corpus, CORPUS_SPLIT))
        elif args.corpus:
            print(f"corpus not found at {args.corpus}: its split archive not checked")
    print(f"{len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
