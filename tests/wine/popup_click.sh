# A real popup menu clicked with the mouse: the shell host shows the menu for an archive, the
# script saves a screenshot of it and clicks the second item through xdotool, and the stand-in
# main program must then be started with "/Extract" and the archive.
. "$(dirname "$0")/wine_common.sh"

if [ -z "${DISPLAY:-}" ]; then echo "no X display: skipped"; exit 77; fi
ensure_prefix
keep_server
markers="$WINE_TEST_DIR/popup"
rm -rf "$markers"; mkdir -p "$markers"
record="$INSTALL_DIR/Larkspur.cmdline"
rm -f "$record"
archive='C:\downloads\sample.zip'

timeout 120 wine "$(win_path "$SHELL_HOST")" popup 200 150 "$(win_path "$markers")\\" "$archive" &
host_pid=$!

if await "$markers/menu-shown.txt" 600; then
  pass "menu shown"
  shot="$WINE_TEST_DIR/menu-screenshot.png"
  if timeout 30 import -window root "$shot"; then echo "menu screenshot: $shot"; fi
  read -r _ left top right bottom < <(sed -n '2p' "$markers/menu-shown.txt")
  x=$(((left + right) / 2)); y=$(((top + bottom) / 2))
  timeout 10 xdotool mousemove "$x" "$y"; sleep 0.3
  timeout 10 xdotool mousemove "$x" "$y" click 1
  if await "$markers/picked.txt" 300; then
    picked=$(tr -d '\r' < "$markers/picked.txt")
    if [ "$picked" = "1 0x00000000" ]; then pass "clicked the second item: $picked"
    else fail "picked '$picked', expected offset 1 with S_OK"; fi
  else
    fail "no item was picked"
  fi
  if await "$record" 300; then
    line=$(iconv -f GBK -t UTF-8 < "$record")
    expected=" /Extract \"$archive\""
    if [ "${line: -${#expected}}" = "$expected" ]; then pass "Larkspur.exe started: $line"
    else fail "Larkspur.exe command line: $line"; fi
  else
    fail "Larkspur.exe was not started"
  fi
else
  fail "the menu did not appear"
fi
wait "$host_pid" 2>/dev/null
finish
