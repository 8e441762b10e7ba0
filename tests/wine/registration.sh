# Registration end to end in a fresh prefix: regsvr32 writes every key and value, twice is the
# same as once, regsvr32 /u removes what it should and leaves the shared keys. Leaves the module
# registered (by the shell host, so the icon names that program) for the tests that follow.
. "$(dirname "$0")/wine_common.sh"

fresh_prefix
keep_server
install_module
dll=$(installed_dll)
short=$(wine_run "$(win_path "$SHELL_HOST")" shortpath "$dll")
host_regsvr32='C:\windows\system32\regsvr32.exe'

check_registered() {
  local host=$1 C="HKCR\\CLSID\\$CLSID"
  load_registry
  expect_value "$C" "" "Larkspur Menu Com"
  expect_value "$C\\InprocServer32" "" "$short"
  expect_value "$C\\InprocServer32" ThreadingModel Apartment
  expect_value "HKCR\\$PROGID" "" "Larkspur Menu Com"
  expect_value "HKCR\\$PROGID\\Clsid" "" "$CLSID"
  expect_value "$C\\ProgID" "" "$PROGID"
  expect_value 'HKCR\Larkspur\shellex' "" ""
  expect_value 'HKCR\Larkspur\shellex\ContextMenuHandlers' "" ""
  expect_value 'HKCR\Larkspur\shellex\ContextMenuHandlers\ContMenu' "" "$CLSID"
  expect_value 'HKCR\*\shellex' "" ""
  expect_value 'HKCR\*\ShellEx\ContextMenuHandlers\Larkspur' "" "$CLSID"
  expect_value 'HKCR\Folder\shellex' "" ""
  expect_value 'HKCR\Folder\ShellEx\ContextMenuHandlers\Larkspur' "" "$CLSID"
  expect_value 'HKCR\Directory\ShellEx\ContextMenuHandlers\Larkspur' "" "$CLSID"
  expect_value 'HKCR\Drive\ShellEx\ContextMenuHandlers\Larkspur' "" "$CLSID"
  expect_value 'HKCR\Larkspur\DefaultIcon' "" "$host,0"
  expect_value 'HKCR\Larkspur\shell' "" ""
  expect_value 'HKCR\Larkspur\shell\open' "" ""
  expect_value 'HKCR\Larkspur\shell\open\command' "" "$host \"%1\""
  expect_value "$APPROVED" "$CLSID" "Larkspur Menu Com"
}

snapshot() { load_registry; cat "$REG_TABLE"; }

echo "== module: $dll (registered as $short)"
case "$short" in *" "*|"") fail "no short form without blanks: '$short'" ;; esac

echo "== regsvr32"
if timeout 120 wine regsvr32 /s "$dll"; then pass "regsvr32"; else fail "regsvr32 returned $?"; fi
check_registered "$host_regsvr32"

echo "== registering twice equals once"
first=$(snapshot)
timeout 120 wine regsvr32 /s "$dll" || fail "second regsvr32 returned $?"
if [ "$first" = "$(snapshot)" ]; then pass "same keys and values"; else fail "second registration changed the registry"; fi

echo "== regsvr32 /u"
if timeout 120 wine regsvr32 /u /s "$dll"; then pass "regsvr32 /u"; else fail "regsvr32 /u returned $?"; fi
load_registry
for key in "HKCR\\CLSID\\$CLSID" "HKCR\\$PROGID" 'HKCR\Larkspur\shellex' 'HKCR\Larkspur\shell' \
           'HKCR\*\ShellEx\ContextMenuHandlers\Larkspur' \
           'HKCR\Folder\ShellEx\ContextMenuHandlers\Larkspur' \
           'HKCR\Directory\ShellEx\ContextMenuHandlers\Larkspur' \
           'HKCR\Drive\ShellEx\ContextMenuHandlers\Larkspur'; do
  expect_no_key "$key"
done
expect_key 'HKCR\Larkspur'
expect_key 'HKCR\*\shellex'
expect_key 'HKCR\Folder\shellex'
expect_value "$APPROVED" "$CLSID" "Larkspur Menu Com"
expect_no_key 'HKCR\Larkspur\DefaultIcon'

echo "== unregistering what is not registered"
if timeout 120 wine regsvr32 /u /s "$dll"; then pass "regsvr32 /u again"; else fail "regsvr32 /u again returned $?"; fi

echo "== registration from another program names that program"
host=$(win_path "$SHELL_HOST")
if wine_run "$host" register "$dll"; then pass "DllRegisterServer from the shell host"; else fail "DllRegisterServer from the shell host"; fi
check_registered "$host"
finish
