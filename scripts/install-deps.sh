#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the benchmarks need.
# Idempotent: checks each package with dpkg first and installs only what is missing.
set -euo pipefail

PACKAGES=(
    # toolchain and test frameworks
    build-essential cmake ninja-build pkg-config clang
    libgtest-dev libgmock-dev libbenchmark-dev
    # libraries of the program
    zlib1g-dev
    libfreetype-dev libfontconfig-dev libharfbuzz-dev fonts-lato fonts-urw-base35  # GDI text: rendering, matching, shaping, the UI and Symbol fonts
    libpng-dev libspng-dev libstb-dev  # references of the PNG codec benchmark only
    libpixman-1-dev  # reference of the GDI raster benchmark only
    # the browser engine, loaded at run time by the engine loader library
    libwebkit2gtk-4.1-0
    libgtk-3-dev libwebkit2gtk-4.1-dev xvfb xcompmgr openbox libxtst-dev  # GTK desktop, WebKitGTK engine; desktop tests under Xvfb (compositor, window manager, XTEST input)
)

missing=()
for pkg in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$pkg")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "install-deps: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
