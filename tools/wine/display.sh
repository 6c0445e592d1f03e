# Sourced by the scripts that need an X display. talu_start_display starts a private virtual
# display (Xvfb picks a free number), exports DISPLAY and leaves the server's process id in
# `xvfb` for the caller's clean-up.
talu_start_display() {
  local fifo n
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  xvfb=$!
  read -r n <"$fifo"
  rm -f "$fifo"
  export DISPLAY=":$n"
}
