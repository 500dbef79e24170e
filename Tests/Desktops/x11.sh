# shellcheck shell=bash disable=SC2034,SC2154
# The person's hands and eyes on an X display (xdotool, ImageMagick's import, xwininfo),
# for desktops that run on Xvfb. Sourced after lib.sh, with DISPLAY set.

click() {  # X Y [BUTTON]; button 0 only moves the pointer
  if [ "${3:-1}" = 0 ]; then
    xdotool mousemove "$1" "$2"
  else
    xdotool mousemove "$1" "$2" sleep 0.1 click "${3:-1}"
  fi
}
press() { xdotool key "$1"; }
shot() { import -window root "$shots/$1.png"; }

dropdown_geometry() {
  local id
  id=$(xdotool search --onlyvisible --name '^Velto Meetings Reminder$' 2>/dev/null | head -1)
  [ -n "$id" ] || return 0
  xwininfo -id "$id" 2>/dev/null | awk '
    /Absolute upper-left X/ { x = $4 } /Absolute upper-left Y/ { y = $4 }
    /Width:/ { w = $2 } /Height:/ { h = $2 } END { if (w) print x, y, w, h }'
}

start_xvfb() {  # WIDTH HEIGHT: takes the first free display of :40-:49
  local n
  n=$(first_free_display 40 49) || { echo "no free X display among :40-:49"; exit 2; }
  start "$work/xvfb.log" Xvfb ":$n" -screen 0 "${1}x${2}x24" -nolisten tcp
  export DISPLAY=:$n
  wait_until 10 xdpyinfo > /dev/null 2>&1 || { echo "Xvfb :$n did not start"; exit 2; }
  screen_w=$1 screen_h=$2
}
