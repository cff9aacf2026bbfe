#!/usr/bin/env bash
# Start-up time to a shown window, Vindrel against a bare Qt window, under a
# private Xvfb: RUNS starts of each (default 10), median and ratio printed.
# A third program, the bare window with one line of text (--texte), shows
# what any window with text pays before its first character: the font
# configuration and Qt's font database.
#   startup_bench.sh APP_DIR BARE_WINDOW_PROGRAM [RUNS]
#
# FRESH_FONTS=1 runs all three with the fonts of a fresh Debian 12 machine
# (the configuration of fontconfig-config and the faces of
# fonts-dejavu-core only, as on the CI machine) instead of this machine's.
#
# The time is taken when the server reports the program's window mapped (an
# xev listening on the root window), not by polling: a poll every 20 ms plus
# the start of an xdotool rounded each time up by as much as half the bare
# window's start-up, and the polling processes competed for the CPU with the
# program being timed.
set -euo pipefail
app_dir=$(realpath "$1")
bare=$(realpath "$2")
runs=${3:-10}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/xvfb_session.sh"

start_xvfb
if [[ ${FRESH_FONTS:-0} == 1 ]]; then
    fonts="$E2E_WORK/fonts"
    mkdir -p "$fonts/faces" "$fonts/conf.d" "$fonts/cache"
    for f in $(dpkg -L fonts-dejavu-core | grep '\.ttf$'); do ln -s "$f" "$fonts/faces/"; done
    for f in $(dpkg -L fontconfig-config fonts-dejavu-core | grep '^/etc/fonts/conf.d/.*\.conf$'); do cp -P "$f" "$fonts/conf.d/"; done
    cat >"$fonts/fonts.conf" <<CONF
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <dir>$fonts/faces</dir>
  <include ignore_missing="yes">$fonts/conf.d</include>
  <cachedir>$fonts/cache</cachedir>
</fontconfig>
CONF
    export FONTCONFIG_FILE="$fonts/fonts.conf"
    fc-cache -f >/dev/null 2>&1 || true
    echo "polices : $(fc-list | wc -l) faces de fonts-dejavu-core seulement"
fi
cp -a "$app_dir" "$E2E_WORK/app"

# Every window created, mapped or destroyed on the display, one event at a
# time on descriptor 9.
mkfifo "$E2E_WORK/events"
stdbuf -oL xev -root -event substructure >"$E2E_WORK/events" 2>/dev/null &
E2E_PIDS+=("$!")
exec 9<"$E2E_WORK/events"

# next_mapped_window SECONDS: waits for the next window mapped on the display
# and sets mapped_window to its id; fails after SECONDS.
mapped_window=
next_mapped_window() {
    local line deadline=$((${EPOCHREALTIME/./} + $1 * 1000000))
    while IFS= read -r -t "$1" -u 9 line; do
        case $line in
        MapNotify*)
            IFS= read -r -t 1 -u 9 line || return 1
            [[ $line =~ window\ (0x[0-9a-f]+) ]] || return 1
            mapped_window=${BASH_REMATCH[1]}
            return 0
            ;;
        esac
        [ "${EPOCHREALTIME/./}" -lt "$deadline" ] || return 1
    done
    return 1
}

# xev says nothing until a window changes: untimed starts of the bare window
# until one is seen, so that it surely listens before the first timed start
# (and both programs start with their libraries in the page cache).
warm_up() {
    local attempt pid
    for attempt in 1 2 3 4 5; do
        "$1" >/dev/null 2>&1 &
        pid=$!
        if next_mapped_window 2; then
            kill "$pid"
            wait "$pid" 2>/dev/null || true
            return 0
        fi
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    fail "xev ne voit aucune fenêtre de $1"
}
warm_up "$bare"
warm_up "$E2E_WORK/app/vindrel"

# time_to_window PROGRAM NAME-REGEX [ARG]: milliseconds (tenths) from launch
# to the mapping of the program's window, whose name must match NAME-REGEX.
time_to_window() {
    local start end pid name
    start=${EPOCHREALTIME/./}
    "$1" ${3:+"$3"} >"$E2E_WORK/last.log" 2>&1 &
    pid=$!
    next_mapped_window 30 || fail "aucune fenêtre pour $1 : $(cat "$E2E_WORK/last.log")"
    end=${EPOCHREALTIME/./}
    name=$(xdotool getwindowname "$mapped_window" 2>/dev/null || true)
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    [[ $name =~ $2 ]] || fail "fenêtre inattendue pour $1 : « $name »"
    awk -v us=$((end - start)) 'BEGIN { printf "%.1f\n", us / 1000 }'
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

vindrel_times=()
bare_times=()
text_times=()
for ((i = 0; i < runs; ++i)); do
    # Alternate, so that all see the same load of the machine.
    vindrel_times+=("$(time_to_window "$E2E_WORK/app/vindrel" "KESTORA")")
    bare_times+=("$(time_to_window "$bare" "^Fenetre nue$")")
    text_times+=("$(time_to_window "$bare" "^Fenetre texte$" --texte)")
done
v=$(printf '%s\n' "${vindrel_times[@]}" | median)
b=$(printf '%s\n' "${bare_times[@]}" | median)
t=$(printf '%s\n' "${text_times[@]}" | median)
echo "vindrel (ms) : ${vindrel_times[*]}  médiane $v"
echo "fenêtre nue (ms) : ${bare_times[*]}  médiane $b"
echo "fenêtre nue + une ligne de texte (ms) : ${text_times[*]}  médiane $t"
awk -v v="$v" -v b="$b" 'BEGIN { printf "rapport : %.2f (objectif : 1,30 au plus)\n", v / b }'
awk -v t="$t" -v b="$b" -v v="$v" 'BEGIN { printf "fenêtre avec texte / fenêtre nue : %.2f ; vindrel / fenêtre avec texte : %.2f\n", t / b, v / t }'
