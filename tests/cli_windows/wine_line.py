"""The Linux simulated logger on a pseudo-terminal, seen by Windows programs under Wine as a
COM port of a Wine prefix, and lgcset-cli.exe run against it. Shared by the end-to-end test
of lgcset-cli.exe and its benchmark."""

import os
import re
import signal
import subprocess
import time
from pathlib import Path

# COM numbers from 41 up, which no real port of the machine takes, mapped by cmake/wine-server:
# lgcset-cli.exe's tests take COM41 and COM42, the window's COM43 and the benchmark COM44,
# so that the suites can run at once.
COM_PORTS = ("COM41", "COM42")

# Wine's own diagnostics: a thread id in hex, then the channel ("0024:fixme:comm:...").
_WINE_NOISE = re.compile(r"^[0-9a-f]{4}:(fixme|err|warn|trace):")


def own_lines(stderr):
    """The lines of a Windows program's standard error that are its own, not Wine's."""
    return [line for line in stderr.splitlines() if line and not _WINE_NOISE.match(line)]


class Setup:
    """Where the programs are: the Windows build's lgcset-cli.exe, its Wine prefix and runner,
    and the Linux build's loggersim and lgcset-cli."""

    def __init__(self, env=os.environ):
        self.exe = Path(env["LGCSET_CLI_EXE"])
        self.wine_run = Path(env["LGCSET_WINE_RUN"])
        self.prefix = Path(env["LGCSET_WINE_PREFIX"]).resolve()
        host = Path(env["LGCSET_HOST_BUILD_DIR"])
        self.loggersim = host / "tools/loggersim/loggersim"
        self.linux_cli = host / "src/cli/lgcset-cli"
        self.work = Path(env["LGCSET_TEST_WORK_DIR"]).resolve()

    def missing(self):
        """A sentence naming the programs that are not there, or None."""
        gone = [p for p in (self.exe, self.loggersim, self.linux_cli) if not p.is_file()]
        if not gone:
            return None
        return ("missing " + ", ".join(map(str, gone)) + ": build lgcset-cli.exe in the Windows "
                "tree and loggersim and lgcset-cli in the Linux tree named by "
                "LGCSET_HOST_BUILD_DIR (cmake --build build/default --target loggersim lgcset-cli)")


def _environment(prefix):
    env = dict(os.environ, TZ="UTC", WINEPREFIX=str(prefix), WINEDEBUG="-all")
    env.pop("DISPLAY", None)
    return env


def port_link(setup, port):
    """Where a test puts the logger's pseudo-terminal for a COM port: the stage's Wine server
    (cmake/wine-server) maps each port of the tests to PREFIX-ports/PORT and resolves the
    link at each open, so that the server need not be restarted for a port."""
    return setup.prefix.with_name(setup.prefix.name + "-ports") / port


class Logger:
    """loggersim on a pseudo-terminal with `link` a symlink to it; args are its options."""

    def __init__(self, setup, link, *args, trace=None):
        self.link = Path(link)
        command = [str(setup.loggersim), f"--link={self.link}", "--no-stdin", *args]
        if trace is not None:
            command.append(f"--trace={trace}")
        self.stderr_path = self.link.with_suffix(".stderr")
        with open(self.stderr_path, "wb") as err:
            self.process = subprocess.Popen(command, stdin=subprocess.DEVNULL,
                                            stdout=subprocess.PIPE, stderr=err,
                                            env=_environment(setup.prefix))
        # It prints the slave's path once the line and the symlink are ready.
        line = self.process.stdout.readline()
        if not line or not self.link.is_symlink():
            self.stop()
            raise RuntimeError("loggersim did not start: " + self.stderr_path.read_text())

    def alive(self):
        return self.process.poll() is None

    def pull(self):
        """The line pulled out: the pseudo-terminal's master closed at once."""
        self.process.send_signal(signal.SIGKILL)
        self.process.wait(timeout=10)

    def stop(self):
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.process.stdout.close()
        if self.link.is_symlink():
            self.link.unlink()


def start_exe(setup, args, cwd):
    """lgcset-cli.exe under Wine with `args`, running; its output piped."""
    return subprocess.Popen([str(setup.wine_run), str(setup.prefix), str(setup.exe), *args],
                            cwd=cwd, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, text=True, env=_environment(setup.prefix))


def run_exe(setup, args, cwd, timeout=60):
    """lgcset-cli.exe under Wine: (exit status, standard output, its own stderr lines).
    Raises subprocess.TimeoutExpired, after killing it, when it does not end in time."""
    process = start_exe(setup, args, cwd)
    try:
        out, err = process.communicate(timeout=timeout)
    except subprocess.TimeoutExpired:
        process.kill()
        process.communicate()
        raise
    return process.returncode, out, own_lines(err)


def run_linux_cli(setup, args, cwd, timeout=60):
    result = subprocess.run([str(setup.linux_cli), *args], cwd=cwd, capture_output=True,
                            text=True, timeout=timeout, env=_environment(setup.prefix))
    return result.returncode, result.stdout, result.stderr.splitlines()


def wait_for(condition, timeout, step=0.05):
    """Polls until condition() is true; False when `timeout` seconds passed first."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if condition():
            return True
        time.sleep(step)
    return condition()
