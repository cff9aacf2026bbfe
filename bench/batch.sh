#!/usr/bin/env bash
# Many systems in one process: `vindrel-analyse --batch` against a PARI/GP
# loop that only solves, in one process, the same fixed-seed dense systems
# (bench/fixedpoints/gen.py, integer coefficients in [-5, 5]).
#
#   bench/batch.sh [BUILD_DIR] [SYSTEMS] [REPEAT]
#
# Per degree (DEGREES, default 2 3 5): the wall time of the whole process
# (best of REPEAT runs) and the systems per second of
#   - PARI/GP: resultant, real roots, back-substitution, for every system;
#   - ours, --batch --jobs 2 --sections points: the fixed points (finite and
#     at infinity) and their nature, certified;
#   - ours, --batch --jobs 2: the whole study of every system;
# then our rates over PARI/GP's, and how many systems have the same real
# points in both (same number, coordinates within 1e-6).
# PARI/GP is installed with apt-get when missing (needs root); it is a
# benchmark-only dependency.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/.." && pwd)"
build="${1:-$root/build}"
count="${2:-1000}"
repeat="${3:-3}"
degrees="${DEGREES:-2 3 5}"
jobs="${JOBS:-2}"

if ! command -v gp >/dev/null; then
  if [[ $(id -u) -ne 0 ]]; then echo "missing peer: pari-gp (run as root to install)" >&2; exit 1; fi
  apt-get install -y -q pari-gp >/dev/null
fi
cmake --build "$build" --target vindrel-analyse -j2 >/dev/null
analyse="$build/app/vindrel-analyse"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# best_of OUT COMMAND...: runs COMMAND REPEAT times, standard output into
# OUT, prints the best wall time in seconds.
best_of() {
  local out=$1 best="" t0 t1 s
  shift
  for ((r = 0; r < repeat; r++)); do
    t0=$(date +%s.%N)
    "$@" >"$out"
    t1=$(date +%s.%N)
    s=$(awk -v a="$t0" -v b="$t1" 'BEGIN { print b - a }')
    if [[ -z $best ]] || awk -v s="$s" -v b="$best" 'BEGIN { exit !(s < b) }'; then best=$s; fi
  done
  echo "$best"
}

# The loop PARI/GP runs: for each system, the real points (x, y), printed
# one system a line as "n x1 y1 x2 y2 ...".
cat >"$work/solve.gp" <<'GP'
S = readvec(SYSTEMS);
{
for (k = 1, #S,
  P = S[k][1]; Q = S[k][2];
  R = polresultant(P, Q, y);
  if (R == 0, print("-1"); next); \\ a common factor: a curve of fixed points
  R = R / gcd(R, R');
  xs = if (poldegree(R) > 0, polrootsreal(R), []); pts = List();
  for (i = 1, #xs,
    x0 = xs[i]; Px = subst(P, x, x0); Qx = subst(Q, x, x0);
    if (Px == 0, [Px, Qx] = [Qx, Px]); \\ P vanishes on the whole line x = x0
    ys = if (poldegree(Px, y) > 0, polroots(Px), []); last = [];
    for (j = 1, #ys, \\ a multiple root in y is one point
      if (abs(imag(ys[j])) < 1e-20 && abs(subst(Qx, y, real(ys[j]))) < 1e-15
          && (#last == 0 || vecmin(apply(v -> abs(v - real(ys[j])), last)) > 1e-10),
        last = concat(last, [real(ys[j])]); listput(pts, [x0, real(ys[j])]))));
  s = Str(#pts);
  for (i = 1, #pts, s = Str(s, " ", strprintf("%.12g %.12g", pts[i][1], pts[i][2])));
  print(s));
}
quit;
GP

compare() { # ours.jsonl gp.txt -> number of systems with the same real points
  python3 - "$1" "$2" <<'PY'
import json, sys
ours = [json.loads(l) for l in open(sys.argv[1])]
theirs = [list(map(float, l.split()))[1:] for l in open(sys.argv[2])]
same = 0
for o, t in zip(ours, theirs):
    if o.get("error") or o.get("fixed_points") is None:
        continue
    a = sorted((p["x_approx"], p["y_approx"]) for p in o["fixed_points"])
    b = sorted(zip(t[0::2], t[1::2]))
    close = lambda u, v: abs(u - v) <= 1e-6 * max(1.0, abs(u))
    if len(a) == len(b) and all(close(p[0], q[0]) and close(p[1], q[1]) for p, q in zip(a, b)):
        same += 1
print(same)
PY
}

echo "$count systems per degree, best of $repeat runs, --jobs $jobs on $(nproc) cores"
printf '%-6s | %-20s | %-20s | %-20s | %-10s | %-10s | %s\n' degree "PARI/GP solve (s, /s)" "ours points (s, /s)" "ours full (s, /s)" "points/GP" "full/GP" "same points"
for d in $degrees; do
  python3 "$root/bench/fixedpoints/gen.py" "$d" "$count" >"$work/sys.txt"
  tr ';' '\t' <"$work/sys.txt" >"$work/sys.tsv"
  sed 's/^\(.*\);\(.*\)$/[\1, \2]/' "$work/sys.txt" >"$work/sys.gp"
  { echo "SYSTEMS = \"$work/sys.gp\";"; cat "$work/solve.gp"; } >"$work/run.gp"
  tgp=$(best_of "$work/gp.txt" gp -q -f -D parisizemax=2G "$work/run.gp")
  tpoints=$(best_of "$work/points.jsonl" "$analyse" --batch --jobs "$jobs" --sections points "$work/sys.tsv")
  tfull=$(best_of "$work/full.jsonl" "$analyse" --batch --jobs "$jobs" "$work/sys.tsv")
  same=$(compare "$work/points.jsonl" "$work/gp.txt")
  rate() { awk -v t="$1" -v c="$count" 'BEGIN { printf "%.3f, %.0f", t, c / t }'; }
  ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", b / a }'; }
  printf '%-6s | %-20s | %-20s | %-20s | %-10s | %-10s | %s\n' "$d" "$(rate "$tgp")" "$(rate "$tpoints")" "$(rate "$tfull")" \
    "$(ratio "$tpoints" "$tgp")" "$(ratio "$tfull" "$tgp")" "$same/$count"
done
