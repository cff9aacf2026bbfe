#!/usr/bin/env bash
# Time of the whole korbast process on typical systems of degree <= 3, run N
# times each from a temporary copy (never in build/app/). Target: 30 ms.
# Usage: bench/korbast.sh [build-dir] [N]
set -euo pipefail
build="${1:-build}"
n="${2:-100}"
tool="$build/app/sysdyn/korbast"
[ -x "$tool" ] || { echo "build korbast first ($tool)" >&2; exit 1; }
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
cp "$tool" "$tmp/korbast"
for sys in "y -x+x^2" "x-xy -y+xy" "y -x+y-x^2y" "-y-x^3 x-y^3" "3x^3-2x^2y+xy^2-5y^3+x-y x^3+4x^2y-xy^2+2y^3+2x+3y"; do
    # shellcheck disable=SC2086
    start=$(date +%s%N)
    for _ in $(seq "$n"); do "$tmp/korbast" $sys >/dev/null 2>&1 || true; done
    end=$(date +%s%N)
    echo "korbast $sys: $(( (end - start) / n / 1000 )) us per process (mean of $n runs)"
done
