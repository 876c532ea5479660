#!/bin/sh
# Runs a test program with a real but throw-away secret store: a D-Bus session of its own and an unlocked
# gnome-keyring in a temporary home. A missing dbus-run-session or gnome-keyring-daemon fails the test.
set -eu
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
export HOME="$home" XDG_DATA_HOME="$home/data" XDG_RUNTIME_DIR="$home/run"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
exec dbus-run-session -- sh -c '
    printf pw | gnome-keyring-daemon --foreground --unlock --components=secrets >/dev/null &
    keyring=$!
    for i in $(seq 100); do
        dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
            org.freedesktop.DBus.NameHasOwner string:org.freedesktop.secrets 2>/dev/null | grep -q true && break
        sleep 0.1
    done
    status=0
    "$@" || status=$?
    kill "$keyring"
    exit $status' sh "$@"
