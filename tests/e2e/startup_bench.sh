#!/usr/bin/env bash
# Start-up time to a shown window, Vindrel against a bare Qt window, under a
# private Xvfb: RUNS starts of each (default 10), median and ratio printed.
#   startup_bench.sh APP_DIR BARE_WINDOW_PROGRAM [RUNS]
set -euo pipefail
app_dir=$(realpath "$1")
bare=$(realpath "$2")
runs=${3:-10}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/xvfb_session.sh"

start_xvfb
cp -a "$app_dir" "$E2E_WORK/app"

# time_to_window PROGRAM NAME-REGEX: milliseconds from launch to a visible
# window of that name.
time_to_window() {
    local start end pid
    start=$(date +%s%N)
    "$1" >"$E2E_WORK/last.log" 2>&1 &
    pid=$!
    wait_until 30 visible_window "$2" || fail "aucune fenêtre pour $1 : $(cat "$E2E_WORK/last.log")"
    end=$(date +%s%N)
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    echo $(((end - start) / 1000000))
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

vindrel_times=()
bare_times=()
for ((i = 0; i < runs; ++i)); do
    # Alternate, so that both see the same load of the machine.
    vindrel_times+=("$(time_to_window "$E2E_WORK/app/vindrel" "KESTORA")")
    bare_times+=("$(time_to_window "$bare" "^Fenetre nue$")")
done
v=$(printf '%s\n' "${vindrel_times[@]}" | median)
b=$(printf '%s\n' "${bare_times[@]}" | median)
echo "vindrel (ms) : ${vindrel_times[*]}  médiane $v"
echo "fenêtre nue (ms) : ${bare_times[*]}  médiane $b"
awk -v v="$v" -v b="$b" 'BEGIN { printf "rapport : %.2f (objectif : 1,30 au plus)\n", v / b }'
