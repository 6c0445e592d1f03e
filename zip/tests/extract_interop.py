#!/usr/bin/env python3
"""Checks `zipread test`, `extract`, `cat` and `check-password` on archives that real tools write
at test time (Info-ZIP zip with and without a password, 7z with ZipCrypto and AES, Python's
zipfile with Zip64, bsdtar): every extracted file must equal its original byte for byte, a
flipped byte must fail with native error 8, and hostile item names must write nothing outside
the destination.

usage: extract_interop.py ZIPREAD [--runner PROGRAM]
"""
import os
import sys
import tempfile
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from interop_check import fail, failures, make_archives, make_tree, run, tool_from_args  # noqa: E402

PASSWORD = "qarvu-tn.pzo"
CRC_ERROR = "Invalid size or check sum of file or unsupported compression format - Native error: 00008"


def encrypted_archives(work, src):
    names = ["readme.txt", "docs", "data"]
    out = {"zip -P": os.path.join(work, "zipcrypto-infozip.zip")}
    run(["zip", "-qr", "-P", PASSWORD, out["zip -P"], *names], cwd=src)
    for method in ("ZipCrypto", "AES128", "AES256"):
        out["7z " + method] = os.path.join(work, f"7z-{method}.zip")
        run(["7z", "a", "-tzip", f"-mem={method}", f"-p{PASSWORD}", out["7z " + method], *names], cwd=src)
    return out


def source_name(info):
    """The item's stored name bytes read as UTF-8: the path of its source file."""
    raw = info.orig_filename.encode("utf-8" if info.flag_bits & 0x800 else "cp437")
    return raw.decode("utf-8")


def check_extraction(tool, work, src, archives):
    """Every file item lands under the name zipread lists for it, with its source's bytes."""
    for title, path in archives.items():
        out = os.path.join(work, "out-" + title.replace(" ", "-"))
        rc, _, err = tool.call("extract", path, "-q", "-p", PASSWORD, "-d", out)
        if rc != 0:
            fail(f"{title}: extract exit {rc}: {err.strip()}")
            continue
        rows, _ = tool.items(path)
        infos = zipfile.ZipFile(path).infolist()
        for (listed, *_), info in zip(rows or [], infos):
            if info.is_dir():
                continue
            with open(os.path.join(src, source_name(info)), "rb") as f:
                original = f.read()
            extracted = os.path.join(out, listed)
            if not os.path.isfile(extracted) or open(extracted, "rb").read() != original:
                fail(f"{title}: {listed} differs after extraction")
        rc, _, err = tool.call("test", path, "-q", "-p", PASSWORD)
        if rc != 0:
            fail(f"{title}: test exit {rc}: {err.strip()}")


def check_flipped_byte(tool, work, source):
    data = bytearray(open(source, "rb").read())
    info = zipfile.ZipFile(source).getinfo("readme.txt")
    data[info.header_offset + 30 + len(info.filename) + len(info.extra) + 10] ^= 0xFF
    path = os.path.join(work, "flipped.zip")
    open(path, "wb").write(data)
    rc, out, err = tool.call("test", path, "-q", "-v")
    if rc != 2 or CRC_ERROR not in out + err:
        fail(f"flipped byte: test exit {rc}, message {err.strip()!r}")


def check_passwords(tool, archives, plain):
    cases = [(plain, "readme.txt", "anything", "valid")]
    for title in ("zip -P", "7z ZipCrypto", "7z AES128", "7z AES256"):
        cases += [(archives[title], "readme.txt", PASSWORD, "valid"),
                  (archives[title], "readme.txt", "wrong-one", "invalid")]
    for path, name, password, expected in cases:
        rc, out, err = tool.call("check-password", path, "-p", password, name)
        if rc != 0 or out.strip() != expected:
            fail(f"check-password {os.path.basename(path)} {password}: {rc} {out.strip()} {err.strip()}")
    # The password from a file, from standard input or from the environment: never on the command
    # line, where the process list shows it. -p comes before the others.
    secret = os.path.join(os.path.dirname(plain), "password.txt")
    open(secret, "w").write(PASSWORD + "\r\n")
    aes = archives["7z AES256"]
    for options, how, expected in ((["--password-file", secret], {}, "valid"),
                                   (["--password-file", "-"], {"stdin": PASSWORD.encode() + b"\n"}, "valid"),
                                   ([], {"env": {"ZIPREAD_PASSWORD": PASSWORD}}, "valid"),
                                   (["-p", "wrong-one"], {"env": {"ZIPREAD_PASSWORD": PASSWORD}}, "invalid")):
        rc, out, err = tool.call("check-password", aes, *options, "readme.txt", **how)
        if rc != 0 or out.strip() != expected:
            fail(f"check-password {options} {list(how)}: {rc} {out.strip()} {err.strip()}")
    rc, _, err = tool.call("check-password", plain, "-p", "x", "-v", "missing.txt")
    if rc != 11 or "00042" not in err:
        fail(f"check-password on a missing name: exit {rc}, {err.strip()!r}")


def check_window(tool, archive, src):
    original = open(os.path.join(src, "data", "random.bin"), "rb").read()
    rc, out, _ = tool.call_bytes("cat", archive, "--offset", "65530", "--count", "1000", "data/random.bin")
    if rc != 0 or out != original[65530:66530]:
        fail(f"cat window: exit {rc}, {len(out)} bytes")


def check_hostile_names(tool, work):
    hostile = ["../evil.txt", "/abs.txt", "C:\\drive.txt", "\\\\server\\share\\unc.txt",
               "sub/../../up.txt", "..\\back.txt"]
    path = os.path.join(work, "hostile.zip")
    with zipfile.ZipFile(path, "w") as z:
        for name in hostile:
            z.writestr(zipfile.ZipInfo(name), b"evil")
        z.writestr("safe.txt", b"safe")
    root = os.path.join(work, "jail")
    out = os.path.join(root, "out")
    os.makedirs(out)
    rc, _, err = tool.call("extract", path, "-q", "-d", out)
    written = sorted(os.path.relpath(os.path.join(b, f), root)
                     for b, _, files in os.walk(root) for f in files)
    if rc != 1 or written != [os.path.join("out", "safe.txt")]:
        fail(f"hostile names: exit {rc}, files written {written}")
    # Without a terminal: one line per refused item, the name as stored where "/" separates.
    shown = "sub\\..\\..\\up.txt" if tool.windows else "sub/../../up.txt"
    if "\n\n" in err or not err.startswith(("../evil.txt: ", "..\\evil.txt: ")) or shown + ": " not in err:
        fail(f"hostile names: messages {err!r}")
    for stray in ("evil.txt", "abs.txt", "up.txt", "back.txt"):
        if os.path.exists(os.path.join(work, stray)) or os.path.exists("/" + stray):
            fail(f"hostile names: {stray} escaped")


def main():
    tool, _ = tool_from_args(corpus=False)
    with tempfile.TemporaryDirectory(prefix="talu-extract-") as work:
        src = os.path.join(work, "src")
        make_tree(src)
        plain = make_archives(work, src)
        encrypted = encrypted_archives(work, src)
        check_extraction(tool, work, src, {**plain, **encrypted})
        check_flipped_byte(tool, work, plain["zip"])
        check_passwords(tool, encrypted, plain["zip"])
        check_window(tool, plain["zip"], src)
        check_hostile_names(tool, work)
    print("extract interop:", "FAILED" if failures else "passed", f"({len(failures)} failures)")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
