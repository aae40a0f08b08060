"""The window's COM-port tests (com_port_test.cpp) built for Windows, run under Wine with the
offscreen platform against the Linux loggersim on a pseudo-terminal that the Wine prefix maps
to a COM port, as lgcset-cli.exe's tests run. Run by ctest in the Windows build; its status is
the test program's."""

import os
import subprocess
import sys
from pathlib import Path
from types import SimpleNamespace

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "cli_windows"))
import wine_line  # noqa: E402

# Beside lgcset-cli.exe's COM41 and COM42 (wine_line.COM_PORTS).
PORT = "COM43"
# The same as kComLoggerArguments in logger_port.h.
LOGGER_ARGUMENTS = ["--model=R481", "--history-end=2026-11-20 12:00", "--records=300",
                    "--log-interval=10"]


def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


def main():
    env = os.environ
    host = Path(env["LGCSET_HOST_BUILD_DIR"])
    setup = SimpleNamespace(wine_run=Path(env["LGCSET_WINE_RUN"]),
                            prefix=Path(env["LGCSET_WINE_PREFIX"]).resolve(),
                            loggersim=host / "tools/loggersim/loggersim",
                            work=Path(env["LGCSET_TEST_WORK_DIR"]).resolve())
    exe = Path(env["LGCSET_E2E_EXE"])
    for program in (exe, setup.loggersim):
        if not program.is_file():
            print(f"window_exe_test: missing {program}: build e2e_com_tests in the Windows tree "
                  "and loggersim in the Linux tree named by LGCSET_HOST_BUILD_DIR",
                  file=sys.stderr)
            return 1
    setup.work.mkdir(parents=True, exist_ok=True)
    link = wine_line.port_link(setup, PORT)
    logger = None
    try:
        logger = wine_line.Logger(setup, link, *LOGGER_ARGUMENTS)
        qt = Path(env["LGCSET_WINDOWS_QT_DIR"])
        run_env = dict(env, TZ="UTC", WINEPREFIX=str(setup.prefix), WINEDEBUG="-all",
                       LGCSET_E2E_PORT=PORT, WINEPATH=windows_path(qt / "bin"),
                       WINEQT_QPA_PLATFORM="offscreen",
                       WINEQT_QPA_FONTDIR=windows_path("/usr/share/fonts/truetype/dejavu"))
        run_env.pop("DISPLAY", None)
        result = subprocess.run([str(setup.wine_run), str(setup.prefix), str(exe), *sys.argv[1:]],
                                cwd=setup.work, env=run_env, stdin=subprocess.DEVNULL,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                                timeout=240)
        sys.stdout.write(result.stdout)
        sys.stderr.write("\n".join(wine_line.own_lines(result.stderr)) + "\n")
        if result.returncode == 0 and not logger.alive():
            print("window_exe_test: loggersim ended during the tests: "
                  + logger.stderr_path.read_text(), file=sys.stderr)
            return 1
        return result.returncode
    finally:
        if logger is not None:
            logger.stop()


if __name__ == "__main__":
    sys.exit(main())
