# Shared by the scripts that run LarkspurSetup.exe: running the setup and its uninstaller
# silently, and checking the installed files and every key, or that nothing of ours is left.
# Sourced after wine_common.sh; PROGRAM_EXE and MODULE_DLL name the files the setup carries.

UNINSTALL_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Larkspur'
REG_EXTRA_TREES=("$UNINSTALL_KEY")
SETUP_DIR="$WINEPREFIX/drive_c/Program Files/Larkspur"
SETUP_WIN_DIR='C:\Program Files\Larkspur'

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

# Runs a setup or uninstaller silently. The uninstaller hands over to a copy of itself in the
# temporary folder and returns at once; its end is awaited by its key vanishing, its last step.
run_setup() {
  if timeout 120 wine "$(win_path "$1")" /S; then pass "$(basename "$1") /S"
  else fail "$(basename "$1") /S returned $?"; fi
}
run_uninstaller() {
  if ! timeout 120 wine "$SETUP_WIN_DIR\\uninstall.exe" /S; then fail "uninstall.exe /S returned $?"; return; fi
  local n=0
  while timeout 60 wine reg query "$UNINSTALL_KEY" >/dev/null 2>&1 && ((n < 120)); do
    sleep 0.25; n=$((n + 1))
  done
  pass "uninstall.exe /S"
}

check_installed() {
  local version=$1 C="HKCR\\CLSID\\$CLSID" key
  echo "== files"
  cmp -s "$SETUP_DIR/Larkspur.exe" "$PROGRAM_EXE" && pass "Larkspur.exe" || fail "Larkspur.exe differs or is missing"
  cmp -s "$SETUP_DIR/LarkspurMenu.dll" "$MODULE_DLL" && pass "LarkspurMenu.dll" || fail "LarkspurMenu.dll differs or is missing"
  local listing
  listing=$(ls -A "$SETUP_DIR" 2>/dev/null | tr '\n' ' ')
  [ "$listing" = "Larkspur.exe LarkspurMenu.dll uninstall.exe " ] && pass "folder: $listing" ||
    fail "folder holds '$listing'"
  echo "== registry"
  load_registry
  expect_value "$C" "" "Larkspur Menu Com"
  expect_path_value "$C\\InprocServer32" "" "$SETUP_DIR/LarkspurMenu.dll" ""
  expect_value "$C\\InprocServer32" ThreadingModel Apartment
  expect_value "$C\\ProgID" "" "$PROGID"
  expect_value "HKCR\\$PROGID" "" "Larkspur Menu Com"
  expect_value "HKCR\\$PROGID\\Clsid" "" "$CLSID"
  expect_value 'HKCR\Larkspur\shellex\ContextMenuHandlers\ContMenu' "" "$CLSID"
  for key in '*' Folder Directory Drive; do
    expect_value "HKCR\\$key\\ShellEx\\ContextMenuHandlers\\Larkspur" "" "$CLSID"
  done
  # The file type names the installed program, not the setup that registered the module.
  expect_path_value 'HKCR\Larkspur\DefaultIcon' "" "$SETUP_DIR/Larkspur.exe" ",0"
  expect_path_value 'HKCR\Larkspur\shell\open\command' "" "$SETUP_DIR/Larkspur.exe" ' "%1"'
  expect_value "$APPROVED" "$CLSID" "Larkspur Menu Com"
  expect_value "$UNINSTALL_KEY" DisplayName Larkspur
  expect_value "$UNINSTALL_KEY" DisplayVersion "$version"
  expect_value "$UNINSTALL_KEY" Publisher Larkspur
  expect_value "$UNINSTALL_KEY" InstallLocation "$SETUP_WIN_DIR"
  expect_value "$UNINSTALL_KEY" UninstallString "\"$SETUP_WIN_DIR\\uninstall.exe\""
  expect_value "$UNINSTALL_KEY" QuietUninstallString "\"$SETUP_WIN_DIR\\uninstall.exe\" /S"
  expect_value "$UNINSTALL_KEY" NoModify 0x1
  expect_value "$UNINSTALL_KEY" NoRepair 0x1
}

# After the uninstaller: no file, no folder, none of our keys; the keys the module's
# unregistration keeps (shared with other programs' handlers) are still there.
check_uninstalled() {
  local key
  [ -e "$SETUP_DIR" ] && fail "$SETUP_DIR is still there: $(ls -A "$SETUP_DIR" | tr '\n' ' ')" || pass "folder removed"
  load_registry
  for key in "HKCR\\CLSID\\$CLSID" "HKCR\\$PROGID" 'HKCR\Larkspur\shellex' 'HKCR\Larkspur\shell' \
             'HKCR\Larkspur\DefaultIcon' 'HKCR\*\ShellEx\ContextMenuHandlers\Larkspur' \
             'HKCR\Folder\ShellEx\ContextMenuHandlers\Larkspur' \
             'HKCR\Directory\ShellEx\ContextMenuHandlers\Larkspur' \
             'HKCR\Drive\ShellEx\ContextMenuHandlers\Larkspur' "$UNINSTALL_KEY"; do
    expect_no_key "$key"
  done
  expect_key 'HKCR\*\shellex'
  expect_key 'HKCR\Folder\shellex'
}
