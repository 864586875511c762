#!/usr/bin/env bash
# Builds what the Windows cross build links and includes into a cache folder outside the source
# tree, unless a complete one for the same versions is there already:
#   CVL_WINDOWS_DEPS, else ${XDG_CACHE_HOME:-~/.cache}/convergeoutloader/windows-deps
# It holds:
#   lib/libboost_filesystem.a  Boost.Filesystem, built from Debian's source package of the same
#                              version as the native build's Boost headers
#   lib/libxlsxwriter.a        libxlsxwriter (minihost --xlsx), built from Debian's source package
#   include/xlsxwriter*        of the same version as libxlsxwriter-dev, with its own minizip and
#                              tmpfileplus; it links against Debian's MinGW zlib
#                              (libz-mingw-w64-dev)
#   GoogleTest and GoogleMock  cross-built from /usr/src/googletest, with their CMake packages
#   include/<name>             links to the header-only libraries' own header folders (Boost,
#                              nlohmann-json, CLI11 and, when installed, fast_float), and
#   share/cmake/<name>         links to their CMake packages, so that /usr/include itself never
#                              reaches the MinGW compiler.
# Called by `scripts/install-deps.sh --windows` once MinGW-w64, Wine and the MinGW zlib are
# installed; root (or sudo) is needed only to update apt's index of source packages.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cache=${CVL_WINDOWS_DEPS:-${XDG_CACHE_HOME:-$HOME/.cache}/convergeoutloader/windows-deps}
cxx=x86_64-w64-mingw32-g++-posix
cc=x86_64-w64-mingw32-gcc-posix
jobs=$(nproc)

version_of() { dpkg-query -W -f='${Version}' "$1"; }
for package in googletest libxlsxwriter-dev libz-mingw-w64-dev g++-mingw-w64-x86-64-posix; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    echo "windows-deps.sh: $package is not installed (scripts/install-deps.sh --windows installs it)" >&2
    exit 1
  fi
done
# The source packages that the installed Boost headers and libxlsxwriter-dev come from.
boost_headers=$(dpkg-query -S /usr/include/boost/version.hpp | cut -d: -f1)
boost_source=$(dpkg-query -W -f='${source:Package}' "$boost_headers")
boost_version=$(dpkg-query -W -f='${source:Version}' "$boost_headers")
xlsx_source=$(dpkg-query -W -f='${source:Package}' libxlsxwriter-dev)
xlsx_version=$(dpkg-query -W -f='${source:Version}' libxlsxwriter-dev)
key="boost $boost_version, googletest $(version_of googletest), xlsxwriter $xlsx_version, zlib $(version_of libz-mingw-w64-dev), mingw $(version_of g++-mingw-w64-x86-64-posix)"

# Links to the header-only libraries that are installed now; made anew on every call, so that
# one installed after the cache was built (fast_float, say) is reachable too.
link_header_libraries() {
  mkdir -p "$1/include" "$1/share/cmake"
  for headers in boost nlohmann CLI fast_float; do
    [ -d "/usr/include/$headers" ] && ln -sfn "/usr/include/$headers" "$1/include/$headers"
  done
  for package in nlohmann_json CLI11 FastFloat; do
    [ -d "/usr/share/cmake/$package" ] && ln -sfn "/usr/share/cmake/$package" "$1/share/cmake/$package"
  done
  return 0
}

if [ -f "$cache/complete" ] && [ "$(cat "$cache/complete")" = "$key" ]; then
  link_header_libraries "$cache"
  echo "Windows dependencies: reusing $cache"
  exit 0
fi
echo "Windows dependencies: building into $cache ($key)"
start=$SECONDS

# Built beside the cache and moved into place at the end: a cache folder is complete or absent.
stage="$cache.partial"
work=$(mktemp -d)
chmod 755 "$work"  # apt's download user writes the source package there
trap 'rm -rf "$work" "$stage"' EXIT
rm -rf "$stage"
mkdir -p "$stage/lib"
link_header_libraries "$stage"

# Boost and libxlsxwriter: Debian ships their sources only as source packages. apt is given a
# list of its own with a deb-src entry for the archive this machine already uses, for the index
# update and the downloads alone; the system's lists stay as they are.
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
archive=$(grep -h -m1 '^URIs:' /etc/apt/sources.list.d/*.sources 2>/dev/null | awk '{print $2; exit}' || true)
suite=$(grep -h -m1 '^Suites:' /etc/apt/sources.list.d/*.sources 2>/dev/null | awk '{print $2; exit}' || true)
if [ -z "$archive" ]; then
  read -r archive suite < <(awk '$1 == "deb" {print $2, $3; exit}' /etc/apt/sources.list)
fi
sources_list="$work/deb-src.list"
echo "deb-src $archive $suite main" >"$sources_list"
apt_sources=(-o Dir::Etc::sourcelist="$sources_list" -o Dir::Etc::sourceparts=-)
"${sudo_cmd[@]}" apt-get update -q "${apt_sources[@]}" -o APT::Get::List-Cleanup=0 >/dev/null
# (apt's warning that root downloads unsandboxed says nothing here)
(cd "$work" && apt-get source -q --download-only "${apt_sources[@]}" \
  "$boost_source=$boost_version" "$xlsx_source=$xlsx_version" >/dev/null) \
  2> >(grep -v 'unsandboxed' >&2)
tar -xf "$work"/"${boost_source}"_*.orig.tar.* -C "$work" --wildcards '*/libs/filesystem/src/*'
filesystem_src=$(echo "$work"/*/libs/filesystem/src)
mkdir -p "$work/objects"
compile_filesystem() {
  "$cxx" -std=gnu++17 -O2 -ffunction-sections -fdata-sections -I"$stage/include" \
    -DBOOST_FILESYSTEM_SOURCE -DBOOST_FILESYSTEM_STATIC_LINK -DBOOST_ALL_NO_LIB \
    -D_WIN32_WINNT=0x0601 -c "$1" -o "$work/objects/$(basename "$1" .cpp).o"
}
export -f compile_filesystem
export cxx stage work
printf '%s\0' "$filesystem_src"/*.cpp | xargs -0 -n1 -P "$jobs" bash -c 'compile_filesystem "$0"'
x86_64-w64-mingw32-ar rcs "$stage/lib/libboost_filesystem.a" "$work"/objects/*.o
echo "Boost.Filesystem: $(ls "$work"/objects | wc -l) objects"

# libxlsxwriter: its library sources, its own minizip (zip.c, ioapi.c) for the workbook's zip
# container, tmpfileplus for its temporary files and its MD5, as its CMake build takes them, but
# compiled here directly, which is quicker. Two differences from that build for MinGW: no
# USE_FILE32API, so minizip keeps 64-bit file offsets and a workbook may pass 2 GiB; and MinGW's
# own printf (__USE_MINGW_ANSI_STDIO), which writes a sheet's numbers ("%.16G") with the same
# digits as the Linux build's C library.
tar -xf "$work"/"${xlsx_source}"_*.orig.tar.* -C "$work" --wildcards '*/src/*.c' '*/include/*' \
  '*/third_party/minizip/*' '*/third_party/tmpfileplus/*' '*/third_party/md5/*'
xlsx_start=$SECONDS
xlsx_include=$(dirname "$(echo "$work"/*/include/xlsxwriter.h)")
xlsx_dir=${xlsx_include%/include}
mkdir -p "$work/xlsx-objects"
compile_xlsxwriter() {
  "$cc" -O2 -ffunction-sections -fdata-sections -I"$xlsx_dir/include" -DNOCRYPT -DNOUNCRYPT \
    -D__USE_MINGW_ANSI_STDIO=1 -c "$1" -o "$work/xlsx-objects/$(basename "$1" .c).o"
}
export -f compile_xlsxwriter
export cc xlsx_dir
printf '%s\0' "$xlsx_dir"/src/*.c "$xlsx_dir"/third_party/minizip/{ioapi,zip}.c \
  "$xlsx_dir"/third_party/tmpfileplus/tmpfileplus.c "$xlsx_dir"/third_party/md5/md5.c |
  xargs -0 -n1 -P "$jobs" bash -c 'compile_xlsxwriter "$0"'
x86_64-w64-mingw32-ar rcs "$stage/lib/libxlsxwriter.a" "$work"/xlsx-objects/*.o
cp -r "$xlsx_dir/include/xlsxwriter.h" "$xlsx_dir/include/xlsxwriter" "$stage/include/"
echo "libxlsxwriter: $(ls "$work"/xlsx-objects | wc -l) objects in $((SECONDS - xlsx_start)) s"

# GoogleTest and GoogleMock, with the project's own toolchain file.
cmake -S /usr/src/googletest -B "$work/googletest" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_INSTALL_PREFIX="$stage" \
  -DCMAKE_INSTALL_LIBDIR=lib >/dev/null
cmake --build "$work/googletest" -j "$jobs" >/dev/null
cmake --install "$work/googletest" >/dev/null

echo "$key" >"$stage/complete"
rm -rf "$cache"
mkdir -p "$(dirname "$cache")"
mv "$stage" "$cache"
echo "Windows dependencies: built in $((SECONDS - start)) s"
