#!/usr/bin/env bash
# The project's commands. Each installs what is missing first, so they work on a fresh machine.
#   ./run.sh test          build win64, win32 and native; run the Windows tests under Wine and the native ones
#   ./run.sh demo          build and start velmora.exe under Wine (on $DISPLAY, else on a private Xvfb)
#   ./run.sh fuzz [secs]   run every fuzz target for the given time (default 300 s each)
#   ./run.sh bench         build and run the benchmark programs
#   ./run.sh build         only build the three configurations
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)

say() { printf '==> %s\n' "$*"; }

setup() {
    bash tools/install-packages.sh
}

build_preset() {
    local preset=$1
    say "configure and build $preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
}

build_all() {
    build_preset win64
    build_preset win32
    build_preset native
}

cmd_test() {
    setup
    build_all
    say "Windows tests under Wine (win64)"
    ctest --preset win64 -j2
    say "native tests under ASan and UBSan, fuzz targets briefly"
    ctest --preset native -j2
}

cmd_demo() {
    setup
    build_preset win64
    local build=$root/build/win64 display=${DISPLAY:-} own_x=0
    tools/wine-prefix.sh "$build"
    if [ -z "$display" ]; then
        display=$(tools/xvfb.sh start "$build/xvfb")
        own_x=1
        trap "tools/xvfb.sh stop '$build/xvfb'" EXIT
        say "started a private Xvfb on $display"
    fi
    local install=$build/install
    say "installation folder: $install"
    say "demo catalogue $install/data/velmora_config.dat, as the publisher's tool reads it:"
    "$build/host-velcat/velcat" check "$install/data/velmora_config.dat"
    say "starting velmora.exe under Wine on $display"
    local rc=0
    DISPLAY=$display tools/wine-run.sh "$build" "$install/velmora.exe" || rc=$?
    say "velmora.exe exited with $rc"
    # Let Wine's own helper processes leave the screen before it goes away.
    (. tools/wine-env.sh "$build" && wineserver -w)
    if [ "$own_x" = 1 ]; then
        tools/xvfb.sh shot "$build/xvfb" "$build/demo.png"
        say "screenshot of the private screen: $build/demo.png"
    fi
    return "$rc"
}

cmd_fuzz() {
    local seconds=${1:-300}
    setup
    build_preset native
    say "each fuzz target for $seconds s"
    VELMORA_FUZZ_SECONDS=$seconds ctest --preset native -L fuzz
}

cmd_bench() {
    setup
    build_preset bench
    local found=0
    for b in build/bench/tests/bench/bench_*; do
        [ -x "$b" ] || continue
        found=1
        say "$b"
        "$b"
    done
    [ "$found" = 1 ] || say "no benchmark programs yet"
}

case "${1:-}" in
    test) cmd_test ;;
    demo) cmd_demo ;;
    fuzz) shift; cmd_fuzz "$@" ;;
    bench) cmd_bench ;;
    build) setup; build_all ;;
    *) sed -n '2,8p' "$0" | sed 's/^# \{0,1\}//'; exit 2 ;;
esac
