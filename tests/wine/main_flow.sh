# The main job's Windows half: a fresh prefix, everything installed with "LarkspurSetup.exe /S"
# and checked key by key, a sample folder right-clicked through the shell host and compressed at
# once with the menu's "压缩到<name>.zip(&A)" clicked by the mouse, the archive checked with unzip,
# the dialog caught half-way through a large file, the archive right-clicked and extracted with
# "解压缩到<folder>(&A)" by the real Larkspur.exe and compared file by file with the sources, the
# extraction window of /ExtractForm shown and closed, and at the end a silent uninstall that
# leaves nothing of ours. Prints where the screenshots are (menu, dialog, extraction window).
# Expects WINE_TEST_DIR, LARKSPUR_SETUP, LARKSPUR_VERSION, PROGRAM_EXE, MODULE_DLL, SHELL_HOST and
# a sample folder in $1.
. "$(dirname "$0")/wine_common.sh"
. "$(dirname "$0")/setup_common.sh"

if [ -z "${DISPLAY:-}" ]; then echo "no X display: run it under xvfb-run"; exit 2; fi
sample_source=$1
fresh_prefix
keep_server
echo "== install"
run_setup "$LARKSPUR_SETUP"
check_installed "$LARKSPUR_VERSION"

# Writable, since the archive goes beside the folder.
work="$WINEPREFIX/drive_c/samples"
sample="$work/$(basename "$sample_source")"
rm -rf "$work"; mkdir -p "$work"
cp -r "$sample_source" "$sample"
chmod -R u+w "$sample"
echo "== right-click $(win_path "$sample"), 压缩到$(basename "$sample").zip(&A)"
click_menu_item 3 "$WINE_TEST_DIR/markers" "$WINE_TEST_DIR/menu-screenshot.png" "$(win_path "$sample")"

echo "== the archive: every file under its bare name"
entries=()
while IFS= read -r -d '' file; do entries+=("$(basename "$file")=$file"); done \
  < <(find "$sample" -type f -print0)
check_archive "$sample.zip" "${entries[@]}"
unzip -l "$sample.zip"

echo "== the dialog half-way through a large file"
timeout 60 wineserver -k 2>/dev/null
bash "$(dirname "$0")/dialog_progress.sh" || fail "dialog in the middle of a run"

# The menu's target for the archive is its name without .zip: the sample folder itself. The
# sources move aside so that the extraction starts from nothing and is compared with them.
echo "== right-click $(win_path "$sample.zip"), 解压缩到$(win_path "$sample")(&A)"
timeout 60 wineserver -p
source="$work/source"
mv "$sample" "$source"
# The archive's menu is not one of the job's screenshots: its picture stays with the markers.
click_menu_item 1 "$WINE_TEST_DIR/extract-markers" "$WINE_TEST_DIR/extract-markers/menu.png" \
  "$(win_path "$sample.zip")"
# Larkspur.exe runs on its own once the menu started it: wait until the folder is there and no
# Larkspur.exe of this prefix is left (a box it shows on failure would keep it running). Other
# prefixes on the machine may run theirs: they are told apart by WINEPREFIX.
running_here() {
  local pid
  for pid in $(pgrep -f 'Larkspur\.exe'); do
    tr '\0' '\n' 2>/dev/null < "/proc/$pid/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX" && echo "$pid"
  done
}
n=0
while { [ ! -d "$sample" ] || [ -n "$(running_here)" ]; } && ((n < 1200)); do
  sleep 0.1; n=$((n + 1))
done
pids=$(running_here)
if [ -n "$pids" ]; then
  fail "Larkspur.exe still running after two minutes"
  timeout 30 import -window root "$WINE_TEST_DIR/extract-markers/stuck.png"
  kill $pids 2>/dev/null
elif [ ! -d "$sample" ]; then
  fail "Larkspur.exe made no folder $(win_path "$sample") in two minutes"
else
  pass "Larkspur.exe finished after $((n / 10)) s"
fi
echo "== every extracted file byte for byte"
extracted=$(find "$sample" -type f 2>/dev/null | wc -l)
expected=$(find "$source" -type f | wc -l)
[ "$extracted" = "$expected" ] && pass "$extracted files extracted" ||
  fail "$extracted files extracted, expected $expected"
differing=0
while IFS= read -r -d '' file; do
  cmp -s "$file" "$sample/$(basename "$file")" || { fail "$(basename "$file") differs"; differing=$((differing + 1)); }
done < <(find "$source" -type f -print0)
((differing)) || pass "every file equals its source"

echo "== the extraction window of /ExtractForm"
timeout 60 wine "$SETUP_WIN_DIR\\Larkspur.exe" /ExtractForm "$(win_path "$sample.zip")" &
form_pid=$!
form_title="解压缩 - $(basename "$sample").zip"
if id=$(window_titled "$form_title" 300); then
  pass "the extraction window shows"
  if timeout 30 import -window "$id" "$WINE_TEST_DIR/extract-form-screenshot.png"; then
    echo "extraction window screenshot: $WINE_TEST_DIR/extract-form-screenshot.png"
  else fail "no screenshot of the extraction window"; fi
  # Esc is 取消; without a window manager a key can be lost, so it is pressed until it closes.
  for _ in 1 2 3 4 5; do
    await_window "$form_title" 10 || break
    timeout 5 xdotool key Escape; sleep 1
  done
else
  fail "the extraction window did not show"
fi
wait "$form_pid"; status=$?
[ "$status" = 4 ] && pass "取消 closed the extraction window" || fail "/ExtractForm exit $status, expected 4"

echo "== uninstall"
timeout 60 wineserver -p
run_uninstaller
check_uninstalled

echo "screenshots:"
ls -1 "$WINE_TEST_DIR"/{menu,dialog,extract-form}-screenshot.png
finish
