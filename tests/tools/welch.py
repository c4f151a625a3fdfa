#!/usr/bin/env python3
"""Reference numbers for the analyzer's cross-check tests, computed without any of our code.

The WAV file is read with the standard `wave` module and numpy; spectra come from
scipy.signal.welch or numpy's FFT in double precision. Every command prints plain lines of
space-separated fields that the C++ test parses.

  welch.py spectrum FILE N NOVERLAP
      "info RATE CHANNELS FRAMES SEGMENTS" then "pxx CHANNEL BIN VALUE" for bins 0 ... N/2:
      scipy's one-sided 'spectrum' power (raw sample units squared, rms^2 per bin, window
      normalised by sum(w)^2, doubled except DC and Nyquist), symmetric Hann window,
      no detrending, mean over the segments.
  welch.py bands FILE N NOVERLAP OCTAVE CHANNEL ENERGY_EXPONENT
      "band INDEX LOWER_HZ UPPER_HZ LEVEL_DB" for every fractional-octave band whose bins
      lie below the last bin: the bin powers normalised as the analyzer does (a full-scale
      sine on a bin centre has power 1 before windowing; window times 10^ENERGY_EXPONENT),
      summed over each band with fractional edge bins.
      Also "rms DB": 20 log10(rms / full scale) over the whole channel.
  welch.py aweight F1 F2 ...
      "aweight F DB": the A-weighting of IEC 61672-1 (analogue formula, 0 dB at 1 kHz).
"""

import sys
import wave

import numpy as np
from scipy import signal


def read_wav(path):
    """Returns (rate, samples as float64 array [frames, channels], full scale); 16 and 24
    bits only."""
    with wave.open(path, "rb") as w:
        rate = w.getframerate()
        channels = w.getnchannels()
        width = w.getsampwidth()
        raw = w.readframes(w.getnframes())
    if width == 2:
        data = np.frombuffer(raw, dtype="<i2").astype(np.float64)
    elif width == 3:
        b = np.frombuffer(raw, dtype=np.uint8).reshape(-1, 3).astype(np.int32)
        v = b[:, 0] | (b[:, 1] << 8) | (b[:, 2] << 16)
        v = np.where(v >= 1 << 23, v - (1 << 24), v)
        data = v.astype(np.float64)
    else:
        raise SystemExit("unsupported sample width %d" % width)
    # Full scale is the largest sample value: the analyzer's formats run from -max to max
    # (32767 for 16 bits, 8388607 for 24), so a full-scale sine is 1.0 exactly.
    full_scale = float((1 << (8 * width - 1)) - 1)
    return rate, data.reshape(-1, channels), full_scale


def hann(n):
    # Symmetric: w = 0.5 + 0.5 cos(pi (2i/(n-1) - 1)), zero at both ends.
    return signal.get_window("hann", n, fftbins=False)


def segments(frames, n, noverlap):
    return (frames - n) // (n - noverlap) + 1 if frames >= n else 0


def cmd_spectrum(path, n, noverlap):
    rate, data, _ = read_wav(path)
    frames, channels = data.shape
    print("info %d %d %d %d" % (rate, channels, frames, segments(frames, n, noverlap)))
    for c in range(channels):
        _, pxx = signal.welch(data[:, c], fs=rate, window=hann(n), nperseg=n,
                              noverlap=noverlap, nfft=n, detrend=False,
                              return_onesided=True, scaling="spectrum", average="mean")
        for k, v in enumerate(pxx):
            print("pxx %d %d %.12e" % (c, k, v))


def cmd_bands(path, n, noverlap, octave, channel, energy_exponent):
    rate, data, full_scale = read_wav(path)
    x = data[:, channel]
    hop = n - noverlap
    count = segments(len(x), n, noverlap)
    w = hann(n) * 10.0 ** energy_exponent
    power = np.zeros(n // 2 + 1)
    for s in range(count):
        spectrum = np.fft.rfft(x[s * hop:s * hop + n] * w)
        power += np.abs(spectrum) ** 2
    # A full-scale sine on a bin centre, unwindowed, has |X| = N/2 * full scale: power 1.
    power *= (2.0 / (n * full_scale)) ** 2 / max(count, 1)
    bins = n // 2
    nyquist = rate * 0.5
    width = nyquist / bins
    print("rms %.9f" % (20.0 * np.log10(np.sqrt(np.mean(x * x)) / full_scale)))

    def nearest_bin(f):
        return min(int(f / width + 0.5), bins - 1)

    # Base-ten band centres 10^(i 0.3 / n) from 1 Hz; each lower edge is the previous
    # band's upper edge.
    i = 0
    lower = 2.0 ** (-1.0 / (2 * octave))
    while True:
        centre = 10.0 ** (i * 0.3 / octave)
        if centre >= nyquist:
            break
        upper = centre * 2.0 ** (1.0 / (2 * octave))
        if i > 0:
            lower = previous_upper
        a, e = nearest_bin(lower), nearest_bin(upper)
        # The last bin is never averaged by the analyzer: stop short of it.
        if e < bins - 1 and e > a + 1:
            start_weight = (a * width + width / 2 - lower) / width
            end_weight = (upper - (e * width - width / 2)) / width
            total = power[a] * start_weight + power[e] * end_weight + power[a + 1:e].sum()
            print("band %d %.6f %.6f %.9f" % (i, lower, upper, 10.0 * np.log10(total)))
        previous_upper = upper
        i += 1


def a_weighting_db(f):
    f2 = f * f
    ra = (12194.0 ** 2 * f2 * f2) / ((f2 + 20.6 ** 2) *
                                     np.sqrt((f2 + 107.7 ** 2) * (f2 + 737.9 ** 2)) *
                                     (f2 + 12194.0 ** 2))
    return 20.0 * np.log10(ra) + 2.00


def main(argv):
    if len(argv) < 2:
        raise SystemExit(__doc__)
    command = argv[1]
    if command == "spectrum" and len(argv) == 5:
        cmd_spectrum(argv[2], int(argv[3]), int(argv[4]))
    elif command == "bands" and len(argv) == 8:
        cmd_bands(argv[2], int(argv[3]), int(argv[4]), int(argv[5]), int(argv[6]),
                  float(argv[7]))
    elif command == "aweight":
        for f in argv[2:]:
            print("aweight %s %.6f" % (f, a_weighting_db(float(f))))
    else:
        raise SystemExit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
