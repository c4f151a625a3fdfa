"""Batch runs at scale: `tessiva --headless --batch --json` over a folder of generated wave
files through GNU parallel, as docs/batch.md shows. Each line is checked against what
`tessiva --headless --measure all FILE` prints for that file and against levels computed
here from the samples written; a corrupt file gets its own error line and a nonzero exit
status, the others are still reported. Needs TESSIVA (set by ctest) and GNU parallel."""

import json
import math
import os
import re
import shutil
import struct
import subprocess
import tempfile
import unittest
import wave

TESSIVA = os.environ.get("TESSIVA", "tessiva")
SETTINGS = ["--fft", "4096", "--window", "4", "--average", "4", "--amp", "log", "--quiet"]

# name: (rate, bits, channels, [(hz, amplitude) per channel])
FILES = {
    "a-1k.wav": (44100, 16, 1, [(1000.0, 0.5)]),
    "b-440.wav": (48000, 16, 1, [(440.0, 0.25)]),
    "c-stereo.wav": (44100, 16, 2, [(1500.0, 0.7), (3000.0, 0.1)]),
    "d-24bit.wav": (48000, 24, 1, [(5000.0, 0.9)]),
    'e take "2" b\u00e9.wav': (22050, 16, 1, [(300.0, 0.05)]),
}
CORRUPT = "f-broken.wav"


def write_file(path, rate, bits, channels, tones, seconds=1.5):
    """Writes the tones with Python's own wave module; returns the samples per channel as
    fractions of full scale."""
    full = (1 << (bits - 1)) - 1
    frames = int(seconds * rate)
    columns = []
    for hz, amplitude in tones:
        columns.append([round(full * amplitude * math.sin(2 * math.pi * hz * i / rate))
                        for i in range(frames)])
    data = bytearray()
    for i in range(frames):
        for column in columns:
            value = column[i]
            data += struct.pack("<i", value)[:bits // 8] if bits == 24 else struct.pack("<h", value)
    with wave.open(path, "wb") as out:
        out.setnchannels(channels)
        out.setsampwidth(bits // 8)
        out.setframerate(rate)
        out.writeframes(bytes(data))
    return [[v / full for v in column] for column in columns], full


def db(ratio):
    return 20 * math.log10(ratio) if ratio > 0 else -999.9


class Batch(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix="orvanix-batch-")
        cls.archive = os.path.join(cls.folder, "archive")
        os.mkdir(cls.archive)
        cls.expected_levels = {}
        for name, (rate, bits, channels, tones) in FILES.items():
            columns, full = write_file(os.path.join(cls.archive, name), rate, bits, channels,
                                       tones)
            # Levels relative to full scale, as the lines give them (full scale: the largest
            # positive sample, which the writer above used for the amplitudes too).
            scale = full / ((1 << (bits - 1)) - 0.5)
            cls.expected_levels[name] = (
                [db(max(abs(v) for v in c) * scale) for c in columns],
                [db(math.sqrt(sum(v * v for v in c) / len(c)) * scale) for c in columns])
        with open(os.path.join(cls.archive, CORRUPT), "wb") as out:
            out.write(b"RIFF\xff\xff\xff\xffWAVEfmt \x10\x00\x00\x00garbage")
        cls.env = dict(os.environ, XDG_CONFIG_HOME=cls.folder, XDG_DATA_HOME=cls.folder,
                       QT_QPA_PLATFORM="offscreen", LC_ALL="C")
        cls.common = [TESSIVA, "--headless", "--settings",
                      os.path.join(cls.folder, "tessiva.ini")] + SETTINGS

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder, ignore_errors=True)

    def run_batch(self, files):
        return subprocess.run(self.common + ["--batch", "--json"] + files, env=self.env,
                              capture_output=True, text=True, timeout=120)

    def measure(self, path):
        """`--measure all` of one file: {(name, line or None): text} and the peak lines."""
        out = subprocess.run(self.common + ["--measure", "all", path], env=self.env,
                             capture_output=True, text=True, timeout=60, check=True).stdout
        readings, peaks = {}, []
        for line in out.splitlines():
            peak = re.match(r"(Left|Right):\s+peak ([\d.]+) Hz \(bin (\d+)\): (-?[\d.]+) dB", line)
            if peak:
                peaks.append((peak.group(1).lower(), float(peak.group(2)), int(peak.group(3)),
                              float(peak.group(4))))
                continue
            reading = re.match(r"([A-Za-z+ ]+?)(?: \((\d)\))?: (.*)$", line)
            if reading and not line.startswith(("File:", "Settings:", "Blocks", "Analysis")):
                key = (reading.group(1), int(reading.group(2)) if reading.group(2) else None)
                readings[key] = reading.group(3)
        return readings, peaks

    def test_parallel_over_a_folder_matches_the_single_file_analysis(self):
        if shutil.which("parallel") is None:
            self.fail("GNU parallel is missing (scripts/install-deps.sh installs it)")
        # The form of docs/batch.md: several files per program start (-X), two at a time.
        command = ("find {archive} -name '*.wav' -print0 | "
                   "parallel -0 -X -j2 -n2 {tessiva} > {out}").format(
                       archive=self.archive, out=os.path.join(self.folder, "results.jsonl"),
                       tessiva=" ".join("'" + a + "'" for a in self.common + ["--batch", "--json"]))
        done = subprocess.run(["bash", "-c", command], env=self.env, capture_output=True,
                              text=True, timeout=300)
        # parallel's exit status counts the failed jobs: the one holding the corrupt file.
        self.assertEqual(done.returncode, 1, done.stderr)
        with open(os.path.join(self.folder, "results.jsonl"), encoding="utf-8") as lines:
            results = [json.loads(line) for line in lines]
        by_name = {os.path.basename(r["file"]): r for r in results}
        self.assertEqual(len(results), len(FILES) + 1)
        self.assertEqual(set(by_name), set(FILES) | {CORRUPT})

        broken = by_name[CORRUPT]
        self.assertFalse(broken["ok"])
        self.assertIn(CORRUPT, broken["error"])
        self.assertEqual(broken["errors"][0], broken["error"])
        self.assertNotIn("measurements", broken)

        for name, (rate, bits, channels, tones) in FILES.items():
            line = by_name[name]
            with self.subTest(file=name):
                self.assertTrue(line["ok"], line)
                self.assertIsNone(line["error"])
                self.assertEqual(line["errors"], [])
                settings = line["settings"]
                self.assertEqual((settings["sampleRateHz"], settings["bits"],
                                  settings["channels"], settings["fftSize"], settings["window"],
                                  settings["averageBlocks"]),
                                 (rate, bits, channels, 4096, "Hanning", 4))
                readings, peaks = self.measure(line["file"])
                got = {(m["name"], m["line"]): m["text"] for m in line["measurements"]}
                self.assertEqual(got, readings)
                for m in line["measurements"]:
                    self.assertAlmostEqual(m["value"], float(m["text"].split()[0]), places=9)
                self.assertEqual(len(line["peaks"]), len(peaks))
                for peak, (spectrum, hz, bin_, value) in zip(line["peaks"], peaks):
                    self.assertEqual(peak["spectrum"], spectrum)
                    self.assertEqual(peak["bin"], bin_)
                    self.assertAlmostEqual(peak["frequencyHz"], hz, delta=0.006)
                    self.assertAlmostEqual(peak["value"], value, delta=0.006)
                    # And the tone is where it was written, to within one bin.
                self.assertLess(abs(line["peaks"][0]["frequencyHz"] - tones[0][0]),
                                rate / 4096)
                peak_db, rms_db = self.expected_levels[name]
                for got_db, want in zip(line["levels"]["peakDbfs"], peak_db):
                    self.assertAlmostEqual(got_db, want, delta=1e-3)
                for got_db, want in zip(line["levels"]["rmsDbfs"], rms_db):
                    self.assertAlmostEqual(got_db, want, delta=1e-3)
                self.assertEqual(len(line["levels"]["peakDbfs"]), channels)

    def test_exit_status_and_order_follow_the_files(self):
        good = [os.path.join(self.archive, n) for n in ("a-1k.wav", "b-440.wav")]
        broken = os.path.join(self.archive, CORRUPT)
        mixed = self.run_batch([good[0], broken, os.path.join(self.archive, "none.wav"),
                                good[1]])
        self.assertEqual(mixed.returncode, 1)
        lines = [json.loads(line) for line in mixed.stdout.splitlines()]
        self.assertEqual([line["ok"] for line in lines], [True, False, False, True])
        self.assertEqual([line["file"] for line in lines],
                         [good[0], broken, os.path.join(self.archive, "none.wav"), good[1]])
        clean = self.run_batch(good)
        self.assertEqual(clean.returncode, 0, clean.stderr)
        self.assertEqual(len(clean.stdout.splitlines()), 2)
        # Without --batch, one file only, as before.
        single = subprocess.run(self.common + good, env=self.env, capture_output=True,
                                text=True, timeout=60)
        self.assertEqual(single.returncode, 2)


if __name__ == "__main__":
    unittest.main()
