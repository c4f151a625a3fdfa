#!/usr/bin/env python3
"""Reference measurements of generated signals, computed without any of our code: the WAV
file is read with the standard `wave` module, the numbers come from numpy and scipy in double
precision. Each command prints plain lines of space-separated fields for the C++ test.

  signal_check.py tone FILE CHANNEL FROM COUNT HZ...
      For each guessed frequency: "tone HZ DBFS", the tone's frequency (the maximum of the
      Hann-windowed DTFT within 2 Hz of the guess, found to 1e-4 Hz) and its level in dB re
      full scale (least-squares amplitude at that frequency) over samples FROM ... FROM+COUNT-1
      (COUNT 0: to the end).
  signal_check.py inst FILE CHANNEL HALF SAMPLE...
      "inst SAMPLE HZ": the instantaneous frequency from the phase of the analytic signal
      (scipy.signal.hilbert), its mean slope over SAMPLE-HALF ... SAMPLE+HALF.
  signal_check.py envelope FILE CHANNEL HALF SAMPLE...
      "envelope SAMPLE DBFS": the analytic signal's magnitude, mean over the same window.
  signal_check.py bands FILE CHANNEL COUNT LOW HIGH
      Over the first COUNT samples (one loop of a periodic noise) with numpy's FFT:
      "band CENTRE DB" for the 1/3-octave bands (base-2, centres 1000 * 2^(k/3)) from LOW to
      HIGH Hz, the power in each band in dB; then "slope DB_PER_OCTAVE", the least-squares
      slope of the mean power spectral density of each band against log2 of its centre.
  signal_check.py runs FILE CHANNEL LIMIT
      "run START END" for every stretch of samples whose magnitude exceeds LIMIT, merged when
      less than 2 samples apart (END exclusive), then "count N".
  signal_check.py high FILE CHANNEL LIMIT
      The same for the samples above LIMIT (signed), not merged.
  signal_check.py pair FILE CHANNEL FROM COUNT
      "pair LOW HIGH": the two strongest spectral peaks of the stretch (Hann window, zero
      padded to 1 Hz bins), lower first.
"""

import sys
import wave

import numpy as np
from scipy import signal


def read(path, channel):
    with wave.open(path, "rb") as w:
        rate = w.getframerate()
        channels = w.getnchannels()
        width = w.getsampwidth()
        raw = w.readframes(w.getnframes())
    if width == 1:
        data = np.frombuffer(raw, dtype=np.uint8).astype(np.float64) - 127.0
    elif width == 2:
        data = np.frombuffer(raw, dtype="<i2").astype(np.float64)
    elif width == 3:
        b = np.frombuffer(raw, dtype=np.uint8).reshape(-1, 3).astype(np.int32)
        v = b[:, 0] | (b[:, 1] << 8) | (b[:, 2] << 16)
        data = np.where(v >= 1 << 23, v - (1 << 24), v).astype(np.float64)
    else:
        raise SystemExit("unsupported sample width %d" % width)
    full_scale = 128.0 if width == 1 else float((1 << (8 * width - 1)) - 1)
    return rate, data.reshape(-1, channels)[:, channel], full_scale


def tone(x, rate, guess):
    # The frequency from at most one second (enough for 1e-4 Hz on a clean tone), the level
    # from the whole stretch.
    head = x[:rate]
    m = np.arange(len(head))
    w = signal.get_window("hann", len(head), fftbins=False)

    def magnitude(hz):
        return abs(np.sum(w * head * np.exp(-2j * np.pi * hz * m / rate)))

    a, b = guess - 2.0, guess + 2.0
    # A coarse scan first, so that the search starts on the right lobe.
    grid = np.linspace(a, b, 41)
    best = grid[int(np.argmax([magnitude(f) for f in grid]))]
    a, b = best - 0.05, best + 0.05
    r = (np.sqrt(5.0) - 1.0) / 2.0
    c, d = b - r * (b - a), a + r * (b - a)
    fc, fd = magnitude(c), magnitude(d)
    while b - a > 1e-5:
        if fc > fd:
            b, d, fd = d, c, fc
            c = b - r * (b - a)
            fc = magnitude(c)
        else:
            a, c, fc = c, d, fd
            d = a + r * (b - a)
            fd = magnitude(d)
    hz = (a + b) / 2.0
    n = np.arange(len(x))
    basis = np.column_stack([np.sin(2 * np.pi * hz * n / rate), np.cos(2 * np.pi * hz * n / rate),
                             np.ones(len(x))])
    coef, *_ = np.linalg.lstsq(basis, x, rcond=None)
    return hz, float(np.hypot(coef[0], coef[1]))


def main(argv):
    command, path, channel = argv[1], argv[2], int(argv[3])
    rate, x, full_scale = read(path, channel)
    if command == "tone":
        start, count = int(argv[4]), int(argv[5])
        part = x[start:start + count] if count > 0 else x[start:]
        for guess in argv[6:]:
            hz, amplitude = tone(part, rate, float(guess))
            print("tone %.6f %.6f" % (hz, 20 * np.log10(amplitude / full_scale)))
    elif command in ("inst", "envelope"):
        half = int(argv[4])
        analytic = signal.hilbert(x)
        phase = np.unwrap(np.angle(analytic))
        for at in map(int, argv[5:]):
            lo, hi = max(at - half, 0), min(at + half, len(x) - 1)
            if command == "inst":
                hz = (phase[hi] - phase[lo]) / (hi - lo) * rate / (2 * np.pi)
                print("inst %d %.6f" % (at, hz))
            else:
                level = np.mean(np.abs(analytic[lo:hi + 1]))
                print("envelope %d %.6f" % (at, 20 * np.log10(level / full_scale)))
    elif command == "bands":
        count, low, high = int(argv[4]), float(argv[5]), float(argv[6])
        part = x[:count]
        power = np.abs(np.fft.rfft(part)) ** 2
        freqs = np.arange(len(power)) * rate / len(part)
        centres, densities = [], []
        k = int(np.floor(3 * np.log2(low / 1000.0)))
        while True:
            centre = 1000.0 * 2 ** (k / 3.0)
            k += 1
            if centre < low * 0.99:
                continue
            if centre > high * 1.01:
                break
            lo, hi = centre * 2 ** (-1 / 6), centre * 2 ** (1 / 6)
            band = (freqs >= lo) & (freqs < hi)
            print("band %.3f %.6f" % (centre, 10 * np.log10(np.sum(power[band]))))
            centres.append(centre)
            densities.append(10 * np.log10(np.mean(power[band])))
        slope = np.polyfit(np.log2(centres), densities, 1)[0]
        print("slope %.6f" % slope)
    elif command in ("runs", "high"):
        limit = float(argv[4])
        loud = np.abs(x) > limit if command == "runs" else x > limit
        edges = np.flatnonzero(np.diff(np.concatenate([[0], loud.astype(np.int8), [0]])))
        runs = list(zip(edges[0::2], edges[1::2]))
        merged = []
        for start, end in runs:
            if command == "runs" and merged and start - merged[-1][1] < 2:
                merged[-1][1] = end
            else:
                merged.append([start, end])
        for start, end in merged:
            print("run %d %d" % (start, end))
        print("count %d" % len(merged))
    elif command == "pair":
        start, count = int(argv[4]), int(argv[5])
        part = x[start:start + count] * signal.get_window("hann", count, fftbins=False)
        spectrum = np.abs(np.fft.rfft(part, n=rate))
        peaks, _ = signal.find_peaks(spectrum)
        top = sorted(peaks[np.argsort(spectrum[peaks])[-2:]])
        print("pair %d %d" % (top[0], top[1]))
    else:
        raise SystemExit("unknown command " + command)


if __name__ == "__main__":
    main(sys.argv)
