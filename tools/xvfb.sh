#!/usr/bin/env bash
# A private X server for GUI runs, recorded in a state folder so that later calls find it.
#   tools/xvfb.sh start <state dir>        starts Xvfb on a free display, prints the DISPLAY value
#   tools/xvfb.sh stop <state dir>         stops it
#   tools/xvfb.sh shot <state dir> <png>   screenshot of the whole screen
set -euo pipefail
cmd=${1:?start|stop|shot}
state=${2:?state dir}
mkdir -p "$state"
pid_file=$state/xvfb.pid
display_file=$state/xvfb.display

running() { [ -f "$pid_file" ] && kill -0 "$(cat "$pid_file")" 2>/dev/null; }

case "$cmd" in
start)
    if running; then cat "$display_file"; exit 0; fi
    for n in $(seq 90 140); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
        Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >"$state/xvfb.log" 2>&1 &
        echo $! >"$pid_file"
        for _ in $(seq 50); do
            [ -e "/tmp/.X11-unix/X$n" ] && break
            sleep 0.1
        done
        if running && [ -e "/tmp/.X11-unix/X$n" ]; then
            echo ":$n" >"$display_file"
            echo ":$n"
            exit 0
        fi
    done
    echo "xvfb: no free display" >&2
    exit 1
    ;;
stop)
    if running; then kill "$(cat "$pid_file")"; fi
    rm -f "$pid_file" "$display_file"
    ;;
shot)
    out=${3:?png path}
    running || { echo "xvfb: not running" >&2; exit 1; }
    DISPLAY=$(cat "$display_file") import -window root "$out"
    ;;
*)
    echo "usage: xvfb.sh start|stop|shot <state dir> [png]" >&2
    exit 2
    ;;
esac
