#!/usr/bin/python3
"""Runs a test program under a real Japanese input method: an X server, a session bus and
fcitx5 with Mozc of its own, all as one user in a scratch home. Mozc refuses to run as root, so
when started as root the driver makes a throwaway user for the run and removes it afterwards.
Every process it started is stopped by its id at the end, Mozc's server too, which leaves its
session behind otherwise; it is told from the user's other processes by a mark in its
environment. Exits 77 (skipped) when the input method's packages are not installed."""
import os
import pwd
import secrets
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIPPED = 77
RUN_SECONDS = 420
QT_PLUGIN = "/usr/lib/x86_64-linux-gnu/qt6/plugins/platforminputcontexts/libfcitx5platforminputcontextplugin.so"
NEEDED = [
    ("fcitx5", "/usr/bin/fcitx5"),
    ("fcitx5-mozc", "/usr/lib/x86_64-linux-gnu/fcitx5/fcitx5-mozc.so"),
    ("mozc-server", "/usr/lib/mozc/mozc_server"),
    ("fcitx5-frontend-qt6", QT_PLUGIN),
    ("xdotool", "/usr/bin/xdotool"),
    ("xvfb", "/usr/bin/Xvfb"),
    ("dbus-daemon", "/usr/bin/dbus-daemon"),
]
# Only what typing needs: the X connection, the bus and its frontend the Qt plugin talks to, the
# candidate window, Mozc, and the keyboard it falls back to.
ADDONS = "xcb,dbus,dbusfrontend,classicui,mozc,keyboard"
PROFILE = """[Groups/0]
Name=Default
Default Layout=us
DefaultIM=mozc

[Groups/0/Items/0]
Name=keyboard-us
Layout=

[Groups/0/Items/1]
Name=mozc
Layout=

[GroupOrder]
0=Default
"""
# Mozc on in every window from its first key, as a Japanese user keeps it.
CONFIG = """[Behavior]
ActiveByDefault=True
ShareInputState=All
"""
# A bus of the run's own that starts no services: nothing of the desktop's gets activated on it
# (asking for fcitx5 would otherwise start a second one).
BUS_CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir={home}</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
"""


class Failure(Exception):
    pass


def log(text):
    print("run_with_mozc: " + text, flush=True)


class Account:
    """The user the run is done as: a throwaway one made for it when the driver is root, the
    caller otherwise."""

    def __init__(self, home):
        self.name = None
        self.made = False
        if os.geteuid() == 0:
            self.name = "qzime" + secrets.token_hex(4)
            # The scratch home is its home, so removing the user removes what the run left there.
            subprocess.run(["useradd", "--home-dir", home, "--no-create-home", "--no-user-group",
                            "--shell", "/usr/sbin/nologin", "--comment", "QZWeb input method test", self.name],
                           check=True)
            self.made = True
            entry = pwd.getpwnam(self.name)
        else:
            entry = pwd.getpwuid(os.geteuid())
        self.uid, self.gid = entry.pw_uid, entry.pw_gid

    def popen_options(self):
        if not self.made:
            return {}
        return {"user": self.uid, "group": self.gid, "extra_groups": []}

    def remove(self):
        if self.made and subprocess.run(["userdel", "--remove", self.name], stderr=subprocess.DEVNULL).returncode != 0:
            # 12: no mail spool to remove, which the user never had; anything else leaves it.
            if self.name in [entry.pw_name for entry in pwd.getpwall()]:
                log("could not remove the user %s" % self.name)


class Run:
    def __init__(self, account, home):
        self.account = account
        self.home = home
        self.mark = "QZWEB_MOZC_RUN=" + secrets.token_hex(8)
        self.env = {
            "HOME": home, "PATH": "/usr/bin:/bin", "LANG": "C.UTF-8",
            "XDG_CONFIG_HOME": os.path.join(home, ".config"),
            "XDG_RUNTIME_DIR": os.path.join(home, "run"),
            self.mark.split("=")[0]: self.mark.split("=")[1],
        }
        self.processes = []

    def start(self, arguments, **options):
        process = subprocess.Popen(arguments, env=self.env, cwd=self.home, **self.account.popen_options(), **options)
        self.processes.append(process)
        return process

    def call(self, arguments):
        return subprocess.run(arguments, env=self.env, cwd=self.home, capture_output=True, text=True, timeout=20,
                              **self.account.popen_options())

    def poll(self, what, ready, seconds=30):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            if ready():
                return
            time.sleep(0.05)
        raise Failure(what + " was not ready within %d seconds" % seconds)

    def start_x_server(self):
        read, write = os.pipe()
        self.start(["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x960x24", "-nolisten", "tcp"],
                   pass_fds=(write,), stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as reader:
            number = reader.readline().strip()
        if not number:
            raise Failure("Xvfb did not start")
        self.env["DISPLAY"] = ":" + number

    def start_bus(self):
        config = os.path.join(self.home, "bus.conf")
        with open(config, "w") as out:
            out.write(BUS_CONFIG.format(home=self.home))
        bus = self.start(["dbus-daemon", "--config-file=" + config, "--nofork", "--print-address=1"],
                         stdout=subprocess.PIPE, text=True)
        address = bus.stdout.readline().strip()
        if not address:
            raise Failure("dbus-daemon did not start")
        self.env["DBUS_SESSION_BUS_ADDRESS"] = address

    def start_input_method(self):
        config = os.path.join(self.home, ".config", "fcitx5")
        with open(os.path.join(config, "profile"), "w") as out:
            out.write(PROFILE)
        with open(os.path.join(config, "config"), "w") as out:
            out.write(CONFIG)
        self.fcitx_log = open(os.path.join(self.home, "fcitx5.log"), "w")
        self.start(["fcitx5", "--disable=all", "--enable=" + ADDONS], stdout=self.fcitx_log,
                   stderr=subprocess.STDOUT)
        self.poll("fcitx5 on the bus", lambda: self.call(["fcitx5-remote"]).returncode == 0)
        self.poll("Mozc in fcitx5", lambda: "mozc" in self.call(["fcitx5-remote", "-n"]).stdout)

    def marked_processes(self):
        """Processes of the run that were not started here, Mozc's server above all."""
        own = {process.pid for process in self.processes}
        found = []
        for entry in os.listdir("/proc"):
            if not entry.isdigit() or int(entry) in own or int(entry) == os.getpid():
                continue
            try:
                with open("/proc/%s/environ" % entry, "rb") as environ:
                    if self.mark.encode() in environ.read().split(b"\0"):
                        found.append(int(entry))
            except OSError:
                continue
        return found

    def stop_all(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
        for pid in self.marked_processes():
            log("stopping process %d left by the input method" % pid)
            try:
                os.kill(pid, 15)
            except ProcessLookupError:
                continue
        deadline = time.monotonic() + 10
        while self.marked_processes() and time.monotonic() < deadline:
            time.sleep(0.05)
        for pid in self.marked_processes():
            os.kill(pid, 9)


def missing_packages():
    return [package for package, path in NEEDED if not os.path.exists(path)]


def main():
    if len(sys.argv) < 2:
        print("usage: run_with_mozc.py PROGRAM [ARGUMENTS...]")
        return 2
    missing = missing_packages()
    if missing:
        log("SKIPPED: the input method is not installed (missing: %s); scripts/install-deps.sh installs it"
            % ", ".join(missing))
        return SKIPPED
    program = os.path.abspath(sys.argv[1])
    # A stop from outside (ctest's time limit, Ctrl+C) still cleans up below.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    home = tempfile.mkdtemp(prefix="qzweb-mozc-")
    account = None
    run = None
    try:
        account = Account(home)
        for folder in [".config/fcitx5", "run"]:
            os.makedirs(os.path.join(home, folder))
        for root, folders, _ in os.walk(home):
            os.chown(root, account.uid, account.gid)
        os.chmod(os.path.join(home, "run"), 0o700)
        run = Run(account, home)
        if run.call(["test", "-x", program]).returncode != 0:
            raise Failure("%s cannot run %s: every folder above it must be open to others" % (account.name, program))
        run.start_x_server()
        run.start_bus()
        run.start_input_method()
        run.env.update({"QT_QPA_PLATFORM": "xcb", "QT_IM_MODULE": "fcitx", "XMODIFIERS": "@im=fcitx",
                        "QZWEB_HOME": os.path.join(home, "qzweb")})
        log("fcitx5 and Mozc are up on %s as %s" % (run.env["DISPLAY"], account.name or "this user"))
        tests = run.start([program] + sys.argv[2:])
        try:
            status = tests.wait(timeout=RUN_SECONDS)
        except subprocess.TimeoutExpired:
            raise Failure("the tests did not finish within %d seconds" % RUN_SECONDS)
        return status
    except Failure as failure:
        log("FAILED: %s" % failure)
        if run is not None and os.path.exists(os.path.join(home, "fcitx5.log")):
            with open(os.path.join(home, "fcitx5.log")) as fcitx_log:
                sys.stdout.write(fcitx_log.read()[-4000:])
        return 1
    finally:
        if run is not None:
            run.stop_all()
        if account is not None:
            account.remove()
        shutil.rmtree(home, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
