#!/usr/bin/env python3
"""check_payload.py WINE_RUN ZIPREAD_EXE KIND=PAYLOAD_DIR...

Checks payloads made by make-payload.sh: each PAYLOAD_DIR holds TDfls.zdt and the laid-out
items/ it was made from; KIND is "traditional" or "aes". The archive must hold exactly the
installer's items with every file encrypted by that kind, match the items byte for byte (CRC and size,
whole contents for the small files), and test clean with the project's zipread under Wine
with the password, while the wrong password opens nothing.
"""
import os
import subprocess
import sys
import zipfile
import zlib

PASSWORD = "qarvu-tn.pzo"
TOP_ITEMS = {
    "Talu_Demo_0107B.exe", "Talu_Demo_0107G.exe", "Talu_Demo_0107V.exe", "Talu_Demo_0107J.exe",
    "TaluDemo.ico", "Uninstall.exe", "CSTALU",
}
AES_METHOD = 99
SMALL = 64 * 1024  # files up to this size are compared whole (zipfile decrypts slowly)

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def layout_files(items):
    found = {}
    for folder, _, files in os.walk(items):
        for name in files:
            path = os.path.join(folder, name)
            found[os.path.relpath(path, items).replace(os.sep, "/")] = path
    return found


def check_archive(payload, label, aes):
    archive = os.path.join(payload, "TDfls.zdt")
    with zipfile.ZipFile(archive) as zf:
        entries = zf.infolist()
        check({e.filename.split("/")[0] for e in entries} == TOP_ITEMS,
              f"{label}: top-level items {sorted({e.filename.split('/')[0] for e in entries})}")
        files = [e for e in entries if not e.is_dir()]
        expected = layout_files(os.path.join(payload, "items"))
        check({e.filename for e in files} == set(expected),
              f"{label}: files {sorted(e.filename for e in files)} != layout {sorted(expected)}")
        check(all(e.flag_bits & 1 for e in files), f"{label}: a file item is not encrypted")
        check(all((e.compress_type == AES_METHOD) == aes for e in files),
              f"{label}: a file item is not of this kind of encryption")
        for e in files:
            path = expected.get(e.filename)
            if path is None:
                continue
            data = open(path, "rb").read()
            traditional = e.compress_type != AES_METHOD  # AES items carry a MAC, no CRC
            check(e.file_size == len(data) and (not traditional or e.CRC == zlib.crc32(data)),
                  f"{label}: {e.filename} differs from the layout")
            if traditional and len(data) <= SMALL:
                check(zf.read(e, pwd=PASSWORD.encode()) == data, f"{label}: {e.filename} content")
        return archive, [e.filename for e in entries]


def zipread(wine_run, exe, *args):
    return subprocess.run([wine_run, exe, *args], stdin=subprocess.DEVNULL,
                          capture_output=True, text=True, encoding="utf-8")


def check_with_zipread(wine_run, exe, archive, names, label):
    listing = zipread(wine_run, exe, "list", archive)
    listed = [line.split("\t")[1] for line in listing.stdout.splitlines() if "\t" in line]
    check(listing.returncode == 0 and sorted(listed) == sorted(names),
          f"{label}: zipread list gave {listing.returncode}: {listed}")
    tested = zipread(wine_run, exe, "test", "-q", "-p", PASSWORD, archive)
    check(tested.returncode == 0, f"{label}: zipread test failed: {tested.stdout}{tested.stderr}")
    wrong = zipread(wine_run, exe, "test", "-q", "-p", PASSWORD[::-1], archive)
    check(wrong.returncode != 0, f"{label}: the wrong password passed the test")


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    wine_run, exe, payloads = sys.argv[1], sys.argv[2], sys.argv[3:]
    for argument in payloads:
        label, _, payload = argument.partition("=")
        if label not in ("traditional", "aes"):
            sys.exit(__doc__)
        archive, names = check_archive(payload, label, label == "aes")
        check_with_zipread(wine_run, exe, archive, names, label)
        print(f"{label}: {len(names)} entries checked")
    for failure in failures:
        print("FAIL", failure)
    failed = len({failure.split(":")[0] for failure in failures})
    print(f"{len(payloads) - failed} passed, {failed} failed")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
