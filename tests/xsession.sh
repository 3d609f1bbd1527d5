# Sourced by the tests that run the real program, with the script's arguments
# (the program and its set-up tool, for most): a work folder cleaned up at the
# end, a private X server, and helpers to find windows, type and fail.
TABRIX=${1:-}
SETUP=${2:-}
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do [ "$p" = "${xvfb:-}" ] || kill -9 "$p" 2>/dev/null || true; done
  # The X server ends in its own time, removing its lock and socket for the next one.
  if [ -n "${xvfb:-}" ]; then
    kill "$xvfb" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$xvfb" 2>/dev/null || break; sleep 0.1; done
  fi
  rm -rf "$work"
}
trap cleanup EXIT
passed=0
fail() { echo "FAIL: $*"; echo "$passed passed, 1 failed"; exit 1; }
pass() { echo "ok: $*"; passed=$((passed + 1)); }

export XDG_RUNTIME_DIR=$work/run
export XDG_STATE_HOME=$work/state # the program's log
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM
# A display number of its own, far from the desktop's :0 and from other test runs.
for _ in $(seq 20); do
  number=$((200 + RANDOM % 700))
  [ -e "/tmp/.X$number-lock" ] && continue
  Xvfb ":$number" -nolisten tcp -screen 0 1280x1024x24 >"$work/xvfb.log" 2>&1 &
  xvfb=$!
  for _ in $(seq 50); do [ -S "/tmp/.X11-unix/X$number" ] && break; kill -0 "$xvfb" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$xvfb" 2>/dev/null && [ -S "/tmp/.X11-unix/X$number" ] && break
  xvfb=
done
[ -n "${xvfb:-}" ] || { echo "FAIL: no X server"; exit 1; }
pids+=("$xvfb")
export DISPLAY=":$number"

# window NAME [PID]: the id of the visible window with exactly that title, waiting
# up to 20 s, or only while the process PID runs.
window() {
  local id
  for _ in $(seq 200); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    [ -n "${2:-}" ] && ! kill -0 "$2" 2>/dev/null && return 1
    sleep 0.1
  done
  return 1
}

# x_ready: waits up to 20 s until the X server takes a new client. After many
# clients were killed it may refuse connections for a while as it cleans up.
x_ready() {
  for _ in $(seq 200); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
  return 1
}

# gone PID: waits up to 10 s for the process to end.
gone() {
  for _ in $(seq 100); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done
  return 1
}

# Keys and text as a person types them, to the focused window.
keys() { xdotool key --delay 60 "$@"; sleep 0.2; }
typed() { xdotool type --delay 40 -- "$1"; sleep 0.1; }
field() { typed "$1"; keys Return; }
# patient NAME: a registration typed from F5 until it is saved, on reaching its test box.
patient() { keys F5; field "$1"; field oska; keys Return; field "mrn$1"; field 011970; field w1; field t; field -5; field t; keys Return; }

# new_program DIR: a program folder with the program ($TABRIX) and an empty register ($SETUP).
new_program() {
  mkdir -p "$1"
  cp "$TABRIX" "$1/tabrix"
  "$SETUP" sqlite "$1" >/dev/null
}

# start_tabrix COMMAND...: starts the program by that command, closes its about box
# and puts the focus on its main window; $app and $main name them.
start_tabrix() {
  local about
  "$@" &
  app=$!
  pids+=("$app")
  about=$(window "About Tabrix" "$app") || fail "no about box"
  xdotool windowfocus --sync "$about"
  keys Return
  main=$(window "Vantrel Tabrix" "$app") || fail "no main window"
  xdotool windowfocus --sync "$main"
}

# The project's version, as CMakeLists.txt names it.
project_version() {
  sed -n 's/^project(tabrix VERSION \([0-9.]*\).*/\1/p' "$(dirname "${BASH_SOURCE[0]}")/../CMakeLists.txt"
}
