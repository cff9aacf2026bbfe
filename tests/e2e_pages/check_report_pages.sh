#!/usr/bin/env bash
# check_report_pages.sh VINDREL_ANALYSE
# The pages of vindrel-analyse --report pass the checks of the course pages
# (well-formed HTML5, links, French typography, nothing external) and xmllint,
# for systems of every kind; first proves on a spoilt page that the checker
# sees an outside resource.
set -uo pipefail

analyse=${1:?usage: check_report_pages.sh VINDREL_ANALYSE}
checker="$(cd "$(dirname "$0")" && pwd)/check_pages.py"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "ÉCHEC : $*"
  failures=$((failures + 1))
}

# name P Q [options...]: the page, then its pictures (inline SVG) counted.
page() {
  local name=$1 p=$2 q=$3
  shift 3
  "$analyse" --report "$work/$name.html" "$@" -- "$p" "$q" >"$work/$name.out" 2>&1 ||
    fail "$name : $(cat "$work/$name.out")"
}
page vdp y -x+y-x^2y
page duffing y x-x^3
page amorti y -x-ay
page fenetre y -x+x^2 --window -1,2,-1.5,1.5
page courbe xy-y x^2y-y
page vide 0 0
page hamiltonien_deux_constantes -ax y+b

for name in vdp duffing fenetre courbe; do
  svgs=$(grep -c '<svg' "$work/$name.html")
  ((svgs == 2)) || fail "$name : $svgs portraits au lieu de 2"
done
grep -q 'Pas de portrait' "$work/vide.html" || fail "vide : le portrait absent n'est pas expliqué"

out=$(python3 "$checker" --page "$work"/*.html 2>&1) || fail "pages :"$'\n'"$out"
if command -v xmllint >/dev/null; then
  for f in "$work"/*.html; do
    complaints=$(xmllint --html --noout "$f" 2>&1 | grep -E '^[^ ].*error' | grep -Ev 'Tag [a-zA-Z]+ invalid' || true)
    [[ -z $complaints ]] || fail "xmllint $f : $complaints"
  done
fi

sed 's#</main>#<p>Voir https://exemple.fr</p></main>#' "$work/vdp.html" >"$work/spoilt.html"
out=$(python3 "$checker" --page "$work/spoilt.html" 2>&1) && fail "adresse externe non signalée"
[[ $out == *"adresse externe"* ]] || fail "message attendu « adresse externe », reçu : $out"

if ((failures)); then
  echo "$failures échec(s)"
  exit 1
fi
echo "pages d'étude : tout est correct"
