#!/usr/bin/env python3
"""Reads a shell link (.lnk) file from outside Windows and checks what it holds.

    read_lnk.py LINK.lnk                       prints the fields, one "name=value" per line
    read_lnk.py LINK.lnk --target T [--icon I] [--workdir W] [--args A] [--description D]
                                               exits 1 naming every field that differs

Fields: target (the local path of the link information), icon (icon location and index, as
"path,index"; empty when the link has none), workdir, args, description, relative (the
relative path, printed only).
"""
import argparse
import struct
import sys

HEADER_SIZE = 0x4C
LINK_CLSID = bytes.fromhex("0114020000000000c000000000000046")

# Link flags.
HAS_ID_LIST = 0x1
HAS_LINK_INFO = 0x2
HAS_NAME = 0x4
HAS_RELATIVE_PATH = 0x8
HAS_WORKING_DIR = 0x10
HAS_ARGUMENTS = 0x20
HAS_ICON_LOCATION = 0x40
IS_UNICODE = 0x80

# The optional strings, in the order the file stores them.
STRING_FIELDS = [(HAS_NAME, "description"), (HAS_RELATIVE_PATH, "relative"),
                 (HAS_WORKING_DIR, "workdir"), (HAS_ARGUMENTS, "args"),
                 (HAS_ICON_LOCATION, "icon_path")]


class LinkError(Exception):
    pass


def _u32(data, offset):
    if offset + 4 > len(data):
        raise LinkError("truncated at %d" % offset)
    return struct.unpack_from("<I", data, offset)[0]


def _zero_terminated(data, offset, wide):
    if wide:
        end = offset
        while end + 1 < len(data) and data[end:end + 2] != b"\0\0":
            end += 2
        return data[offset:end].decode("utf-16-le")
    end = data.index(b"\0", offset)
    return data[offset:end].decode("mbcs" if sys.platform == "win32" else "cp1252")


def _local_path(info):
    """The target from the link information block: local base path plus common suffix."""
    header_size, flags = _u32(info, 4), _u32(info, 8)
    if not flags & 1:  # no volume and local base path
        return ""
    if header_size >= 0x24:
        base = _zero_terminated(info, _u32(info, 0x1C), True)
        suffix = _zero_terminated(info, _u32(info, 0x20), True)
    else:
        base = _zero_terminated(info, _u32(info, 0x10), False)
        suffix = _zero_terminated(info, _u32(info, 0x18), False)
    return base + suffix


def read_link(data):
    if len(data) < HEADER_SIZE or _u32(data, 0) != HEADER_SIZE or data[4:20] != LINK_CLSID:
        raise LinkError("not a shell link")
    flags = _u32(data, 0x14)
    icon_index = struct.unpack_from("<i", data, 0x38)[0]
    offset = HEADER_SIZE
    if flags & HAS_ID_LIST:
        offset += 2 + struct.unpack_from("<H", data, offset)[0]
    fields = {"target": ""}
    if flags & HAS_LINK_INFO:
        size = _u32(data, offset)
        fields["target"] = _local_path(data[offset:offset + size])
        offset += size
    wide = bool(flags & IS_UNICODE)
    for flag, name in STRING_FIELDS:
        fields[name] = ""
        if flags & flag:
            count = struct.unpack_from("<H", data, offset)[0]
            length = count * 2 if wide else count
            raw = data[offset + 2:offset + 2 + length]
            if len(raw) != length:
                raise LinkError("truncated string " + name)
            # Some writers count the string's terminating zero as well.
            fields[name] = raw.decode("utf-16-le" if wide else "cp1252").rstrip("\0")
            offset += 2 + length
    icon_path = fields.pop("icon_path")
    fields["icon"] = "%s,%d" % (icon_path, icon_index) if icon_path else ""
    return fields


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("link")
    for name in ("target", "icon", "workdir", "args", "description"):
        parser.add_argument("--" + name)
    options = parser.parse_args(argv)
    try:
        with open(options.link, "rb") as f:
            fields = read_link(f.read())
    except (OSError, LinkError) as e:
        print("%s: %s" % (options.link, e), file=sys.stderr)
        return 1
    expected = {k: v for k, v in vars(options).items() if k != "link" and v is not None}
    if not expected:
        for name, value in fields.items():
            print("%s=%s" % (name, value))
        return 0
    wrong = ["%s is %r, expected %r" % (k, fields[k], v)
             for k, v in expected.items() if fields[k] != v]
    for line in wrong:
        print("%s: %s" % (options.link, line), file=sys.stderr)
    return 1 if wrong else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
