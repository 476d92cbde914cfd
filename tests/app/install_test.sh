#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a fresh prefix and checks that everything a desktop
# needs is there, that the installed program starts and finds its read-me,
# and that the records window opens through the installed module.
#   install_test.sh BUILD_DIR RECORDS_MODULE_TEST
set -euo pipefail
build=$1
records_module_test=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null

fail() { echo "FAIL: $*" >&2; exit 1; }

# The program's one-copy lock goes to a runtime folder of the test's own: a copy
# the user runs elsewhere neither stops these starts nor is raised by them.
export XDG_RUNTIME_DIR="$prefix/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"

[ -L "$prefix/bin/varolin" ] || fail "bin/varolin is not a link"
program=$(readlink -f "$prefix/bin/varolin")
[ -x "$program" ] || fail "the link does not lead to the program"
[ -f "$(dirname "$program")/readme.txt" ] || fail "readme.txt is not beside the program"
[ -f "$prefix/share/applications/org.varolin.Varolin.desktop" ] || fail "no launcher"
grep -qx 'Exec=varolin --class' "$prefix/share/applications/org.varolin.Varolin.Class.desktop" ||
    fail "no launcher of the class view"
[ -f "$prefix/share/metainfo/org.varolin.Varolin.metainfo.xml" ] || fail "no metainfo"
[ -f "$prefix/share/icons/hicolor/scalable/apps/varolin.svg" ] || fail "no scalable icon"
[ -f "$prefix/share/varolin/class-server.sql" ] || fail "no class server script"
for size in 32 48 64 128 256; do
    [ -f "$prefix/share/icons/hicolor/${size}x${size}/apps/varolin.png" ] || fail "no ${size}px icon"
done
grep -q '^Icon=varolin$' "$prefix/share/applications/org.varolin.Varolin.desktop" || fail "icon name"
# The program and its module find their library beside them, not in the build.
folder=$(dirname "$program")
for binary in "$program" "$folder/varolin-records.so"; do
    found=$(ldd "$binary" | awk '$1 == "libvarolin-core.so" { print $3 }')
    [ "$found" = "$folder/libvarolin-core.so" ] || fail "$binary takes libvarolin-core.so from '$found'"
done

# A user who cannot write to the program's folder still gets a settings file
# of their own.
if [ "$(id -u)" -eq 0 ] && command -v setpriv >/dev/null; then
    chmod 755 "$prefix"
    home="$prefix/nobody"
    mkdir -p "$home"
    mkdir -m 700 "$home/run"
    chown -R 65534:65534 "$home"
    status=0
    setpriv --reuid=65534 --regid=65534 --clear-groups \
        env HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_RUNTIME_DIR="$home/run" \
        timeout 3 "$prefix/bin/varolin" \
        >/dev/null 2>&1 || status=$?
    [ "$status" -eq 124 ] || fail "the installed program did not run for another user (status $status)"
    [ ! -e "$(dirname "$program")/Varolin.ini" ] || fail "settings written into the program's folder"
    [ -f "$home/.config/Varolin/Varolin.ini" ] || fail "no settings file in the user's folder"
fi

# Started through the link, it runs until it is stopped.
status=0
HOME="$prefix/home" XDG_CONFIG_HOME="$prefix/home/.config" timeout 3 "$prefix/bin/varolin" \
    >/dev/null 2>&1 || status=$?
[ "$status" -eq 124 ] || fail "the installed program ended by itself (status $status)"

# The records window through the installed module, and modules of other builds.
VAROLIN_INSTALLED_FOLDER="$folder" "$records_module_test" || fail "the records module test"
echo "installed program, library, records module, read-me, launcher, metainfo and icons are in place"
