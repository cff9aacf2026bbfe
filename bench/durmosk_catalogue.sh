#!/usr/bin/env bash
# Whole-process time of durmosk (or, with TOOL=korbast, of korbast) on
# every system of the catalogue (data/vindrel.txt), as the front end starts
# it: durmosk P Q xy, korbast P Q.
# Prints one row per system: degree, best and median wall time of REPEAT
# runs, the median processor time, and whether the best wall time meets
# the target (durmosk: 20 ms for degree 3 or less; korbast: 30 ms for all).
#
#   bench/durmosk_catalogue.sh [BUILD_DIR] [REPEAT]
#
# The tool writes its files beside itself, so it runs from a copy in a
# temporary folder: the program folder build/app/ is left untouched.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/.." && pwd)"
build="${1:-$root/build}"
repeat="${2:-7}"
tool="${TOOL:-durmosk}"
case $tool in
  durmosk) target_ms=20 max_degree=3 extra=(xy) ;;
  korbast) target_ms=30 max_degree=1000000 extra=() ;;
  *) echo "TOOL: durmosk ou korbast" >&2; exit 2 ;;
esac

cmake --build "$build" --target "$tool" vindrel-analyse -j2 >/dev/null
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$build/app/sysdyn/$tool" "$work/$tool"
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
    read -r real user sys < <({ time "$work/$tool" "$p" "$q" "${extra[@]}" >/dev/null 2>&1; } 2>&1)
    walls+=("$real")
    cpus+=("$(echo "$user + $sys" | bc -l)")
  done
  wall_sorted=($(printf '%s\n' "${walls[@]}" | sort -g))
  cpu_sorted=($(printf '%s\n' "${cpus[@]}" | sort -g))
  best=$(echo "${wall_sorted[0]} * 1000" | bc -l)
  median=$(echo "${wall_sorted[$((repeat / 2))]} * 1000" | bc -l)
  cpu=$(echo "${cpu_sorted[$((repeat / 2))]} * 1000" | bc -l)
  verdict="-"
  if [[ -n "$degree" && "$degree" -le $max_degree ]]; then
    if (($(echo "$best <= $target_ms" | bc -l))); then verdict="ok"; else verdict="lent"; slow=$((slow + 1)); fi
  fi
  printf '%5s %9.1f %9.1f %9.1f  %-5s  %s : %s ; %s\n' "${degree:-?}" "$best" "$median" "$cpu" "$verdict" "$name" "$p" "$q"
done < <(iconv -f WINDOWS-1252 -t UTF-8 "$root/data/vindrel.txt" | tr -d '\r' | paste - - -)
if [[ $tool == durmosk ]]; then
  echo "systèmes de degré <= $max_degree au-delà de ${target_ms} ms (meilleur temps réel) : $slow"
else
  echo "systèmes au-delà de ${target_ms} ms (meilleur temps réel) : $slow"
fi
echo "charge de la machine : $(cut -d' ' -f1-3 /proc/loadavg) sur $(nproc) coeurs"
