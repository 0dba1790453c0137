#!/bin/sh
# Runs a test program inside a private D-Bus session with a gnome-keyring of
# its own, unlocked, in a temporary home; the keyring is stopped by its
# process id and the session bus ends with dbus-run-session.
#   keyring_session.sh PROGRAM [ARGUMENTS...]
# Exits 77 (skipped) when dbus-run-session, dbus-send or gnome-keyring-daemon
# is missing.
set -u
for tool in dbus-run-session dbus-send gnome-keyring-daemon; do
    command -v "$tool" >/dev/null 2>&1 || { echo "skipped: $tool is not installed"; exit 77; }
done
home=$(mktemp -d) || exit 1
trap 'rm -rf "$home"' EXIT
mkdir -m 700 "$home/run"
# Nothing of the desktop the tests run on is reached: its keyring files,
# its runtime folder and its bus stay out of sight.
export HOME="$home" XDG_RUNTIME_DIR="$home/run" XDG_DATA_HOME="$home/data" \
       XDG_CONFIG_HOME="$home/config" XDG_CACHE_HOME="$home/cache" VESK_TEST_KEYRING=1
unset DBUS_SESSION_BUS_ADDRESS GNOME_KEYRING_CONTROL
dbus-run-session -- sh -c '
    printf pw | gnome-keyring-daemon --unlock --components=secrets >/dev/null || exit 1
    ask() {
        dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
            "org.freedesktop.DBus.$1" string:org.freedesktop.secrets
    }
    # The daemon takes its name on the bus a moment after it returns.
    tries=0
    until ask NameHasOwner 2>/dev/null | grep -q "boolean true"; do
        tries=$((tries + 1))
        [ "$tries" -lt 100 ] || { echo "the keyring did not come up"; exit 1; }
        sleep 0.1
    done
    pid=$(ask GetConnectionUnixProcessID | awk "/uint32/ { print \$2 }")
    "$@"
    status=$?
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
    exit "$status"
' keyring-session "$@"
