#!/usr/bin/env bash
# Installs every Debian package Quillmere needs to build, test and benchmark,
# then configures and builds. Only packages that are missing are installed.
#   scripts/bootstrap.sh            install + configure + build (Release)
#   scripts/bootstrap.sh --deps     install only
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${QUILLMERE_BUILD_DIR:-$ROOT/build}"
BUILD_TYPE="${QUILLMERE_BUILD_TYPE:-Release}"

PACKAGES=(
  # build tools
  cmake ninja-build ccache g++ pkg-config
  # GUI toolkit and translations
  qt6-base-dev qt6-tools-dev qt6-l10n-tools
  # text, pictures, compression
  libfreetype-dev libfontconfig-dev libpng-dev libjpeg62-turbo-dev libzstd-dev libzip-dev
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  # comparison benchmarks
  libpixman-1-dev libmypaint-dev libopencv-dev
  # fuzz targets and sanitizers
  clang libclang-rt-14-dev
  # independent PSD and OpenRaster readers for tests, headless screenshots, fonts
  python3 python3-psd-tools python3-pil xvfb fonts-dejavu-core fonts-dejavu-extra fonts-ipafont-gothic
  # scanning, and its test backend; PDF pages read back in the printing test
  libsane-dev libsane1 poppler-utils
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "bootstrap: installing ${missing[*]}"
  SUDO=()
  if [[ $(id -u) -ne 0 ]]; then SUDO=(sudo); fi
  export DEBIAN_FRONTEND=noninteractive
  "${SUDO[@]}" apt-get update -q
  "${SUDO[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

[[ "${1:-}" == "--deps" ]] && exit 0

LAUNCHER=()
if command -v ccache >/dev/null; then
  LAUNCHER=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi

if [[ ! -f "$BUILD_DIR/build.ninja" ]]; then
  cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE="$BUILD_TYPE" "${LAUNCHER[@]}"
fi
cmake --build "$BUILD_DIR" -j "$(nproc)"
