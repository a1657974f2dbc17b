# Sourced by the tests that run the real program in a private X server.

# start_xvfb DIR: starts Xvfb on a free display, exports DISPLAY and sets
# XVFB_PID. Returns non-zero, with the reason on stderr, if the server does not
# answer within about 10 s. The caller kills XVFB_PID when done.
start_xvfb() {
    local dir=$1 _
    rm -f "$dir/display"
    # -displayfd: the server picks a free display number and writes it to fd 3.
    # -noreset: a server that resets whenever its last client leaves would drop
    # a client that connects at that moment, such as the game starting up just
    # after a check disconnected.
    Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp -noreset 3>"$dir/display" >"$dir/xvfb.log" 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 100); do
        [[ -s $dir/display ]] && break
        sleep 0.1
    done
    if [[ ! -s $dir/display ]]; then
        echo "Xvfb did not start: $(cat "$dir/xvfb.log")" >&2
        return 1
    fi
    DISPLAY=":$(tr -dc '0-9' <"$dir/display")"
    export DISPLAY
    for _ in $(seq 100); do
        timeout 5 xwininfo -root >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    echo "Xvfb on $DISPLAY does not answer" >&2
    return 1
}
