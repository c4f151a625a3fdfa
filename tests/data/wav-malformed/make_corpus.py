#!/usr/bin/env python3
"""Writes the malformed-WAV corpus beside this script and its manifest expected.txt.

Each manifest line names a file and what reading it must give:
  ok <frames> <cal|nocal>        read, with that many frames, with or without calibration
  truncated <frames> <cal|nocal> read as far as it goes, with the truncation warning
  <message id> [arguments]       refused with that message (ids: see WaveMalformedTest.cpp)
Files found by the fuzzer are added by hand with their expectation. Run again after a change:
  python3 tests/data/wav-malformed/make_corpus.py
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
cases = []


def chunk(cid, body, size=None, pad=True):
    if size is None:
        size = len(body)
    out = cid + struct.pack('<I', size) + body
    if pad and len(body) % 2:
        out += b'\0'
    return out


def fmt(tag=1, channels=1, rate=8000, align=2, bits=16, extra=b''):
    return chunk(b'fmt ', struct.pack('<HHIIHH', tag, channels, rate, rate * align & 0xFFFFFFFF,
                                      align, bits) + extra)


def riff(inner, size=None, form=b'WAVE'):
    body = form + inner
    return b'RIFF' + struct.pack('<I', len(body) if size is None else size) + body


def data(n=8, size=None, pad=True):
    return chunk(b'data', bytes(range(n)), size, pad)


def calibration(size=1024, length=1024):
    record = bytearray(1024)
    struct.pack_into('<i', record, 0, 1)
    struct.pack_into('<f', record, 408, 2.5)
    return struct.pack('<II', 101, size) + bytes(record[:length])


def add(name, content, expect):
    cases.append((name, content, expect))


valid = riff(fmt() + data(8))
add('empty', b'', 'not-wave')
add('riff-header-only', b'RIFF', 'not-wave')
add('riff-size-4-nothing-after', b'RIFF' + struct.pack('<I', 4), 'past-end')
add('truncated-after-wave', valid[:12], 'past-end')
add('truncated-in-fmt', valid[:30], 'past-end')
add('truncated-in-data', valid[:-3], 'truncated 2 nocal')
add('not-riff', b'RIFX' + valid[4:], 'not-wave')
add('not-wave', riff(fmt() + data(8), form=b'AVI '), 'not-wave')
add('riff-size-ffffffff', riff(fmt() + data(8), size=0xFFFFFFFF), 'ok 4 nocal')
add('riff-size-fffffff8', riff(fmt() + data(8), size=0xFFFFFFF8), 'ok 4 nocal')
add('riff-size-too-small', riff(fmt() + data(8), size=20), 'past-end')
add('riff-size-below-form', riff(b'', size=2), 'not-wave')
add('data-size-ffffffff', riff(fmt() + data(8, size=0xFFFFFFFF)), 'truncated 4 nocal')
add('data-size-fffffff7', riff(fmt() + data(8, size=0xFFFFFFF7)), 'truncated 4 nocal')
add('data-size-80000000', riff(fmt() + data(8, size=0x80000000)), 'truncated 4 nocal')
add('fmt-size-ffffffff', riff(chunk(b'fmt ', bytes(16), size=0xFFFFFFFF) + data(8)), 'past-end')
add('fmt-14-bytes', riff(chunk(b'fmt ', struct.pack('<HHIIH', 1, 1, 8000, 16000, 2)) + data(8)),
    'ok 4 nocal')
add('fmt-14-bytes-stereo-24', riff(chunk(b'fmt ', struct.pack('<HHIIH', 1, 2, 8000, 48000, 6))
                                   + data(12)), 'ok 2 nocal')
add('fmt-13-bytes', riff(chunk(b'fmt ', struct.pack('<HHIIH', 1, 1, 8000, 16000, 2)[:13])
                         + data(8)), 'fmt-short')
add('fmt-0-bytes', riff(chunk(b'fmt ', b'') + data(8)), 'fmt-short')
add('channels-0', riff(fmt(channels=0) + data(8)), 'channels 0')
add('channels-3', riff(fmt(channels=3, align=6) + data(12)), 'channels 3')
add('channels-65535', riff(fmt(channels=65535, align=2) + data(8)), 'channels 65535')
add('block-align-0', riff(fmt(align=0) + data(8)), 'block-align 0 1')
add('block-align-not-channels-multiple', riff(fmt(channels=2, align=3) + data(12)),
    'block-align 3 2')
add('sample-size-4', riff(fmt(channels=2, align=8, bits=32) + data(16)), 'sample-size 4')
add('sample-size-32767', riff(fmt(channels=2, align=65534) + data(8)), 'sample-size 32767')
add('float-tag', riff(fmt(tag=3, align=4, bits=32) + data(8)), 'not-pcm 3')
add('mulaw-tag', riff(fmt(tag=7, align=1, bits=8) + data(8)), 'not-pcm 7')
add('tag-0', riff(fmt(tag=0) + data(8)), 'not-pcm 0')
FLOAT_GUID = struct.pack('<H', 3) + bytes.fromhex('000000001000800000aa00389b71')
PCM_GUID = struct.pack('<H', 1) + bytes.fromhex('000000001000800000aa00389b71')
add('extensible-float', riff(fmt(tag=0xFFFE, align=4, bits=32,
                                 extra=struct.pack('<HHI', 22, 32, 4) + FLOAT_GUID) + data(8)),
    'not-pcm 65534')
add('extensible-short', riff(fmt(tag=0xFFFE, align=3, bits=24, extra=b'\0\0') + data(9)),
    'not-pcm 65534')
add('extensible-pcm-24', riff(fmt(tag=0xFFFE, channels=1, align=3, bits=24,
                                  extra=struct.pack('<HHI', 22, 24, 4) + PCM_GUID) + data(9)),
    'ok 3 nocal')
add('rate-0', riff(fmt(rate=0) + data(8)), 'rate-zero')
add('rate-2147483647', riff(fmt(rate=2147483647) + data(8)), 'ok 4 nocal')
add('rate-ffffffff', riff(fmt(rate=0xFFFFFFFF) + data(8)), 'ok 4 nocal')
add('bits-0-not-examined', riff(fmt(bits=0) + data(8)), 'ok 4 nocal')
add('missing-fmt', riff(data(8)), 'no-fmt')
add('missing-data', riff(fmt()), 'no-data')
add('missing-both', riff(chunk(b'LIST', b'INFO')), 'no-fmt')
add('data-before-fmt', riff(data(8) + fmt()), 'data-before-fmt')
add('fmt-repeated', riff(fmt() + fmt(channels=2, align=4) + data(8)), 'fmt-repeated')
add('data-repeated', riff(fmt() + data(8) + data(4)), 'ok 4 nocal')
add('nested-riff', riff(fmt() + riff(fmt() + data(2)) + data(8)), 'ok 4 nocal')
nested = b'INFO'
for _ in range(200):
    nested = b'LIST' + struct.pack('<I', len(nested) + 4) + b'INFO' + nested
add('deep-nesting', riff(fmt() + nested + data(8)), 'ok 4 nocal')
add('odd-data-no-pad-at-end', riff(fmt(align=1, bits=8) + data(7, pad=False)), 'ok 7 nocal')
add('odd-data-pad-at-end', riff(fmt(align=1, bits=8) + data(7)), 'ok 7 nocal')
# A chunk of odd size written without its pad byte: the walk reads the next header one byte
# early ("mt " plus the first size byte), whose size then runs past the end.
add('odd-chunk-missing-pad', riff(chunk(b'junk', b'abc', pad=False) + fmt() + data(8)),
    'past-end')
add('odd-chunks-padded', riff(chunk(b'junk', b'abc') + fmt() + chunk(b'LIST', b'INFOx')
                              + data(8)), 'ok 4 nocal')
add('partial-frame', riff(fmt(channels=2, align=4) + data(10)), 'ok 2 nocal')
add('less-than-a-frame', riff(fmt(channels=2, align=4) + data(3)), 'no-frame 4')
add('data-size-0', riff(fmt() + data(0)), 'empty-data')
# Streaming writers leave both sizes at their placeholder; recordings get cut off mid-frame.
add('streaming-sizes', riff(fmt() + data(10, size=0xFFFFFFFF), size=0xFFFFFFFF),
    'truncated 5 nocal')
add('data-cut-mid-frame', riff(fmt(channels=2, align=4) + data(10, size=100)), 'truncated 2 nocal')
add('data-cut-before-a-frame', riff(fmt() + data(1, size=100, pad=False)), 'past-end')
# Data whose size runs past the end of its RIFF chunk into what follows cannot be told apart
# from the chunks after it: still refused.
add('data-past-riff-into-calibration', riff(fmt() + data(8, size=0xFFFFFFFF)) + calibration(),
    'past-end')
add('too-many-chunks', riff(fmt() + chunk(b'tiny', b'') * 5000 + data(8)), 'too-many-chunks')
add('trailing-garbage', valid + b'garbage!', 'ok 4 nocal')
add('trailing-partial-header', valid + b'xyz', 'ok 4 nocal')
add('calibration', valid + calibration(), 'ok 4 cal')
add('calibration-missing', valid, 'ok 4 nocal')
add('calibration-short', valid + calibration(length=1000), 'ok 4 nocal')
add('calibration-header-only', valid + calibration(length=0), 'ok 4 nocal')
add('calibration-size-0', valid + calibration(size=0), 'ok 4 cal')
add('calibration-size-huge', valid + calibration(size=0xFFFFFFFF), 'ok 4 cal')
add('calibration-after-junk', valid + chunk(b'junk', b'12345') + calibration(), 'ok 4 cal')
add('calibration-after-lying-junk', valid + chunk(b'junk', b'1', size=0x7FFFFFFF)
    + calibration(), 'ok 4 nocal')
add('calibration-inside-riff', riff(fmt() + calibration() + data(8)), 'ok 4 nocal')

for name in os.listdir(HERE):
    if name.endswith('.wav') and not name.startswith('fuzz-'):
        os.remove(os.path.join(HERE, name))
manifest = [line for line in open(os.path.join(HERE, 'expected.txt')).read().splitlines()
            if line.startswith('fuzz-')] if os.path.exists(os.path.join(HERE, 'expected.txt')) \
    else []
for name, content, expect in cases:
    with open(os.path.join(HERE, name + '.wav'), 'wb') as f:
        f.write(content)
with open(os.path.join(HERE, 'expected.txt'), 'w') as f:
    for name, _, expect in cases:
        f.write(f'{name}.wav {expect}\n')
    for line in manifest:
        f.write(line + '\n')
print(f'{len(cases)} files')
