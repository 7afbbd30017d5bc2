#!/usr/bin/env python3
"""Writes the seed corpus of every fuzz entry into fuzz/corpus/<entry>/seed-*: small valid (and a
few nearly valid) inputs of each reader, built from the formats in docs/. The image seeds come
from scripts/make-archives.py. Inputs a fuzzer found are kept beside the seeds under other names;
this script leaves them alone.

  python3 fuzz/make-seeds.py
"""
import os
import struct
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
CORPUS = os.path.join(HERE, "corpus")
SEP = b"\n====\n"


def utf16(text, terminated=True):
    return text.encode("utf-16-le") + (b"\0\0" if terminated else b"")


def write(entry, name, data):
    directory = os.path.join(CORPUS, entry)
    os.makedirs(directory, exist_ok=True)
    with open(os.path.join(directory, "seed-" + name), "wb") as f:
        f.write(data)


# ---- filter block (docs/filter-block.md)

def fltr(entries, selection_type=0):
    """entries: (flags, kind, name, path, owner or None)."""
    body = b""
    for flags, kind, name, path, owner in entries:
        strings = utf16(name) + utf16(path)
        size = 16 + len(strings)
        size += -size % 4
        head = struct.pack("<HHBBHHHI", size, flags, kind, 16, 0, 16 + len(utf16(name)), 0,
                           0xFFFFFFFF if owner is None else owner)
        body += (head + strings).ljust(size, b"\0")
    header = b"FLTR" + struct.pack("<IIII", 1, 56 + len(body), len(entries), selection_type)
    return header.ljust(56, b"\0") + body


def filter_blocks():
    docs = fltr([(0x4 | 0x8, 3, "Docs", "C:\\Users\\ann\\Docs", None),
                 (0x1 | 0x8, 4, "tmp.txt", "C:\\Users\\ann\\Docs\\tmp.txt", 0),
                 (0x8, 4, "a.txt", "\\\\ksrv\\pub\\a.txt", None)])
    write("filter_block", "empty", fltr([]))
    write("filter_block", "include-exclude", docs)
    write("filter_block", "types", fltr([(0, 0, "*.docx", "", None)], selection_type=1))
    write("filter_block", "bad-magic", b"FLTX" + docs[4:])
    return docs


# ---- shell pipe (docs/shell-pipe.md)

def pipe_message(payload):
    return struct.pack("<IHH", 0x68707343, 8 + len(payload), 0) + payload


def pipe():
    count = lambda n: pipe_message(struct.pack("<I", n))
    path = lambda p: pipe_message(utf16(p))
    write("shell_pipe_message", "count", count(2))
    write("shell_pipe_message", "path", path("C:\\Users\\ann\\Docs"))
    write("shell_pipe_message", "empty-path", path(""))
    write("shell_pipe_message", "unterminated", pipe_message(utf16("C:\\x", terminated=False)))
    write("shell_pipe_transfer", "two-paths", count(2) + path("C:\\Users\\ann") + path("\\\\srv\\pub\\x y"))
    write("shell_pipe_transfer", "empty-and-path", count(2) + path("") + path("D:\\data"))
    write("shell_pipe_transfer", "short", count(3) + path("C:\\a"))
    write("shell_pipe_transfer", "zero-count", count(0) + path("C:\\a"))


# ---- credential records (docs/credential-records.md)

def record(share, user, password):
    return (utf16(share).ljust(544, b"\0") + utf16(user).ljust(64, b"\0") + utf16(password).ljust(520, b"\0"))


def credentials(block):
    stored = record("\\\\other\\s", "bob", "pw") + record("", "x", "y")
    write("credential_record", "two", record("\\\\srv\\pub", "ann", "secret") + record("\\\\nas1\\media", "", ""))
    write("credential_record", "torn", record("\\\\srv\\pub", "ann", "secret")[:700])
    write("credential_record", "unterminated", b"\x41\0" * 564)
    paths = fltr([(0x8, 4, "a", "\\\\ksrv\\pub\\a", None), (0x8, 4, "b", "\\\\other\\s\\b", None),
                  (0x8, 4, "c", "NAS://box/media/c", None), (0x8, 4, "d", "C:\\d", None)])
    write("credential_builder", "shares", paths + SEP + stored)
    write("credential_builder", "docs", block + SEP)


# ---- paths, search, settings, storage map

def texts():
    for name, path in [("drive", "C:\\Users\\ann"), ("unc", "\\\\server\\share\\dir"), ("unc-ip", "\\\\10.0.0.1\\s"),
                       ("unc-lan", "\\\\host.lan\\pub"), ("unc-bad-ip", "\\\\10.0.300.1\\s"), ("tape", "\\\\.\\Tape0"),
                       ("nas", "NAS://box/media/Films"), ("nas-back", "NAS:\\\\box\\m"), ("ftp", "ftp://host/dir"),
                       ("cloud", "Cloud\\Ulvex\\x"), ("secure", "NRSecure\\x"), ("mbr", "\\\\.\\MBR"),
                       ("partition", "Security Partition"), ("forbidden", "C:\\a<b>|c?.txt"), ("double", "C:\\a\\\\b")]:
        write("storage_path", name, utf16(path, terminated=False))
    write("image_search", "wildcards", b"*.doc?" + SEP + b"C:/Users/ann/Report.DOCX\nC:/Users/ann/notes.txt\nD:/x.docm")
    write("image_search", "plain", b"port" + SEP + b"C:/Report\nC:/caf\xc3\xa9/Porter\nC:/odd\xff/import")
    write("image_search", "stars", b"a**b*c" + SEP + b"abc\naXbYc\nab\n\xe2\x82\xac")
    write("ini_parser", "config", b"[General]\nShowFiles=true\nSize=@Size(800 600)\nRect=10,20,300,400\n"
          b"Names=a,b,c\nCount=12\n[Backup]\nSmart=1\nLabel=\"x, y\"\n" + SEP +
          b"General/ShowFiles\nGeneral/Size\nGeneral/Rect\nGeneral/Names\nGeneral/Count\nBackup/Label\n/Count")
    write("ini_parser", "odd", b"\xef\xbb\xbf[a]\nk=@Variant(\\0\\0\\0\\x7f)\nw=-1 5\nx=1 2 3 4\n[a/b]\nc=\\\"q\n" + SEP +
          b"a/k\na/w\na/x\na%2Fb/c")
    ini = (b"[Drives]\nC=/\nD=/tmp\nZ=\\\\fileserver\\pub\n[Network]\n\\\\fileserver\\pub=/tmp\n"
           b"\\\\fileserver\\pub|user=alice\n\\\\fileserver\\pub|password=secret\n\\\\scans\\inbox=/mnt/inbox\n"
           b"\\\\scans\\inbox|login=ask\n//fileserver/home=\"/tmp/home\"\n[NAS]\nbox=\\\\fileserver\n")
    mounts = b"//nas2/media /tmp cifs rw 0 0\n//srv/sub/dir /tmp/sub\\040dir smb3 rw 0 0\nproc /proc proc rw 0 0\n"
    paths = (b"C:\\Users\\..\\etc\nD:\\a\\.\\b\nZ:\\docs\n\\\\fileserver\\pub\\x\\y\nNAS://box/pub/z\n"
             b"\\\\nas2\\media\\f\n\\\\srv\\sub\\dir\\g\n\\\\fileserver\nc:\\TMP")
    write("storage_map", "doc-example", ini + SEP + mounts + SEP + paths)
    write("storage_map", "no-drives", b"[Network]\n\\\\a\\b=/\n" + SEP + SEP + b"C:\\x\n\\\\A\\B\\..\\c")


# ---- folder-tree service replies (the first byte picks the call)

def folder_replies():
    json = lambda text: utf16(text)
    write("folder_reader", "event-id", b"\x00" + json('{"EventMgrEventID": 7}'))
    write("folder_reader", "pc-page", b"\x01" + json('{"EventMgrPCNameArray":[{"EventMgrPCName":"pc1",'
                                                      '"EventMgrGrName":"g"},{"EventMgrPCName":"Pc2"}],'
                                                      '"EventMgrGetPCDataFinish":1}'))
    write("folder_reader", "pc-pages", b"\x02" + json('{"EventMgrPCNameArray":[{"EventMgrPCName":"a"}],'
                                                       '"EventMgrGetPCDataFinish":0}') + SEP +
          json('{"EventMgrPCNameArray":[{"EventMgrPCName":"b"}],"EventMgrGetPCDataFinish":1}'))
    numbers = lambda *values: struct.pack("<%dI" % len(values), *values)
    write("folder_reader", "drives-grow", b"\x03" + numbers(1, 40, 0, 12))
    write("folder_reader", "groups", b"\x04" + numbers(0, 3))
    write("folder_reader", "account", b"\x08" + b"u\0" * 40 + b"p\0" * 300 + numbers(0))


# ---- search selection (docs/recovery.md)

def search_selection_record(folder, path, name=""):
    return (struct.pack("<I", folder) + utf16(path).ljust(520, b"\0")
            + utf16(name).ljust(2048, b"\0"))


def search_selections():
    doc = search_selection_record(0, "C:\\Users\\ann\\Docs\\a.docx", "a.docx")
    folder = search_selection_record(1, "C:\\Users\\ann\\Docs")
    write("search_selection", "empty", struct.pack("<I", 0))
    write("search_selection", "file-folder-blank",
          struct.pack("<I", 3) + doc + folder + b"\0" * 2572)
    write("search_selection", "count-beyond", struct.pack("<I", 2) + doc)
    write("search_selection", "bad-flag", struct.pack("<I", 1) + struct.pack("<I", 2) + doc[4:])


def main():
    block = filter_blocks()
    search_selections()
    pipe()
    credentials(block)
    texts()
    folder_replies()
    subprocess.run([sys.executable, os.path.join(HERE, "..", "scripts", "make-archives.py"), "seeds",
                    os.path.join(CORPUS, "image_index")], check=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
