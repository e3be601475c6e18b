#!/usr/bin/env python3
"""startup_time.py BUILD_DIR [RUNS]: start-up time of banklist on the demo installation.

Assembles the demo installation from BUILD_DIR (scripts/assemble-demo.sh), then starts banklist
RUNS times (default 21) on an 80x25 pseudo-terminal and measures the time from the start of the
process until the print dialogue is on the screen (the option field's arrows and its first
option have been drawn). Each run is ended with Esc. Prints the median, the fastest and the
slowest run in milliseconds.
"""
import fcntl
import os
import pty
import re
import select
import shutil
import statistics
import struct
import subprocess
import sys
import tempfile
import termios
import time

MARKER = "◄No►".encode("utf-8")
ESCAPES = re.compile(rb"\x1b\[[0-9;?]*[ -/]*[@-~]")
TIMEOUT = 10.0


def run_once(install):
    env = {k: v for k, v in os.environ.items()
           if k not in ("HTTP_USER_AGENT", "HTTP_ACCEPT", "WINDIR", "SYSTEMROOT", "COMSPEC")}
    env.update(TAVROOT=f"{install}/root/", TAVEXE=f"{install}/exe/", TAVTMP=f"{install}/tmp/",
               TERM="xterm-256color", LANG="C.UTF-8")
    program = f"{install}/exe/banklist"
    start = time.perf_counter()
    pid, master = pty.fork()
    if pid == 0:
        fcntl.ioctl(0, termios.TIOCSWINSZ, struct.pack("HHHH", 25, 80, 0, 0))
        os.chdir(install)
        os.execve(program, [program], env)
    seen, elapsed = b"", None
    deadline = start + TIMEOUT
    while time.perf_counter() < deadline:
        ready, _, _ = select.select([master], [], [], 0.5)
        if not ready:
            continue
        try:
            chunk = os.read(master, 65536)
        except OSError:
            break
        if not chunk:
            break
        seen += chunk
        if MARKER in ESCAPES.sub(b"", seen):
            elapsed = time.perf_counter() - start
            break
    try:
        os.write(master, b"\x1b")
    except OSError:
        pass
    # Keep reading so that the program is never blocked on a full terminal while it ends.
    end = time.perf_counter() + TIMEOUT
    while time.perf_counter() < end:
        done, _ = os.waitpid(pid, os.WNOHANG)
        if done:
            break
        ready, _, _ = select.select([master], [], [], 0.05)
        if ready:
            try:
                os.read(master, 65536)
            except OSError:
                pass
    else:
        os.kill(pid, 9)
        os.waitpid(pid, 0)
    os.close(master)
    return elapsed


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    build = os.path.abspath(sys.argv[1])
    runs = int(sys.argv[2]) if len(sys.argv) == 3 else 21
    top = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    work = tempfile.mkdtemp()
    try:
        install = f"{work}/install"
        subprocess.run([f"{top}/scripts/assemble-demo.sh", build, install], check=True,
                       stdout=subprocess.DEVNULL)
        times = []
        for _ in range(runs):
            elapsed = run_once(install)
            if elapsed is None:
                sys.exit("the dialogue did not appear (is the demo installation complete?)")
            times.append(elapsed * 1000)
        print(f"banklist start-up until the dialogue, {runs} runs: median {statistics.median(times):.1f} ms, "
              f"fastest {min(times):.1f} ms, slowest {max(times):.1f} ms")
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
