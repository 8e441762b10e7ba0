# LarkspurSetup.exe end to end in a fresh prefix: a silent install puts the files into
# "Program Files\Larkspur" and writes every key; installing again and installing a newer build
# leave exactly one registration; a silent uninstall leaves nothing of ours but the keys that the
# module's unregistration keeps (shared with others); then it installs again.
# Expects WINE_TEST_DIR, LARKSPUR_SETUP, MAKENSIS, SETUP_SCRIPT, LARKSPUR_VERSION, PROGRAM_EXE
# MODULE_DLL and SHELL_HOST from ctest; the menu steps need an X display.
. "$(dirname "$0")/wine_common.sh"
. "$(dirname "$0")/setup_common.sh"

# The registry with the version taken out, for comparing installs of different builds.
snapshot() { grep -v $'\tDisplayVersion\t' "$REG_TABLE"; }

fresh_prefix
keep_server

echo "== install"
run_setup "$LARKSPUR_SETUP"
check_installed "$LARKSPUR_VERSION"
first=$(snapshot)

echo "== install over the installed copy"
run_setup "$LARKSPUR_SETUP"
check_installed "$LARKSPUR_VERSION"
[ "$first" = "$(snapshot)" ] && pass "one registration, as before" || fail "reinstalling changed the registry"

echo "== install a newer build"
newer="$WINE_TEST_DIR/LarkspurSetup-newer.exe"
newer_version="$LARKSPUR_VERSION.1"
if "$MAKENSIS" -V1 -INPUTCHARSET UTF8 -DVERSION="$newer_version" -DPROGRAM_EXE="$PROGRAM_EXE" \
     -DMODULE_DLL="$MODULE_DLL" -DOUTFILE="$newer" "$SETUP_SCRIPT"; then
  run_setup "$newer"
  check_installed "$newer_version"
  [ "$first" = "$(snapshot)" ] && pass "one registration after the upgrade" || fail "the upgrade changed the registry"
else
  fail "makensis of the newer build"
fi
count=$(wine_run reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s | grep -c 'DisplayName *REG_SZ *Larkspur$')
[ "$count" = 1 ] && pass "one Programs and Features entry" || fail "$count Programs and Features entries"

echo "== uninstall"
run_uninstaller
check_uninstalled

echo "== install again"
run_setup "$LARKSPUR_SETUP"
check_installed "$LARKSPUR_VERSION"
[ "$first" = "$(snapshot)" ] && pass "the same registration as the first install" || fail "the registry differs from the first install"

# The module stays loaded while the shell host shows its menu, as in Explorer: a loaded module
# cannot be replaced or deleted, only moved aside and deleted at the next restart.
show_menu() {
  markers="$WINE_TEST_DIR/markers"; rm -rf "$markers"; mkdir -p "$markers"
  timeout 300 wine "$(win_path "$SHELL_HOST")" popup 200 150 "$(win_path "$markers")\\" 'C:\windows' &
  host_pid=$!
  await "$markers/menu-shown.txt" 600 && pass "menu shown, the module loaded" || fail "the menu did not appear"
}
# Escape, else a click beside the menu, else the host is ended: the menu may have lost the focus.
close_menu() {
  local n=0
  timeout 10 xdotool key Escape
  while kill -0 "$host_pid" 2>/dev/null && ((n < 50)); do
    ((n == 20)) && timeout 10 xdotool mousemove 1000 900 click 1
    sleep 0.1; n=$((n + 1))
  done
  kill "$host_pid" 2>/dev/null; wait "$host_pid" 2>/dev/null
}
# A new server session runs wineboot, which carries out what was left for the restart.
restart() {
  timeout 60 wineserver -k 2>/dev/null; timeout 60 wineserver -w
  timeout 60 wineserver -p; timeout 120 wine wineboot >/dev/null 2>&1
}

if [ -z "${DISPLAY:-}" ]; then
  fail "no X display for the menu: run under xvfb-run"
else
  echo "== install over a copy whose module is loaded, then restart"
  show_menu
  run_setup "$LARKSPUR_SETUP"
  cmp -s "$SETUP_DIR/LarkspurMenu.dll" "$MODULE_DLL" && pass "new module in place" || fail "module not replaced"
  left=$(ls -A "$SETUP_DIR" | wc -l)
  ((left == 4)) && pass "the loaded module moved aside" || fail "$left files in the folder, expected 4"
  close_menu
  restart
  check_installed "$LARKSPUR_VERSION"
  [ "$first" = "$(snapshot)" ] && pass "one registration after the restart" || fail "the registry changed"

  echo "== uninstall while the module is loaded, then restart"
  show_menu
  run_uninstaller
  load_registry
  expect_no_key "HKCR\\CLSID\\$CLSID"
  expect_no_key "$UNINSTALL_KEY"
  [ -d "$SETUP_DIR" ] && pass "the loaded module left for the restart" || fail "the loaded module was deleted"
  close_menu
  restart
  check_uninstalled
fi
finish
