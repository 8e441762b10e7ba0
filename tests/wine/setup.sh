# LarkspurSetup.exe end to end in a fresh prefix: a silent install puts the files into
# "Program Files\Larkspur" and writes every key; installing again and installing a newer build
# leave exactly one registration; a silent uninstall leaves nothing of ours but the keys that the
# module's unregistration keeps (shared with others); then it installs again.
# Expects WINE_TEST_DIR, LARKSPUR_SETUP, MAKENSIS, SETUP_SCRIPT, LARKSPUR_VERSION, PROGRAM_EXE
# and MODULE_DLL from ctest.
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
finish
