#!/usr/bin/env bash
# Creates the private Wine prefix of a build folder once, with the CJK font substitutes, and is a no-op afterwards.
# Concurrent callers (parallel tests) wait for the first one to finish.
# Usage: tools/wine-prefix.sh <build dir>
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh" "$1"

ready=$WINEPREFIX/.velmora-ready
[ -f "$ready" ] && exit 0
mkdir -p "$velmora_build_dir"
exec 9>"$velmora_build_dir/.wineprefix.lock"
flock 9
[ -f "$ready" ] && exit 0

rm -rf "$WINEPREFIX"
wineboot -i >/dev/null 2>&1
wineserver -w

# Without these GDI draws the Chinese face names as empty boxes: map them to the installed WenQuanYi font.
reg_file=$(mktemp --suffix=.reg)
trap 'rm -f "$reg_file"' EXIT
{
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
    for face in 宋体 SimSun 新宋体 NSimSun 微软雅黑 "Microsoft YaHei"; do
        printf '"%s"="WenQuanYi Micro Hei"\r\n' "$face"
    done
    printf '\r\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]\r\n'
    for face in 宋体 SimSun 新宋体 NSimSun 微软雅黑 "Microsoft YaHei"; do
        printf '"%s"="WenQuanYi Micro Hei"\r\n' "$face"
    done
} | iconv -f UTF-8 -t UTF-16 >"$reg_file"
wine regedit /S "$reg_file" >/dev/null 2>&1
wineserver -w
touch "$ready"
