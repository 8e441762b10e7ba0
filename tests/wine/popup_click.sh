# A real popup menu clicked with the mouse: the shell host shows the menu for an archive, the
# script saves a screenshot of it and clicks the second item through xdotool, and the stand-in
# main program must then be started with "/Extract" and the archive.
. "$(dirname "$0")/wine_common.sh"

if [ -z "${DISPLAY:-}" ]; then echo "no X display: skipped"; exit 77; fi
ensure_prefix
keep_server
record="$INSTALL_DIR/Larkspur.cmdline"
rm -f "$record"
archive='C:\downloads\sample.zip'

click_menu_item 1 "$WINE_TEST_DIR/popup" "$WINE_TEST_DIR/menu-screenshot.png" "$archive"
if await "$record" 300; then
  line=$(iconv -f GBK -t UTF-8 < "$record")
  expected=" /Extract \"$archive\""
  if [ "${line: -${#expected}}" = "$expected" ]; then pass "Larkspur.exe started: $line"
  else fail "Larkspur.exe command line: $line"; fi
else
  fail "Larkspur.exe was not started"
fi
finish
