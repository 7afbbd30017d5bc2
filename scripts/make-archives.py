#!/usr/bin/env python3
"""Writes the archives the image index is tried with.

  make-archives.py seeds [DIR]    seed images of the image-index fuzz entry, one per format (tar,
                                  ustar, pax, GNU tar, tar.gz, zip, 7z); DIR defaults to
                                  fuzz/corpus/image_index. 7z needs bsdtar (libarchive-tools).
  make-archives.py hostile DIR    the hostile images the image-index test reads: times at the
                                  64-bit limit, a member refused after folders were named, paths
                                  at and beyond the nesting bound, and a small tar.gz that implies
                                  more folders than an index may hold.

Python standard library only (and bsdtar for 7z); every archive is built in memory so the output
is the same on every run.
"""
import gzip
import io
import os
import shutil
import subprocess
import sys
import tarfile
import tempfile
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
SEED_DIR = os.path.normpath(os.path.join(HERE, "..", "fuzz", "corpus", "image_index"))
# Must match CImageIndex::kMaxDepth.
MAX_DEPTH = 256
MTIME = 1600000000


def member(name, data=b"", mtime=MTIME, kind=tarfile.REGTYPE, link=""):
    info = tarfile.TarInfo(name)
    info.type = kind
    info.mtime = mtime
    info.mode = 0o755 if kind == tarfile.DIRTYPE else 0o644
    info.size = len(data) if kind == tarfile.REGTYPE else 0
    info.linkname = link
    info.uname = info.gname = ""
    return info, data


def tar_bytes(members, fmt):
    out = io.BytesIO()
    with tarfile.open(fileobj=out, mode="w", format=fmt) as tar:
        for info, data in members:
            tar.addfile(info, io.BytesIO(data) if info.type == tarfile.REGTYPE else None)
    # Python pads to 10 KB records; two zero blocks end an archive just as well.
    body = out.getvalue().rstrip(b"\0")
    return body + bytes(-len(body) % 512 + 1024)


def v7_bytes(members):
    """The first tar format: no magic, names of at most 99 bytes, type flags 0 and 5 only."""
    out = bytearray()
    for info, data in members:
        head = bytearray(512)
        fields = [(0, info.name.encode(), 100), (100, b"%07o" % info.mode, 8), (108, b"0000000", 8),
                  (116, b"0000000", 8), (124, b"%011o" % len(data), 12), (136, b"%011o" % info.mtime, 12)]
        for offset, value, width in fields:
            head[offset:offset + len(value[:width])] = value[:width]
        head[156] = ord("5") if info.type == tarfile.DIRTYPE else ord("0")
        head[148:156] = b" " * 8
        head[148:156] = b"%06o\0 " % sum(head)
        out += head + data + bytes(-len(data) % 512)
    return bytes(out + bytes(1024))


def gz(data):
    return gzip.compress(data, compresslevel=9, mtime=0)


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def sample():
    return [
        member("C:/Users/", kind=tarfile.DIRTYPE),
        member("C:/Users/ann/notes.txt", b"notes"),
        member("C:/Users/ann/Report.DOCX", b"PK word"),
        member("C:/Users/ann/link", kind=tarfile.SYMTYPE, link="notes.txt"),
        member("D:/data/./sub/file.bin", bytes(range(64))),
        member("./rel/one", b"1"),
        member("../out", b"refused"),
    ]


def seeds(directory):
    os.makedirs(directory, exist_ok=True)
    members = sample()
    long_name = "C:/" + "/".join("folder%02d" % i for i in range(20)) + "/a-name-longer-than-a-ustar-field.txt"
    write(os.path.join(directory, "seed-v7.tar"), v7_bytes([m for m in members if m[0].type != tarfile.SYMTYPE]))
    write(os.path.join(directory, "seed-ustar.tar"), tar_bytes(members, tarfile.USTAR_FORMAT))
    write(os.path.join(directory, "seed-pax.tar"), tar_bytes(members + [member(long_name, b"x", mtime=2**40)],
                                                        tarfile.PAX_FORMAT))
    write(os.path.join(directory, "seed-gnu.tar"), tar_bytes(members + [member(long_name, b"x")], tarfile.GNU_FORMAT))
    write(os.path.join(directory, "seed-pax.tar.gz"), gz(tar_bytes(members, tarfile.PAX_FORMAT)))
    zipped = io.BytesIO()
    with zipfile.ZipFile(zipped, "w", zipfile.ZIP_DEFLATED) as z:
        for info, data in members:
            if info.type == tarfile.REGTYPE:
                entry = zipfile.ZipInfo(info.name, date_time=(2020, 9, 13, 12, 26, 40))
                z.writestr(entry, data)
        z.writestr(zipfile.ZipInfo("C:/empty/", date_time=(2020, 9, 13, 12, 26, 40)), b"")
    write(os.path.join(directory, "seed-sample.zip"), zipped.getvalue())
    bsdtar = shutil.which("bsdtar")
    if not bsdtar:
        print("bsdtar not found (libarchive-tools): no 7z seed", file=sys.stderr)
        return
    with tempfile.TemporaryDirectory() as tmp:
        source = os.path.join(tmp, "in.tar")
        write(source, tar_bytes([m for m in members if not m[0].name.startswith(("..", "./"))], tarfile.PAX_FORMAT))
        target = os.path.join(directory, "seed-sample.7z")
        subprocess.run([bsdtar, "--format", "7zip", "-cf", target, "@" + source], check=True)


def deep(depth, leaf="f"):
    return "/".join(["C:"] + ["d"] * (depth - 2) + [leaf])


def hostile(directory):
    os.makedirs(directory, exist_ok=True)
    limit = 2**63 - 1
    # Seconds at both ends of 64 bits, and the largest number of seconds milliseconds still hold.
    times = [
        member("C:/t/max.txt", mtime=limit),
        member("C:/t/min.txt", mtime=-(2**63)),
        member("C:/t/edge.txt", mtime=limit // 1000),
        member("C:/t/plain.txt"),
    ]
    write(os.path.join(directory, "mtime-gnu.tar"), tar_bytes(times, tarfile.GNU_FORMAT))
    write(os.path.join(directory, "mtime-pax.tar"), tar_bytes(times, tarfile.PAX_FORMAT))
    # Refused only at its "..": nothing of C:/a/b may be left behind.
    write(os.path.join(directory, "phantom.tar"),
          tar_bytes([member("C:/a/./b/../c.txt"), member("D:/kept.txt")], tarfile.PAX_FORMAT))
    write(os.path.join(directory, "deep.tar"),
          tar_bytes([member(deep(MAX_DEPTH, "at-limit")), member(deep(MAX_DEPTH + 1, "beyond"))], tarfile.PAX_FORMAT))
    # Every member names MAX_DEPTH - 1 folders nobody else names; gzip squeezes each member to a
    # few dozen bytes, so about 200 KB imply well over a million folders.
    stream = io.BytesIO()
    with tarfile.open(fileobj=stream, mode="w", format=tarfile.PAX_FORMAT) as tar:
        tail = "/".join(["d"] * (MAX_DEPTH - 3))
        for i in range(6000):
            info, _ = member("C:/%d/%s/f" % (i, tail))
            tar.addfile(info)
    write(os.path.join(directory, "implied-folders.tar.gz"), gz(stream.getvalue()))


def main(argv):
    if len(argv) >= 2 and argv[1] == "seeds":
        seeds(argv[2] if len(argv) > 2 else SEED_DIR)
    elif len(argv) == 3 and argv[1] == "hostile":
        hostile(argv[2])
    else:
        print(__doc__, file=sys.stderr)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
