# Sourced by the Wine bench scripts: the private, headless Wine environment of one build folder.
# Usage: . tools/wine-env.sh <build dir>
velmora_build_dir=$(cd "${1:?build dir}" && pwd)
export WINEPREFIX=$velmora_build_dir/wineprefix
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko: without these overrides wineboot asks to install them.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export WINEARCH=win64
