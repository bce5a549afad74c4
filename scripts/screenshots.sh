#!/bin/bash
# Takes the screenshots of docs/ from the real program, driven as a user would
# drive it: the program runs on a private virtual X display and gets its keys
# and mouse clicks through xdotool. Each picture is cropped to its window.
#
#   scripts/screenshots.sh [OUTDIR]      (default docs/; builds the program first if needed)
#
# Pictures: main-menu.png, calculator.png, plane-plot.png,
# plane-plot-curves.png, plane-plot-parametric.png, plane-plot-analysis.png,
# plot-3d.png, plot-3d-formula.png, plot-3d-shaded.png, plot-3d-map.png. Runs
# for about two and a half minutes; the same build gives the same files.
# Needs Xvfb, xdotool and ImageMagick
# (`scripts/setup.sh screenshots` installs them, as this script does).
# QT_SCALE_FACTOR, when set, is passed on (the virtual screen grows with it),
# which shows the windows as a high-density screen would.
set -euo pipefail
cd "$(dirname "$0")/.."
OUT=${1:-docs}
PROGRAM=build/bin/matrikon
./scripts/setup.sh screenshots
[ -x "$PROGRAM" ] || ./scripts/build.sh
mkdir -p "$OUT"

SCALE=${QT_SCALE_FACTOR:-1}
case "$SCALE" in [1-9]) ;; *) echo "screenshots: QT_SCALE_FACTOR must be a whole number 1..9" >&2; exit 2;; esac

WORK=$(mktemp -d)
XPID="" APID=""
cleanup() {
  [ -n "$APID" ] && kill "$APID" 2>/dev/null && wait "$APID" 2>/dev/null || true
  [ -n "$XPID" ] && kill "$XPID" 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT

# A display number nobody uses.
n=90
while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 "$((1280 * SCALE))x$((1024 * SCALE))x24" -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
XPID=$!
export DISPLAY=":$n"
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

# The program as a newly installed copy would see it: a fresh home, no style
# or platform overrides from the calling session.
mkdir -p "$WORK/home" "$WORK/runtime"
chmod 700 "$WORK/runtime"
env -u QT_QPA_PLATFORM -u QT_STYLE_OVERRIDE -u QT_QPA_PLATFORMTHEME -u XDG_CURRENT_DESKTOP \
  HOME="$WORK/home" XDG_RUNTIME_DIR="$WORK/runtime" LC_ALL=C.UTF-8 \
  "$PROGRAM" >"$WORK/program.log" 2>&1 &
APID=$!

fail() {
  echo "screenshots: $*" >&2
  sed 's/^/  program: /' "$WORK/program.log" >&2
  import -window root "$WORK/screen.png" 2>/dev/null && cp "$WORK/screen.png" "$OUT/failed-screen.png" &&
    echo "screenshots: the screen at that moment: $OUT/failed-screen.png" >&2
  exit 1
}

# The id of the visible window with this exact title (the newest one), waiting up to 20 s.
window() {
  local id=""
  for _ in $(seq 200); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | tail -n1 || true)
    [ -n "$id" ] && { echo "$id"; return; }
    kill -0 "$APID" 2>/dev/null || fail "the program ended early"
    sleep 0.1
  done
  fail "no window \"$1\" appeared"
}

# Keys to a window (xdotool key names), each followed by a short pause.
keys() {
  local id=$1 key
  shift
  xdotool windowfocus --sync "$id"
  for key in "$@"; do
    xdotool key --clearmodifiers "$key"
    sleep 0.15
  done
}

# Saves the picture of two windows side by side: the part of the screen that
# holds both.
shot_pair() {
  local name=$3
  xdotool mousemove 0 0
  sleep 1.5
  local box="" id X Y WIDTH HEIGHT
  for id in "$1" "$2"; do
    eval "$(xdotool getwindowgeometry --shell "$id")"
    box="$box $X $Y $((X + WIDTH)) $((Y + HEIGHT))"
  done
  set -- $box
  local left=$(( $1 < $5 ? $1 : $5 )) top=$(( $2 < $6 ? $2 : $6 ))
  local right=$(( $3 > $7 ? $3 : $7 )) bottom=$(( $4 > $8 ? $4 : $8 ))
  import -window root -crop "$((right - left))x$((bottom - top))+$left+$top" "$WORK/shot.png"
  convert "$WORK/shot.png" +repage -strip -define png:exclude-chunks=date,time "$OUT/$name"
  echo "screenshots: $OUT/$name"
}

# Types text into the focused control of a window.
type_text() {
  xdotool windowfocus --sync "$1"
  xdotool type --delay 60 "$2"
  sleep 0.2
}

# A drag with the left button between logical coordinates inside a window,
# in small steps as a hand makes it.
drag() {
  local id=$1 x=$2 y=$3 tx=$4 ty=$5 k
  xdotool mousemove --window "$id" $((x * SCALE)) $((y * SCALE)) mousedown 1
  for k in $(seq 1 10); do
    sleep 0.1
    xdotool mousemove --window "$id" $(((x + (tx - x) * k / 10) * SCALE)) $(((y + (ty - y) * k / 10) * SCALE))
  done
  sleep 0.3
  xdotool mouseup 1
  sleep 1
}

# A left click at logical coordinates inside a window.
click() {
  xdotool mousemove --window "$1" $(($2 * SCALE)) $(($3 * SCALE)) click 1
  sleep 0.5
}

# Saves a window's picture once the program has had time to paint it, with the
# mouse out of the way and no time stamps in the file.
shot() {
  xdotool mousemove 0 0
  sleep 1.5
  import -window "$1" "$WORK/shot.png"
  convert "$WORK/shot.png" -strip -define png:exclude-chunks=date,time "$OUT/$2"
  echo "screenshots: $OUT/$2"
}

# The main menu, after the splash.
MENU=$(window "Матрикон")
sleep 2
shot "$MENU" main-menu.png

# The calculator with the sample formula: the values of its two variables
# asked for, typed into the table, then the result.
click "$MENU" 191 31
CALC=$(window "Расчет формул")
sleep 1
keys "$CALC" F5
sleep 1
# "В формуле есть переменные!": the message box has the focus; OK closes it.
xdotool key Return
sleep 0.5
type_text "$CALC" 0
keys "$CALC" Return Down
type_text "$CALC" 5
keys "$CALC" Return F5
shot "$CALC" calculator.png
keys "$CALC" F10  # "Закрыть"

# The plane plot of the formula it starts with, built with "Построить" (F5);
# the focus then goes on to the button, away from the blinking text cursor.
click "$MENU" 191 69
PLOT2D=$(window "Построение плоских графиков")
sleep 1
keys "$PLOT2D" F5
sleep 1
keys "$PLOT2D" Tab Tab Tab Tab
shot "$PLOT2D" plane-plot.png

# The sine kept on the chart ("Оставить на графике", Ctrl+K) beside cos(x).
keys "$PLOT2D" ctrl+k
click "$PLOT2D" 200 64
keys "$PLOT2D" ctrl+a
type_text "$PLOT2D" "cos(x)"
keys "$PLOT2D" F5
sleep 1
keys "$PLOT2D" Tab Tab Tab Tab
shot "$PLOT2D" plane-plot-curves.png

# After "Стереть": a Lissajous figure ("Параметрическая кривая…", Ctrl+T) and
# a rose ("Кривая в полярных координатах…", Ctrl+R) with "Одинаковый масштаб
# осей" on (the sixth item of "График").
keys "$PLOT2D" F6
click "$PLOT2D" 24 8
keys "$PLOT2D" Down Down Down Down Down Down Return
keys "$PLOT2D" ctrl+t
CURVE=$(window "Параметрическая кривая")
keys "$CURVE" ctrl+a
type_text "$CURVE" "sin(3*t)"
keys "$CURVE" Tab ctrl+a
type_text "$CURVE" "sin(2*t)"
keys "$CURVE" Return
sleep 1
keys "$PLOT2D" ctrl+r
CURVE=$(window "Кривая в полярных координатах")
keys "$CURVE" ctrl+a
type_text "$CURVE" "cos(4*t)"
keys "$CURVE" Return
sleep 1
shot "$PLOT2D" plane-plot-parametric.png
# "Одинаковый масштаб осей" off again, the window closed and opened anew
# with its defaults, built as at first.
click "$PLOT2D" 24 8
keys "$PLOT2D" Down Down Down Down Down Down Return
keys "$PLOT2D" F10
click "$MENU" 191 69
PLOT2D=$(window "Построение плоских графиков")
sleep 1
click "$PLOT2D" 200 64
keys "$PLOT2D" F5
sleep 1
keys "$PLOT2D" Tab Tab Tab Tab

# The analysis of x^3-2*x from -3 to 3 by 0,01: its roots ("Анализ" →
# "Корни", Ctrl+1) listed in "Результаты анализа" and marked on the chart.
# The start is typed as "3" and then given its minus: a lone minus would
# bring the range field's message.
keys "$PLOT2D" shift+Tab shift+Tab shift+Tab shift+Tab ctrl+a
type_text "$PLOT2D" 'x^3-2*x'
keys "$PLOT2D" Tab ctrl+a 3 Home minus Tab ctrl+a 3 Tab ctrl+a
type_text "$PLOT2D" '0,01'
keys "$PLOT2D" F5 Tab ctrl+1
RESULTS=$(window "Результаты анализа")
shot_pair "$PLOT2D" "$RESULTS" plane-plot-analysis.png
keys "$PLOT2D" F10

# The 3D plot of a 60 × 60 grid ("Обновить"), its colour bands on
# ("Изображение графика" → "Пользовательские цвета").
click "$MENU" 191 107
PLOT3D=$(window "Построение 3D графиков")
sleep 1
keys "$PLOT3D" ctrl+a
type_text "$PLOT3D" 60
keys "$PLOT3D" Tab ctrl+a
type_text "$PLOT3D" 60
keys "$PLOT3D" Tab space
sleep 2
# Colours of the ten height bands, from the lowest to the highest: each one
# through "Цвет" → "Его частей" → "часть k" and the colour dialog's HTML field.
BANDS="#2040c0 #2070e0 #20a0e0 #20c0b0 #30b050 #90c830 #e0d020 #f0a020 #f06020 #e02020"
part=0
for colour in $BANDS; do
  click "$PLOT3D" 24 8  # opens "График"; three to the right is "Цвет"
  keys "$PLOT3D" Right Right Right Down Down Right
  for _ in $(seq "$part"); do keys "$PLOT3D" Down; done
  keys "$PLOT3D" Return
  sleep 1
  DIALOG=$(xdotool getwindowfocus)
  [ "$DIALOG" != "$PLOT3D" ] || fail "no colour dialog for part $part"
  keys "$DIALOG" alt+h ctrl+a
  type_text "$DIALOG" "$colour"
  keys "$DIALOG" Return
  sleep 0.5
  part=$((part + 1))
done
click "$PLOT3D" 24 8  # "Изображение графика" → "Пользовательские цвета"
keys "$PLOT3D" Right Down Down Return
sleep 2
shot "$PLOT3D" plot-3d.png

# The user's own surface: "Поверхность по формуле…" (Ctrl+F), its dialog
# confirmed with Enter as it opens (sin(x)*cos(y) from -180 to 180), and the
# colour bands switched on again on the new plot.
keys "$PLOT3D" ctrl+f
SURFACE=$(window "Поверхность по формуле")
keys "$SURFACE" Return
sleep 2
click "$PLOT3D" 24 8
keys "$PLOT3D" Right Down Down Return
sleep 2
shot "$PLOT3D" plot-3d-formula.png

# The same surface on a 120 × 120 grid ("Обновить" samples the formula
# again; the bands switched on again), with shaded faces and the value scale
# ("Изображение графика" → "Закрашенная поверхность", then "Шкала
# значений"), turned by a drag with the mouse ("Манипуляция графиком" →
# "Вращение", F4): the numbers turn with it.
for field in 51 76; do
  click "$PLOT3D" 310 "$field"
  keys "$PLOT3D" ctrl+a
  type_text "$PLOT3D" 120
done
keys "$PLOT3D" Tab  # to "Обновить": no text cursor blinks in the pictures
click "$PLOT3D" 488 65
sleep 3
click "$PLOT3D" 24 8
keys "$PLOT3D" Right Down Down Return
click "$PLOT3D" 24 8
keys "$PLOT3D" Right Down Down Down Down Down Down Down Return
click "$PLOT3D" 24 8
keys "$PLOT3D" Right Down Down Down Down Down Down Down Down Return
keys "$PLOT3D" F4
drag "$PLOT3D" 300 330 345 345
shot "$PLOT3D" plot-3d-shaded.png

# Its contour map ("Вид" → "Карта изолиний") with the water level at 60 per
# cent ("Высота уровня", then "Изображение графика" → "Уровень" → "График выше").
click "$PLOT3D" 150 129
keys "$PLOT3D" ctrl+a
type_text "$PLOT3D" 60
keys "$PLOT3D" shift+Tab
click "$PLOT3D" 24 8
keys "$PLOT3D" Right Down Down Down Down Down Down Right Down Down Return
click "$PLOT3D" 24 8
keys "$PLOT3D" Right Right Right Right Down Down Return
sleep 1
shot "$PLOT3D" plot-3d-map.png
keys "$PLOT3D" F10

# "Выйти" ends the program.
click "$MENU" 191 145
for _ in $(seq 50); do kill -0 "$APID" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$APID" 2>/dev/null; then fail "the program did not end on \"Выйти\""; fi
wait "$APID" || fail "the program ended with an error"
APID=""
