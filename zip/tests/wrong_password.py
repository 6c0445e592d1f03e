#!/usr/bin/env python3
"""Wrong passwords that a traditionally encrypted item rejects at its check byte.

The tools that write such items start each with 12 random bytes, so a fixed wrong password
passes the one-byte check in one archive of 256, and the item then fails at its data instead.
A test of the password check takes a wrong password the check is known to reject, as Python's
zipfile reads it.

usage: wrong_password.py ARCHIVE NAME PASSWORD   exits 0 where the check rejects PASSWORD
"""
import itertools
import sys
import zipfile


def rejected(archive, name, password):
    with zipfile.ZipFile(archive) as z:
        try:
            z.open(name, pwd=password.encode()).close()
        except RuntimeError:  # the check byte does not match
            return True
    return False


def wrong_password(archive, name, stem="wrong"):
    """The first of stem-0, stem-1, ... that the item's check byte rejects."""
    return next(p for p in (f"{stem}-{n}" for n in itertools.count()) if rejected(archive, name, p))


if __name__ == "__main__":
    sys.exit(0 if rejected(*sys.argv[1:4]) else 1)
