# Helpers for driving the installer's real window on an X server: a private
# Xvfb, the control positions from the layout probe, clicks through xdotool,
# waits on the window's own pixels and screenshots. Sourced by scripts/run.
# Every wait has a deadline; nothing here sleeps blindly.

# start_xvfb LOGFILE: starts Xvfb on a free display number; sets xvfb_pid
# and DISPLAY. Xvfb writes the number it took to -displayfd once it accepts
# clients, so reading it is waiting for the server to be ready.
start_xvfb() {
  local log=$1 fifo
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$fifo" >"$log" 2>&1 &
  xvfb_pid=$!
  local number=""
  read -r -t 20 number <"$fifo" || true
  rm -f "$fifo"
  if [ -z "$number" ]; then
    cat "$log" >&2
    return 1
  fi
  export DISPLAY=":$number"
}

# load_layout PROBE: reads the probe's lines into layout_lines.
load_layout() {
  layout_lines=$(VARNIK_DPI="$VARNIK_DPI" "$1") || return 1
}

# control_at PAGE NAME: prints "x y" of the control's centre on that page.
control_at() {
  awk -v p="$1" -v n="$2" '$1=="control" && $2==p && $3==n {print $4, $5; exit}' \
    <<<"$layout_lines"
}

# landmark_of PAGE: prints "x y RRGGBB" of the page's telling point.
landmark_of() {
  awk -v p="$1" '$1=="landmark" && $2==p {print $3, $4, $5; exit}' <<<"$layout_lines"
}

# click WINDOW PAGE NAME: a user's click on the centre of the control.
click() {
  local xy
  xy=$(control_at "$2" "$3")
  [ -n "$xy" ] || { echo "no position for $3 on the $2 page" >&2; return 1; }
  # shellcheck disable=SC2086
  xdotool mousemove --window "$1" $xy click 1
}

# wait_page WINDOW PAGE SECONDS: waits until the window shows the page.
wait_page() {
  local mark
  mark=$(landmark_of "$2")
  [ -n "$mark" ] || { echo "no landmark for the $2 page" >&2; return 1; }
  # shellcheck disable=SC2086
  "$x11_shot" --wait "$1" $mark "$3"
}
