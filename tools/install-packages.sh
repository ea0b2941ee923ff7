#!/usr/bin/env bash
# Installs the Debian packages the build and the Wine bench need. Installs nothing when all are present.
set -euo pipefail

packages=(
    g++-mingw-w64-x86-64 g++-mingw-w64-i686 mingw-w64-tools
    wine wine64
    xvfb xauth fonts-wqy-microhei imagemagick xdotool
    googletest libgtest-dev libz-mingw-w64-dev
    clang libclang-rt-14-dev libbenchmark-dev nlohmann-json3-dev rapidjson-dev
    cmake ninja-build make perl python3 file dpkg-dev
    zip unzip
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

# The dependency builder fetches Debian source packages: it needs deb-src lines for the same mirror.
ensure_deb_src() {
    local list=/etc/apt/sources.list.d/velmora-deb-src.sources
    [ -f "$list" ] && return 0
    grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && return 0
    grep -qs '^deb-src' /etc/apt/sources.list && return 0
    local src=/etc/apt/sources.list.d/debian.sources
    if [ -f "$src" ]; then
        sed 's/^Types: deb$/Types: deb-src/' "$src" | "${sudo_cmd[@]}" tee "$list" >/dev/null
    else
        grep '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' | "${sudo_cmd[@]}" tee "${list%.sources}.list" >/dev/null
    fi
    echo "added deb-src lines"
    return 1
}

need_update=0
ensure_deb_src || need_update=1
if [ ${#missing[@]} -gt 0 ] || [ "$need_update" -eq 1 ]; then
    echo "installing: ${missing[*]:-(source lists only)}"
    "${sudo_cmd[@]}" apt-get update -qq
fi
if [ ${#missing[@]} -gt 0 ]; then
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
