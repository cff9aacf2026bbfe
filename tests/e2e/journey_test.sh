#!/usr/bin/env bash
# Real-window journey: drives the real program under a private Xvfb with the
# keyboard, as a person would, in a temporary copy of the program folder.
#   journey_test.sh journey|tab_order fake|real APP_DIR GRAB_TOOL ARTEFACT_DIR
# fake: sysdyn/ holds small scripts that write known result files in DOS
#       bytes; every box is compared with its exact decoded text.
# real: the tools of the program folder; every box must hold a real result.
set -euo pipefail
scenario=$1
mode=$2
app_dir=$3
grab=$4
artefacts=$5
here=$(cd "$(dirname "$0")" && pwd)
source "$here/xvfb_session.sh"

# Xvfb resets when its last client leaves, and a program that connects during
# the reset finds no display: the program's second start (or its first, right
# after the server check) would then fail now and then. start_xvfb runs
# "Xvfb ... &", so this runs in that background subshell and exec keeps the
# server's pid the one that start_xvfb waits for and cleans up.
Xvfb() { exec Xvfb -noreset "$@"; }

[ -x "$app_dir/vindrel" ] || fail "programme absent : $app_dir/vindrel (construisez la cible vindrel)"
for tool in Xvfb xdotool xclip xwininfo; do type -P "$tool" >/dev/null || fail "outil absent : $tool"; done
if [ "$mode" = real ]; then
    for tool in korbast velquin2 durmosk; do
        if [ ! -x "$app_dir/sysdyn/$tool" ]; then
            echo "IGNORÉ : outil d'analyse absent : $app_dir/sysdyn/$tool"
            exit 77
        fi
    done
fi
mkdir -p "$artefacts"

readonly main_regex="^Analyseur d'équations polynômiales \(Dorvel\)  - KESTORA -$"
readonly placeholder="Calcul en cours... cliquez de nouveau dans un instant."
readonly sentinel="@@presse-papiers vide@@"
app="$E2E_WORK/app"
step=0
app_pid=

# --- The program folder -------------------------------------------------------

# fake_tool NAME BODY: a tool that logs its words and writes its files, in
# DOS code-page bytes with CR LF, beside itself (replaced by rename).
fake_tool() {
    cat >"$app/sysdyn/$1" <<EOF
#!/bin/sh
dir=\$(cd "\$(dirname "\$0")" && pwd)
echo "$1 \$*" >>"\$dir/appels.log"
put() { printf "\$2" "\$P" "\$Q" >"\$dir/\$1.tmp" && mv "\$dir/\$1.tmp" "\$dir/\$1"; }
P=\$1
Q=\$2
$2
EOF
    chmod +x "$app/sysdyn/$1"
}

# Removes the result files of an earlier analysis, so that waiting for the
# tools waits for this system's results.
forget_results() {
    rm -f "$app/sysdyn/"{brisolt.res,tarnel2.res,quenmar2.pho,dovra.res,skellin.res}
}

prepare_folder() {
    cp -a "$app_dir" "$app"
    # The shipped catalogue, whatever the build folder's user has recorded.
    cp "$here/../../data/vindrel.txt" "$app/vindrel.txt"
    if [ "$mode" = real ]; then
        forget_results
    else
        rm -rf "$app/sysdyn"
        mkdir "$app/sysdyn"
        # Bytes: 202 = 130 é, 212 = 138 è, 205 = 133 à, 210 = 136 ê, 375 = 253 ² (octal).
        fake_tool korbast '
put brisolt.res "Syst\212me dx/dt = %s, dy/dt = %s : degr\202 2.\r\nDivergence nulle \205 l'"'"'origine.\r\n"
put tarnel2.res "Calculs pour %s et %s : trace, d\202terminant.\r\nM\210me conclusion.\r\n"'
        fake_tool velquin2 'put quenmar2.pho "Recherche d'"'"'un hamiltonien pour %s, %s : le syst\212me est hamiltonien.\r\nH = y\375/2\r\n"'
        fake_tool durmosk '
put dovra.res "Points fixes r\202els de %s, %s : 2.\r\n"
put skellin.res "Points \205 l'"'"'infini : 1.\r\n"'
    fi
    # The desktop's page opener, replaced by one that notes the page.
    mkdir -p "$E2E_WORK/bin"
    printf '#!/bin/sh\necho "$*" >>"%s"\n' "$E2E_WORK/pages.log" >"$E2E_WORK/bin/xdg-open"
    chmod +x "$E2E_WORK/bin/xdg-open"
}

# The decoded texts that the fake tools' files must show for P and Q.
expected_text() { # FILE P Q
    case $1 in
    brisolt) printf "Système dx/dt = %s, dy/dt = %s : degré 2.\nDivergence nulle à l'origine." "$2" "$3" ;;
    points) printf "Points fixes réels de %s, %s : 2.\nPoints à l'infini : 1." "$2" "$3" ;;
    quenmar2) printf "Recherche d'un hamiltonien pour %s, %s : le système est hamiltonien.\nH = y²/2" "$2" "$3" ;;
    tarnel2) printf "Calculs pour %s et %s : trace, déterminant.\nMême conclusion." "$2" "$3" ;;
    esac
}

# --- Driving the window -------------------------------------------------------

screenshot() {
    step=$((step + 1))
    echo "étape $step : $1"
    "$grab" "$artefacts/journey_${scenario}_${mode}_$(printf %02d $step)_$1.png" || fail "capture d'écran impossible"
}

start_program() {
    (cd "$E2E_WORK" && PATH="$E2E_WORK/bin:$PATH" exec "$app/vindrel") >>"$E2E_WORK/vindrel.log" 2>&1 &
    app_pid=$!
    E2E_PIDS+=("$app_pid")
    wait_until 30 visible_window "$main_regex" || fail "la fenêtre principale ne s'est pas affichée ($(
        kill -0 "$app_pid" 2>/dev/null && echo "programme en cours" || echo "programme terminé") ; journal :
$(tail -n 20 "$E2E_WORK/vindrel.log") ; $(window_report))"
    main=$(visible_window "$main_regex")
    wait_until 10 focused_is "$main" || fail "la fenêtre principale n'a pas le clavier"
}

focused_is() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; }

# Windows of the program other than the main one (boxes, menus, popups).
other_windows() {
    xdotool search --onlyvisible --pid "$app_pid" 2>/dev/null | grep -vx "$main" || true
}

# wait_box: waits for the one box over the main window to have the keyboard;
# sets box to its id and caption to its title.
wait_box() {
    wait_until 15 box_open || fail "aucune boîte ne s'est ouverte ($1)"
    box=$(other_windows | head -n 1)
    wait_until 10 focused_is "$box" || fail "la boîte ne prend pas le clavier ($1)"
    caption=$(xdotool getwindowname "$box")
}

# Closes the box with a key and waits until the main window has the keyboard back.
# Closes the box with a key; waits until the main window has the keyboard
# back, or the next box has opened.
close_box() { # KEY
    xdotool key "$1"
    wait_until 10 box_gone "$box" || fail "la boîte « $caption » ne s'est pas fermée"
    wait_until 10 settled || fail "après « $caption » la fenêtre principale n'a pas repris le clavier ($(window_report))"
}
# Which windows are shown and which has the keyboard, for failure reports.
window_report() {
    local w
    echo "clavier : $(xdotool getwindowfocus 2>/dev/null) ; principale : ${main:-} ;"
    for w in $(xdotool search --onlyvisible --name '' 2>/dev/null); do
        echo " $w « $(xdotool getwindowname "$w" 2>/dev/null) »"
    done
}
box_gone() { ! other_windows | grep -qx "$1"; }
settled() { box_open || focused_is "$main"; }

box_open() { [ -n "$(other_windows)" ]; }
no_box_open() { [ -z "$(other_windows)" ]; }
# log_has FILE N: the file has at least N lines.
log_has() { [ -f "$1" ] && [ "$(wc -l <"$1")" -ge "$2" ]; }
clip_is_sentinel() { [ "$(clip_get)" = "$sentinel" ]; }
clip_get() { xclip -o -selection clipboard 2>/dev/null; }
clip_changed() { [ "$(clip_get)" != "$sentinel" ]; }

# Copies what has the keyboard with KEYS... (Ctrl+C in a box; Ctrl+A Ctrl+C
# in a text box) and prints the clipboard.
# COPY_ATTEMPTS tries (3 unless set) of COPY_WAIT seconds each (3 unless set).
copy_with() {
    printf '%s' "$sentinel" | xclip -i -selection clipboard >/dev/null 2>&1
    wait_until 5 clip_is_sentinel || fail "presse-papiers inutilisable"
    local attempt
    for attempt in $(seq "${COPY_ATTEMPTS:-3}"); do
        xdotool key "$@"
        if wait_until "${COPY_WAIT:-3}" clip_changed; then
            clip_get
            return 0
        fi
    done
    return 1
}

# expect_box CAPTION TEXT WHAT: the box that has just opened has that caption
# and that text; closed with Enter.
expect_box() {
    wait_box "$3"
    screenshot "$3"
    [ "$caption" = "$1" ] || fail "$3 : titre « $caption » au lieu de « $1 »"
    local text
    text=$(copy_with ctrl+c) || fail "$3 : Ctrl+C ne copie pas le texte de la boîte"
    [ "$text" = "$2" ] || fail "$3 : texte inattendu :
--- reçu ---
$text
--- attendu ---
$2"
    close_box Return
}

# expect_result WHAT FILE CONTAINS: a result box of a real tool: captioned
# "Vindrel", neither placeholder nor missing-file message, and holding CONTAINS.
expect_result() {
    wait_box "$1"
    screenshot "$1"
    [ "$caption" = Vindrel ] || fail "$1 : titre « $caption » au lieu de « Vindrel »"
    local text
    text=$(copy_with ctrl+c) || fail "$1 : Ctrl+C ne copie pas le texte de la boîte"
    [ -n "$text" ] || fail "$1 : boîte vide"
    case $text in
    *"$placeholder"*) fail "$1 : le calcul n'est pas terminé : $text" ;;
    *introuvable*) fail "$1 : résultat absent : $text" ;;
    esac
    [ -z "$3" ] || grep -qi -- "$3" <<<"$text" || fail "$1 : « $3 » absent du résultat :
$text"
    echo "$1 : $(head -n 1 <<<"$text")"
    close_box Return
}

# The focused text box holds TEXT (copied with Ctrl+A Ctrl+C).
expect_box_text() { # TEXT WHAT
    local text
    text=$(copy_with ctrl+a ctrl+c) || fail "$2 : la case n'a pas le clavier (rien à copier)"
    [ "$text" = "$1" ] || fail "$2 : « $text » au lieu de « $1 »"
}

# In real mode the tools run on after the two messages: wait until none of
# the five files holds the placeholder any more, as a user waits a moment.
wait_tools() {
    [ "$mode" = real ] || { wait_until 10 log_has "$app/sysdyn/appels.log" "$1" || fail "les outils n'ont pas été lancés"; return 0; }
    local f
    for f in brisolt.res tarnel2.res quenmar2.pho dovra.res skellin.res; do
        wait_until 15 bash -c "[ -f '$app/sysdyn/$f' ] && ! grep -q 'Calcul en cours' '$app/sysdyn/$f'" \
            || fail "$f : les outils n'ont pas terminé"
    done
}

analyse() { # P Q
    xdotool key alt+a
    expect_box Vindrel "Analyse générale du système terminée" analyse_1
    expect_box Vindrel "Recherche des points fixes terminée" analyse_2
}

# Enter on the focused button: a result box of the chain.
result_by_enter() { # WHAT FILE P Q CONTAINS
    xdotool key Return
    if [ "$mode" = fake ]; then
        expect_box Vindrel "$(expected_text "$2" "$3" "$4")" "$1"
    else
        expect_result "$1" "$2" "$5"
    fi
}

quit_with_alt_q() {
    xdotool key --clearmodifiers alt+q
    wait_until 10 bash -c "! kill -0 $app_pid" || fail "Alt+Q n'a pas terminé le programme"
    local status=0
    wait "$app_pid" || status=$?
    [ "$status" -eq 0 ] || fail "le programme s'est terminé avec le code $status"
}

# --- Scenarios ----------------------------------------------------------------

journey() {
    start_program
    screenshot depart

    # Typing H in the list picks "Hamiltonien": its components fill the boxes
    # and the keyboard goes to dx/dt.
    xdotool key h
    expect_box_text "y" "dx/dt après le choix de Hamiltonien"
    xdotool key Tab
    expect_box_text "-x+x^2" "dy/dt après le choix de Hamiltonien"
    screenshot hamiltonien_choisi

    analyse
    wait_tools 3
    if [ "$mode" = fake ]; then
        # velquin2 and durmosk start together: their order in the log may vary.
        local calls
        calls=$(sort "$app/sysdyn/appels.log")
        [ "$calls" = "durmosk y -x+x^2 xy
korbast y -x+x^2
velquin2 y -x+x^2 xy" ] || fail "outils lancés avec : $calls"
    fi

    # The keyboard follows the chain: Enter clicks the next result button.
    result_by_enter resultats brisolt y -x+x^2 "dx/dt = y"
    result_by_enter points_fixes points y -x+x^2 "2 points fixes réels"
    result_by_enter hamiltonien quenmar2 y -x+x^2 "le système est hamiltonien"
    result_by_enter calculs tarnel2 y -x+x^2 "jacobienne"
    # The chain ends: Enter clicks Calculs explicatifs again.
    result_by_enter calculs_encore tarnel2 y -x+x^2 "jacobienne"

    # A new system: six Tabs from Calculs explicatifs lead back to the list,
    # Home picks "Nouveau système" (its components are empty).
    xdotool key Tab Tab Tab Tab Tab Tab Home
    xdotool type --delay 30 "x-y^2"
    expect_box_text "x-y^2" "dx/dt tapée"
    xdotool key Tab
    xdotool type --delay 30 "x+y"
    expect_box_text "x+y" "dy/dt tapée"
    screenshot nouveau_systeme
    [ "$mode" = fake ] || forget_results
    analyse
    wait_tools 6
    result_by_enter resultats_nouveau brisolt x-y^2 x+y "degré 2"

    # Then the name prompt, at the top-left corner of the screen.
    wait_box nom_du_systeme
    screenshot nom_du_systeme
    [ "$caption" = "Enregistrement du nouveau système?" ] || fail "boîte de saisie : titre « $caption »"
    eval "$(xdotool getwindowgeometry --shell "$box")"
    [ "$X" = 0 ] && [ "$Y" = 0 ] || fail "la boîte de saisie est en ($X,$Y) au lieu de (0,0)"
    expect_box_text "NOM CHOISI" "réponse proposée"
    xdotool type --delay 30 "Mon systeme 7"
    close_box Return
    cmp -s "$app/vindrel.txt" <(cat "$here/../../data/vindrel.txt"; printf 'Mon systeme 7\r\nx-y^2\r\nx+y\r\n') \
        || fail "le catalogue n'est pas l'ancien suivi du nouveau système : $(tail -c 60 "$app/vindrel.txt" | od -An -c)"
    quit_with_alt_q

    # The next start lists it last: End picks it and fills its components.
    start_program
    xdotool key End
    expect_box_text "x-y^2" "dx/dt du système enregistré"
    xdotool key Tab
    expect_box_text "x+y" "dy/dt du système enregistré"
    screenshot systeme_enregistre
    quit_with_alt_q
}

# The control that has the keyboard, found by what it does: a text box gives
# its text to Ctrl+A Ctrl+C; a button answers Space with its own box or page.
identify_focus() {
    local text
    if text=$(COPY_ATTEMPTS=1 COPY_WAIT=1 copy_with ctrl+a ctrl+c); then
        case $text in
        y) echo Composante1 ;;
        -x+x^2) echo Composante2 ;;
        *) echo "case($text)" ;;
        esac
        return
    fi
    local pages_before
    pages_before=$(cat "$E2E_WORK/pages.log" 2>/dev/null | wc -l)
    xdotool key space
    if wait_until 3 box_open ; then
        box=$(other_windows | head -n 1)
        wait_until 10 focused_is "$box" || true
        caption=$(xdotool getwindowname "$box" 2>/dev/null || true)
        if xwininfo -id "$box" 2>/dev/null | grep -q "Override Redirect State: yes"; then
            echo Nom # the list's popup, which no window manager would frame
        elif [ "$caption" = Vindrel ]; then
            text=$(copy_with ctrl+c) || text=
            case $text in
            "Système en cours déjà analysé!") echo Analyser ;;
            "$(expected_text brisolt y -x+x^2)") echo Résultats ;;
            "$(expected_text points y -x+x^2)") echo Points_fixes ;;
            "$(expected_text quenmar2 y -x+x^2)") echo Hamiltonien ;;
            "$(expected_text tarnel2 y -x+x^2)") echo Calculs_explicatifs ;;
            *) echo "boîte($text)" ;;
            esac
        elif [ "$caption" = "ASTUCE 1" ]; then echo ASTUCES
        elif [ "$caption" = "Enregistrement d'un nouveau système?" ]; then echo Enregistrer
        else echo "fenêtre($caption)"
        fi
        xdotool key Escape
        wait_until 2 no_box_open || close_box Return
        wait_until 10 focused_is "$main" || fail "la fenêtre principale n'a pas repris le clavier"
        return
    fi
    if wait_until 3 log_has "$E2E_WORK/pages.log" "$((pages_before + 1))"; then
        case $(tail -n 1 "$E2E_WORK/pages.log") in
        *morvath.html) echo Aide_sur_la_théorie ;;
        *vindrel.html) echo Informations ;;
        *) echo "page($(tail -n 1 "$E2E_WORK/pages.log"))" ;;
        esac
        return
    fi
    if ! kill -0 "$app_pid" 2>/dev/null; then echo Quitter; return; fi
    echo inconnu
}

# Puts the keyboard back in the list: a click on it opens its popup, Escape
# closes it and leaves the focus there.
focus_nom() {
    eval "$(xdotool getwindowgeometry --shell "$main")"
    xdotool mousemove "$((X + 240))" "$((Y + nom_y))" click 1
    wait_until 5 box_open || fail "la liste ne s'est pas ouverte au clic"
    xdotool key Escape
    wait_until 5 no_box_open || fail "la liste ne s'est pas refermée"
}

tab_order() {
    start_program
    xdotool key h
    expect_box_text "y" "dx/dt après le choix de Hamiltonien"
    analyse
    wait_tools 3
    # The list, 21 pixels high, lies 8 pixels below the menu bar.
    local menu_height
    menu_height=$(( $(xdotool getwindowgeometry --shell "$main" | sed -n 's/^HEIGHT=//p') - 342 ))
    nom_y=$((menu_height + 18))

    local expected=(Composante1 Composante2 Analyser Résultats Quitter Hamiltonien Calculs_explicatifs
        Points_fixes Aide_sur_la_théorie ASTUCES Enregistrer Informations Nom)
    local k i found
    for k in $(seq 1 ${#expected[@]}); do
        [ "${expected[$((k - 1))]}" = Quitter ] && continue # last: it ends the program
        focus_nom
        for i in $(seq 1 "$k"); do xdotool key Tab; done
        found=$(identify_focus)
        [ "$found" = "${expected[$((k - 1))]}" ] || fail "Tab n° $k depuis Nom : $found au lieu de ${expected[$((k - 1))]}"
        echo "Tab $k : $found"
    done
    screenshot ordre_tab

    # Access keys of the buttons that the journey does not use.
    # The walk showed tip 1; Alt+S shows the next one.
    xdotool key alt+s
    expect_box "ASTUCE 2" "Pour intégrer un pôlynome P(x), choisissez P(x) pour la première composante et 0 ou une constante pour la seconde." astuce_2
    xdotool key alt+e
    wait_box enregistrer
    [ "$caption" = "Enregistrement d'un nouveau système?" ] || fail "Alt+E : titre « $caption »"
    close_box Escape
    cmp -s "$app/vindrel.txt" "$here/../../data/vindrel.txt" || fail "Échap a enregistré un système"

    # The other access keys, in an order other than the chain's.
    xdotool key alt+c
    expect_box Vindrel "$(expected_text tarnel2 y -x+x^2)" alt_c
    xdotool key alt+h
    expect_box Vindrel "$(expected_text quenmar2 y -x+x^2)" alt_h
    xdotool key alt+p
    expect_box Vindrel "$(expected_text points y -x+x^2)" alt_p
    xdotool key alt+r
    expect_box Vindrel "$(expected_text brisolt y -x+x^2)" alt_r
    xdotool key alt+a
    expect_box Vindrel "Système en cours déjà analysé!" alt_a

    # Quitter is the fifth stop; Space on it ends the program.
    focus_nom
    xdotool key Tab Tab Tab Tab Tab space
    wait_until 10 bash -c "! kill -0 $app_pid" || fail "Tab n° 5 depuis Nom n'est pas Quitter"
    wait "$app_pid" || fail "le programme s'est mal terminé"
}

start_xvfb
prepare_folder
case "$scenario" in
journey) journey ;;
tab_order) tab_order ;;
*) fail "scénario inconnu : $scenario" ;;
esac
echo "OK : $scenario ($mode)"
