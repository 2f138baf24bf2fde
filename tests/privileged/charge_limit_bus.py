#!/usr/bin/env python3
"""The charge limit's service on a private system bus under its installed policy, started by
activation with the test-only options; python-dbusmock answers for polkit and logind. The cases
run in one session, in order; those as nobody need root. Exits 77 without dbus-daemon,
python3-dbusmock or python3-gi.

    charge_limit_bus.py PROGRAM POLICY
"""

import os
import pwd
import shutil
import subprocess
import sys
import tempfile
import time

SKIPPED = 77
NAME = "org.zerarazi.ChargeLimit1"
PATH = "/org/zerarazi/ChargeLimit1"
ACTION = "org.zerarazi.charge-limit.set"
ERROR = "org.zerarazi.ChargeLimit1.Error."
POLKIT = ("org.freedesktop.PolicyKit1", "/org/freedesktop/PolicyKit1/Authority")
LOGIN = ("org.freedesktop.login1", "/org/freedesktop/login1", "org.freedesktop.login1.Manager")
MOCK = "org.freedesktop.DBus.Mock"
IDLE = 1.5
POLL = 0.2

BUS_CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-BUS Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path={folder}/bus</listen>
  <auth>EXTERNAL</auth>
  <servicedir>{folder}/services</servicedir>
  <policy context="default">
    <allow user="*"/>
    <deny own="*"/>
    <deny send_type="method_call"/>
    <allow send_type="signal"/>
    <allow send_requested_reply="true" send_type="method_return"/>
    <allow send_requested_reply="true" send_type="error"/>
    <allow receive_type="method_call"/>
    <allow receive_type="method_return"/>
    <allow receive_type="error"/>
    <allow receive_type="signal"/>
    <allow send_destination="org.freedesktop.DBus" send_interface="org.freedesktop.DBus"/>
    <allow send_destination="org.freedesktop.DBus"
           send_interface="org.freedesktop.DBus.Introspectable"/>
  </policy>
  <!-- The test's own user stands for root and the system's services. -->
  <policy user="{user}">
    <allow own="*"/>
    <allow send_type="method_call"/>
  </policy>
  <include>{policy}</include>
</busconfig>
"""

ACTIVATION = """[D-BUS Service]
Name=org.zerarazi.ChargeLimit1
Exec={program} --bus unix:path={folder}/bus --sysfs {folder}/sys --state {folder}/state --idle {idle} --poll {poll}
"""


class Failure(Exception):
    pass


def write(path, text):
    with open(path, "w") as out:
        out.write(text)


def check(condition, message):
    if not condition:
        raise Failure(message)


def skip_unless_tools(tools=("dbus-daemon",)):
    missing = [tool for tool in tools if not shutil.which(tool)]
    for module, package in (("dbus", "python3-dbus"), ("dbusmock", "python3-dbusmock"),
                            ("gi.repository.GLib", "python3-gi")):
        try:
            __import__(module)
        except ImportError:
            missing.append(package)
    if missing:
        print("skipped: not installed: " + ", ".join(missing))
        sys.exit(SKIPPED)


def pump():
    from gi.repository import GLib
    context = GLib.MainContext.default()
    while context.iteration(False):
        pass


def wait_until(what, seen, patience=5.0):
    """Polls `seen` (the main loop running between) until it is true, for at most `patience` s."""
    give_up = time.monotonic() + patience
    while True:
        pump()
        value = seen()
        if value or time.monotonic() > give_up:
            return value or check(False, "never saw " + what)
        time.sleep(0.02)


class Tree:
    """A hand-made /sys: each supply under devices, linked from class/power_supply."""

    def __init__(self, root):
        self.root = root
        os.makedirs(os.path.join(root, "class", "power_supply"))
        os.makedirs(os.path.join(root, "devices"))

    def device(self, name):
        return os.path.join(self.root, "devices", "platform", name, "power_supply", name)

    def add(self, name, attributes):
        os.makedirs(self.device(name))
        for attribute, text in attributes.items():
            self.set(name, attribute, text)
        os.symlink("../../devices/platform/%s/power_supply/%s" % (name, name),
                   os.path.join(self.root, "class", "power_supply", name))

    def add_battery(self, name):
        self.add(name, {"type": "Battery", "status": "Not charging", "capacity": "80",
                        "charge_control_end_threshold": "100",
                        "charge_control_start_threshold": "0"})

    def remove(self, name):
        os.unlink(os.path.join(self.root, "class", "power_supply", name))
        shutil.rmtree(os.path.dirname(os.path.dirname(self.device(name))))

    def set(self, name, attribute, text):
        write(os.path.join(self.device(name), attribute), text + "\n")

    def get(self, name, attribute):
        with open(os.path.join(self.device(name), attribute)) as source:
            return source.read().strip()

    def thresholds(self, name):
        return (self.get(name, "charge_control_end_threshold"),
                self.get(name, "charge_control_start_threshold"))


class Session:
    """The private bus, the mocks, the tree and a connection of the test's own."""

    def __init__(self, program, policy):
        import dbus
        from dbus.mainloop.glib import DBusGMainLoop
        DBusGMainLoop(set_as_default=True)
        self.program = program
        self.folder = tempfile.mkdtemp(prefix="zerarazi-charge-limit-bus-")
        # Another user must reach the bus's socket.
        os.chmod(self.folder, 0o755)
        self.processes = []
        self.tree = Tree(os.path.join(self.folder, "sys"))
        self.state = os.path.join(self.folder, "state")
        os.makedirs(os.path.join(self.folder, "services"))
        write(os.path.join(self.folder, "bus.conf"), BUS_CONFIG.format(
            folder=self.folder, policy=os.path.abspath(policy),
            user=pwd.getpwuid(os.getuid()).pw_name))
        write(os.path.join(self.folder, "services", NAME + ".service"), ACTIVATION.format(
            program=os.path.abspath(program), folder=self.folder, idle=IDLE, poll=POLL))
        # The activated program's standard error goes where the daemon's goes.
        self.errors = open(os.path.join(self.folder, "stderr"), "w+")
        daemon = subprocess.Popen(["dbus-daemon", "--config-file=" + self.folder + "/bus.conf",
                                   "--nofork", "--print-address=1"], stdout=subprocess.PIPE,
                                  stderr=self.errors, text=True)
        self.processes.append(daemon)
        self.address = daemon.stdout.readline().strip()
        check(self.address, "dbus-daemon gave no address")
        self.bus = dbus.bus.BusConnection(self.address)
        self.daemon = dbus.Interface(self.bus.get_object("org.freedesktop.DBus",
                                                         "/org/freedesktop/DBus"),
                                     "org.freedesktop.DBus")
        self.changes = []
        self.bus.add_signal_receiver(lambda interface, changed, _: self.changes.append(
            dict(changed)), "PropertiesChanged", "org.freedesktop.DBus.Properties", NAME, PATH)

    def start_mock(self, template, name):
        env = dict(os.environ, DBUS_SYSTEM_BUS_ADDRESS=self.address)
        self.processes.append(subprocess.Popen(
            [sys.executable, "-m", "dbusmock", "--template", template], env=env,
            stdout=subprocess.DEVNULL))
        wait_until(name + " on the bus", lambda: self.bus.name_has_owner(name), 10)

    def service(self, interface=NAME):
        import dbus
        return dbus.Interface(self.bus.get_object(NAME, PATH), interface)

    def polkit(self, allowed):
        import dbus
        mock = dbus.Interface(self.bus.get_object(*POLKIT), MOCK)
        mock.SetAllowed(dbus.Array(allowed, signature="s"))
        return mock

    def login_signal(self, going_to_sleep):
        import dbus
        mock = dbus.Interface(self.bus.get_object(LOGIN[0], LOGIN[1]), MOCK)
        mock.EmitSignal(LOGIN[2], "PrepareForSleep", "b", [dbus.Boolean(going_to_sleep)])

    def run_directly(self):
        """The program started by hand on the private bus, as a second copy would be."""
        return subprocess.Popen([self.program, "--bus", self.address, "--sysfs", self.tree.root,
                                 "--state", self.state], stderr=subprocess.PIPE, text=True)

    def announced(self, name, value):
        """Whether a PropertiesChanged signal since the last clear said `name` became `value`."""
        return any(name in changed and changed[name] == value for changed in self.changes)

    def running(self):
        return self.bus.name_has_owner(NAME)

    def pid(self):
        return int(self.daemon.GetConnectionUnixProcessID(NAME))

    def stored(self):
        try:
            with open(os.path.join(self.state, "charge-limit")) as source:
                return source.read()
        except FileNotFoundError:
            return None

    def apply(self):
        """The program as the boot unit, the resume unit and the udev rule run it."""
        return subprocess.run([self.program, "--apply", "--bus", self.address, "--sysfs",
                               self.tree.root, "--state", self.state], timeout=20,
                              stderr=subprocess.PIPE, text=True)

    def warnings(self):
        """GLib's criticals and warnings the program printed."""
        self.errors.flush()
        self.errors.seek(0)
        return [line for line in self.errors.read().splitlines()
                if "-CRITICAL **" in line or "-WARNING **" in line]

    def close(self):
        self.errors.close()
        for process in reversed(self.processes):
            process.terminate()
            process.wait(5)
        shutil.rmtree(self.folder, ignore_errors=True)


def refused(call, *arguments):
    """The name of the D-Bus error `call` ends with; None when it succeeds."""
    import dbus
    try:
        call(*arguments)
    except dbus.exceptions.DBusException as error:
        return error.get_dbus_name()
    return None


def rss_kib(pid):
    with open("/proc/%d/status" % pid) as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    raise Failure("no VmRSS for %d" % pid)


def case_activation(session):
    """The first call starts the program through the activation file, on the test's options."""
    check(not session.running(), "the service ran before anyone called it")
    limit, batteries, charging_once = session.service().GetState()
    check((int(limit), list(batteries), bool(charging_once)) == (100, ["BAT0"], False),
          "state before any limit: %r" % ((limit, batteries, charging_once),))
    pid = session.pid()
    with open("/proc/%d/cmdline" % pid) as source:
        command = source.read().split("\0")
    check(command[0] == os.path.abspath(session.program) and "--sysfs" in command,
          "the name is owned by %r" % command)


def case_unauthorised(session):
    session.polkit([])
    for call in (lambda: session.service().SetLimit(80), session.service().ChargeFullyOnce):
        check(refused(call) == ERROR + "NotAuthorized", "a call without authorisation passed")
    check(session.tree.thresholds("BAT0") == ("100", "0"), "the thresholds changed")
    check(session.stored() is None, "a limit was stored: %r" % session.stored())


def case_limit_applied(session):
    session.polkit([ACTION])
    session.changes.clear()
    session.service().SetLimit(80)
    check(session.tree.thresholds("BAT0") == ("80", "75"),
          "thresholds after SetLimit(80): %r" % (session.tree.thresholds("BAT0"),))
    check(session.stored() == "80\n", "stored: %r" % session.stored())
    wait_until("Limit 80 in PropertiesChanged", lambda: session.announced("Limit", 80))
    properties = session.service("org.freedesktop.DBus.Properties")
    check((int(properties.Get(NAME, "Limit")), list(properties.Get(NAME, "Batteries"))) ==
          (80, ["BAT0"]), "the Limit and Batteries properties")


def case_hostile_values(session):
    """Limits out of range, and the read-only Limit property, change nothing."""
    import dbus
    for percent in (49, 101):
        got = refused(session.service().SetLimit, dbus.UInt32(percent))
        check(got == ERROR + "InvalidLimit", "SetLimit(%d) got %s" % (percent, got))
    check(refused(lambda: session.service("org.freedesktop.DBus.Properties").Set(
        NAME, "Limit", dbus.UInt32(50))) is not None, "the Limit property could be set")
    check(session.tree.thresholds("BAT0") == ("80", "75") and session.stored() == "80\n",
          "a hostile request changed the limit")


def case_resume(session):
    """The controller forgot the thresholds while asleep; waking applies them again."""
    session.tree.set("BAT0", "charge_control_end_threshold", "100")
    session.tree.set("BAT0", "charge_control_start_threshold", "0")
    session.login_signal(True)
    # A signal of the same name from anyone but logind changes nothing.
    session.bus.send_message(prepare_for_sleep_from_test())
    time.sleep(0.5)
    check(session.tree.thresholds("BAT0") == ("100", "0"),
          "applied before waking, or on a signal not from logind")
    # A battery put in while asleep is limited too, and shown.
    session.tree.add_battery("BAT1")
    session.changes.clear()
    session.login_signal(False)
    wait_until("the limit applied again after waking",
               lambda: session.tree.thresholds("BAT0") == ("80", "75"))
    wait_until("the second battery limited", lambda: session.tree.thresholds("BAT1") == ("80", "75"))
    wait_until("both batteries in PropertiesChanged",
               lambda: session.announced("Batteries", ["BAT0", "BAT1"]))
    session.tree.remove("BAT1")


def prepare_for_sleep_from_test():
    import dbus
    message = dbus.lowlevel.SignalMessage(LOGIN[1], LOGIN[2], "PrepareForSleep")
    message.append(dbus.Boolean(False))
    return message


def case_charge_fully_once(session):
    """The limit lifted until the battery is full, then until the mains go; alive meanwhile."""
    pid = session.pid()
    session.tree.set("AC", "online", "1")
    session.tree.set("BAT0", "status", "Charging")
    session.changes.clear()
    session.service().ChargeFullyOnce()
    check(session.tree.thresholds("BAT0") == ("100", "95"), "the limit was not lifted")
    wait_until("ChargingOnce in PropertiesChanged", lambda: session.announced("ChargingOnce", True))
    time.sleep(IDLE + 1)
    check(session.running() and session.pid() == pid, "the service went while charging once")
    # --apply asks the running service, which keeps the limit lifted.
    check(session.apply().returncode == 0, "--apply failed")
    check(session.tree.thresholds("BAT0") == ("100", "95"), "--apply ended charging once")
    # Which readings end it is the unit tests'; here: that the service watches for them.
    session.tree.set("BAT0", "status", "Full")
    wait_until("the limit back once full", lambda: session.tree.thresholds("BAT0") == ("80", "75"))
    check(not session.service().GetState()[2], "still charging once")


def case_busy(session):
    """Requests beyond what one caller (4), then all callers (64), may have waiting for the
    authority are refused at once."""
    import dbus
    mock = session.polkit([ACTION])
    mock.SimulateHang(True)
    answers = []

    def ask(bus):
        dbus.Interface(bus.get_object(NAME, PATH), NAME).SetLimit(
            70, reply_handler=lambda: answers.append("done"),
            error_handler=lambda e: answers.append(e.get_dbus_name()))

    for _ in range(10):
        ask(session.bus)
    wait_until("six refused as busy", lambda: answers.count(ERROR + "Busy") == 6)
    check(session.stored() == "80\n", "stored while the authority had not answered")
    # 16 more callers with 4 requests each: 64 wait in all, the last 4 are refused.
    callers = [dbus.bus.BusConnection(session.address) for _ in range(16)]
    for caller in callers * 4:
        ask(caller)
    wait_until("the requests beyond 64 refused", lambda: answers.count(ERROR + "Busy") == 10)
    mock.ReleaseHangingCalls()
    mock.SimulateHang(False)
    wait_until("the 64 waiting answered", lambda: len(answers) == 74, 10)
    check(answers.count("done") == 64 and answers.count(ERROR + "Busy") == 10,
          "answers: %r" % sorted(set(answers)))
    check(session.stored() == "70\n", "stored: %r" % session.stored())
    for caller in callers:
        caller.close()
    session.service().SetLimit(80)


def case_flood(session):
    """2,000 calls from one caller: the service stays up, its memory does not grow and it holds
    no more files than before."""
    import dbus
    service = session.service()
    pid = session.pid()
    for _ in range(100):
        service.GetState()
    before = (rss_kib(pid), len(os.listdir("/proc/%d/fd" % pid)))
    pump()
    session.changes.clear()
    calls = (service.GetState, lambda: refused(service.SetLimit, dbus.UInt32(101)),
             service.Reapply, lambda: service.SetLimit(80))
    for index in range(2000):
        calls[index % 4]()
    after = (rss_kib(pid), len(os.listdir("/proc/%d/fd" % pid)))
    check(session.pid() == pid, "the service was restarted")
    check(after[0] - before[0] < 1024 and after[1] == before[1],
          "RSS (KiB) and open files: %r before, %r after" % (before, after))
    pump()
    check(session.changes == [], "the flood announced changes: %r" % session.changes[:1])
    check(session.tree.thresholds("BAT0") == ("80", "75"), "the limit after the flood")


def case_other_user(session):
    """As nobody: the state may be read; the name may not be taken."""
    if os.getuid() != 0:
        print("not run: the checks as nobody need root")
        return
    def as_nobody(*message):
        return subprocess.run(["dbus-send", "--bus=" + session.address, "--print-reply"] +
                              list(message), user="nobody", capture_output=True, text=True)
    state = as_nobody("--dest=" + NAME, PATH, NAME + ".GetState")
    check(state.returncode == 0 and "uint32 80" in state.stdout, "GetState as nobody: %r" % (state,))
    owned = as_nobody("--dest=org.freedesktop.DBus", "/org/freedesktop/DBus",
                      "org.freedesktop.DBus.RequestName", "string:" + NAME, "uint32:0")
    check("org.freedesktop.DBus.Error.AccessDenied" in owned.stderr, "owned as nobody: %r" % (owned,))


def case_idle_and_reappearing_battery(session):
    """Idle, the service exits; a battery put back gets the limit from --apply without it."""
    wait_until("the service gone when idle", lambda: not session.running(), IDLE + 5)
    session.tree.remove("BAT0")
    session.tree.add_battery("BAT0")
    result = session.apply()
    check(result.returncode == 0, "--apply: %s" % result.stderr)
    check(session.tree.thresholds("BAT0") == ("80", "75"),
          "after --apply: %r" % (session.tree.thresholds("BAT0"),))
    check(not session.running(), "--apply started the service")
    first = session.run_directly()
    wait_until("a copy started by hand on the bus",
               lambda: session.running() and session.pid() == first.pid)
    second = session.run_directly()
    check(second.wait(10) == 1 and "not ours" in second.stderr.read(),
          "a second copy did not give up the name it could not own")
    first.terminate()
    check(first.wait(10) == 0, "the copy did not end well on SIGTERM")
    first.stderr.close()
    second.stderr.close()
    # Activated again, it finds the stored limit.
    check(int(session.service().GetState()[0]) == 80, "the stored limit after a restart")


CASES = (case_activation, case_unauthorised, case_limit_applied, case_hostile_values,
         case_resume, case_charge_fully_once, case_busy, case_flood,
         case_other_user, case_idle_and_reappearing_battery)


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: charge_limit_bus.py PROGRAM POLICY")
    skip_unless_tools()
    session = Session(sys.argv[1], sys.argv[2])
    try:
        session.tree.add_battery("BAT0")
        session.tree.add("AC", {"type": "Mains", "online": "1"})
        session.start_mock("polkitd", POLKIT[0])
        session.start_mock("logind", LOGIN[0])
        for case in CASES:
            case(session)
            print("ok " + case.__name__[5:])
        check(session.warnings() == [], "the program warned: %s" % session.warnings())
    except Failure as failure:
        print("FAIL: %s" % failure)
        return 1
    finally:
        session.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
