#!/usr/bin/env bash
# check_pages.sh SOURCE_DIR
# Checks the files of data/: the two course pages, the default catalogue, the
# desktop entry and the icon. First proves on broken copies that the checker
# catches each kind of fault, then checks the real files.
set -uo pipefail

src=${1:?usage: check_pages.sh SOURCE_DIR}
here=$(cd "$(dirname "$0")" && pwd)
checker="$here/check_pages.py"
failures=0

fail() {
  echo "ÉCHEC : $*"
  failures=$((failures + 1))
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A fresh copy of data/ in which one case plants its fault.
fresh_copy() {
  rm -rf "$work/src"
  mkdir -p "$work/src"
  cp -r "$src/data" "$work/src/data"
}

# expect_fault NAME "expected message part" COMMAND...: runs COMMAND on a
# fresh copy, then the checker must fail and print the message.
expect_fault() {
  local name=$1 expected=$2
  shift 2
  fresh_copy
  (cd "$work/src/data" && "$@") || { fail "$name : préparation impossible"; return; }
  local out
  if out=$(python3 "$checker" "$work/src" 2>&1); then
    fail "$name : le défaut n'a pas été signalé"
  elif [[ $out != *"$expected"* ]]; then
    fail "$name : message attendu « $expected », reçu : $out"
  fi
}

crlf_to_lf() { python3 -c 'import sys; p=sys.argv[1]; d=open(p,"rb").read(); open(p,"wb").write(d.replace(b"\r\n", b"\n"))' "$1"; }
append_bytes() { printf "$2" >>"$1"; }
replace_in() { python3 -c 'import sys; p,a,b=sys.argv[1:4]; d=open(p,"rb").read(); assert a.encode() in d, a; open(p,"wb").write(d.replace(a.encode(), b.encode(), 1))' "$@"; }
write_records() { python3 -c 'import sys; n=int(sys.argv[2]); open(sys.argv[1],"wb").write(b"Nouveau syst\xe8me\r\n\r\n\r\n" + b"".join(b"S%d\r\nx\r\n-y\r\n" % i for i in range(1, n)))' "$@"; }
dos_e_grave() { python3 -c 'import sys; p=sys.argv[1]; d=open(p,"rb").read(); open(p,"wb").write(d.replace(b"syst\xe8me", b"syst\x8ame", 1))' "$1"; }

# --- The checker catches each fault -------------------------------------
expect_fault "catalogue_lf_line_ends" "fin de ligne autre que CR LF" crlf_to_lf vindrel.txt
expect_fault "catalogue_missing_last_crlf" "ne finit pas par CR LF" truncate -s -2 vindrel.txt
expect_fault "catalogue_partial_record" "pas un multiple de 3" append_bytes vindrel.txt 'Seul\r\n'
expect_fault "catalogue_blank_in_component" "blanc dans la composante « x + y »" \
  append_bytes vindrel.txt 'Essai\r\nx + y\r\n-x\r\n'
expect_fault "catalogue_61_records" "61 systèmes, au plus 60" write_records vindrel.txt 61
expect_fault "catalogue_new_system_dos_byte" "è en octet E8" dos_e_grave vindrel.txt
expect_fault "catalogue_duplicate_name" "nom en double : Col" append_bytes vindrel.txt 'Col\r\nx\r\n-y\r\n'
expect_fault "page_dangling_anchor" "lien #nulle-part sans id" \
  replace_in cours/morvath.html '</main>' '<a href="#nulle-part">x</a></main>'
expect_fault "page_external_image" 'ressource externe : src="https://exemple.fr/a.png"' \
  replace_in cours/vindrel.html '</main>' '<img src="https://exemple.fr/a.png" alt=""></main>'
expect_fault "page_link_to_other_file" 'lien hors de la page : href="morvath.html"' \
  replace_in cours/vindrel.html '</main>' '<a href="morvath.html">x</a></main>'
expect_fault "page_unbalanced_tag" "</p> ferme <em>" replace_in cours/vindrel.html '</main>' '<p><em>x</p></main>'
expect_fault "page_plain_blank_before_colon" "espace ordinaire avant « : »" \
  replace_in cours/morvath.html '</main>' '<p>Exemple : rien</p></main>'
expect_fault "page_example_out_of_step" "exemple « Duffing » : composantes" \
  replace_in cours/morvath.html 'data-systeme="Duffing" data-p="y" data-q="x-x^3"' \
  'data-systeme="Duffing" data-p="y" data-q="x-x^2"'
expect_fault "page_wrong_title" "titre « Informations » au lieu de « Rappels théoriques »" \
  cp cours/vindrel.html cours/morvath.html

# --- The real files -------------------------------------------------------
if ! out=$(python3 "$checker" "$src" 2>&1); then
  fail "fichiers de data/ :"
  echo "$out"
fi

# libxml2's HTML parser predates HTML5: it knows neither <svg> nor the new
# sectioning elements, which the checker above accepts; any other complaint
# (bad entity, stray character, broken attribute) is a fault.
if command -v xmllint >/dev/null; then
  for page in "$src"/data/cours/*.html; do
    complaints=$(xmllint --html --noout "$page" 2>&1 |
      grep -E '^[^ ].*error' | grep -Ev 'Tag [a-zA-Z]+ invalid' || true)
    [[ -z $complaints ]] || fail "xmllint $page : $complaints"
  done
  xmllint --noout "$src/data/vindrel.svg" || fail "vindrel.svg n'est pas du XML valide"
else
  echo "xmllint absent (paquet libxml2-utils) : vérification libxml2 sautée"
fi

desktop="$src/data/vindrel.desktop"
for line in "Type=Application" "Name=Vindrel" "Exec=vindrel" "Icon=vindrel" \
  "Terminal=false" "Categories=Education;Science;Math;"; do
  grep -qxF "$line" "$desktop" || fail "vindrel.desktop : ligne « $line » absente"
done
if command -v desktop-file-validate >/dev/null; then
  # Education and Science are both main categories: only a hint, not an error.
  out=$(desktop-file-validate "$desktop" 2>&1 | grep -v ': hint: ' || true)
  [[ -z $out ]] || fail "desktop-file-validate : $out"
else
  echo "desktop-file-validate absent (paquet desktop-file-utils) : vérification sautée"
fi

if ((failures)); then
  echo "$failures échec(s)"
  exit 1
fi
echo "pages, catalogue et entrée de bureau : tout est correct"
