#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The program itself, as main() wires it: a second start hands over to the
# running copy and ends with status 0 before it makes a window; SIGTERM ends the
# running copy with status 0 once it has kept its settings, and it leaves
# no lock behind. A computer with no class maps no PostgreSQL client library.
#   program_test.sh PROGRAM
set -euo pipefail
work=$(mktemp -d)
first=
trap '[ -z "$first" ] || kill -KILL "$first" 2>/dev/null || true; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# A copy of its own, so that its settings are kept in the temporary folder.
cp "$1" "$work/varolin"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_RUNTIME_DIR="$work/run"
export XDG_CONFIG_DIRS="$work/etc"
mkdir -p "$HOME" "$XDG_CONFIG_DIRS"
mkdir -m 700 "$XDG_RUNTIME_DIR"
lock="$XDG_RUNTIME_DIR/varolin-$(id -u).lock"

# Waits at most five seconds for a condition.
within5s() { for _ in $(seq 50); do if "$@"; then return 0; fi; sleep 0.1; done; "$@"; }

"$work/varolin" 2>/dev/null &
first=$!
within5s test -s "$lock" || fail "the first copy holds no lock"
! grep -q 'libpq' "/proc/$first/maps" || fail "a computer with no class maps libpq"
rm -f "$work/Varolin.ini"

status=0
timeout 5 "$work/varolin" 2>/dev/null || status=$?
[ "$status" -eq 0 ] || fail "a second start ended with status $status"
kill -0 "$first" 2>/dev/null || fail "the running copy ended when a second one started"

kill -TERM "$first"
within5s eval '! kill -0 "$first" 2>/dev/null' || fail "SIGTERM did not end the program"
status=0
wait "$first" || status=$?
first=
[ "$status" -eq 0 ] || fail "SIGTERM ended the program with status $status"
[ -f "$work/Varolin.ini" ] || fail "the settings were not kept"
[ ! -e "$lock" ] || fail "the lock was left behind"
echo "no libpq without a class; a second start hands over; SIGTERM keeps the settings and ends cleanly"
