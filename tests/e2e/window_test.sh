#!/usr/bin/env bash
# Real-window test: starts a copy of the program folder under a private Xvfb,
# finds the main window by its caption and drives it with xdotool.
#   window_test.sh start_and_quit|about_box APP_DIR GRAB_TOOL ARTEFACT_DIR
set -euo pipefail
scenario=$1
app_dir=$2
grab=$3
artefacts=$4
here=$(cd "$(dirname "$0")" && pwd)
source "$here/xvfb_session.sh"

[ -x "$app_dir/vindrel" ] || fail "programme absent : $app_dir/vindrel (construisez la cible vindrel)"
for tool in Xvfb xdotool; do command -v "$tool" >/dev/null || fail "outil absent : $tool"; done
mkdir -p "$artefacts"

readonly caption_regex="^Analyseur d'équations polynômiales \(Dorvel\)  - KESTORA -$"
readonly caption="Analyseur d'équations polynômiales (Dorvel)  - KESTORA -"
readonly about_regex="^À propos$"

start_xvfb
cp -a "$app_dir" "$E2E_WORK/app"
(cd "$E2E_WORK" && exec "$E2E_WORK/app/vindrel") >"$E2E_WORK/vindrel.log" 2>&1 &
app_pid=$!
E2E_PIDS+=("$app_pid")

wait_until 30 visible_window "$caption_regex" || fail "la fenêtre principale ne s'est pas affichée"
window=$(visible_window "$caption_regex")
[ "$(xdotool getwindowname "$window")" = "$caption" ] || fail "titre inattendu : $(xdotool getwindowname "$window")"
wait_until 10 test "$(xdotool getactivewindow 2>/dev/null || xdotool getwindowfocus)" = "$window" \
    || xdotool windowfocus --sync "$window"

screenshot() {
    "$grab" "$artefacts/$1.png" || fail "capture d'écran impossible"
}

quit_with_alt_q() {
    xdotool key --clearmodifiers alt+q
    wait_until 10 bash -c "! kill -0 $app_pid" || fail "Alt+Q n'a pas terminé le programme"
    local status=0
    wait "$app_pid" || status=$?
    # A sanitizer build reports there what made the exit fail.
    [ "$status" -eq 0 ] || fail "le programme s'est terminé avec le code $status :
$(tail -n 60 "$E2E_WORK/vindrel.log")"
}

case "$scenario" in
start_and_quit)
    screenshot e2e_main_window
    quit_with_alt_q
    ;;
about_box)
    # The menu "?" is the first title of the menu bar, at the top left of the
    # window: open it with the mouse, then pick its first item.
    eval "$(xdotool getwindowgeometry --shell "$window")"
    before=$(xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null | wc -l)
    xdotool mousemove "$((X + 12))" "$((Y + 10))" click 1
    wait_until 10 test "$(xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null | wc -l)" -gt "$before" \
        || fail "le menu « ? » ne s'est pas ouvert"
    xdotool key Down Return
    wait_until 10 visible_window "$about_regex" || fail "la boîte « À propos » ne s'est pas ouverte"
    about=$(visible_window "$about_regex")
    screenshot e2e_about_box

    # Escape leaves the box open; the main window stays blocked behind it.
    xdotool key Escape
    sleep 0.5
    visible_window "$about_regex" >/dev/null || fail "Échap a fermé la boîte « À propos »"

    # Enter clicks OK, which has the focus.
    xdotool key Return
    wait_until 10 bash -c "! xdotool search --onlyvisible --name '$about_regex' | grep -q ." \
        || fail "Entrée n'a pas fermé la boîte « À propos »"
    visible_window "$caption_regex" >/dev/null || fail "la fenêtre principale a disparu"
    [ -n "$about" ]
    quit_with_alt_q
    ;;
*)
    fail "scénario inconnu : $scenario"
    ;;
esac
echo "OK : $scenario"
