#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what Varolin needs on Debian 12, builds it, and then either starts
# the program ("run") or runs every test ("test"). Safe to run again: it only
# installs what is missing and only rebuilds what changed.
set -euo pipefail

mode=${1:-run}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${VAROLIN_BUILD_DIR:-$here/build}

packages=(
    cmake g++ make pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev libqt6sql6-sqlite qt6-charts-dev libqt6opengl6-dev
    qt6-translations-l10n
    libcanberra-dev libcanberra0 libcanberra-pulse sound-theme-freedesktop
    fonts-ipafont-gothic fonts-ipafont-mincho
    libbenchmark-dev
    xvfb xauth poppler-utils dbus-daemon at-spi2-core
    desktop-file-utils appstream
    postgresql postgresql-common libqt6sql6-psql libpq-dev openssl locales
    clang libclang-rt-14-dev
)

source "$here/tools/install-missing.sh"
install_missing "${packages[@]}"

# The class server tests run a server that answers in Japanese.
if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf-8\|ja_JP.utf8'; then
    echo "Generating the ja_JP.UTF-8 locale"
    as_root localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
fi

jobs=$(nproc 2>/dev/null || echo 2)

case "$mode" in
run)
    cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$build" --parallel "$jobs"
    exec "$build/varolin"
    ;;
test)
    # Every test, built once with AddressSanitizer and
    # UndefinedBehaviorSanitizer: any report fails the run. Unoptimised and
    # without debug data, which saves a good part of the build's time on two
    # cores; a report still names the functions of its stack. The benchmarks
    # are built too, so that they keep building.
    sanitize=${VAROLIN_SANITIZE_BUILD_DIR:-$here/build-sanitize}
    cmake -S "$here" -B "$sanitize" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVAROLIN_SANITIZE=ON \
        -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O0 -DNDEBUG" -DVAROLIN_BUILD_BENCH=ON >/dev/null
    cmake --build "$sanitize" --parallel "$jobs"
    cd "$sanitize"
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        exec ctest --output-on-failure --parallel "$jobs"
    ;;
*)
    echo "usage: $0 [run|test]" >&2
    exit 2
    ;;
esac
