# LarkspurSetup.exe end to end in a fresh prefix: a silent install puts the files into
# "Program Files\Larkspur" and writes every key; installing again and installing a newer build
# leave exactly one registration; a silent uninstall leaves nothing of ours but the keys that the
# module's unregistration keeps (shared with others); then it installs again.
# Expects WINE_TEST_DIR, LARKSPUR_SETUP, MAKENSIS, SETUP_SCRIPT, LARKSPUR_VERSION, PROGRAM_EXE
# and MODULE_DLL from ctest.
. "$(dirname "$0")/wine_common.sh"

UNINSTALL_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Larkspur'
REG_EXTRA_TREES=("$UNINSTALL_KEY")
dir="$WINEPREFIX/drive_c/Program Files/Larkspur"
win_dir='C:\Program Files\Larkspur'

# Passes when the Windows path $1 leads to the file $2 (the module writes 8.3 short forms).
leads_to() {
  local unix
  unix=$(timeout 60 winepath -u "$1" 2>/dev/null | tr -d '\r')
  [ -n "$unix" ] && [ "$unix" -ef "$2" ]
}

# Value $2 of key $1 is a path leading to file $3, followed by the text $4.
expect_path_value() {
  local key=$1 name=$2 file=$3 suffix=$4 actual
  if ! actual=$(reg_value "$key" "$name"); then fail "$key [${name:-default}] is missing"; return; fi
  if [[ "$actual" == *"$suffix" ]] && leads_to "${actual%"$suffix"}" "$file"; then
    pass "$key [${name:-default}] = '$actual'"
  else
    fail "$key [${name:-default}] = '$actual', expected the path of $file followed by '$suffix'"
  fi
}

# Runs a setup or uninstaller silently; the uninstaller hands over to a copy of itself in the
# temporary folder and returns at once, so its end is awaited by the folder and the key vanishing.
run_setup() {
  if timeout 120 wine "$(win_path "$1")" /S; then pass "$(basename "$1") /S"
  else fail "$(basename "$1") /S returned $?"; fi
}
run_uninstaller() {
  if ! timeout 120 wine "$win_dir\\uninstall.exe" /S; then fail "uninstall.exe /S returned $?"; return; fi
  local n=0
  while { [ -d "$dir" ] || timeout 60 wine reg query "$UNINSTALL_KEY" >/dev/null 2>&1; } && ((n < 60)); do
    sleep 0.5; n=$((n + 1))
  done
  pass "uninstall.exe /S"
}

check_installed() {
  local version=$1 C="HKCR\\CLSID\\$CLSID" key
  echo "== files"
  cmp -s "$dir/Larkspur.exe" "$PROGRAM_EXE" && pass "Larkspur.exe" || fail "Larkspur.exe differs or is missing"
  cmp -s "$dir/LarkspurMenu.dll" "$MODULE_DLL" && pass "LarkspurMenu.dll" || fail "LarkspurMenu.dll differs or is missing"
  local listing
  listing=$(ls -A "$dir" 2>/dev/null | tr '\n' ' ')
  [ "$listing" = "Larkspur.exe LarkspurMenu.dll uninstall.exe " ] && pass "folder: $listing" ||
    fail "folder holds '$listing'"
  echo "== registry"
  load_registry
  expect_value "$C" "" "Larkspur Menu Com"
  expect_path_value "$C\\InprocServer32" "" "$dir/LarkspurMenu.dll" ""
  expect_value "$C\\InprocServer32" ThreadingModel Apartment
  expect_value "$C\\ProgID" "" "$PROGID"
  expect_value "HKCR\\$PROGID" "" "Larkspur Menu Com"
  expect_value "HKCR\\$PROGID\\Clsid" "" "$CLSID"
  expect_value 'HKCR\Larkspur\shellex\ContextMenuHandlers\ContMenu' "" "$CLSID"
  for key in '*' Folder Directory Drive; do
    expect_value "HKCR\\$key\\ShellEx\\ContextMenuHandlers\\Larkspur" "" "$CLSID"
  done
  # The file type names the installed program, not the setup that registered the module.
  expect_path_value 'HKCR\Larkspur\DefaultIcon' "" "$dir/Larkspur.exe" ",0"
  expect_path_value 'HKCR\Larkspur\shell\open\command' "" "$dir/Larkspur.exe" ' "%1"'
  expect_value "$APPROVED" "$CLSID" "Larkspur Menu Com"
  expect_value "$UNINSTALL_KEY" DisplayName Larkspur
  expect_value "$UNINSTALL_KEY" DisplayVersion "$version"
  expect_value "$UNINSTALL_KEY" Publisher Larkspur
  expect_value "$UNINSTALL_KEY" InstallLocation "$win_dir"
  expect_value "$UNINSTALL_KEY" UninstallString "\"$win_dir\\uninstall.exe\""
  expect_value "$UNINSTALL_KEY" QuietUninstallString "\"$win_dir\\uninstall.exe\" /S"
  expect_value "$UNINSTALL_KEY" NoModify 0x1
  expect_value "$UNINSTALL_KEY" NoRepair 0x1
}

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
[ -e "$dir" ] && fail "$dir is still there: $(ls -A "$dir" | tr '\n' ' ')" || pass "folder removed"
load_registry
for key in "HKCR\\CLSID\\$CLSID" "HKCR\\$PROGID" 'HKCR\Larkspur\shellex' 'HKCR\Larkspur\shell' \
           'HKCR\Larkspur\DefaultIcon' 'HKCR\*\ShellEx\ContextMenuHandlers\Larkspur' \
           'HKCR\Folder\ShellEx\ContextMenuHandlers\Larkspur' \
           'HKCR\Directory\ShellEx\ContextMenuHandlers\Larkspur' \
           'HKCR\Drive\ShellEx\ContextMenuHandlers\Larkspur' "$UNINSTALL_KEY"; do
  expect_no_key "$key"
done
# Kept by the module's unregistration: shared with other programs' handlers.
expect_key 'HKCR\*\shellex'
expect_key 'HKCR\Folder\shellex'

echo "== install again"
run_setup "$LARKSPUR_SETUP"
check_installed "$LARKSPUR_VERSION"
[ "$first" = "$(snapshot)" ] && pass "the same registration as the first install" || fail "the registry differs from the first install"
finish
