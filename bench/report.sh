#!/usr/bin/env bash
# Time of the whole vindrel-analyse --report process (analysis, the two
# portraits, the page written), run N times each from a temporary copy
# (never in build/app/). Target: 300 ms for Van der Pol; the ratio to the
# target is printed.
# Usage: bench/report.sh [build-dir] [N]
set -euo pipefail
build="${1:-build}"
n="${2:-20}"
tool="$build/app/vindrel-analyse"
[ -x "$tool" ] || { echo "build vindrel-analyse first ($tool)" >&2; exit 1; }
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
cp "$tool" "$tmp/vindrel-analyse"
target_us=300000
while IFS='|' read -r name p q; do
    # Wall time, and the processor time (user + system) that a loaded
    # machine does not inflate.
    TIMEFORMAT='%3R %3U %3S'
    times=$({ time for _ in $(seq "$n"); do
        "$tmp/vindrel-analyse" --report "$tmp/page.html" -- "$p" "$q" >/dev/null
    done; } 2>&1)
    read -r real user sys <<<"$times"
    us=$(awk -v r="$real" -v n="$n" 'BEGIN { printf "%d", r * 1e6 / n }')
    cpu=$(awk -v u="$user" -v s="$sys" -v n="$n" 'BEGIN { printf "%d", (u + s) * 1e6 / n }')
    printf 'report %-10s %7d us wall, %7d us processor per process (mean of %d), %d.%02d of the 300 ms target\n' \
        "$name" "$us" "$cpu" "$n" $((us / target_us)) $((us * 100 / target_us % 100))
done <<'SYSTEMS'
vanderpol|y|-x+y-x^2y
duffing|y|x-x^3
amorti|y|-x-ay
lotka|x-xy|-y+xy
SYSTEMS
