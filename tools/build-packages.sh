#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds Varolin's Debian packages (varolin, varolin-class-server) from this
# tree into build-packages/ and checks them with lintian, which fails the
# run on any error. Installs the build dependencies that are missing.
#   build-packages.sh            build and check with lintian
#   build-packages.sh --check    then install, run and purge them here
#                                (tests/packages/install_test.sh; as root or
#                                with sudo)
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=${VAROLIN_PACKAGES_DIR:-$here/build-packages}
check=no
case ${1:-} in
--check) check=yes ;;
'') ;;
*)
    echo "usage: $0 [--check]" >&2
    exit 2
    ;;
esac

packages=(
    dpkg-dev debhelper lintian
    cmake g++ make pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev qt6-charts-dev libqt6opengl6-dev libcanberra-dev
    libpq-dev
)
source "$here/tools/install-missing.sh"
install_missing "${packages[@]}"

# dpkg-buildpackage writes its packages beside the tree it builds, so it
# builds a copy: the files git knows of (and new ones it does not ignore),
# or, outside a git checkout, the tree without its build folders.
rm -rf "$out"
source=$out/source/varolin
mkdir -p "$source"
if git -C "$here" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    (cd "$here" && git ls-files -z --cached --others --exclude-standard |
        while IFS= read -r -d '' file; do [ -e "$file" ] && printf '%s\0' "$file"; done |
        tar --null -T - -cf -) | tar -C "$source" -xf -
else
    tar -C "$here" --exclude=./.git --exclude='./build*' -cf - . | tar -C "$source" -xf -
fi

# debhelper gives the build a HOME of its own: the cache is named outright,
# so that a second build finds it.
if command -v ccache >/dev/null; then
    CCACHE_DIR=${CCACHE_DIR:-$(ccache --get-config cache_dir)}
    export CMAKE_CXX_COMPILER_LAUNCHER=ccache CCACHE_BASEDIR=$out CCACHE_DIR
fi
started=$(date +%s)
(cd "$source" && dpkg-buildpackage -us -uc -b -j"$(nproc 2>/dev/null || echo 2)")
mv "$out"/source/*.deb "$out"/source/*.changes "$out"/source/*.buildinfo "$out"/
rm -rf "$out/source"
echo "built in $(($(date +%s) - started)) s"

lintian --fail-on error --info "$out"/*.changes
echo "Packages in $out:"
ls "$out"/*.deb

if [ "$check" = yes ]; then
    bash "$here/tests/packages/install_test.sh" "$out"
fi
