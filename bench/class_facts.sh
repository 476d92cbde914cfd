#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The class's facts known by heart on a school's four years
# (bench/school_data.sh) on a throwaway PostgreSQL server: class 7's facts
# of each kind, against the class roster's query timed in the same run.
#
#   bash bench/class_facts.sh [build folder, default build] [runs, default 15]
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
runs=${2:-15}
source "$here/tests/server/throwaway_cluster.sh"
source "$here/bench/school_data.sh"
start_cluster -c shared_buffers=256MB -c max_wal_size=4GB -c autovacuum=off
export PGDATABASE=postgres
work=$(mktemp -d)
trap 'rm -rf "$work"; cluster_stop' EXIT

load_school
echo "loaded in $(echo "$EPOCHREALTIME - $started" | bc) s"
# The cluster lets local logins in without one; the program reads it all the same.
echo unused >"$work/password"
chmod 600 "$work/password"
"$build/bench/bench_class_facts" "$work/password" "$runs"
