# LarkspurMenu.dll must load anywhere: it may import system DLLs only, and export exactly the
# four entry points of an in-process server.
set -uo pipefail
failures=0
allowed=' kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll ole32.dll oleaut32.dll
  comctl32.dll comdlg32.dll uxtheme.dll msvcrt.dll shlwapi.dll version.dll msimg32.dll '
dump=$("$OBJDUMP" -p "$LARKSPUR_DLL") || { echo "FAILED: objdump"; exit 1; }
while read -r dll; do
  lower=$(printf '%s' "$dll" | tr 'A-Z' 'a-z')
  case "$allowed" in
    *" $lower "*) echo "ok: imports $dll" ;;
    *) echo "FAILED: imports $dll, not a system DLL"; failures=$((failures + 1)) ;;
  esac
done < <(printf '%s\n' "$dump" | sed -n 's/^\s*DLL Name: //p')
exports=$(printf '%s\n' "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
          sed -n 's/^\s*\[ *[0-9]*\] //p' | sort | tr '\n' ' ')
expected='DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer '
if [ "$exports" = "$expected" ]; then echo "ok: exports $exports"
else echo "FAILED: exports '$exports'"; failures=$((failures + 1)); fi
echo "$failures failed checks"
exit $((failures > 0))
