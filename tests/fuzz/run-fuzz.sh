#!/usr/bin/env bash
# Runs one fuzz target over its seeds for VELMORA_FUZZ_SECONDS (30 by default, as in ./run.sh test).
# Usage: run-fuzz.sh <target> <work corpus dir> <seed dir>
set -euo pipefail
target=$1 work=$2 seeds=$3
mkdir -p "$work"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
exec "$target" -max_total_time="${VELMORA_FUZZ_SECONDS:-30}" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    "$work" "$seeds"
