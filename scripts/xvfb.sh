# Sourced by scripts/demo and scripts/screenshots (inside the printer lab): a private X server
# on whatever display number is free, so that runs side by side do not collide.

# Starts Xvfb, waits until it has named its display, and exports DISPLAY; xvfb_pid is its
# process. Returns 1, saying why, when no display came up.
start_xvfb() {
    local number_file display="" _
    number_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
    xvfb_pid=$!
    # The number arrives as one line once the server accepts clients.
    for _ in $(seq 100); do
        if read -r display <"$number_file"; then
            break
        fi
        display=""
        kill -0 "$xvfb_pid" 2>/dev/null || break
        sleep 0.1
    done
    rm -f "$number_file"
    if [ -z "$display" ]; then
        echo "No X display came up: Xvfb did not start or named no display within 10 s." >&2
        kill "$xvfb_pid" 2>/dev/null
        return 1
    fi
    export DISPLAY=":$display"
    echo "Xvfb is running on display $DISPLAY"
}
