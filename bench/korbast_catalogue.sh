#!/usr/bin/env bash
# Whole-process time of korbast (the general analysis with the study of
# periodic orbits) on every system of the catalogue
# (data/vindrel.txt), as the front end starts it: korbast P Q.
# Prints one row per system: degree, best and median wall time of REPEAT
# runs, the median processor time, and whether the best wall time meets
# the target (30 ms for every system).
#
#   bench/korbast_catalogue.sh [BUILD_DIR] [REPEAT]
#
# korbast writes its files beside itself, so it runs from a copy in a
# temporary folder: the program folder build/app/ is left untouched.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/.." && pwd)"
build="${1:-$root/build}"
repeat="${2:-7}"
target_ms=30

cmake --build "$build" --target korbast vindrel-analyse -j2 >/dev/null
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$build/app/sysdyn/korbast" "$work/korbast"
analyse="$build/app/vindrel-analyse"

# Wall time swells when other jobs share the cores; the processor time
# (user + system) of the same runs is printed beside it.
TIMEFORMAT='%3R %3U %3S'
printf '%5s %9s %9s %9s  %-5s  %s\n' "degré" "min (ms)" "méd (ms)" "cpu (ms)" "cible" "système : dx/dt ; dy/dt"
slow=0
while IFS=$'\t' read -r name p q; do
  [[ -z "$p" && -z "$q" ]] && continue
  degree="$("$analyse" --json -- "$p" "$q" | sed -n 's/.*"degree": \([0-9]*\).*/\1/p')"
  walls=() cpus=()
  for ((i = 0; i < repeat; i++)); do
    read -r real user sys < <({ time "$work/korbast" "$p" "$q" >/dev/null 2>&1; } 2>&1)
    walls+=("$real")
    cpus+=("$(echo "$user + $sys" | bc -l)")
  done
  wall_sorted=($(printf '%s\n' "${walls[@]}" | sort -g))
  cpu_sorted=($(printf '%s\n' "${cpus[@]}" | sort -g))
  best=$(echo "${wall_sorted[0]} * 1000" | bc -l)
  median=$(echo "${wall_sorted[$((repeat / 2))]} * 1000" | bc -l)
  cpu=$(echo "${cpu_sorted[$((repeat / 2))]} * 1000" | bc -l)
  if (($(echo "$best <= $target_ms" | bc -l))); then verdict="ok"; else verdict="lent"; slow=$((slow + 1)); fi
  printf '%5s %9.1f %9.1f %9.1f  %-5s  %s : %s ; %s\n' "${degree:-?}" "$best" "$median" "$cpu" "$verdict" "$name" "$p" "$q"
done < <(iconv -f WINDOWS-1252 -t UTF-8 "$root/data/vindrel.txt" | tr -d '\r' | paste - - -)
echo "systèmes au-delà de ${target_ms} ms (meilleur temps réel) : $slow"
echo "charge de la machine : $(cut -d' ' -f1-3 /proc/loadavg) sur $(nproc) coeurs"
