#!/usr/bin/python3
"""lgcset-cli collect against simulated loggers paced at a baud rate; not a test.

1. Eight loggers of 3,000 records each collected at once: the wall time against the pure
   line time of one logger (the bytes that crossed its line, 10 bits a byte), and the CPU
   time of lgcset-cli per record.
2. --since-last a month after a six-month collection (48 records a day): bytes on the line
   and seconds, beside a whole six-month fetch of the same logger.

  bench/collect_fleet.py [--loggers N] [--records N] [--baud B]   (defaults: 8, 3000, 115200)
  bench/collect_fleet.py --short    (the test suite's run: 2 loggers of 300 records, a
                                     10-day log collected again after 3 days, unpaced)

Run from anywhere once build/default is built."""

import argparse
import datetime
import os
import resource
import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
BUILD = Path(os.environ.get("LGCSET_BUILD_DIR", ROOT / "build/default"))
CLI = BUILD / "src/cli/lgcset-cli"
SIM = BUILD / "tools/loggersim/loggersim"


def line_seconds(trace, baud):
    """The pure line time of the frames that crossed one line; none on an unpaced line."""
    return line_bytes(trace) * 10 / baud if baud else float("nan")


def line_bytes(trace):
    """Bytes of the frames that crossed one line, both ways."""
    total = 0
    for line in trace.read_text().splitlines():
        fields = line.split("  (")[0].split()
        if len(fields) >= 3 and fields[1] in ("RX", "TX"):
            total += sum(1 for token in fields[2:] if len(token) == 2)
    return total


def start_logger(work, name, device_id, baud, extra):
    link, trace = work / name, work / (name + ".trace")
    process = subprocess.Popen(
        [str(SIM), f"--device-id={device_id}", f"--baud={baud}", f"--link={link}",
         f"--trace={trace}", "--no-stdin"] + extra,
        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    process.stdout.readline()  # the slave's path: the line is served from now on
    return process, link, trace


def collect(ports, archive, extra):
    """Runs collect; its wall time and the CPU time it used."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    started = time.monotonic()
    arguments = [str(CLI), "collect", "--archive", str(archive)] + extra
    for port in ports:
        arguments += ["--port", str(port)]
    result = subprocess.run(arguments, capture_output=True, text=True)
    wall = time.monotonic() - started
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    if result.returncode != 0:
        sys.exit(f"collect failed ({result.returncode}):\n{result.stdout}{result.stderr}")
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    return wall, cpu


def stop(processes):
    for process in processes:
        process.terminate()
        process.wait()


def fleet(work, loggers, records, baud):
    end = datetime.datetime.now().replace(second=0, microsecond=0)
    history = [f"--records={records}", "--log-interval=30",
               "--history-end=" + end.strftime("%Y-%m-%d %H:%M")]
    first_day = (end - datetime.timedelta(minutes=30 * records)).date()
    whole = ["--from", first_day.strftime("%Y-%m-%d"), "--to", end.strftime("%Y-%m-%d")]
    if (end.date() - first_day).days > 180:
        sys.exit("--records: more than six months at 30 minutes")

    # One logger alone: its line's bytes give the pure line time.
    processes = []
    process, link, trace = start_logger(work, "alone", "1", baud, history)
    processes.append(process)
    wall_one, _ = collect([link], work / "alone.sqlite", whole)
    stop(processes)
    line_time = line_seconds(trace, baud)

    processes, links, traces = [], [], []
    for n in range(loggers):
        process, link, trace = start_logger(work, f"logger{n}", str(100 + n), baud, history)
        processes.append(process)
        links.append(link)
        traces.append(trace)
    wall, cpu = collect(links, work / "fleet.sqlite", whole)
    stop(processes)
    slowest_line = max(line_seconds(t, baud) for t in traces)
    print(f"{loggers} loggers x {records} records at {baud} baud, collected at once:")
    print(f"  pure line time of one logger  {line_time:8.2f} s ({wall_one:.2f} s collected alone)")
    print(f"  wall time of all {loggers}          {wall:8.2f} s  (slowest line {slowest_line:.2f} s)")
    print(f"  wall / line time              {wall / line_time:8.3f}  (target <= 1.15)")
    print(f"  CPU per record                {cpu / (loggers * records) * 1e6:8.1f} us")


def since_last(work, baud, span_days, gap_days):
    now = datetime.datetime.now().replace(second=0, microsecond=0)
    month_ago = now - datetime.timedelta(days=gap_days)
    start = now - datetime.timedelta(days=span_days)
    per_day = 48

    def logger_until(name, end, archive, extra):
        records = int((end - start).total_seconds() // 1800)
        process, link, trace = start_logger(
            work, name, "555", baud,
            [f"--records={records}", "--log-interval=30",
             "--history-end=" + end.strftime("%Y-%m-%d %H:%M")])
        wall, _ = collect([link], archive, extra)
        stop([process])
        return wall, line_bytes(trace), records

    # A month ago: the first collection of six months, into the archive.
    archive = work / "monthly.sqlite"
    logger_until("first", month_ago, archive, ["--since-last"])
    # Today: only the new month over the line.
    wall, bytes_moved, _ = logger_until("monthly", now, archive, ["--since-last"])
    # Beside it: the whole six months of today's log into an empty archive.
    six = ["--from", start.strftime("%Y-%m-%d"), "--to", now.strftime("%Y-%m-%d")]
    wall_full, bytes_full, records = logger_until("full", now, work / "full.sqlite", six)
    print(f"--since-last {gap_days} days after a {span_days}-day collection ({per_day} records a "
          f"day, {baud} baud):")
    print(f"  --since-last      {bytes_moved:9d} bytes  {wall:7.2f} s")
    print(f"  all {span_days} days      {bytes_full:9d} bytes  {wall_full:7.2f} s  ({records} records)")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--loggers", type=int, default=8)
    parser.add_argument("--records", type=int, default=3000)
    parser.add_argument("--baud", type=int, default=115200)
    parser.add_argument("--short", action="store_true", help="the test suite's short run")
    options = parser.parse_args()
    span_days, gap_days = 180, 30
    if options.short:
        options.loggers, options.records, options.baud = 2, 300, 0
        span_days, gap_days = 10, 3
    for program in (CLI, SIM):
        if not program.exists():
            sys.exit(f"{program} is not built")
    work = Path(tempfile.mkdtemp(prefix="lgcset-collect-bench-"))
    try:
        fleet(work, options.loggers, options.records, options.baud)
        since_last(work, options.baud, span_days, gap_days)
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
