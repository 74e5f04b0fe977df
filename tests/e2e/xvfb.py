"""Runs the real program on a private Xvfb server and looks at its window (used by the checks)."""
import os
import re
import subprocess
import tempfile
import time


class Session:
    """An Xvfb server plus one program on it.  Use as a context manager."""

    def __init__(self, program, args=(), screen="1280x1024x24", env=None):
        self.program = program
        self.args = list(args)
        self.screen = screen
        self.extra_env = env or {}
        self.xvfb = None
        self.proc = None
        self.display = None
        self.log = tempfile.TemporaryFile()

    def __enter__(self):
        rfd, wfd = os.pipe()
        # -displayfd lets the server pick a free display number and tell us.
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(wfd), "-screen", "0", self.screen, "-nolisten", "tcp"],
            pass_fds=(wfd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(wfd)
        num = b""
        with os.fdopen(rfd, "rb") as f:
            while not num.endswith(b"\n"):
                ch = f.read(1)
                if not ch:
                    break
                num += ch
        self.display = ":" + num.decode().strip()
        env = dict(os.environ, DISPLAY=self.display)
        env.update(self.extra_env)
        self.env = env
        self.proc = subprocess.Popen([self.program] + self.args, env=env,
                                     stdout=self.log, stderr=subprocess.STDOUT)
        return self

    def __exit__(self, *exc):
        if self.proc and self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        if self.xvfb:
            self.xvfb.kill()
            self.xvfb.wait()
        return False

    def output(self):
        self.log.seek(0)
        return self.log.read().decode(errors="replace")

    def x(self, *cmd):
        return subprocess.run(list(cmd), env=self.env, capture_output=True, text=True)

    def wait_window(self, title="sun calculator", timeout=20):
        """Window id of the first window whose title is `title`, once it is mapped."""
        end = time.time() + timeout
        while time.time() < end:
            if self.proc.poll() is not None:
                raise RuntimeError("program ended early (%s):\n%s" % (self.proc.returncode, self.output()))
            r = self.x("xdotool", "search", "--onlyvisible", "--name", "^%s$" % re.escape(title))
            ids = r.stdout.split()
            if ids:
                return ids[0]
            time.sleep(0.2)
        raise RuntimeError("no window titled %r within %ds:\n%s" % (title, timeout, self.output()))

    def title(self, wid):
        return self.x("xdotool", "getwindowname", wid).stdout.strip()

    def geometry(self, wid):
        out = self.x("xwininfo", "-id", wid).stdout
        w = int(re.search(r"Width:\s+(\d+)", out).group(1))
        h = int(re.search(r"Height:\s+(\d+)", out).group(1))
        return w, h

    def screenshot(self, wid, path):
        r = self.x("import", "-window", wid, path)
        if r.returncode != 0:
            raise RuntimeError("import failed: " + r.stderr)
        return path

    def key(self, wid, *keys):
        self.x("xdotool", "key", "--window", wid, *keys)

    def settle(self, seconds=1.0):
        time.sleep(seconds)


def open_with_chooser(s, wid, path):
    """File > Open SRTM..., then the path typed into the chooser's location field."""
    s.x("xdotool", "mousemove", "--window", wid, "15", "10", "click", "1")
    s.settle(0.7)
    s.x("xdotool", "mousemove", "--window", wid, "40", "32", "click", "1")
    cw = s.wait_window(title="Choose file", timeout=10)
    s.settle(1.0)
    # a click on the empty file list gives the chooser the keyboard
    s.x("xdotool", "mousemove", "--window", cw, "450", "350", "click", "1")
    s.settle(0.5)
    s.x("xdotool", "type", "/")  # opens the location field
    s.settle(1.5)
    s.x("xdotool", "key", "ctrl+a")
    s.x("xdotool", "type", "--delay", "80", path)
    s.settle(1.0)
    s.x("xdotool", "key", "Return")
    s.settle(2.0)
