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

# Starts Xvfb on a free display taken from a range that hand-started
# servers do not use (other sessions may share this machine); tries the next
# one when the server does not come up there.
start_xvfb() {
    local size=${1:-1280x1024x24}
    local n pid attempt
    n=$((200 + RANDOM % 700))
    for attempt in 1 2 3 4 5 6 7 8; do
        n=$((n + 1))
        if [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; then continue; fi
        Xvfb ":$n" -screen 0 "$size" -nolisten tcp -noreset 2>"$E2E_WORK/xvfb.log" &
        pid=$!
        if wait_until 20 xdpyinfo_ok ":$n" "$pid"; then
            E2E_PIDS+=("$pid")
            DISPLAY=":$n"
            export DISPLAY
            export QT_QPA_PLATFORM=xcb
            unset WAYLAND_DISPLAY
            return 0
        fi
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    fail "Xvfb n'a pas démarré ($(cat "$E2E_WORK/xvfb.log"))"
}

# xdpyinfo_ok DISPLAY PID: the server of that process answers on DISPLAY.
xdpyinfo_ok() {
    kill -0 "$2" 2>/dev/null || return 2
    DISPLAY=$1 xdotool getdisplaygeometry >/dev/null 2>&1
}

# visible_window NAME-REGEX: prints the id of a visible window of that name.
visible_window() {
    xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 | grep .
}
