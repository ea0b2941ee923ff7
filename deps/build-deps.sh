#!/usr/bin/env bash
# Cross-builds OpenSSL, libcurl (HTTP and HTTPS, with OpenSSL and zlib), TinyXML and GoogleTest for mingw-w64
# from Debian's source packages, into a cache outside the checkout keyed by architecture and version.
# A finished build is marked with a stamp file and reused as it is.
#
#   deps/build-deps.sh x86_64|i686     prints the prefix that holds include/ and lib/
set -euo pipefail

arch=${1:?usage: build-deps.sh x86_64|i686}
# The 32-bit assembler modules use GOT-relative relocations that COFF cannot represent: build them in C.
case "$arch" in
    x86_64) openssl_target=mingw64 openssl_extra= ;;
    i686) openssl_target=mingw openssl_extra=no-asm ;;
    *) echo "unknown architecture $arch" >&2; exit 2 ;;
esac
host=$arch-w64-mingw32
cache_root=${VELMORA_DEPS_CACHE:-/var/cache/velmora-deps}
jobs=$(nproc)

log() { echo "deps[$arch]: $*" >&2; }

src_root=$cache_root/src
mkdir -p "$src_root"

# Picks the newest source version of a package that is in the source cache or that the mirror can still serve
# (the newest listed one is sometimes gone from the mirror), downloading it once into the shared source cache.
# The version decides the cache key, so a mirror update rebuilds once and never mixes versions.
fetch_source() {
    local name=$1 versions v
    versions=$(apt-cache showsrc "$name" | awk '/^Version:/ {print $2}' | sort -Vr | uniq)
    for v in $versions; do
        if ls "$src_root/${name}_${v#*:}.dsc" >/dev/null 2>&1; then echo "$v"; return 0; fi
    done
    for v in $versions; do
        log "fetching source of $name $v"
        if (cd "$src_root" && apt-get source -qq --download-only "$name=$v" >/dev/null 2>&1); then
            echo "$v"
            return 0
        fi
    done
    log "no source of $name could be fetched: are the deb-src lines in place and 'apt-get update' run?"
    return 1
}

openssl_version=$(fetch_source openssl)
curl_version=$(fetch_source curl)
tinyxml_version=$(fetch_source tinyxml)
gtest_version=$(dpkg-query -W -f='${Version}' googletest)

key="openssl-$openssl_version+curl-$curl_version+tinyxml-$tinyxml_version+gtest-$gtest_version"
prefix=$cache_root/$arch/$key
if [ -f "$prefix/.complete" ]; then
    echo "$prefix"
    exit 0
fi

mkdir -p "$prefix"
work=$(mktemp -d "$cache_root/work-$arch.XXXXXX")
trap 'rm -rf "$work"' EXIT

# Unpacks a Debian source package from the source cache into the work folder.
unpack_source() {
    dpkg-source -x --no-check "$src_root/${1}_${2#*:}.dsc" "$work/$1" >/dev/null
}

quiet() { "$@" >"$work/step.log" 2>&1 || { tail -n 40 "$work/step.log" >&2; return 1; }; }

log "OpenSSL $openssl_version"
unpack_source openssl "$openssl_version"
(
    cd "$work/openssl"
    quiet ./Configure "$openssl_target" --cross-compile-prefix="$host-" --prefix="$prefix" --libdir=lib \
        no-shared no-tests $openssl_extra
    quiet make -j"$jobs" build_libs
    quiet make install_dev
)

log "curl $curl_version"
unpack_source curl "$curl_version"
(
    cd "$work/curl"
    quiet ./configure --host="$host" --prefix="$prefix" --disable-shared --enable-static \
        --with-openssl="$prefix" --with-zlib="/usr/$host" \
        --disable-ftp --disable-file --disable-ldap --disable-ldaps --disable-rtsp --disable-dict --disable-telnet \
        --disable-tftp --disable-pop3 --disable-imap --disable-smb --disable-smtp --disable-gopher --disable-mqtt \
        --disable-manual --disable-docs --without-libpsl --without-brotli --without-zstd --without-nghttp2 \
        --without-libidn2 --without-libssh2 \
        CPPFLAGS="-I$prefix/include" LDFLAGS="-L$prefix/lib" LIBS="-lcrypt32 -lws2_32 -lbcrypt"
    quiet make -j"$jobs" -C lib
    quiet make -C lib install
    quiet make -C include install
)

log "TinyXML $tinyxml_version"
unpack_source tinyxml "$tinyxml_version"
(
    cd "$work/tinyxml"
    for f in tinyxml tinystr tinyxmlerror tinyxmlparser; do
        quiet "$host-g++-posix" -O2 -DTIXML_USE_STL -c "$f.cpp" -o "$f.o"
    done
    quiet "$host-ar" rcs "$prefix/lib/libtinyxml.a" tinyxml.o tinystr.o tinyxmlerror.o tinyxmlparser.o
    mkdir -p "$prefix/include/tinyxml"
    cp tinyxml.h tinystr.h "$prefix/include/tinyxml/"
)

log "GoogleTest $gtest_version"
(
    mkdir -p "$work/gtest" && cd "$work/gtest"
    quiet cmake -S /usr/src/googletest -B . -G Ninja -DCMAKE_SYSTEM_NAME=Windows \
        -DCMAKE_C_COMPILER="$host-gcc-posix" -DCMAKE_CXX_COMPILER="$host-g++-posix" \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release -Dgtest_disable_pthreads=OFF \
        -DCMAKE_EXE_LINKER_FLAGS=-static
    quiet ninja
    quiet ninja install
)

touch "$prefix/.complete"
log "done: $prefix"
echo "$prefix"
