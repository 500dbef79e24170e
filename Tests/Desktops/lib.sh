# shellcheck shell=bash disable=SC2154  # the desktop script sets the names listed below
# Shared by the desktop walk-throughs: arguments, PASS/FAIL lines, process clean-up, the
# icon finder and the walk a person takes through Velto. Sourced, never run.
#
# A desktop script defines, before calling walk_through:
#   click X Y [BUTTON]   press a mouse button at X,Y of the screen (1 left, 3 right)
#   press KEY            press a key (Escape) in the focused window
#   shot NAME            save a screenshot of the whole screen as $shots/NAME.png
#   dropdown_geometry    print "X Y W H" of the open drop-down, nothing when it is closed
# and may define open_dropdown X Y (default: a left click) where the panel asks for another
# gesture, setting left_click_shows_menu=yes where a left click shows the panel's menu.
# and sets panel_box ("X Y W H" of the strip where the panel's tray sits), screen_w,
# screen_h, panel_bottom (first row below a top panel), fallback_icon ("X Y", used when
# the icon cannot be found by its colour) and has_notifications (yes/no).

set -uo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
velto=${VELTO:-$repo/build/Sources/Velto/velto}
calendar=${CALENDAR:-$repo/examples/demo.ics}

usage_args() {  # [VELTO [CALENDAR]]
  [ $# -ge 1 ] && velto=$1
  [ $# -ge 2 ] && calendar=$2
  velto=$(realpath "$velto") calendar=$(realpath "$calendar")
  [ -x "$velto" ] || { echo "no Velto at $velto (build it, or pass its path)"; exit 2; }
  [ -r "$calendar" ] || { echo "no calendar at $calendar"; exit 2; }
}

# Desktops that must not run as root (sway; GNOME warns a root session) run the calling
# script again as $DESKTOP_USER (default: tester), with copies of Velto and the calendar
# that this user can read. Returns only when not root.
become_user() {  # DESKTOP SCRIPT
  [ "$(id -u)" = 0 ] || return 0
  local user=${DESKTOP_USER:-tester} stage status
  stage=$(mktemp -d /tmp/velto-desktop-stage.XXXXXX)
  cp "$velto" "$stage/velto"
  cp "$calendar" "$stage/calendar.ics"
  cp -r "$(dirname "$2")" "$stage/Desktops"
  shots=${SHOTS:-/tmp/desktop-shots/$1}
  mkdir -p "$shots"
  chown -R "$user:" "$stage" "$shots"
  runuser -u "$user" -- env VELTO="$stage/velto" CALENDAR="$stage/calendar.ics" SHOTS="$shots" \
    KEEP_WORK="${KEEP_WORK:-}" ICON_X="${ICON_X:-}" ICON_Y="${ICON_Y:-}" \
    REMINDER_TIME="${REMINDER_TIME:-}" HOLD="${HOLD:-}" PATH="$PATH" bash "$stage/Desktops/$(basename "$2")"
  status=$?
  rm -rf "$stage"
  exit "$status"
}

passed=0 failed=0
pass() { echo "PASS: $*"; passed=$((passed + 1)); }
fail() { echo "FAIL: $*"; failed=$((failed + 1)); }
info() { echo "      $*"; }
check() {  # DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@"; then pass "$what"; else fail "$what"; return 1; fi
}
summary() {
  echo "Screenshots: $shots"
  if [ -n "${HOLD:-}" ]; then  # leaves the desktop up for a look around
    echo "Held for $HOLD s: HOME=$HOME XDG_RUNTIME_DIR=$XDG_RUNTIME_DIR DBUS_SESSION_BUS_ADDRESS=$DBUS_SESSION_BUS_ADDRESS" \
      "DISPLAY=${DISPLAY:-} WAYLAND_DISPLAY=${WAYLAND_DISPLAY:-} SWAYSOCK=${SWAYSOCK:-} XAUTHORITY=${XAUTHORITY:-}"
    sleep "$HOLD" &
    wait $!  # not a plain sleep: a signal must end the hold at once
  fi
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}

# Every process is started in a session of its own, so that its children (plugins, bars,
# XWayland) go with it; at exit each one we started is ended by its id, newest first.
started=()
start() {  # LOGFILE COMMAND... (sets $last_pid)
  local log=$1
  shift
  setsid "$@" > "$log" 2>&1 < /dev/null &
  last_pid=$!
  disown "$last_pid"  # its end is told by the PASS/FAIL lines, not by the shell
  started+=("$last_pid")
}
stop() {  # PID: ends its process group, then waits a moment for it
  local pid=$1 i
  kill -TERM -- "-$pid" 2>/dev/null || kill -TERM "$pid" 2>/dev/null || return 0
  for i in $(seq 30); do
    kill -0 "$pid" 2>/dev/null || return 0
    sleep 0.1
  done
  kill -KILL -- "-$pid" 2>/dev/null || kill -KILL "$pid" 2>/dev/null || true
}
# Processes of this run that left their session (compositors double-fork bars and execs):
# those whose environment holds this run's own XDG_RUNTIME_DIR.
session_pids() {  # [NAME]
  local environ pid
  [ -n "${work:-}" ] || return 0
  for environ in /proc/[0-9]*/environ; do
    pid=${environ#/proc/}
    pid=${pid%/environ}
    [ "$pid" = $$ ] && continue
    [ -z "${1:-}" ] || [ "$(cat "/proc/$pid/comm" 2>/dev/null)" = "$1" ] || continue
    { tr '\0' '\n' < "$environ"; } 2>/dev/null | grep -qx "XDG_RUNTIME_DIR=$work/run" && echo "$pid"
  done
}
cleanup() {
  local i pid
  for ((i = ${#started[@]} - 1; i >= 0; i--)); do stop "${started[i]}"; done
  local leftovers
  leftovers=$(session_pids)
  for pid in $leftovers; do kill -TERM "$pid" 2>/dev/null; done
  for i in $(seq 30); do
    [ -z "$(session_pids)" ] && break
    sleep 0.1
  done
  for pid in $(session_pids); do kill -KILL "$pid" 2>/dev/null; done
  if declare -F cleanup_desktop > /dev/null; then cleanup_desktop; fi
  [ -n "${work:-}" ] && [ -z "${KEEP_WORK:-}" ] && { rm -rf "$work" 2>/dev/null || { sleep 1; rm -rf "$work"; }; }
  return 0
}
trap cleanup EXIT
trap 'exit 130' INT TERM

wait_until() {  # SECONDS COMMAND...: true once COMMAND succeeds within SECONDS
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -ge "$deadline" ] && return 1
    sleep 0.2
  done
}

# A private place: HOME, XDG dirs and the shots folder, fresh for each run.
make_workdir() {  # DESKTOP
  work=$(mktemp -d "/tmp/velto-desktop-$1.XXXXXX")
  chmod 755 "$work"
  export HOME=$work/home XDG_RUNTIME_DIR=$work/run
  export XDG_CONFIG_HOME=$HOME/.config XDG_DATA_HOME=$HOME/.local/share XDG_CACHE_HOME=$HOME/.cache
  mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME"
  mkdir -m 700 "$XDG_RUNTIME_DIR"
  shots=${SHOTS:-/tmp/desktop-shots/$1}
  mkdir -p "$shots"
  rm -f "$shots"/*.png
}

start_session_bus() {
  start "$work/dbus.log" dbus-daemon --session --nofork --nopidfile \
    --address="unix:path=$XDG_RUNTIME_DIR/bus"
  export DBUS_SESSION_BUS_ADDRESS=unix:path=$XDG_RUNTIME_DIR/bus
  wait_until 10 gdbus call --session -d org.freedesktop.DBus -o /org/freedesktop/DBus \
    -m org.freedesktop.DBus.GetId > /dev/null 2>&1
}

first_free_display() {  # FROM TO
  local n
  for n in $(seq "$1" "$2"); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || { echo "$n"; return 0; }
  done
  return 1
}

has_bus_name() {
  gdbus call --session -d org.freedesktop.DBus -o /org/freedesktop/DBus \
    -m org.freedesktop.DBus.NameHasOwner "$1" 2>/dev/null | grep -q true
}

registered_items() {
  gdbus call --session -d org.kde.StatusNotifierWatcher -o /StatusNotifierWatcher \
    -m org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierWatcher \
    RegisteredStatusNotifierItems 2>/dev/null
}
item_registered() { registered_items | grep -q "StatusNotifierItem\|/org/ayatana\|:1\."; }

alive() { kill -0 "$1" 2>/dev/null; }

# Velto's icon is a blue calendar (#2e78ff..#3b88ff). Prints the centre "X Y" of the
# rightmost patch of that blue inside BOX of the image, nothing when there is none.
find_icon() {  # PNG "X Y W H"
  local x y w h
  read -r x y w h <<< "$2"
  convert "$1" -crop "${w}x${h}+${x}+${y}" +repage -depth 8 txt:- 2>/dev/null | awk -v ox="$x" -v oy="$y" '
    NR > 1 {
      split($1, p, /[,:]/)
      c = $2; gsub(/[()]/, "", c); split(c, v, ",")
      if (v[3] > 220 && v[3] - v[1] > 150 && v[2] > 80 && v[2] < 180) { n++; px[n] = p[1]; py[n] = p[2] }
    }
    END {
      if (n < 20) exit
      right = -1
      for (i = 1; i <= n; i++) if (px[i] > right) right = px[i]
      x0 = right; y0 = 1e9; y1 = -1
      for (i = 1; i <= n; i++) if (px[i] >= right - 36) {
        if (px[i] < x0) x0 = px[i]
        if (py[i] < y0) y0 = py[i]
        if (py[i] > y1) y1 = py[i]
      }
      printf "%d %d\n", ox + (x0 + right) / 2, oy + (y0 + y1) / 2
    }'
}

# How many pixels differ between two screenshots (a menu that opened changes thousands).
pixels_changed() {  # A.png B.png
  compare -metric AE -fuzz 8% "$1" "$2" null: 2>&1 | awk '{print int($1)}'
}

open_dropdown() { click "$1" "$2" 1; }
opening="left click"

dropdown_open() { [ -n "$(dropdown_geometry)" ]; }
dropdown_closed() { [ -z "$(dropdown_geometry)" ]; }
# After a step that failed to close it, so that the next step starts from a closed one.
ensure_closed() {  # ICON_X ICON_Y
  dropdown_closed && return 0
  info "(the drop-down is still open: closing it with a click outside, Escape, or the $opening that opened it)"
  click $((screen_w / 4)) $((screen_h / 2)) 1
  wait_until 3 dropdown_closed && return 0
  press Escape
  wait_until 3 dropdown_closed && return 0
  open_dropdown "$1" "$2"
  wait_until 3 dropdown_closed || info "(it stays open)"
}

# Velto's drop-down must open below a top panel, inside the screen, beside the icon.
check_placement() {  # ICON_X
  local geometry x y w h
  geometry=$(dropdown_geometry)
  [ -n "$geometry" ] || return 0
  read -r x y w h <<< "$geometry"
  info "drop-down at x=$x y=$y, ${w}x$h (screen ${screen_w}x$screen_h, icon at x=$1)"
  check "drop-down opens below the panel (top $y >= $panel_bottom)" test "$y" -ge "$panel_bottom"
  check "drop-down lies inside the screen" test "$x" -ge 0 -a $((x + w)) -le "$screen_w" -a $((y + h)) -le "$screen_h"
  check "drop-down spans the icon's column" test "$x" -le "$1" -a $((x + w)) -ge "$1"
}

start_velto() {  # LOGNAME [faketime TIME]
  local log=$work/$1.log
  if [ $# -ge 3 ]; then
    start "$log" faketime -f "$3" "$velto" --tray --calendar "$calendar"
  else
    start "$log" "$velto" --tray --calendar "$calendar"
  fi
  velto_pid=$last_pid
}

# The walk a person takes: look at the panel, open, refresh, close three ways, right
# click, and, where a notification daemon runs, a reminder.
walk_through() {
  start_velto velto
  check "Velto's item is registered with the panel's watcher" wait_until 20 item_registered
  info "items: $(registered_items)"
  sleep 2
  shot 01-panel
  local icon ix iy changed
  icon=$(find_icon "$shots/01-panel.png" "$panel_box")
  if [ -n "$icon" ]; then
    pass "Velto's icon is drawn in the panel (at $icon)"
  else
    fail "Velto's icon is drawn in the panel (no blue calendar found; trying $fallback_icon)"
    icon=$fallback_icon
  fi
  read -r ix iy <<< "$icon"
  [ -n "${ICON_X:-}" ] && ix=$ICON_X
  [ -n "${ICON_Y:-}" ] && iy=$ICON_Y

  if [ "${left_click_shows_menu:-no}" = yes ]; then
    click "$ix" "$iy" 1
    sleep 1.5
    shot 01b-left-click-menu
    changed=$(pixels_changed "$shots/01-panel.png" "$shots/01b-left-click-menu.png")
    check "left click shows the panel's menu (screen changed by $changed pixels)" test "${changed:-0}" -gt 5000
    check "left click does not open the drop-down" dropdown_closed
    press Escape
    sleep 1
  fi

  open_dropdown "$ix" "$iy"
  check "$opening opens the drop-down" wait_until 5 dropdown_open
  sleep 1
  shot 02-dropdown
  check_placement "$ix"

  "$velto" --refresh > "$work/refresh.log" 2>&1
  check "velto --refresh is accepted by the running tray" test $? -eq 0
  sleep 3
  check "the drop-down is still open after a refresh" dropdown_open
  shot 03-after-refresh

  press Escape
  check "Escape closes the drop-down" wait_until 5 dropdown_closed
  shot 04-after-escape
  ensure_closed "$ix" "$iy"

  open_dropdown "$ix" "$iy"
  check "the $opening opens it again" wait_until 5 dropdown_open
  click $((screen_w / 4)) $((screen_h / 2)) 1
  check "a click outside closes the drop-down" wait_until 5 dropdown_closed
  shot 05-after-click-outside
  ensure_closed "$ix" "$iy"

  open_dropdown "$ix" "$iy"
  check "the $opening opens it again" wait_until 5 dropdown_open
  sleep 1.5  # a person looks at it before clicking again; quicker clicks behave differently
  click "$ix" "$iy" 1
  check "a left click on the icon closes the drop-down" wait_until 5 dropdown_closed
  sleep 1
  shot 06-after-second-click
  if [ "${left_click_shows_menu:-no}" = yes ]; then
    press Escape
    sleep 1
    shot 06b-after-escape
  fi
  ensure_closed "$ix" "$iy"

  click "$ix" "$iy" 3
  sleep 2
  shot 07-context-menu
  changed=$(pixels_changed "$shots/04-after-escape.png" "$shots/07-context-menu.png")
  check "right click shows a menu (screen changed by $changed pixels)" test "${changed:-0}" -gt 5000
  check "right click does not open the drop-down" dropdown_closed
  press Escape
  sleep 1
  check "Velto is still running" alive "$velto_pid"

  if [ "$has_notifications" = yes ]; then
    reminder
  else
    info "no notification daemon on this desktop: no reminder step"
  fi
}

# The first Notify call that dbus-monitor saw, in brief: what the daemon was asked to show.
show_notify_call() {  # MONITOR.LOG
  awk '
    /member=Notify/ { on = 1; next }
    !on { next }
    /^[a-z]/ { exit }
    /^   [a-z]/ { top++; if (top <= 5) { v = $0; sub(/^   [a-z0-9]+ /, "", v); arg[top] = v }; next }
    top == 6 && /^ +string / { v = $0; sub(/^ +string /, "", v); actions = actions " " v }
    top == 7 && /dict entry\(/ { key = 1; next }
    top == 7 && key && /^ +string / { v = $0; sub(/^ +string /, "", v); hints = hints " " v; key = 0 }
    END {
      printf "      app_name %s, app_icon %s\n      summary %s\n      body %s\n", arg[1], arg[3], arg[4], arg[5]
      printf "      actions%s\n      hint keys%s\n", actions, hints
    }' "$1"
}

# Velto started again under faketime ten minutes before the demo's daily 9:30 standup, so
# that its reminder is due at once.
reminder() {
  stop "$velto_pid"
  start "$work/notify-monitor.log" dbus-monitor --session \
    "type='method_call',interface='org.freedesktop.Notifications',member='Notify'"
  sleep 0.5
  start_velto velto-reminder faketime "@$(date +%F) ${REMINDER_TIME:-09:20:00}"
  check "a reminder is posted to the notification daemon" \
    wait_until 30 grep -q '"Meeting soon"' "$work/notify-monitor.log"
  show_notify_call "$work/notify-monitor.log"
  click $((screen_w / 2)) $((screen_h / 2)) 0
  sleep 1.5
  shot 08-notification
  check "Velto is still running after posting" alive "$velto_pid"
}
