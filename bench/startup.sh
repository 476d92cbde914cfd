#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Start-up time and memory of Varolin against a bare Qt window, on a virtual
# X server:  bash bench/startup.sh [BUILD_DIR] [RUNS]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
runs=${2:-15}
# Every start is the only copy, in a runtime folder of its own (in memory, as
# a desktop session's is), whatever copy the user runs meanwhile.
runtime=$(mktemp -d -p /dev/shm 2>/dev/null || mktemp -d)
trap 'rm -rf "$runtime"' EXIT
export XDG_RUNTIME_DIR=$runtime
xvfb-run -a -s "-screen 0 1280x1024x24" \
    "$build/bench/startup_probe" "$runs" "$build/varolin" "$build/bench/bare_window"
