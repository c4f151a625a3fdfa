"""End to end: the real program serving on a socket, driven by the Python client and
tessiva-client. Needs TESSIVA and TESSIVA_CLIENT (set by ctest) and python/ on the path."""

import math
import os
import re
import shutil
import struct
import subprocess
import tempfile
import time
import unittest
import wave

from orvanix_client import AutomationError, Busy, Client, NotProcessed

TESSIVA = os.environ.get("TESSIVA", "tessiva")
CLIENT = os.environ.get("TESSIVA_CLIENT", "tessiva-client")
RATE = 44100
N = 4096
TONE_BIN = 93  # a bin-centre tone: its level reads exactly
TONE_HZ = TONE_BIN * RATE / N
SECONDS = 3.0


def write_tone(path, hz, amplitude, seconds, rate=RATE):
    frames = int(seconds * rate)
    data = b"".join(
        struct.pack("<h", round(32767 * amplitude * math.sin(2 * math.pi * hz * i / rate)))
        for i in range(frames))
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(rate)
        out.writeframes(data)


COMMON = ["--fft", str(N), "--window", "8", "--average", "infinite", "--channel-mode", "0",
          "--amp", "log", "--freq", "lin", "--quiet"]


class Server:
    """tessiva --headless --serve on a scratch socket."""

    def __init__(self, folder, argument=None, extra=()):
        self.socket = os.path.join(folder, "tessiva.sock")
        args = [TESSIVA, "--headless", "--serve", "--socket", self.socket,
                "--settings", os.path.join(folder, "tessiva.ini")] + COMMON + list(extra)
        if argument:
            args.append(argument)
        env = dict(os.environ, XDG_CONFIG_HOME=folder, XDG_DATA_HOME=folder,
                   QT_QPA_PLATFORM="offscreen")
        self.process = subprocess.Popen(args, env=env, stdout=subprocess.PIPE,
                                        stderr=subprocess.PIPE, text=True)
        for _ in range(400):
            if os.path.exists(self.socket):
                return
            if self.process.poll() is not None:
                raise RuntimeError("server ended: " + self.process.stderr.read())
            time.sleep(0.025)
        raise RuntimeError("server did not start")

    def stop(self):
        if self.process.poll() is None:
            try:
                with Client(self.socket) as client:
                    client.execute("[Exit Application]")
                self.process.wait(20)
            except (AutomationError, subprocess.TimeoutExpired):
                self.process.kill()
                self.process.wait()
        self.process.stdout.close()
        self.process.stderr.close()


class EndToEnd(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="orvanix-e2e-")
        self.wave = os.path.join(self.folder, "tone.wav")
        write_tone(self.wave, TONE_HZ, 0.5, SECONDS)
        self.servers = []

    def tearDown(self):
        for server in self.servers:
            server.stop()
        shutil.rmtree(self.folder, ignore_errors=True)

    def serve(self, argument=None, extra=()):
        server = Server(self.folder, argument, extra)
        self.servers.append(server)
        return server

    def headless(self):
        env = dict(os.environ, XDG_CONFIG_HOME=self.folder, XDG_DATA_HOME=self.folder)
        out = subprocess.run([TESSIVA, "--headless", "--settings",
                              os.path.join(self.folder, "other.ini")] + COMMON + [self.wave],
                             env=env, capture_output=True, text=True, check=True).stdout
        blocks = int(re.search(r"Blocks processed: (\d+)", out).group(1))
        peak = re.search(r"Left:\s+peak ([\d.]+) Hz \(bin (\d+)\): (-?[\d.]+) dB", out)
        return blocks, float(peak.group(1)), int(peak.group(2)), float(peak.group(3))

    def test_run_a_file_follow_it_and_request_every_item(self):
        blocks, peak_hz, peak_bin, peak_db = self.headless()
        server = self.serve(self.wave)
        with Client(server.socket) as orvanix:
            updates = orvanix.advise("FFT Count", count=blocks, timeout=60)
            self.assertEqual(orvanix.execute("[Run]"), "processed")
            counts = [int(value) for value in updates]
            # One update per block, in order, ending where the headless run ended.
            self.assertEqual(counts, list(range(1, blocks + 1)))
            for _ in range(200):
                if orvanix.request("Current Time") == orvanix.request("Total Time"):
                    break
                time.sleep(0.05)
            answers = {}
            for index in range(62):
                try:
                    answers[index] = orvanix.request(index)
                except AutomationError as error:
                    answers[index] = error
            # The same numbers as the headless analysis, and the closed form of the tone.
            self.assertAlmostEqual(float(answers[0]), peak_hz, places=2)
            self.assertAlmostEqual(float(answers[0]), TONE_HZ, places=3)
            self.assertAlmostEqual(float(answers[1]), peak_db, places=2)
            self.assertAlmostEqual(float(answers[1]), 20 * math.log10(0.5), delta=0.01)
            self.assertEqual(int(answers[21]), blocks)
            self.assertEqual(answers[27], str(N))
            self.assertEqual(answers[28], "1001")
            self.assertEqual(answers[29], "Uniform")
            self.assertAlmostEqual(float(answers[23]), SECONDS, places=3)
            self.assertEqual(answers[61], "4.32.18")
            self.assertEqual(answers[30], answers[0])
            self.assertEqual(answers[36], answers[1])
            # A pure tone: total power equals its level; no harmonics to speak of.
            self.assertAlmostEqual(float(answers[2]), peak_db, delta=0.1)
            self.assertLess(float(answers[6]), 0.1)
            spectrum = [line.split("\t") for line in answers[10].strip().split("\r\n")]
            loudest = max(spectrum, key=lambda p: float(p[1]))
            self.assertAlmostEqual(float(loudest[0]), peak_hz, places=2)
            series = answers[12].strip().split("\r\n")
            self.assertEqual(len(series), N)
            for index in (48, 49):
                self.assertIsInstance(answers[index], AutomationError)
            for index in (55, 56, 59, 60):
                self.assertIsInstance(answers[index], AutomationError)
            for index, text in answers.items():
                if isinstance(text, str) and index not in (10, 11, 12, 43, 44, 45, 46, 47, 58):
                    self.assertNotIn("\n", text, index)

    def test_poke_of_a_known_sine_gives_its_peak(self):
        server = self.serve()
        with Client(server.socket) as orvanix:
            bin_, amplitude = 200, 0.25
            samples = [32767 * amplitude * math.sin(2 * math.pi * bin_ * i / N) for i in range(N)]
            self.assertEqual(orvanix.poke(samples), "processed")
            self.assertAlmostEqual(float(orvanix.request("Peak Frequency")), bin_ * RATE / N, places=3)
            self.assertAlmostEqual(float(orvanix.request("Peak Amplitude")),
                                   20 * math.log10(amplitude), delta=0.01)
            with self.assertRaises(AutomationError):
                orvanix.poke("1 2 banana 3e")
            with self.assertRaises(NotProcessed):
                orvanix.execute("[FFT Size 3000]")

    def test_client_program_verbs_and_exit_codes(self):
        server = self.serve()

        def client(*args, stdin=None):
            return subprocess.run([CLIENT, "--socket", server.socket] + list(args),
                                  input=stdin, capture_output=True, text=True, timeout=60)

        done = client("request", "FFT Size")
        self.assertEqual((done.returncode, done.stdout), (0, "%d\n" % N))
        self.assertEqual(client("execute", "[Set FFT Size 1024]").returncode, 0)
        self.assertEqual(client("request", "27").stdout, "1024\n")
        refused = client("execute", "[Set FFT Size 1000]")
        self.assertEqual((refused.returncode, refused.stdout), (1, "not-processed\n"))
        self.assertEqual(client("request", "No Such Item").returncode, 1)
        self.assertEqual(client("frobnicate", "x").returncode, 2)
        watcher = subprocess.Popen([CLIENT, "--socket", server.socket, "watch", "FFT Count",
                                    "--count", "3"], stdout=subprocess.PIPE, text=True)
        time.sleep(0.5)
        block = " ".join(str(round(8000 * math.sin(2 * math.pi * 10 * i / 1024)))
                         for i in range(1024))
        for _ in range(3):
            self.assertEqual(client("poke", "-", stdin=block).returncode, 0)
        out, _ = watcher.communicate(timeout=30)
        self.assertEqual(watcher.returncode, 0)
        self.assertEqual(out.count("\n"), 3)
        missing = subprocess.run([CLIENT, "--socket", os.path.join(self.folder, "none.sock"),
                                  "request", "0"], capture_output=True, text=True)
        self.assertEqual(missing.returncode, 3)

    def run_macro(self, text):
        path = os.path.join(self.folder, "run.mac")
        with open(path, "w") as out:
            out.write(text)
        env = dict(os.environ, XDG_CONFIG_HOME=self.folder, XDG_DATA_HOME=self.folder)
        return subprocess.run([TESSIVA, "--headless", "--settings",
                               os.path.join(self.folder, "macro.ini")] + COMMON + [path],
                              env=env, capture_output=True, text=True, timeout=120)

    def test_macro_file_runs_its_sequence_into_its_output_file(self):
        out = os.path.join(self.folder, "results.txt")
        done = self.run_macro(
            "; measure the tone\n"
            "SetOutputFile %s\n"
            "Send [File Open %s]\n"
            "Send [Set FFT Size 4096]\n"
            "GoTo step\n"
            "Output FFT Size\n"
            "OutputComment end of run\n"
            "MacroEnd\n"
            "Label step\n"
            "Loop 2\n"
            "Send [Single Step]\n"
            "Output Peak Frequency\n"
            "LoopEnd\n"
            "Return\n" % (out, self.wave))
        self.assertEqual(done.returncode, 0, done.stderr)
        with open(out) as results:
            lines = results.read().split("\n")
        self.assertEqual(len(lines), 5, lines)
        self.assertAlmostEqual(float(lines[0]), TONE_HZ, places=3)
        self.assertEqual(lines[1], lines[0])
        self.assertEqual(lines[2:], [str(N), "end of run", ""])

    def test_macro_error_names_its_line_and_fails(self):
        failed = self.run_macro("Send [Set FFT Size 1024]\nSend [Make Coffee]\nSend [Run]\n")
        self.assertEqual(failed.returncode, 1)
        self.assertIn("Macro Command Processor: DDE Execute command \"Send [Make Coffee]\" "
                      "at line 1 cannot be processed", failed.stderr)
        missing = subprocess.run([TESSIVA, "--headless", os.path.join(self.folder, "none.mac")],
                                 capture_output=True, text=True, timeout=60,
                                 env=dict(os.environ, XDG_CONFIG_HOME=self.folder))
        self.assertEqual(missing.returncode, 1)
        self.assertIn("Failure opening macro file", missing.stderr)

    def test_another_user_is_refused(self):
        runner = shutil.which("setpriv")
        if os.geteuid() != 0 or not runner:
            self.skipTest("needs root and setpriv to run the client as another user")
        server = self.serve()
        as_nobody = [runner, "--reuid=nobody", "--regid=nogroup", "--clear-groups", CLIENT,
                     "--socket", server.socket, "request", "27"]
        # The folder and the socket are the owner's only: the other user cannot even reach it.
        os.chmod(self.folder, 0o755)
        blocked = subprocess.run(as_nobody, capture_output=True, text=True, timeout=30)
        self.assertEqual(blocked.returncode, 3, blocked.stderr)
        # Even with the socket opened up, the server checks who is calling.
        os.chmod(server.socket, 0o666)
        refused = subprocess.run(as_nobody, capture_output=True, text=True, timeout=30)
        self.assertEqual(refused.returncode, 3)
        self.assertIn("another user", refused.stderr)
        with Client(server.socket) as orvanix:
            self.assertEqual(orvanix.request("FFT Size"), str(N))


if __name__ == "__main__":
    unittest.main()
