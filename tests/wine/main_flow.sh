# The main job's Windows half: a fresh prefix, everything installed with "LarkspurSetup.exe /S"
# and checked key by key, a sample folder right-clicked through the shell host and compressed at
# once with the menu's "压缩到<name>.zip(&A)" clicked by the mouse, the archive checked with unzip,
# the dialog caught half-way through a large file, and at the end a silent uninstall that leaves
# nothing of ours. Prints where the screenshots are.
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
# ---- Extraction through the real Larkspur.exe goes here: right-click "$sample.zip", click
# ---- 解压缩到<target>(&A), wait for Larkspur.exe, compare every extracted file with its source,
# ---- and a third screenshot of the /ExtractForm window.

echo "== uninstall"
timeout 60 wineserver -p
run_uninstaller
check_uninstalled

echo "screenshots:"
ls -1 "$WINE_TEST_DIR"/*.png
finish
