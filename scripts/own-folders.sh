# Sourced by scripts/isolated-run, scripts/printer-lab and scripts/wine-run: what a command and
# the programs it starts write for themselves (Qt's file-dialog history, the single-instance
# socket and lock, Wine's server folder and its links to the home, caches) lands in a folder of
# the run's own, removed with it, instead of in the user's home or in /tmp.

# use_own_folders DIR: makes DIR's tmp, home, config, cache, data, state and runtime folders
# and points TMPDIR, HOME and the XDG variables at them. A display the caller reaches through
# the old home or runtime folder stays reachable.
use_own_folders() {
    local own=$1
    if [ -n "${DISPLAY:-}" ] && [ -z "${XAUTHORITY:-}" ] && [ -f "${HOME:-}/.Xauthority" ]; then
        export XAUTHORITY=$HOME/.Xauthority
    fi
    if [ -n "${WAYLAND_DISPLAY:-}" ] && [ -n "${XDG_RUNTIME_DIR:-}" ] &&
        [ "${WAYLAND_DISPLAY#/}" = "$WAYLAND_DISPLAY" ]; then
        export WAYLAND_DISPLAY=$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY
    fi
    mkdir -p -m 700 "$own"/{tmp,home,config,cache,data,state,runtime}
    export TMPDIR=$own/tmp HOME=$own/home XDG_CONFIG_HOME=$own/config XDG_CACHE_HOME=$own/cache \
        XDG_DATA_HOME=$own/data XDG_STATE_HOME=$own/state XDG_RUNTIME_DIR=$own/runtime
}
