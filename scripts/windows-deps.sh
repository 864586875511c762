#!/usr/bin/env bash
# Builds what the Windows cross build links and includes into a cache folder outside the source
# tree, unless a complete one for the same versions is there already:
#   CVL_WINDOWS_DEPS, else ${XDG_CACHE_HOME:-~/.cache}/convergeoutloader/windows-deps
# It holds:
#   lib/libboost_filesystem.a  Boost.Filesystem, built from Debian's source package of the same
#                              version as the native build's Boost headers
#   GoogleTest and GoogleMock  cross-built from /usr/src/googletest, with their CMake packages
#   include/<name>             links to the header-only libraries' own header folders (Boost,
#                              nlohmann-json, CLI11 and, when installed, fast_float), and
#   share/cmake/<name>         links to their CMake packages, so that /usr/include itself never
#                              reaches the MinGW compiler.
# Called by `scripts/install-deps.sh --windows` once MinGW-w64 and Wine are installed; root (or
# sudo) is needed only to fetch the Boost source package.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cache=${CVL_WINDOWS_DEPS:-${XDG_CACHE_HOME:-$HOME/.cache}/convergeoutloader/windows-deps}
cxx=x86_64-w64-mingw32-g++-posix
jobs=$(nproc)

version_of() { dpkg-query -W -f='${Version}' "$1"; }
# The Boost source package that the installed Boost headers come from.
boost_headers=$(dpkg-query -S /usr/include/boost/version.hpp | cut -d: -f1)
boost_source=$(dpkg-query -W -f='${source:Package}' "$boost_headers")
boost_version=$(dpkg-query -W -f='${source:Version}' "$boost_headers")
key="boost $boost_version, googletest $(version_of googletest), mingw $(version_of g++-mingw-w64-x86-64-posix)"

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

# Boost.Filesystem: Debian ships its source only as a source package. A deb-src entry for the
# archive this machine already uses is added for the download and removed again.
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
sources_list=/etc/apt/sources.list.d/cvl-boost-source.list
archive=$(grep -h -m1 '^URIs:' /etc/apt/sources.list.d/*.sources 2>/dev/null | awk '{print $2; exit}' || true)
suite=$(grep -h -m1 '^Suites:' /etc/apt/sources.list.d/*.sources 2>/dev/null | awk '{print $2; exit}' || true)
if [ -z "$archive" ]; then
  read -r archive suite < <(awk '$1 == "deb" {print $2, $3; exit}' /etc/apt/sources.list)
fi
echo "deb-src $archive $suite main" | "${sudo_cmd[@]}" tee "$sources_list" >/dev/null
remove_source() {
  "${sudo_cmd[@]}" rm -f "$sources_list"
  rm -rf "$work" "$stage"
}
trap remove_source EXIT
"${sudo_cmd[@]}" apt-get update -q -o Dir::Etc::sourcelist="$sources_list" \
  -o Dir::Etc::sourceparts=- -o APT::Get::List-Cleanup=0 >/dev/null
# (apt's warning that root downloads unsandboxed says nothing here)
(cd "$work" && apt-get source -q --download-only "$boost_source=$boost_version" >/dev/null) \
  2> >(grep -v 'unsandboxed' >&2)
"${sudo_cmd[@]}" rm -f "$sources_list"
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
