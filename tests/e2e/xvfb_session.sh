# Helpers shared by the real-window scripts (sourced, not run): a private
# Xvfb on a display that it picks itself, polling with a timeout, cleanup of
# everything started here on exit.

E2E_WORK=$(mktemp -d "${TMPDIR:-/tmp}/vindrel-e2e.XXXXXX")
E2E_PIDS=()

e2e_cleanup() {
    local pid
    for pid in "${E2E_PIDS[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${E2E_PIDS[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$E2E_WORK"
}
trap e2e_cleanup EXIT

fail() {
    echo "ÉCHEC : $*" >&2
    exit 1
}

# wait_until SECONDS COMMAND...: runs COMMAND every 20 ms until it succeeds.
wait_until() {
    local limit=$1
    shift
    local deadline=$(($(date +%s%N) + limit * 1000000000))
    until "$@" >/dev/null 2>&1; do
        [ "$(date +%s%N)" -lt "$deadline" ] || return 1
        sleep 0.02
    done
}

# Starts Xvfb; it chooses a free display and writes its number to a file.
start_xvfb() {
    local size=${1:-1280x1024x24}
    : >"$E2E_WORK/display"
    Xvfb -displayfd 3 -screen 0 "$size" -nolisten tcp 3>"$E2E_WORK/display" 2>"$E2E_WORK/xvfb.log" &
    E2E_PIDS+=($!)
    wait_until 20 test -s "$E2E_WORK/display" || fail "Xvfb n'a pas démarré ($(cat "$E2E_WORK/xvfb.log"))"
    DISPLAY=":$(tr -dc 0-9 <"$E2E_WORK/display")"
    export DISPLAY
    export QT_QPA_PLATFORM=xcb
    unset WAYLAND_DISPLAY
}

# visible_window NAME-REGEX: prints the id of a visible window of that name.
visible_window() {
    xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 | grep .
}
