# The dialog in the middle of a run: the shell host opens it for a large generated file, presses
# add, holds the run once the bar is half-way and presses add a second time; the script saves a
# screenshot of the dialog then, and checks that the archive holds the file once, intact.
. "$(dirname "$0")/wine_common.sh"

if [ -z "${DISPLAY:-}" ]; then echo "no X display: skipped"; exit 77; fi
ensure_prefix
keep_server
# With no window manager under Xvfb, Wine draws the frame and caption itself only when told to.
timeout 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
markers="$WINE_TEST_DIR/progress"
work="$WINEPREFIX/drive_c/larkspur-progress"
rm -rf "$markers" "$work"; mkdir -p "$markers" "$work"
# Text-like, partly compressible: large enough that the bar passes through the middle slowly.
head -c $((${BIG_MEGABYTES:-12} * 3 * 1024 * 1024 / 4)) /dev/urandom | base64 -w 76 > "$work/big.bin"

timeout 300 wine "$(win_path "$SHELL_HOST")" progress "$(win_path "$markers")\\" \
  'C:\larkspur-progress\big.bin' > "$markers/host.log" 2>/dev/null &
host_pid=$!
if await "$markers/dialog-mid.txt" 1200; then
  read -r percent left top right bottom < "$markers/dialog-mid.txt"
  pass "held at $percent%"
  shot="$WINE_TEST_DIR/dialog-screenshot.png"
  if timeout 30 import -window root -crop "$((right - left))x$((bottom - top))+$left+$top" +repage "$shot"
  then echo "dialog screenshot: $shot"; pass "screenshot"
  else fail "no screenshot"; fi
  touch "$markers/shot-done.txt"
else
  fail "the run was never caught half-way"
fi
wait "$host_pid"
status=$?
iconv -f GBK -t UTF-8 < "$markers/host.log" | tr -d '\r'
[ "$status" = 0 ] || fail "shell host failed (exit status $status; its failed checks are listed above)"
check_archive "$work/big.zip" "big.bin=$work/big.bin"
finish
