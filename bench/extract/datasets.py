"""Benchmark datasets, built once with peer tools into a cache folder (tmpfs by default)."""
import os
import random
import subprocess
from pathlib import Path

PASSWORD = "bench-pass"
BIG_MIB = int(os.environ.get("TALU_BENCH_BIG_MIB", "512"))

_WORDS = [
    "".join(random.Random(i).choice("abcdefghijklmnopqrstuvwxyz") for _ in range(2 + i % 9))
    for i in range(1200)
]


def compressible_text(size, seed):
    """Word salad that deflates at roughly 3:1."""
    rng = random.Random(seed)
    out, total = [], 0
    while total < size:
        line = " ".join(rng.choices(_WORDS, k=12)) + " %08x\n" % rng.getrandbits(32)
        out.append(line)
        total += len(line)
    return "".join(out).encode()[:size]


def _write_big_compressible(path):
    # Deflate sees 32 KiB back, so repeating a 16 MiB block keeps the ratio of the block.
    block = compressible_text(16 << 20, 1)
    with open(path, "wb") as f:
        for _ in range(BIG_MIB // 16):
            f.write(block)


def _write_big_random(path):
    with open(path, "wb") as f, open("/dev/urandom", "rb") as rnd:
        for _ in range(BIG_MIB):
            f.write(rnd.read(1 << 20))


def _write_small_files(folder, count=20000):
    rng = random.Random(7)
    for i in range(count):
        sub = folder / ("d%02d" % (i % 50))
        sub.mkdir(parents=True, exist_ok=True)
        (sub / ("f%05d.txt" % i)).write_bytes(compressible_text(rng.randint(1024, 8192), i))


def _zip(archive, args, inputs, cwd):
    subprocess.run(["zip", "-q", *args, str(archive), *inputs], cwd=cwd, check=True)


def real_tree_folders():
    """A real tree every Debian machine has: gcc's folder, the system Python's standard library
    and the C headers, those of them that exist (relative to /)."""
    pythons = sorted(Path("/usr/lib").glob("python3.[0-9]*"), key=lambda p: int(p.name[8:]))
    wanted = [Path("/usr/lib/gcc"), *pythons[-1:], Path("/usr/include")]
    return [str(p.relative_to("/")) for p in wanted if p.is_dir()]


def _zip_real_tree(archive):
    # Exit status 18: some files could not be read (sockets, root-only files); the rest is in.
    done = subprocess.run(["zip", "-q", "-r", "-6", str(archive), *real_tree_folders()], cwd="/")
    if done.returncode not in (0, 18):
        raise RuntimeError("zip of the real tree failed: exit %d" % done.returncode)


def build(root):
    """Returns {name: archive path}; builds what is missing."""
    root = Path(root)
    src = root / "src"
    src.mkdir(parents=True, exist_ok=True)
    big_text, big_rand, small = src / "big.txt", src / "big.bin", src / "small"
    if not big_text.exists():
        _write_big_compressible(big_text)
    if not big_rand.exists():
        _write_big_random(big_rand)
    if not small.exists():
        _write_small_files(small)
    zip_made = {
        "small-20000": (["-r"], ["small"]),
        "big-deflate": ([], ["big.txt"]),
        "big-stored": (["-0"], ["big.bin"]),
        "big-traditional": (["-P", PASSWORD], ["big.txt"]),
    }
    sevenzip_made = {
        "big-aes256": ("AES256", ["big.txt"]),
        "big-aes128": ("AES128", ["big.txt"]),
        "small-aes256": ("AES256", ["small"]),
    }
    result = {}
    for name, (args, inputs) in zip_made.items():
        path = root / (name + ".zip")
        if not path.exists():
            _zip(path, args, inputs, src)
        result[name] = path
    for name, (method, inputs) in sevenzip_made.items():
        path = root / (name + ".zip")
        if not path.exists():
            subprocess.run(["7z", "a", "-tzip", "-mx=5", f"-mem={method}", f"-p{PASSWORD}",
                            str(path), *inputs], cwd=src, check=True, stdout=subprocess.DEVNULL)
        result[name] = path
    real_tree = root / "real-tree.zip"
    if not real_tree.exists():
        _zip_real_tree(real_tree)
    result["real-tree"] = real_tree
    truncated = root / "big-truncated.zip"
    if not truncated.exists():
        _cut_directory(result["big-deflate"], truncated)
    result["big-truncated"] = truncated
    return result


def landing_tars(root):
    """{dataset: an uncompressed tar of the same files}: tar -x lands them with no decoding, the
    limit of landing that many files. Built once, beside the archives."""
    root = Path(root)
    tars = {"small-20000": ["small"]}
    result = {}
    for name, inputs in tars.items():
        path = root / (name + ".tar")
        if not path.exists():
            subprocess.run(["tar", "-cf", str(path), *inputs], cwd=root / "src", check=True)
        result[name] = path
    return result


def _cut_directory(source, target):
    """A copy that ends where the central directory starts: the directory must be rebuilt."""
    import zipfile
    with zipfile.ZipFile(source) as z:
        end = z.start_dir
    with open(source, "rb") as f, open(target, "wb") as out:
        out.write(f.read(end))
