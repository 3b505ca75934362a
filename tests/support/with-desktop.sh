#!/usr/bin/env bash
# Runs a command on a desktop of its own, as a screen-reader user's session has it: a virtual X display, a window
# manager, a D-Bus session and the accessibility bus. Usage: with-desktop.sh COMMAND [ARGS...]
set -euo pipefail
# Runs its arguments every 50 ms until they succeed; fails after 10 s.
poll() { for _ in $(seq 200); do "$@" 2>/dev/null && return 0; sleep 0.05; done; return 1; }
if [ -z "${LETTORE_DESKTOP_INNER:-}" ]; then
    # The server picks a free display itself and says which, so desktops started at the same time never race for one.
    displayfile=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$displayfile" 2>/dev/null &
    xvfb=$!
    trap 'kill $xvfb 2>/dev/null || true; rm -f "$displayfile"' EXIT
    poll test -s "$displayfile" || { echo "with-desktop: Xvfb did not start" >&2; exit 1; }
    export DISPLAY=":$(head -n1 "$displayfile")" LETTORE_DESKTOP_INNER=1
    dbus-run-session -- "$0" "$@"
    exit
fi

# A window manager gives windows the focus and close boxes. Ready once it has claimed the screen:
# a window mapped before that is neither placed nor decorated, and may lie over another one.
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
poll /usr/bin/python3 -c 'from Xlib import display; d = display.Display()
assert d.screen().root.get_full_property(d.intern_atom("_NET_SUPPORTING_WM_CHECK"), 0)' || true
/usr/libexec/at-spi-bus-launcher --launch-immediately &
launcher=$!
trap 'kill $launcher $wm 2>/dev/null || true' EXIT
# Ready once the launcher answers on the session bus.
poll dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null || true
export QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
unset QT_ACCESSIBILITY_DISABLED
"$@"
