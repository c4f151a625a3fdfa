"""An overnight-style macro, shortened: `tessiva --headless FILE.mac` runs a loop of many
thousand passes with waits in it. The program's memory stays flat from an early pass to a
late one, and a SIGKILL in the middle leaves an output file of whole lines only (each line is
written through as it is made). Needs TESSIVA (set by ctest)."""

import os
import re
import shutil
import signal
import subprocess
import tempfile
import time
import unittest

TESSIVA = os.environ.get("TESSIVA", "tessiva")
PASSES = 1000000  # never reached: the run is killed


def rss_kib(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def lines_in(path):
    try:
        with open(path, "rb") as out:
            return out.read().count(b"\n")
    except FileNotFoundError:
        return 0


class Overnight(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="orvanix-overnight-")

    def tearDown(self):
        shutil.rmtree(self.folder, ignore_errors=True)

    def test_memory_stays_flat_and_a_kill_leaves_whole_lines(self):
        output = os.path.join(self.folder, "night.txt")
        macro = os.path.join(self.folder, "night.mac")
        with open(macro, "w") as out:
            out.write("SetOutputFile night.txt\n"
                      "OutputComment start AutoDateTime\n"
                      f"Loop {PASSES}\n"
                      "GoTo measure\n"
                      "LoopEnd\n"
                      "MacroEnd\n"
                      "Label measure\n"
                      "Output FFT Size\n"
                      "Output Peak Frequency\n"
                      "OutputComment pass done\n"
                      "WaitSeconds 0\n"
                      "Return\n")
        env = dict(os.environ, XDG_CONFIG_HOME=self.folder, XDG_DATA_HOME=self.folder,
                   QT_QPA_PLATFORM="offscreen")
        ini = os.path.join(self.folder, "tessiva.ini")
        with open(ini, "w") as out:
            out.write(f"[Paths]\nmacro={self.folder}\nWav={self.folder}\nTmp={self.folder}\n")
        errors = open(os.path.join(self.folder, "stderr.txt"), "w+")
        process = subprocess.Popen([TESSIVA, "--headless", "--settings", ini, "--quiet",
                                    "--fft", "4096", macro], env=env,
                                   stdout=subprocess.DEVNULL, stderr=errors)
        try:
            def wait_for(lines, limit=120):
                end = time.monotonic() + limit
                while lines_in(output) < lines:
                    if process.poll() is not None:
                        errors.seek(0)
                        self.fail("the macro ended: " + errors.read())
                    self.assertLess(time.monotonic(), end, f"{lines_in(output)} lines")
                    time.sleep(0.05)

            # Passes of 3 lines each, one wait each (a wait is looked at 50 times a
            # second): the early sample after 200 passes, the late one 1000 passes on.
            wait_for(1 + 3 * 200)
            early = rss_kib(process.pid)
            wait_for(1 + 3 * 1200)
            late = rss_kib(process.pid)
        finally:
            process.send_signal(signal.SIGKILL)
            process.wait()
            errors.close()
        self.assertLess(late - early, 512, f"RSS grew from {early} KiB to {late} KiB")

        with open(output, "rb") as out:
            data = out.read()
        self.assertTrue(data.endswith(b"\n"), data[-40:])
        lines = data.decode().split("\n")[:-1]
        self.assertRegex(lines[0], r"^start \d{4}_\d\d_\d\d_\d{6}$")
        body = lines[1:]
        self.assertGreaterEqual(len(body), 3 * 1200)
        # Whole passes, then possibly a pass cut between two of its lines, never inside one.
        for n, line in enumerate(body):
            expected = ("4096", r"-?\d+\.\d{6}", "pass done")[n % 3]
            self.assertRegex(line, "^" + expected + "$", f"line {n + 1}")


if __name__ == "__main__":
    unittest.main()
