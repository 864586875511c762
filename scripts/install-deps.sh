#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running the project need, when missing.
# minihost's outputs: gnuplot-nox draws its plots (with the DejaVu fonts), libxlsxwriter-dev
# writes its workbooks; the tests decode plots with libpng and read workbooks back with
# python3-openpyxl.
set -euo pipefail
packages=(g++ cmake make git libboost-filesystem-dev libgtest-dev libgmock-dev
          nlohmann-json3-dev libcli11-dev binutils clang libclang-rt-14-dev
          gnuplot-nox fonts-dejavu-core libxlsxwriter-dev libpng-dev python3 python3-openpyxl "$@")
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
