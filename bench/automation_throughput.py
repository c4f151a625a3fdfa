#!/usr/bin/env python3
"""Automation server throughput, measured on the real program (tessiva --headless --serve):

  1. requests per second one client gets answered, one at a time ("FFT Size", and the
     2049-line "Spectrum");
  2. advise updates per second one client receives while a long wave file is analysed as
     fast as the analyzer goes (Post-Processing), with a hot link on "Peak Frequency";
  3. the server's added CPU, in percent of one core, when 10 clients follow hot links on
     "Spectrum" and "Peak Frequency" while the analyzer runs live on the Loopback device
     (48 kHz stereo, FFT 4096, both channels), against the same run with no client.

    python3 bench/automation_throughput.py [--build build] [--seconds 15]

Counts, not timings, decide what a test passes; this prints figures for the notes.
"""

import argparse
import math
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import threading
import time
import wave

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "python"))
from orvanix_client import Client  # noqa: E402


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def serve(tessiva, folder, extra):
    socket = os.path.join(folder, "tessiva.sock")
    args = [tessiva, "--headless", "--serve", "--socket", socket, "--quiet",
            "--settings", os.path.join(folder, "tessiva.ini")] + extra
    env = dict(os.environ, XDG_CONFIG_HOME=folder, XDG_DATA_HOME=folder,
               QT_QPA_PLATFORM="offscreen")
    process = subprocess.Popen(args, env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    for _ in range(400):
        if os.path.exists(socket):
            return process, socket
        time.sleep(0.025)
    process.kill()
    raise RuntimeError("the server did not start")


def stop(process, socket):
    try:
        with Client(socket) as client:
            client.execute("[Exit Application]")
        process.wait(20)
    except Exception:  # noqa: BLE001 - the figures are printed already
        process.kill()
        process.wait()


def write_noise(path, seconds, rate=48000):
    frames = int(seconds * rate)
    state = 1
    data = bytearray()
    for _ in range(frames):
        state = (state * 1103515245 + 12345) & 0x7FFFFFFF
        data += struct.pack("<h", (state >> 15) - 32768 >> 2)
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(rate)
        out.writeframes(bytes(data))


def requests_per_second(socket, item, count):
    with Client(socket) as client:
        client.request(item)
        start = time.perf_counter()
        for _ in range(count):
            client.request(item)
        return count / (time.perf_counter() - start)


def advise_rate(tessiva, folder, seconds):
    wave_path = os.path.join(folder, "noise.wav")
    write_noise(wave_path, 600)
    process, socket = serve(tessiva, folder, ["--fft", "4096", "--average", "1", wave_path])
    try:
        with Client(socket) as control, Client(socket) as follower:
            control.execute("[Mode Post Processing]")
            counted = 0
            done = threading.Event()

            def follow():
                nonlocal counted
                try:
                    for _ in follower.advise("Peak Frequency", timeout=5):
                        counted += 1
                        if done.is_set():
                            break
                except TimeoutError:
                    pass  # the run stopped: no more updates

            thread = threading.Thread(target=follow)
            thread.start()
            time.sleep(0.5)
            start = time.perf_counter()
            control.execute("[Run]")
            time.sleep(seconds)
            counts = counted
            elapsed = time.perf_counter() - start
            blocks = int(control.request("FFT Count"))
            control.execute("[Stop]")
            done.set()
            thread.join(10)
            return counts / elapsed, blocks / elapsed
    finally:
        stop(process, socket)


def live_cpu(tessiva, folder, seconds, clients):
    process, socket = serve(tessiva, folder, [
        "--device", "Loopback", "--loopback-tone", "1000", "--rate", "48000", "--channels",
        "2", "--bits", "16", "--fft", "4096", "--channel-mode", "2"])
    followers, threads, counts = [], [], [0] * clients
    stopping = threading.Event()
    try:
        with Client(socket) as control:
            for n in range(clients):
                follower = Client(socket)
                followers.append(follower)

                def follow(n=n, follower=follower):
                    item = "Spectrum" if n % 2 == 0 else "Peak Frequency"
                    try:
                        for _ in follower.advise(item, timeout=5):
                            counts[n] += 1
                            if stopping.is_set():
                                break
                    except TimeoutError:
                        pass  # the run stopped: no more updates

                thread = threading.Thread(target=follow)
                thread.start()
                threads.append(thread)
            control.execute("[Mode Real Time]")
            control.execute("[Run]")
            time.sleep(1.0)
            cpu0, wall0 = cpu_seconds(process.pid), time.perf_counter()
            time.sleep(seconds)
            cpu1, wall1 = cpu_seconds(process.pid), time.perf_counter()
            blocks = int(control.request("FFT Count"))
            control.execute("[Stop]")
        stopping.set()
        for thread in threads:
            thread.join(10)
        return 100.0 * (cpu1 - cpu0) / (wall1 - wall0), sum(counts), blocks
    finally:
        for follower in followers:
            follower.close()
        stop(process, socket)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default="build")
    parser.add_argument("--seconds", type=float, default=15)
    o = parser.parse_args()
    tessiva = os.path.join(o.build, "app", "tessiva")
    folder = tempfile.mkdtemp(prefix="orvanix-throughput-")
    try:
        process, socket = serve(tessiva, folder, ["--fft", "4096"])
        try:
            small = requests_per_second(socket, "FFT Size", 5000)
            large = requests_per_second(socket, "Spectrum", 300)
        finally:
            stop(process, socket)
        print(f"requests: {small:.0f}/s for \"FFT Size\", {large:.0f}/s for \"Spectrum\" "
              "(2049 lines), one client, one request at a time")
        updates, blocks = advise_rate(tessiva, folder, o.seconds)
        print(f"advise: {updates:.0f} updates/s of \"Peak Frequency\" to one client, "
              f"while the analyzer processed {blocks:.0f} blocks/s (FFT 4096, file)")
        idle, _, blocks0 = live_cpu(tessiva, folder, o.seconds, 0)
        busy, received, blocks10 = live_cpu(tessiva, folder, o.seconds, 10)
        print(f"live FFT 4096, 48 kHz stereo: {idle:.2f} % of one core without clients, "
              f"{busy:.2f} % with 10 clients following advise links (added "
              f"{busy - idle:.2f} %); {received} updates delivered for {blocks10} blocks")
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
