#!/usr/bin/env python3
"""Writes the malformed import corpus: text, binary and WFT files that the importer must
refuse with a clear message (or accept, where the line says "ok"). expected.txt lists, per
file: name, format code, channels, header size (0: none), and "ok FRAMES" or a piece of the
message. Run from anywhere:
  python3 tests/data/import-malformed/make_corpus.py
"""
import os
import struct

here = os.path.dirname(os.path.abspath(__file__))
expected = []


def put(name, data, fmt, channels, header, outcome):
    with open(os.path.join(here, name), "wb") as f:
        f.write(data)
    expected.append(f"{name}|{fmt}|{channels}|{header}|{outcome}")


def wft(fields, payload):
    header = bytearray(1538)
    for offset, text in fields.items():
        header[offset:offset + len(text)] = text.encode()
    return bytes(header) + payload


good_wft = {0: "3", 2: "2", 4: "1", 8: "1538", 658: "2", 829: "0", 1024: "40",
            1036: "1.000000E-03", 170: "3.051850E-05", 242: "Volts"}

# Text.
put("long-line.txt", b"1\n" + b"7" * 70000 + b"\n", 0, 1, 0, "longer than 255 characters")
put("line-256.txt", b"1\n" + b"1" * 256 + b"\n", 0, 1, 0, "Line 2 of")
put("line-255.txt", b"1\n" + b" " * 254 + b"2\n", 0, 1, 0, "ok 2")
put("not-a-number.txt", b"12\nabc\n", 0, 1, 0, "Line 2 of")
put("nul-bytes.txt", b"1\n\x002\n3\n", 1, 1, 0, "does not hold one number")
put("nan.txt", b"1\nnan\n", 1, 1, 0, "does not hold a finite number")
put("inf.txt", b"1\n-inf\n", 1, 1, 0, "does not hold a finite number")
put("overflow.txt", b"1\n1e999\n", 1, 1, 0, "does not hold a finite number")
put("stereo-missing.txt", b"1,2\n3\n", 0, 2, 0, "does not hold two numbers")
put("stereo-extra.txt", b"1,2\n3,4,5\n", 0, 2, 0, "Line 2 of")
put("stereo-blanks.txt", b"1 2\n3\t4\n 5 , 6 \n", 0, 2, 0, "ok 3")
put("mono-two-values.txt", b"1,2\n", 0, 1, 0, "does not hold one number")
put("comma-decimal.txt", b"1,5\n2,5\n", 1, 1, 0, "does not hold one number")
put("double-sign.txt", b"+-1\n", 1, 1, 0, "does not hold one number")
put("bom-crlf.txt", b"\xef\xbb\xbf1\r\n2\r\n\r\n", 0, 1, 0, "ok 2")
put("header-bom.txt", b"\xef\xbb\xbfTitle\r\n-3.5e2\r\n+4\r\n", 1, 1, 1, "ok 2")
put("empty.txt", b"", 0, 1, 0, "holds no data")
put("blank-lines.txt", b"\n\n  \n\t\n", 0, 1, 0, "holds no data")
put("header-longer-than-file.txt", b"1\n2\n", 0, 1, 5, "holds no data")
put("no-final-newline.txt", b"1\n2", 0, 1, 0, "ok 2")
put("utf16.txt", "1\n2\n".encode("utf-16"), 0, 1, 0, "does not hold one number")
# Binary.
put("empty.16", b"", 3, 1, 0, "holds no data")
put("header-too-large.16", b"\x01\x00" * 4, 3, 1, 100, "header of")
put("odd-bytes.16", b"\x01\x00\x02\x00\x03", 3, 1, 0, "ok 2")
put("partial-stereo-frame.32", struct.pack("<5i", 1, 2, 3, 4, 5), 4, 2, 0, "ok 2")
put("nan.flt", struct.pack("<3f", 1.0, float("nan"), 2.0), 5, 1, 0, "byte 4 of")
put("inf-after-header.flt", b"HDR" + struct.pack("<2f", 1.0, float("inf")), 5, 1, 3, "byte 7 of")
put("one-byte.8", b"\x80", 2, 2, 0, "holds no data")
# WFT.
put("wft-short-header.wft", b"3\x00" * 100, 6, 1, 0, "Failure reading WFT file header")
put("wft-lying-frames.wft", wft({**good_wft, 1024: "1000"}, b"\x00\x01" * 40), 6, 1, 0,
    "announces 1000 samples")
put("wft-offset-past-end.wft", wft({**good_wft, 8: "4294967296"}, b"\x00\x01" * 40), 6,
    1, 0, "the file holds 0")
put("wft-no-nul.wft", wft({**good_wft, 1024: "4" * 40}, b"\x00\x01" * 40), 6, 1, 0,
    "is not a number")
put("wft-bytes.wft", wft({**good_wft, 658: "1"}, bytes(range(40))), 6, 1, 0, "ok 40")
put("wft-good.wft", wft(good_wft, b"\x00\x01" * 40), 6, 1, 0, "ok 40")

with open(os.path.join(here, "expected.txt"), "w") as f:
    f.write("# name|format|channels|header|outcome (written by make_corpus.py)\n")
    f.write("\n".join(expected) + "\n")
