# The main job's Windows half: a fresh prefix, the module registered with regsvr32, a sample
# folder right-clicked through the shell host and compressed at once with the menu's
# "压缩到<name>.zip(&A)" clicked by the mouse, the archive checked with unzip, then the dialog
# caught half-way through a large file. Prints where the screenshots are.
# Expects WINE_TEST_DIR, LARKSPUR_DLL, LARKSPUR_STANDIN, SHELL_HOST and a sample folder in $1.
. "$(dirname "$0")/wine_common.sh"

if [ -z "${DISPLAY:-}" ]; then echo "no X display: run it under xvfb-run"; exit 2; fi
sample_source=$1
fresh_prefix
keep_server
install_module
if timeout 120 wine regsvr32 /s "$(installed_dll)"; then pass "regsvr32 LarkspurMenu.dll"
else fail "regsvr32 returned $?"; fi

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
echo "screenshots:"
ls -1 "$WINE_TEST_DIR"/*.png
finish
