"""Client of the Orvanix automation server (standard library only).

The server runs inside the Orvanix window and in ``tessiva --headless --serve``; it listens
on a per-user local socket (``$XDG_RUNTIME_DIR/orvanix/tessiva.sock``, or the path in
``$TESSIVA_SOCKET``). The protocol is described in docs/automation.md.

    from orvanix_client import Client
    with Client() as orvanix:
        orvanix.execute("[Set FFT Size 4096]")
        print(orvanix.request("Peak Frequency"))
        for value in orvanix.advise("FFT Count", count=10):
            print(value)
"""

import os
import socket

__all__ = ["Client", "AutomationError", "NotProcessed", "Busy", "default_socket_path"]


class AutomationError(Exception):
    """The server answered with an error line, refused the connection or went away."""


class NotProcessed(AutomationError):
    """An execute command or poke the server did not process."""


class Busy(AutomationError):
    """The server is busy (a poke while the analyzer runs)."""


def default_socket_path():
    named = os.environ.get("TESSIVA_SOCKET")
    if named:
        return named
    runtime = os.environ.get("XDG_RUNTIME_DIR")
    folder = os.path.join(runtime, "orvanix") if runtime else "/tmp/orvanix-%d" % os.getuid()
    return os.path.join(folder, "tessiva.sock")


class Client:
    """One conversation with the server."""

    def __init__(self, path=None, timeout=30.0):
        self.path = path or default_socket_path()
        self._socket = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self._socket.settimeout(timeout)
        try:
            self._socket.connect(self.path)
        except OSError as error:
            self._socket.close()
            raise AutomationError("cannot connect to %s: %s" % (self.path, error)) from None
        self._buffer = b""
        self._pending = []  # advise messages that arrived while waiting for an answer
        kind, text, _ = self._next()
        if kind != "hello":
            self.close()
            raise AutomationError(text or "no greeting from the server")

    # ---- the verbs ----
    def request(self, item):
        """The item's text (name or index number)."""
        kind, text, _ = self._ask("request %s" % item)
        if kind != "value":
            raise AutomationError(text)
        return text

    def execute(self, command):
        """Runs an execute command such as "[Run]"; returns "processed" or raises."""
        return self._answer(self._ask("execute %s" % command))

    def poke(self, samples):
        """Processes sample values (a sequence of numbers or a text) as one block."""
        if not isinstance(samples, str):
            samples = " ".join("%d" % round(v) for v in samples)
        return self._answer(self._ask("poke %s" % samples))

    def advise(self, item, count=None, warm=False, timeout=None):
        """Starts an advise link at once and returns an iterator over its updates: the item's
        text at every update (hot link) or the item's index at every change notice (warm
        link). It stops after `count` updates (None: never) and then ends the link; `timeout`
        (seconds) bounds the wait for each update."""
        kind, text, _ = self._ask("%s %s" % ("warm" if warm else "advise", item))
        if kind != "answer":
            raise AutomationError(text)
        return self._updates(item, count, timeout)

    def _updates(self, item, count, timeout):
        seen = 0
        old = self._socket.gettimeout()
        if timeout is not None:
            self._socket.settimeout(timeout)
        try:
            while count is None or seen < count:
                kind, text, index = self._pending.pop(0) if self._pending else self._next()
                if kind == "update":
                    yield text
                elif kind == "changed":
                    yield index
                else:
                    raise AutomationError(text or "the link ended")
                seen += 1
        finally:
            self._socket.settimeout(old)
            self._ask("unadvise %s" % item)

    def close(self):
        try:
            self._socket.sendall(b"quit\n")
        except OSError:
            pass
        self._socket.close()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    # ---- framing ----
    def _answer(self, reply):
        kind, text, _ = reply
        if kind == "answer" and text in ("processed", "ok"):
            return text
        if kind == "answer" and text == "busy":
            raise Busy(text)
        if kind == "answer":
            raise NotProcessed(text)
        raise AutomationError(text)

    def _ask(self, line):
        self._socket.sendall(line.encode("utf-8") + b"\n")
        while True:
            kind, text, index = self._next()
            if kind in ("update", "changed"):
                self._pending.append((kind, text, index))
                continue
            return kind, text, index

    def _fill(self):
        chunk = self._socket.recv(65536)
        if not chunk:
            raise AutomationError("the server closed the connection")
        self._buffer += chunk

    def _line(self):
        while b"\n" not in self._buffer:
            self._fill()
        line, self._buffer = self._buffer.split(b"\n", 1)
        return line.decode("utf-8", "replace")

    def _data(self, size):
        while len(self._buffer) < size + 1:
            self._fill()
        data, self._buffer = self._buffer[:size], self._buffer[size + 1:]
        return data.decode("utf-8", "replace")

    def _next(self):
        line = self._line()
        word, _, rest = line.partition(" ")
        if word == "hello":
            return "hello", rest, None
        if word == "answer":
            return "answer", rest, None
        if word == "error":
            return "error", rest, None
        if word == "bye":
            return "bye", "", None
        if word == "changed":
            return "changed", "", int(rest)
        if word == "value":
            return "value", self._data(int(rest)), None
        if word == "update":
            index, size = rest.split(" ", 1)
            return "update", self._data(int(size)), int(index)
        raise AutomationError("unexpected line from the server: %s" % line[:80])
