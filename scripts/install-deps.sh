#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running the project need, when missing.
#
#   scripts/install-deps.sh [--windows] [more Debian packages...]
#
# --windows: also MinGW-w64, Wine and MinGW's zlib, and then the cross-built libraries of the
# Windows build (scripts/windows-deps.sh, into a cache folder outside the source tree, reused
# when present).
#
# minihost's outputs: gnuplot-nox draws its plots (with the DejaVu fonts), libxlsxwriter-dev
# writes its workbooks; the tests decode plots with libpng and read workbooks back with
# python3-openpyxl.
#
# The Python package: pybind11-dev binds it (header-only, Debian's own, the binding most numpy
# users know), python3-dev, python3-venv, python3-setuptools and python3-wheel build and install
# it offline, python3-numpy is what it returns, python3-pandas its frames, python3-pytest runs its
# tests, python3-matplotlib draws the README's example, and python3-dask with python3-distributed
# run a sweep's dask frame on a local cluster in its tests.
set -euo pipefail
windows=false
if [ "${1:-}" = "--windows" ]; then
  windows=true
  shift
fi
packages=(g++ cmake make git libboost-filesystem-dev libgtest-dev libgmock-dev
          nlohmann-json3-dev libcli11-dev libfast-float-dev binutils clang libclang-rt-14-dev llvm-14
          gnuplot-nox fonts-dejavu-core libxlsxwriter-dev libpng-dev python3 python3-openpyxl
          pybind11-dev python3-dev python3-venv python3-setuptools python3-wheel python3-numpy
          python3-pandas python3-pytest python3-matplotlib python3-dask python3-distributed "$@")
if $windows; then
  packages+=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64 googletest
             libz-mingw-w64-dev xz-utils)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -q
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
if $windows; then
  "$(dirname "$0")/windows-deps.sh"
fi
