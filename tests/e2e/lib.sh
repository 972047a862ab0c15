# Helpers for the end-to-end tests: the real program under Wine on a private X display, driven by key
# presses and mouse clicks, observed through files, window geometry and screenshots. Sourced by run.sh.

E2E_REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
E2E_SHOTS_ROOT="$E2E_REPO/build/e2e/screenshots"
E2E_DESKTOP_SIZE=1024x768

# Every wait polls until a deadline; these are the deadlines in seconds.
WINDOW_TIMEOUT=30
FILE_TIMEOUT=10
EXIT_TIMEOUT=20

fail() {
  echo "  failed: $*" >&2
  exit 1
}

# The program: the 32-bit one when this kernel runs 32-bit programs, the 64-bit build otherwise; or the
# one in E2E_PROGRAM_DIR (dist/ or build/release-x86_64/dist: the release builds, made by scripts/dist.sh).
e2e_select_program() {
  if [ -n "${E2E_PROGRAM_DIR:-}" ]; then
    E2E_EXE_DIR=$(cd "$E2E_PROGRAM_DIR" && pwd)
    if x86_64-w64-mingw32-objdump -f "$E2E_EXE_DIR/Sonorel.exe" | grep -q 'pei-i386'; then
      export WINELOADER=wine WINEARCH=win32
    else
      export WINELOADER=/usr/lib/wine/wine64 WINEARCH=win64
    fi
    echo "program: $E2E_PROGRAM_DIR/Sonorel.exe ($WINEARCH)"
  elif /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
    E2E_EXE_DIR="$E2E_REPO/build/i686/dist"
    export WINELOADER=wine WINEARCH=win32
    echo "program: build/i686/dist/Sonorel.exe (32-bit, wine)"
  else
    E2E_EXE_DIR="$E2E_REPO/build/x86_64/dist"
    export WINELOADER=/usr/lib/wine/wine64 WINEARCH=win64
    echo "program: build/x86_64/dist/Sonorel.exe (64-bit, wine64; this kernel runs no 32-bit programs)"
  fi
  WINE=$WINELOADER
  [ -f "$E2E_EXE_DIR/Sonorel.exe" ] && [ -f "$E2E_EXE_DIR/Sonorel.html" ] ||
    { echo "missing $E2E_EXE_DIR/Sonorel.exe or Sonorel.html: build it first (bash scripts/test.sh)" >&2; return 1; }
}

# A private X server, so that the screen size and the windows on it are ours alone.
e2e_start_display() {
  exec 7< <(exec Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp 2>/dev/null)
  E2E_XVFB_PID=$!
  local number=""
  read -r -t 30 number <&7 || true
  [ -n "$number" ] || { echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$number"
}

# One Wine prefix for the whole run, kept alive by a persistent wineserver so that later starts are quick.
e2e_make_prefix() {
  E2E_WORK=$(mktemp -d /tmp/sonorel-e2e.XXXXXX)
  export WINEPREFIX="$E2E_WORK/prefix"
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  e2e_use_locale ja_JP.UTF-8
  "$E2E_REPO/scripts/wine-prefix.sh" "$WINEPREFIX" "$WINEARCH" >"$E2E_WORK/prefix.log" 2>&1 ||
    { echo "creating the Wine prefix failed:" >&2; tail -n 20 "$E2E_WORK/prefix.log" >&2; return 1; }
  wineserver -p
}

# The locale of the next program starts, and the program's texts that the scenarios look for in it:
# Japanese in ja_JP (code page 932), English in every other locale. One prefix serves them all: Wine takes
# the code page from each process's own locale. Screenshots of other locales than Japanese go into a
# folder named by the language (en, de, ...).
e2e_use_locale() {  # locale
  export LANG=$1 LC_ALL=$1
  case $1 in
    ja_JP*)
      MAIN_TITLE='MIDIソノレル' ABOUT_TITLE='バージョン情報'
      TITLE_SMF='SMFで保存' TITLE_SYSEX='バイナリで保存' TITLE_TEXT='テキストで保存'
      E2E_SHOTS=$E2E_SHOTS_ROOT
      ;;
    *)
      MAIN_TITLE='MIDI Sonorel' ABOUT_TITLE='Version Information'
      TITLE_SMF='Save as SMF' TITLE_SYSEX='Save as binary' TITLE_TEXT='Save as text'
      E2E_SHOTS="$E2E_SHOTS_ROOT/${1%%_*}"
      ;;
  esac
}

# The save dialog opens in the folder it saved into last (Wine keeps it per program name); forgotten, it
# opens in the program's folder again, as in a fresh prefix.
e2e_forget_save_folders() {
  "$WINE" reg delete 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\ComDlg32' /f >/dev/null 2>&1 || true
}

e2e_teardown() {
  if [ -n "${E2E_WORK:-}" ] && [ "${WINEPREFIX:-}" = "$E2E_WORK/prefix" ]; then
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
  fi
  if [ -n "${E2E_XVFB_PID:-}" ]; then
    kill "$E2E_XVFB_PID" 2>/dev/null || true
    wait "$E2E_XVFB_PID" 2>/dev/null || true
  fi
  # E2E_KEEP=1 keeps the folders and each scenario's log for a look afterwards.
  if [ -n "${E2E_WORK:-}" ] && [ -z "${E2E_KEEP:-}" ]; then rm -rf "$E2E_WORK"; fi
}

# A fresh folder holding the program and its manual; the INI files are written beside them. Each locale
# has folders of its own.
new_program_folder() {  # name -> prints the folder
  local folder="$E2E_WORK/${LANG%%.*}/$1"
  mkdir -p "$folder"
  cp "$E2E_EXE_DIR/Sonorel.exe" "$E2E_EXE_DIR/Sonorel.html" "$folder/"
  echo "$folder"
}

# Windows path of a file (Wine maps the Unix root to drive Z:); a bare name stays as it is.
windows_path() {
  case $1 in
    /*) echo "Z:${1//\//\\}" ;;
    *) echo "$1" ;;
  esac
}

# First visible window whose title is exactly $1 and whose id is not among the rest; waits for it.
wait_window() {  # title [excluded ids...] -> prints the id
  local title=$1; shift
  local deadline=$((SECONDS + WINDOW_TIMEOUT)) id
  while [ $SECONDS -lt $deadline ]; do
    for id in $(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null); do
      case " $* " in *" $id "*) ;; *) echo "$id"; return 0 ;; esac
    done
    sleep 0.2
  done
  fail "no window \"$title\" within ${WINDOW_TIMEOUT}s"
}

window_visible() { xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }

wait_window_gone() {  # id
  local deadline=$((SECONDS + WINDOW_TIMEOUT))
  while [ $SECONDS -lt $deadline ]; do
    window_visible "$1" || return 0
    sleep 0.2
  done
  fail "window $1 is still open after ${WINDOW_TIMEOUT}s"
}

# Absolute position and size as the X server has them: "x y width height".
window_geometry() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x = $4} /Absolute upper-left Y/ {y = $4}
                           /^ *Width:/ {w = $2} /^ *Height:/ {h = $2} END {print x, y, w, h}'
}

# What xdotool reports for the window: "x,y widthxheight".
xdotool_geometry() {
  xdotool getwindowgeometry "$1" | awk '/Position:/ {p = $2} /Geometry:/ {g = $2} END {print p, g}'
}

# Keys and text go to the focused window, as they would from a keyboard.
press() {  # window keys...
  local window=$1; shift
  xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
  xdotool key --delay 60 "$@"
}

type_text() {  # window text
  xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"
  xdotool type --delay 40 "$2"
}

# Moves the pointer and waits until it is there (xdotool's --sync would wait for a move that never
# comes when the pointer is there already).
pointer_to() {  # x y
  local X Y
  eval "$(xdotool getmouselocation --shell | grep -E '^[XY]=')"
  [ "$X,$Y" = "$1,$2" ] || xdotool mousemove --sync "$1" "$2"
}

click_at() {  # x y
  pointer_to "$1" "$2"
  xdotool click 1
}

# Makes the window the active one, as a user does: a click beside it, then a click on its caption.
activate() {  # window
  local x y w h
  read -r x y w h < <(window_geometry "$1")
  click_at 4 4
  click_at $((x + w / 2)) $((y + 10))
}

# The Sonorel.exe run of the current scenario: explorer runs it in Wine's virtual desktop (which draws
# captions) and ends when the program has ended.
start_program() {  # folder -> sets MAIN_WINDOW and PROGRAM_PID
  (cd "$1" && exec "$WINE" explorer "/desktop=sonorel,$E2E_DESKTOP_SIZE" Sonorel.exe >/dev/null 2>&1) &
  PROGRAM_PID=$!
  MAIN_WINDOW=$(wait_window "$MAIN_TITLE")
  xdotool windowfocus --sync "$MAIN_WINDOW" 2>/dev/null || true
}

wait_program_end() {
  local deadline=$((SECONDS + EXIT_TIMEOUT))
  while [ $SECONDS -lt $deadline ]; do
    kill -0 "$PROGRAM_PID" 2>/dev/null || { wait "$PROGRAM_PID" 2>/dev/null || true; PROGRAM_PID=""; return 0; }
    sleep 0.2
  done
  fail "the program did not end within ${EXIT_TIMEOUT}s"
}

close_program() {  # closes with Alt+F4 and waits until the program has ended
  press "$MAIN_WINDOW" alt+F4
  wait_program_end
}

# At the end of every scenario, also a failed one: whatever still runs of this scenario's program is
# ended (every Wine process lives in this run's own prefix).
stop_program() {
  if [ -n "${PROGRAM_PID:-}" ] && kill -0 "$PROGRAM_PID" 2>/dev/null; then
    wineserver -k 2>/dev/null || true
    wait "$PROGRAM_PID" 2>/dev/null || true
    wineserver -p 2>/dev/null || true
  fi
  PROGRAM_PID=""
}

wait_file_size() {  # path size
  local deadline=$((SECONDS + FILE_TIMEOUT))
  while [ $SECONDS -lt $deadline ]; do
    [ -f "$1" ] && [ "$(stat -c %s "$1")" -eq "$2" ] && return 0
    sleep 0.1
  done
  [ -f "$1" ] || fail "$1 was not written within ${FILE_TIMEOUT}s"
  fail "$1 has $(stat -c %s "$1") bytes, not $2"
}

hex_bytes() {  # file -> upper-case hex bytes separated by blanks
  od -An -v -tx1 "$1" | tr -s ' \n' '  ' | sed 's/^ //; s/ $//' | tr a-f A-F
}

expect_eq() {  # what expected actual
  [ "$2" = "$3" ] || fail "$1: expected \"$2\", got \"$3\""
}

# Saves the message through one of the three save commands: the shortcut, the dialog (found by its
# title), the typed full path and Enter; then waits for the file. Leaves SAVE_DIALOG set.
save_with() {  # shortcut dialog-title typed-path file size [screenshot-name]
  press "$MAIN_WINDOW" "$1"
  SAVE_DIALOG=$(wait_window "$2" "$MAIN_WINDOW")
  type_text "$SAVE_DIALOG" "$(windows_path "$3")"
  [ -z "${6:-}" ] || screenshot "$SAVE_DIALOG" "$6"
  press "$SAVE_DIALOG" Return
  wait_window_gone "$SAVE_DIALOG"
  wait_file_size "$4" "$5"
}

# PNG of one window, cut from a picture of the whole screen once two pictures in a row agree (the last
# repaint has landed).
screenshot() {  # window name
  local x y w h previous="" current deadline=$((SECONDS + WINDOW_TIMEOUT))
  mkdir -p "$E2E_SHOTS"
  read -r x y w h < <(window_geometry "$1")
  while :; do
    current=$(import -window root -crop "${w}x${h}+${x}+${y}" +repage rgb:- 2>/dev/null | md5sum)
    [ "$current" = "$previous" ] && break
    [ $SECONDS -lt $deadline ] || fail "window $1 kept changing; no screenshot $2"
    previous=$current
    sleep 0.2
  done
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$E2E_SHOTS/$2.png" || fail "screenshot $2 failed"
}

# The Wine desktop that holds a window: "x y width height" of its X window.
desktop_geometry() {  # window
  local parent
  parent=$(xwininfo -id "$1" -children | awk '/Parent window id:/ {print $4}')
  window_geometry "$parent"
}
