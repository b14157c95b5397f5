"""A private desktop for one test: an X server with a window manager, a session bus and the
accessibility bus, each started here and each stopped here by its process id, also when the
test fails."""
import os
import shutil
import signal
import subprocess
import tempfile
import time

BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
REGISTRY = "/usr/libexec/at-spi2-registryd"

# A session bus that activates nothing by itself: every process on it is one started here, so
# none outlives the test (a keyring or a second bus launcher activated on demand would).
SESSION_BUS_CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir={folder}</listen>
  <servicedir>{folder}/services</servicedir>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
"""


class CannotStart(Exception):
    """The desktop could not be set up here; the test is skipped, not failed."""


class DesktopSession:
    def __init__(self):
        self.folder = tempfile.mkdtemp(prefix="qzweb-a11y-")
        self.processes = []
        self.environment = dict(os.environ)

    def __enter__(self):
        try:
            self._start_display()
            self._start_window_manager()
            self._start_session_bus()
            self._start_accessibility_bus()
        except BaseException:
            self.stop()
            raise
        return self

    def __exit__(self, *_):
        self.stop()

    def spawn(self, command, **options):
        """Starts a process in its own process group, so stopping it stops what it started."""
        process = subprocess.Popen(command, env=self.environment, start_new_session=True, **options)
        self.processes.append(process)
        return process

    def stop(self):
        for process in reversed(self.processes):
            _stop_group(process)
        self.processes.clear()
        subprocess.run(["rm", "-rf", self.folder], check=False)

    def _start_display(self):
        reader, writer = os.pipe()
        self.spawn(["Xvfb", "-displayfd", str(writer), "-screen", "0", "1280x960x24", "-nolisten", "tcp"],
                   pass_fds=(writer,), stderr=subprocess.DEVNULL)
        os.close(writer)
        number = _read_line(reader, 20)
        if not number:
            raise CannotStart("Xvfb did not start")
        self.environment["DISPLAY"] = ":" + number

    def _start_window_manager(self):
        """Windows become active only under a window manager, and with them their shortcuts
        and what a reader follows."""
        if shutil.which("openbox") is None:
            raise CannotStart("openbox is not installed (scripts/install-deps.sh installs it)")
        self.spawn(["openbox", "--sm-disable"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def _start_session_bus(self):
        os.makedirs(os.path.join(self.folder, "services"))
        config = os.path.join(self.folder, "session.conf")
        with open(config, "w", encoding="utf-8") as file:
            file.write(SESSION_BUS_CONFIG.format(folder=self.folder))
        reader, writer = os.pipe()
        self.spawn(["dbus-daemon", "--nofork", "--config-file=" + config, "--print-address=%d" % writer],
                   pass_fds=(writer,), stderr=subprocess.DEVNULL)
        os.close(writer)
        address = _read_line(reader, 20)
        if not address:
            raise CannotStart("the session bus did not start")
        self.environment["DBUS_SESSION_BUS_ADDRESS"] = address
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = address
        os.environ["DISPLAY"] = self.environment["DISPLAY"]

    def _start_accessibility_bus(self):
        if not os.access(BUS_LAUNCHER, os.X_OK) or not os.access(REGISTRY, os.X_OK):
            raise CannotStart("at-spi2-core is not installed")
        self.spawn([BUS_LAUNCHER, "--launch-immediately"], stderr=subprocess.DEVNULL)
        deadline = time.time() + 20
        while not _bus_has_name(self.environment, "org.a11y.Bus"):
            if time.time() > deadline:
                raise CannotStart("the accessibility bus did not start")
            time.sleep(0.1)
        self.spawn([REGISTRY], stderr=subprocess.DEVNULL)


def _bus_has_name(environment, name):
    answer = subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
                             "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner", "string:" + name],
                            env=environment, capture_output=True, text=True, check=False)
    return "boolean true" in answer.stdout


def _read_line(descriptor, timeout):
    """The first line a starting server writes to the pipe, or None when it writes none in time."""
    deadline = time.time() + timeout
    data = b""
    os.set_blocking(descriptor, False)
    try:
        while b"\n" not in data and time.time() < deadline:
            try:
                chunk = os.read(descriptor, 256)
                if not chunk:
                    break
                data += chunk
            except BlockingIOError:
                time.sleep(0.05)
    finally:
        os.close(descriptor)
    line = data.split(b"\n")[0].decode().strip()
    return line or None


def _stop_group(process):
    if process.poll() is None:
        try:
            os.killpg(process.pid, signal.SIGTERM)
        except ProcessLookupError:
            pass
    try:
        process.wait(timeout=10)
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGKILL)
        process.wait()
    # What the process started and left behind in its group goes too.
    try:
        os.killpg(process.pid, signal.SIGKILL)
    except ProcessLookupError:
        pass
