#!/usr/bin/env bash
# Whole-process timings of the certified fixed-point search against peers
# (PARI/GP, Singular, SymPy) on the same fixed-seed dense systems with small
# integer coefficients. Prints, per degree, the number of real points each
# tool reports and its mean wall time per system (best of REPEAT runs).
#
#   bench/fixedpoints/bench.sh [BUILD_DIR] [SYSTEMS_PER_DEGREE] [REPEAT]
#
# The peers are installed with apt-get when missing (needs root); they are
# benchmark-only dependencies.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="${1:-$root/build}"
count="${2:-3}"
repeat="${3:-3}"
degrees="${DEGREES:-2 3 4 6 8 10}"
peer_timeout="${PEER_TIMEOUT:-60}"

missing=()
command -v gp >/dev/null || missing+=(pari-gp)
command -v Singular >/dev/null || missing+=(singular)
/usr/bin/python3 -c 'import sympy' 2>/dev/null || missing+=(python3-sympy)
if ((${#missing[@]})); then
  if [[ $(id -u) -ne 0 ]]; then echo "missing peers: ${missing[*]} (run as root to install)" >&2; exit 1; fi
  apt-get install -y -q "${missing[@]}" >/dev/null
fi

# Our tool: `vindrel-analyse --json` as a whole process (it also runs the
# Hamiltonian search, the general analysis and the points at infinity).
# OURS=search times a bare main over the fixed-point search instead.
cmake --build "$build" --target vindrel-analyse vindrel_engine -j2 >/dev/null
analyse="$build/app/vindrel-analyse"
ours="$build/bench_fixedpoints"
if [[ ${OURS:-analyse} == search ]]; then
  g++ -O2 -std=c++20 -I"$root" "$here/fp_main.cpp" "$build/engine/libvindrel_engine.a" \
    -lflint-arb -lflint -lgmp -lmpfr -o "$ours"
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

run_ours() {
  if [[ ${OURS:-analyse} == search ]]; then "$ours" "$1" "$2" | cut -d' ' -f1; return; fi
  # Count the fixed points of the JSON without starting another process.
  local out rest
  out=$("$analyse" --json -- "$1" "$2")
  rest=${out//x_approx/}
  echo $(((${#out} - ${#rest}) / 8))
}
run_gp() {
  cat >"$work/s.gp" <<GP
P = $1; Q = $2;
R = polresultant(P, Q, y); R = R / gcd(R, R');
xs = polrootsreal(R); n = 0;
for (i = 1, #xs, x0 = xs[i]; Qx = subst(Q, x, x0); ys = polroots(subst(P, x, x0));\
  for (j = 1, #ys, if (abs(imag(ys[j])) < 1e-20 && abs(subst(Qx, y, real(ys[j]))) < 1e-15, n++)));
print(n);
quit;
GP
  gp -q -f "$work/s.gp"
}
run_singular() {
  cat >"$work/s.sing" <<SING
LIB "solve.lib";
ring r = 0,(x,y),dp;
poly P = $1; poly Q = $2;
ideal i = P, Q;
def S = solve(i, 30, 0, 50, "nodisplay");
setring S;
int n; int k;
for (k = 1; k <= size(SOL); k++) { if ((impart(SOL[k][1]) == 0) && (impart(SOL[k][2]) == 0)) {n++;} }
print(n);
quit;
SING
  Singular -q "$work/s.sing" 2>/dev/null | tail -1
}
run_sympy() { /usr/bin/python3 "$here/sympy_peer.py" "$1" "$2"; }

export -f run_ours run_gp run_singular run_sympy
export ours analyse work here

# time_tool TOOL P Q -> "COUNT MILLISECONDS" (best of $repeat; "-" on timeout)
time_tool() {
  local tool=$1 best="" out="" t0 t1 ms
  for ((r = 0; r < repeat; r++)); do
    t0=$(date +%s%N)
    if ! out=$(timeout "$peer_timeout" bash -c 'run_$0 "$1" "$2"' "$tool" "$2" "$3" 2>/dev/null); then
      echo "- timeout"; return
    fi
    t1=$(date +%s%N)
    ms=$(((t1 - t0) / 1000000))
    if [[ -z $best || $ms -lt $best ]]; then best=$ms; fi
    [[ $tool == sympy ]] && break  # too slow to repeat
  done
  echo "$out $best"
}

printf '%-6s | %-16s | %-16s | %-16s | %-16s | %s\n' degree "ours (n, ms)" "PARI/GP" "Singular" "SymPy" "ratio GP/ours"
for d in $degrees; do
  declare -A total=() counts=()
  while IFS=';' read -r P Q; do
    for tool in ours gp singular sympy; do
      read -r n ms < <(time_tool "$tool" "$P" "$Q")
      counts[$tool]+="$n,"
      if [[ $ms == timeout ]]; then total[$tool]=timeout; elif [[ ${total[$tool]:-0} != timeout ]]; then total[$tool]=$((${total[$tool]:-0} + ms)); fi
    done
  done < <(python3 "$here/gen.py" "$d" "$count")
  cell() { local t=${total[$1]}; [[ $t == timeout ]] && echo "${counts[$1]%,} timeout" || echo "${counts[$1]%,} $((t / count))ms"; }
  ratio="-"
  if [[ ${total[ours]} != timeout && ${total[gp]} != timeout && ${total[ours]} -gt 0 ]]; then
    ratio=$(awk -v a="${total[gp]}" -v b="${total[ours]}" 'BEGIN { printf "%.2f", a / b }')
  fi
  printf '%-6s | %-16s | %-16s | %-16s | %-16s | %s\n' "$d" "$(cell ours)" "$(cell gp)" "$(cell singular)" "$(cell sympy)" "$ratio"
  unset total counts
done
