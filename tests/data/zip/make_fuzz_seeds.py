#!/usr/bin/env python3
"""Writes the seed archives of the ZIP fuzz target into tests/fuzz/corpus/zip (the tests build their own
archives in memory). Run from anywhere: python3 tests/data/zip/make_fuzz_seeds.py"""
import io
import os
import struct
import zipfile

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "fuzz", "corpus", "zip")
S, D = zipfile.ZIP_STORED, zipfile.ZIP_DEFLATED
WHEN = (2024, 5, 6, 7, 8, 10)


def info(name, extra=b"", flag_bits=0):
    zi = zipfile.ZipInfo(name, WHEN)
    zi.extra = extra
    zi.flag_bits |= flag_bits
    return zi


def write(file_name, entries):
    buf = io.BytesIO()
    with zipfile.ZipFile(buf, "w") as z:
        for zi, data, method in entries:
            zi.compress_type = method
            z.writestr(zi, data)
    with open(os.path.join(OUT, file_name), "wb") as f:
        f.write(buf.getvalue())


def main():
    os.makedirs(OUT, exist_ok=True)
    ut = struct.pack("<HHBI", 0x5455, 5, 1, 1600000000)
    write("stored_and_deflated.zip", [(info("tool/app.exe"), b"MZ" + b"x" * 100, S),
                                      (info("tool/readme.txt"), b"hello world " * 50, D)])
    write("parent_and_drive_names.zip", [(info("../../evil.exe"), b"e", S), (info("C:\\Windows\\x.dll"), b"x", S),
                                         (info("a/../b.txt"), b"b", D)])
    write("empty_and_dir.zip", [(info("dir/"), b"", S), (info("dir/empty.txt"), b"", S),
                                (info("dir/after.txt"), b"after", D)])
    write("stream_and_device.zip", [(info("a.txt:ads"), b"a", S), (info("sub/CON"), b"c", S)])
    write("ut_block.zip", [(info("stamped.txt", ut), b"stamped", D)])


if __name__ == "__main__":
    main()
