#!/usr/bin/env bash
# Time of the whole velquin2 process on a typical system, run N times from a
# temporary copy (never in build/app/). Usage: bench/velquin2.sh [build-dir] [N]
set -euo pipefail
build="${1:-build}"
n="${2:-200}"
tool="$build/app/sysdyn/velquin2"
[ -x "$tool" ] || { echo "build velquin2 first ($tool)" >&2; exit 1; }
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
cp "$tool" "$tmp/velquin2"
if command -v hyperfine >/dev/null; then
    hyperfine -N --warmup 10 --runs "$n" "$tmp/velquin2 y -x+x^2 xy"
    exit 0
fi
start=$(date +%s%N)
for _ in $(seq "$n"); do "$tmp/velquin2" y -x+x^2 xy; done
end=$(date +%s%N)
echo "velquin2 y -x+x^2 xy: $(( (end - start) / n / 1000 )) us per process (mean of $n runs)"
