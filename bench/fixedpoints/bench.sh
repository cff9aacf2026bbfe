#!/usr/bin/env bash
# Whole-process timings of the certified fixed-point search against peers
# (PARI/GP, Singular, SymPy) on the same fixed-seed dense systems with small
# integer coefficients. Prints, per degree, the number of real points each
# tool reports, its mean wall time per system (median of REPEAT runs, fewer
# for a slow tool) and the peers' times over ours.
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
repeat="${3:-11}"
degrees="${DEGREES:-2 3 4 6 8 10 12 15 20 25 30}"
# Singular and SymPy take minutes from degree 12: above FULL_UPTO only
# PARI/GP is run (ALL_PEERS=1 runs every peer at every degree).
full_upto="${FULL_UPTO:-10}"
peer_timeout="${PEER_TIMEOUT:-60}"

missing=()
command -v gp >/dev/null || missing+=(pari-gp)
command -v Singular >/dev/null || missing+=(singular)
/usr/bin/python3 -c 'import sympy' 2>/dev/null || missing+=(python3-sympy)
if ((${#missing[@]})); then
  if [[ $(id -u) -ne 0 ]]; then echo "missing peers: ${missing[*]} (run as root to install)" >&2; exit 1; fi
  apt-get install -y -q "${missing[@]}" >/dev/null
fi

# Our tool, as a whole process (OURS selects what it does):
#   points (default)  `vindrel-analyse --json --sections points`: the fixed
#                     points, finite and at infinity, with their natures;
#   full              `vindrel-analyse --json`: the whole analysis (also the
#                     Hamiltonian search, the general analysis, periodic orbits);
#   search            a bare main over the fixed-point search (fp_main.cpp).
mode="${OURS:-points}"
case $mode in
  points | full | search) ;;
  *) echo "OURS must be points, full or search" >&2; exit 1 ;;
esac
cmake --build "$build" --target vindrel-analyse vindrel_engine -j2 >/dev/null
analyse="$build/app/vindrel-analyse"
ours="$build/bench_fixedpoints"
if [[ $mode == search ]]; then
  g++ -O2 -std=c++20 -I"$root" "$here/fp_main.cpp" "$build/engine/libvindrel_engine.a" \
    -lflint-arb -lflint -lgmp -lmpfr -o "$ours"
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
wall="$work/wall"
g++ -O2 -std=c++20 "$here/wall.cpp" -o "$wall"

# Each tool runs as a whole process straight from a small fork/exec timer
# (no shell in between, which would add the same few milliseconds to every
# tool and hide the ratios); its answer is read from the last run's output.
write_gp() {
  cat >"$work/s.gp" <<GP
P = $1; Q = $2;
R = polresultant(P, Q, y); R = R / gcd(R, R');
xs = polrootsreal(R); n = 0;
for (i = 1, #xs, x0 = xs[i]; Qx = subst(Q, x, x0); ys = polroots(subst(P, x, x0)); last = [];\
  for (j = 1, #ys, if (abs(imag(ys[j])) < 1e-20 && abs(subst(Qx, y, real(ys[j]))) < 1e-15\
    && (#last == 0 || vecmin(apply(v -> abs(v - real(ys[j])), last)) > 1e-10), last = concat(last, [real(ys[j])]); n++)));
print(n);
quit;
GP
}
write_singular() {
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
}

# time_tool TOOL P Q -> "COUNT MEDIAN_MS" ("- timeout" when it does not answer in time)
time_tool() {
  local tool=$1 P=$2 Q=$3 rep=$repeat out="$work/out" cmd timing
  case $tool in
    ours)
      case $mode in
        search) cmd=("$ours" "$P" "$Q") ;;
        points) cmd=("$analyse" --json --sections points -- "$P" "$Q") ;;
        full) cmd=("$analyse" --json -- "$P" "$Q") ;;
      esac ;;
    gp) write_gp "$P" "$Q"; cmd=(gp -q -f "$work/s.gp") ;;
    singular) write_singular "$P" "$Q"; cmd=(Singular -q "$work/s.sing") ;;
    sympy) cmd=(/usr/bin/python3 "$here/sympy_peer.py" "$P" "$Q") ;;
  esac
  if ! timing=$(timeout "$peer_timeout" "$wall" "$rep" "$out" "${cmd[@]}"); then
    echo "- timeout"; return
  fi
  local n
  if [[ $tool == ours && $mode != search ]]; then
    n=$(grep -o '"x_approx"' "$out" | wc -l)
  elif [[ $tool == ours ]]; then
    n=$(cut -d' ' -f1 "$out")
  else
    n=$(tail -1 "$out" | tr -d '[:space:]')
  fi
  echo "$n ${timing%% *}"
}

# The floor under our times: an empty program linked to FLINT and Arb as
# Debian ships them (shared only; libflint brings NTL, libstdc++ and gf2x).
echo 'int main(void) { return 0; }' >"$work/empty.c"
gcc -O2 "$work/empty.c" -o "$work/empty_flint" -Wl,--no-as-needed -lflint-arb -lflint -lgmp -lmpfr
gcc -O2 "$work/empty.c" -o "$work/empty"
echo "empty program: $("$wall" 51 /dev/null "$work/empty" | cut -d' ' -f1) ms; linked to FLINT/Arb: $("$wall" 51 /dev/null "$work/empty_flint" | cut -d' ' -f1) ms"
echo "ours: OURS=$mode"
printf '%-6s | %-18s | %-18s | %-18s | %-18s | %-8s | %-8s | %s\n' degree "ours $mode (n, ms)" "PARI/GP" "Singular" "SymPy" "GP/ours" "Sing/ours" "SymPy/ours"
for d in $degrees; do
  declare -A total=() counts=()
  while IFS=';' read -r P Q; do
    for tool in ours gp singular sympy; do
      if [[ $tool == singular || $tool == sympy ]] && ((d > full_upto)) && [[ -z ${ALL_PEERS:-} ]]; then
        total[$tool]=skipped; counts[$tool]+="-,"; continue
      fi
      read -r n ms < <(time_tool "$tool" "$P" "$Q")
      counts[$tool]+="$n,"
      if [[ $ms == timeout ]]; then total[$tool]=timeout
      elif [[ ${total[$tool]:-0} != timeout ]]; then total[$tool]=$(awk -v a="${total[$tool]:-0}" -v b="$ms" 'BEGIN { print a + b }'); fi
    done
  done < <(python3 "$here/gen.py" "$d" "$count")
  cell() { local t=${total[$1]}; [[ $t == skipped ]] && { echo "-"; return; }; [[ $t == timeout ]] && echo "${counts[$1]%,} timeout" || echo "${counts[$1]%,} $(awk -v t="$t" -v c="$count" 'BEGIN { printf "%.1fms", t / c }')"; }
  ratio() { [[ ${total[$1]} == timeout || ${total[$1]} == skipped || ${total[ours]} == timeout ]] && echo "-" || awk -v a="${total[$1]}" -v b="${total[ours]}" 'BEGIN { printf "%.1f", a / b }'; }
  printf '%-6s | %-18s | %-18s | %-18s | %-18s | %-8s | %-8s | %s\n' "$d" "$(cell ours)" "$(cell gp)" "$(cell singular)" "$(cell sympy)" "$(ratio gp)" "$(ratio singular)" "$(ratio sympy)"
  unset total counts
done
