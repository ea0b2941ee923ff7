#!/usr/bin/env bash
# Runs a Windows program under Wine in the build folder's private prefix (the test emulator of the Windows builds).
# Usage: tools/wine-run.sh <build dir> program.exe [arguments...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/wine-prefix.sh" "$1"
. "$here/wine-env.sh" "$1"
shift
exec wine "$@"
