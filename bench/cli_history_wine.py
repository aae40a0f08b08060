#!/usr/bin/python3
"""lgcset-cli.exe's history transfer under Wine against loggersim paced at a baud rate: the
time from the first to the last byte on the line (the simulator's trace; Wine's start-up and
the export after the transfer are outside it) against the pure line time of the bytes that
crossed, 10 bits a byte. With --linux, the same for the Linux lgcset-cli.

  bench/cli_history_wine.py [--records N] [--baud B] [--linux]   (defaults: 5000, 115200)

  bench/cli_history_wine.py --short   (the Windows stage's run: 300 records, unpaced)

Run from anywhere once the Windows and the Linux trees are built and the Wine server of
build/windows/wineprefix runs with the tests' ports (cmake/wine-server start); not a test."""

import argparse
import datetime
import os
import shutil
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, str(ROOT / "tests/cli_windows"))
import wine_line  # noqa: E402


def line_bytes_and_span(trace):
    """Bytes of the frames that crossed, and seconds from the first frame to the last."""
    total = 0
    stamps = []
    for line in trace.read_text().splitlines():
        fields = line.split("  (")[0].split()
        if len(fields) < 3 or fields[1] not in ("RX", "TX"):
            continue
        total += sum(1 for token in fields[2:] if len(token) == 2)
        stamps.append(datetime.datetime.fromisoformat(fields[0].replace("Z", "+00:00")))
    return total, (stamps[-1] - stamps[0]).total_seconds()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--records", type=int, default=5000)
    parser.add_argument("--baud", type=int, default=115200)
    parser.add_argument("--linux", action="store_true", help="the Linux lgcset-cli instead")
    parser.add_argument("--short", action="store_true", help="the Windows stage's short run")
    options = parser.parse_args()
    if options.short:
        options.records, options.baud = 300, 0

    env = dict(os.environ)
    env.setdefault("LGCSET_CLI_EXE", str(ROOT / "build/windows/src/cli/lgcset-cli.exe"))
    env.setdefault("LGCSET_WINE_RUN", str(ROOT / "cmake/wine-run"))
    env.setdefault("LGCSET_WINE_PREFIX", str(ROOT / "build/windows/wineprefix"))
    env.setdefault("LGCSET_HOST_BUILD_DIR", str(ROOT / "build/default"))
    work = Path(tempfile.mkdtemp(prefix="lgcset-cli-history-wine-"))
    env["LGCSET_TEST_WORK_DIR"] = str(work)
    setup = wine_line.Setup(env)
    missing = setup.missing()
    if missing:
        sys.exit("cli_history_wine: " + missing)

    # Beside the tests' ports (wine_line.COM_PORTS and the window's COM43).
    port = "COM44"
    link, trace = wine_line.port_link(setup, port), work / "trace"
    logger = wine_line.Logger(setup, link, f"--baud={options.baud}",
                              f"--records={options.records}", "--log-interval=1",
                              "--history-end=2024-03-10 12:00", trace=trace)
    args = ["history", "--from", "24-01-01", "--to", "24-03-31", "--out", "out"]
    try:
        start = time.monotonic()
        if options.linux:
            status, out, err = wine_line.run_linux_cli(setup, ["--port", str(link), *args], work,
                                                       timeout=3600)
        else:
            status, out, err = wine_line.run_exe(setup, ["--port", port, *args], work,
                                                 timeout=3600)
        wall = time.monotonic() - start
    finally:
        logger.stop()
    if status != 0:
        shutil.rmtree(work)
        sys.exit(f"cli_history_wine: history ended with status {status}: {err}")

    total, span = line_bytes_and_span(trace)
    shutil.rmtree(work)
    who = "lgcset-cli (Linux)" if options.linux else "lgcset-cli.exe (Wine)"
    print(f"{who}: {out.splitlines()[0]}, {wall:.2f} s in all (start and export included)")
    if options.baud == 0:
        print(f"unpaced: {total} bytes on the line, first to last byte {span:.2f} s")
        return
    line_time = total * 10 / options.baud
    print(f"paced at {options.baud} baud: {total} bytes on the line, pure line time "
          f"{line_time:.2f} s, first to last byte {span:.2f} s, ratio {span / line_time:.4f}")


if __name__ == "__main__":
    main()
