#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The built packages installed into this machine with apt: /usr/bin/varolin
# shows its window with the Japanese fonts and Qt's Japanese translation;
# the teacher's class view, set up with the installed varolin-class-admin on
# a throwaway server, opens through the records module in /usr/lib/varolin;
# then a purge leaves no file of the packages behind. Nothing stays
# installed, however the test ends.
#   install_test.sh PACKAGES_DIR
set -euo pipefail
packages=$(cd "$1" && pwd)
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
apt=("${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -y -qq -o DPkg::Lock::Timeout=300)

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
pids=()
purge() {
    for pid in "${pids[@]}"; do kill -KILL "$pid" 2>/dev/null || true; done
    "${apt[@]}" purge varolin varolin-class-server >/dev/null 2>&1 || true
}
trap purge EXIT
"${apt[@]}" install "$packages"/varolin_*.deb "$packages"/varolin-class-server_*.deb >/dev/null
files=$(dpkg -L varolin varolin-class-server)

[ "$(readlink -f /usr/bin/varolin)" = /usr/lib/varolin/varolin ] || fail "/usr/bin/varolin"

# The drill runs as whoever runs the test (as root it keeps its settings in
# /usr/lib/varolin, which the purge must take away); the class view as the
# server's user, who can read the cluster's folder. Their runtime folder,
# configuration and data are in that folder.
source "$here/server/throwaway_cluster.sh"
start_cluster --tls
# The cluster's own trap replaced this one: both now.
trap 'purge; cluster_stop' EXIT
unset PGDATABASE
home=$cluster_dir/home
mkdir -p "$home/.config/Varolin" "$home/run"
user=$(stat -c %U "$cluster_dir")
chmod 700 "$home/run"
as_me=(env HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share"
    XDG_RUNTIME_DIR="$home/run" QT_QPA_PLATFORM=offscreen)
as_user=("${as_me[@]}")
[ "$(id -u)" -ne 0 ] || as_user=(setpriv --reuid="$user" --regid="$(id -g "$user")" --clear-groups "${as_me[@]}")
# waits_for WHAT FILE...: the program started last maps every FILE within
# ten seconds, still running.
waits_for() {
    local what=$1 pid=${pids[-1]} file missing
    shift
    for _ in $(seq 100); do
        missing=
        for file in "$@"; do grep -q "$file" "/proc/$pid/maps" 2>/dev/null || missing=$file; done
        [ -n "$missing" ] || return 0
        sleep 0.1
    done
    cat "$cluster_dir"/*.log >&2
    kill -0 "$pid" 2>/dev/null || fail "$what: the program ended"
    fail "$what: $missing not in use"
}

# The drill's window: painted with the IPA font, Qt's dialogs in Japanese.
"${as_me[@]}" /usr/bin/varolin >"$cluster_dir/drill.log" 2>&1 &
pids+=($!)
waits_for "the drill's window" /usr/share/fonts/opentype/ipafont-gothic/ qtbase_ja.qm

# The teacher's view, with what the installed varolin-class-admin wrote.
cd "$cluster_dir"
# The school's authority and the password file go only into a folder of the
# administrator's own, here a temporary one.
secrets=$(mktemp -d)
trap 'purge; cluster_stop; rm -rf "$secrets"' EXIT
VAROLIN_CA_DIR=$secrets/ca varolin-class-admin setup >/dev/null 2>&1 || fail "setup"
varolin-class-admin add-class 3-1 >/dev/null
varolin-class-admin add-login tanaka --teacher --class 3-1 --server localhost \
    --password-file "$secrets/tanaka.password" --class-ini "$secrets/class.ini" ||
    fail "add-login for the teacher"
grep -qx sslmode=verify-full "$secrets/class.ini" || fail "class.ini: $(cat "$secrets/class.ini")"
config=$home/.config/Varolin
sed "s|/etc/xdg/Varolin/|$config/|" "$secrets/class.ini" >"$config/class.ini"
cp "$secrets/tanaka.password" "$secrets/class-server.crt" "$config/"
chown -R "$user" "$home"
"${as_user[@]}" /usr/bin/varolin --class >"$cluster_dir/class.log" 2>&1 &
pids+=($!)
waits_for "the class view" /usr/lib/varolin/varolin-records.so

for pid in "${pids[@]}"; do kill -TERM "$pid" 2>/dev/null || true; done
wait "${pids[@]}" 2>/dev/null || true
pids=()
"${apt[@]}" purge varolin varolin-class-server >/dev/null
while read -r path; do
    [ "$path" != /. ] || continue
    [ -e "$path" ] || [ -L "$path" ] || continue
    # Folders other packages share (/usr/bin, /usr/share/icons...) stay.
    [ -d "$path" ] && [ ! -L "$path" ] && dpkg -S "$path" >/dev/null 2>&1 && continue
    fail "$path is left after the purge"
done <<<"$files"
[ ! -e /usr/lib/varolin ] || fail "/usr/lib/varolin is left after the purge: $(ls -A /usr/lib/varolin)"
echo "the packages install, run as installed, and purge without a trace"
