#!/usr/bin/python3
"""lgcset-cli configure against simulated loggers paced at a baud rate; not a test.

Eight loggers configured at once from one template and a values file (a row each): the
wall time against the pure line time of one logger configured alone (the bytes of its
login, read, write and read-back that crossed its line, 10 bits a byte), with the archive
recording each write and without one.

  bench/configure_fleet.py [--loggers N] [--baud B]   (defaults: 8, 115200)
  bench/configure_fleet.py --short    (the test suite's run: 2 loggers, unpaced)

Run from anywhere once build/default is built."""

import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path

from collect_fleet import CLI, SIM, line_seconds, start_logger, stop


def configure(ports, work, extra):
    """Runs configure; its wall time. Every logger must come out verified."""
    arguments = [str(CLI), "configure", "--template", str(work / "fleet.ini"), "--values",
                 str(work / "loggers.csv")] + extra
    for port in ports:
        arguments += ["--port", str(port)]
    started = time.monotonic()
    result = subprocess.run(arguments, capture_output=True, text=True)
    wall = time.monotonic() - started
    verified = result.stdout.count(" verified ")
    if result.returncode != 0 or verified != len(ports):
        sys.exit(f"configure failed ({result.returncode}):\n{result.stdout}{result.stderr}")
    return wall


def write_files(work, loggers):
    """A template read from a logger, with the alarm number, server and port its own, and a
    row per logger."""
    process, link, _ = start_logger(work, "template", "1", 0, [])
    read = subprocess.run([str(CLI), "--port", str(link), "read", "--no-archive",
                           str(work / "read.ini")], capture_output=True, text=True)
    stop([process])
    if read.returncode != 0:
        sys.exit("read failed:\n" + read.stderr)
    text = (work / "read.ini").read_bytes().decode("latin-1")
    for key, value in (("tel1", "${alarm_sms}"), ("ip1", "lgc.example.com"), ("port", "9001"),
                       ("rectime", "${interval}")):
        text = re.sub(rf"(?m)^{key}=[^\r\n]*", f"{key}={value}", text, count=1)
    (work / "fleet.ini").write_bytes(text.encode("latin-1"))
    rows = ["device_id,alarm_sms,interval"]
    rows += [f"{100 + n},+49151{100000 + n},{10 + n}" for n in range(loggers)]
    (work / "loggers.csv").write_text("\r\n".join(rows) + "\r\n")


def fleet(work, loggers, baud):
    write_files(work, loggers)
    # One logger alone: its line's bytes give the pure line time.
    process, link, trace = start_logger(work, "alone", "100", baud, [])
    wall_one = configure([link], work, ["--no-archive"])
    stop([process])
    line_time = line_seconds(trace, baud)

    print(f"{loggers} loggers configured at once at {baud} baud (login, read, write, read back):")
    print(f"  pure line time of one logger  {line_time:8.2f} s ({wall_one:.2f} s configured alone)")
    for archive in (["--archive", str(work / "fleet.sqlite")], ["--no-archive"]):
        processes, links, traces = [], [], []
        for n in range(loggers):
            process, link, trace = start_logger(work, f"logger{n}{archive[0]}", str(100 + n), baud,
                                                [])
            processes.append(process)
            links.append(link)
            traces.append(trace)
        wall = configure(links, work, archive)
        stop(processes)
        slowest_line = max(line_seconds(t, baud) for t in traces)
        print(f"  {archive[0]:<12} wall time of all {loggers}  {wall:8.2f} s  (slowest line "
              f"{slowest_line:.2f} s)  wall / line time {wall / line_time:6.3f}  (target <= 1.2)")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--loggers", type=int, default=8)
    parser.add_argument("--baud", type=int, default=115200)
    parser.add_argument("--short", action="store_true", help="the test suite's short run")
    options = parser.parse_args()
    if options.short:
        options.loggers, options.baud = 2, 0
    for program in (CLI, SIM):
        if not program.exists():
            sys.exit(f"{program} is not built")
    work = Path(tempfile.mkdtemp(prefix="lgcset-configure-bench-"))
    try:
        fleet(work, options.loggers, options.baud)
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
