#!/usr/bin/env bash
# Start-up time and memory of Varolin against a bare Qt window, on a virtual
# X server:  bash bench/startup.sh [BUILD_DIR] [RUNS]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
runs=${2:-15}
exec xvfb-run -a -s "-screen 0 1280x1024x24" \
    "$build/bench/startup_probe" "$runs" "$build/varolin" "$build/bench/bare_window"
