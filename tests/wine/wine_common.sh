# Shared by the Wine test scripts: a private prefix made under zh_CN.UTF-8 (ANSI and OEM code
# page 936), the installed copy of the module, registry reading and check counting.
# Expects WINE_TEST_DIR, LARKSPUR_DLL, LARKSPUR_STANDIN, SHELL_HOST from ctest.
set -uo pipefail

export WINEPREFIX="$WINE_TEST_DIR/prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
export LC_ALL=zh_CN.UTF-8

CLSID='{AB479803-AF80-4941-BC86-4C2CF7359581}'
PROGID='LarkspurMenu.TLarkspurMenuCom'
APPROVED='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Shell Extensions\Approved'
# The module is installed in a folder with a blank, as under "Program Files".
INSTALL_DIR="$WINE_TEST_DIR/Larkspur Menu"
failures=0

fail() { echo "FAILED: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

# Creates the prefix afresh; about ten seconds.
fresh_prefix() {
  timeout 60 wineserver -k 2>/dev/null
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  timeout 300 wineboot -i >/dev/null 2>&1
  timeout 120 wineserver -w
}

ensure_prefix() { [ -f "$WINEPREFIX/system.reg" ] || fresh_prefix; }

# One server (and its system services) for the whole script: each restart costs seconds.
keep_server() {
  timeout 60 wineserver -p
  trap 'timeout 60 wineserver -k 2>/dev/null' EXIT
}

install_module() {
  mkdir -p "$INSTALL_DIR"
  cp "$LARKSPUR_DLL" "$LARKSPUR_STANDIN" "$INSTALL_DIR/"
}

win_path() { timeout 60 winepath -w "$1" 2>/dev/null | tr -d '\r'; }
installed_dll() { win_path "$INSTALL_DIR/LarkspurMenu.dll"; }

# Runs a Windows program, its output turned from GBK with CRLF into UTF-8 lines.
wine_run() { timeout 300 wine "$@" 2>/dev/null | iconv -f GBK -t UTF-8 | tr -d '\r'; }

# Every key the server touches, read with one run of reg.exe per key tree inside one cmd.exe
# (starting Wine programs is what costs time), into "$REG_TABLE": lines "key<TAB>" for each key
# and "key<TAB>name<TAB>data" for each REG_SZ value, keys in lower case, "" naming the default.
# Scripts add key trees of their own to REG_EXTRA_TREES; REG_DWORD values are listed as 0x... too.
REG_TABLE="$WINE_TEST_DIR/registry.txt"
REG_EXTRA_TREES=()
load_registry() {
  local trees=("HKCR\\CLSID\\$CLSID" "HKCR\\$PROGID" 'HKCR\Larkspur' 'HKCR\*\shellex'
               'HKCR\Folder\shellex' 'HKCR\Directory\ShellEx' 'HKCR\Drive\ShellEx' "$APPROVED"
               "${REG_EXTRA_TREES[@]}")
  local tree batch="$WINE_TEST_DIR/query.bat"
  [ -n "${BATCH_WIN:-}" ] || BATCH_WIN=$(win_path "$batch")
  # A batch file: cmd.exe would not understand the escaped quotes of a single command line.
  { printf '@echo off\r\n'; for tree in "${trees[@]}"; do printf 'reg query "%s" /s\r\n' "$tree"; done; } |
    iconv -f UTF-8 -t GBK > "$batch"
  timeout 120 wine cmd /c "$BATCH_WIN" 2>/dev/null | iconv -f GBK -t UTF-8 | tr -d '\r' |
    awk -F '    ' '
      /^HKEY_/ { key = tolower($0); sub(/^hkey_classes_root/, "hkcr", key);
                 sub(/^hkey_local_machine/, "hklm", key); print key "\t"; next }
      /^    / && ($3 == "REG_SZ" || $3 == "REG_DWORD") { name = $2; if (name ~ /^\(.*\)$/) name = "";
                                  print key "\t" name "\t" $4 }' > "$REG_TABLE"
}

key_exists() {
  local key
  key=$(printf '%s' "$1" | tr 'A-Z' 'a-z')
  # Through the environment: awk -v would read "\f" in "hkcr\folder" as a form feed.
  K="$key" awk -F '\t' '$1 == ENVIRON["K"] && NF == 2 { found = 1 } END { exit !found }' "$REG_TABLE"
}

# The data of value $2 ("" for the default) of key $1; status 1 when there is none.
reg_value() {
  local key
  key=$(printf '%s' "$1" | tr 'A-Z' 'a-z')
  K="$key" N="$2" awk -F '\t' '$1 == ENVIRON["K"] && NF == 3 && $2 == ENVIRON["N"] { print $3; found = 1 }
    END { exit !found }' "$REG_TABLE"
}

expect_value() {
  local key=$1 name=$2 expected=$3 actual
  if ! actual=$(reg_value "$key" "$name"); then
    fail "$key [${name:-default}] is missing"
  elif [ "$actual" != "$expected" ]; then
    fail "$key [${name:-default}] = '$actual', expected '$expected'"
  else
    pass "$key [${name:-default}] = '$expected'"
  fi
}

# reg.exe lists a key only when it has values, so a key missing from the table is asked for.
expect_key() {
  if key_exists "$1" || timeout 60 wine reg query "$1" >/dev/null 2>&1; then pass "$1 exists"
  else fail "$1 is missing"; fi
}
expect_no_key() { if key_exists "$1"; then fail "$1 still exists"; else pass "$1 is gone"; fi; }

# Waits up to $2 tenths of a second for file $1.
await() { local n=0; while [ ! -f "$1" ] && ((n < $2)); do sleep 0.1; n=$((n + 1)); done; [ -f "$1" ]; }

# Prints the id of the window titled $1, waiting for it up to $2 tenths of a second.
window_titled() {
  local id n=0
  while ((n < $2)); do
    id=$(timeout 5 xdotool search --name "$1" 2>/dev/null | head -1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1; n=$((n + 1))
  done
  return 1
}

# Waits up to $2 tenths of a second for a window titled $1 and focuses it.
await_window() {
  local id
  id=$(window_titled "$1" "$2") || return 1
  timeout 5 xdotool windowfocus "$id" 2>/dev/null
  sleep 0.5
}

# Presses key $2 in the window titled $1 until a window titled $3 shows: without a window manager
# the first key after a focus change is sometimes lost.
press_until() {
  local try
  for try in 1 2 3 4 5; do
    await_window "$1" 50 && timeout 5 xdotool key "$2"
    await_window "$3" 30 && return 0
  done
  return 1
}

# Right-clicks through the shell host: shows the real menu for the paths "${@:4}", saves a
# screenshot of it as $3, clicks the item of command offset $1 with the mouse and waits until
# the command has run (markers in folder $2). Passes when the host reports that offset and S_OK.
click_menu_item() {
  local offset=$1 markers=$2 shot=$3; shift 3
  rm -rf "$markers"; mkdir -p "$markers"
  timeout 300 wine "$(win_path "$SHELL_HOST")" popup 200 150 "$(win_path "$markers")\\" "$@" &
  local host_pid=$! left top right bottom
  if ! await "$markers/menu-shown.txt" 600; then
    fail "the menu did not appear"; kill "$host_pid" 2>/dev/null; wait "$host_pid"; return
  fi
  pass "menu shown"
  if timeout 30 import -window root "$shot"; then echo "menu screenshot: $shot"; fi
  read -r _ left top right bottom _ < <(awk -v o="$offset" '$6 == o' "$markers/menu-shown.txt")
  if [ -z "${bottom:-}" ]; then
    fail "no item of offset $offset"; timeout 10 xdotool key Escape; wait "$host_pid"; return
  fi
  local x=$(((left + right) / 2)) y=$(((top + bottom) / 2))
  timeout 10 xdotool mousemove "$x" "$y"; sleep 0.3
  timeout 10 xdotool mousemove "$x" "$y" click 1
  # A click that missed leaves the menu open: close it rather than wait for the time limit.
  await "$markers/picked.txt" 1200 || timeout 10 xdotool key Escape
  wait "$host_pid"
  local picked
  picked=$(tr -d '\r' < "$markers/picked.txt" 2>/dev/null)
  if [ "$picked" = "$offset 0x00000000" ]; then pass "clicked offset $offset: $picked"
  else fail "picked '$picked', expected offset $offset with S_OK"; fi
}

# Checks archive $1 with unzip -t and that it holds exactly the entries of "$@" after it, each
# given as "name=file" and holding that file's bytes.
check_archive() {
  local archive=$1 pair name file; shift
  if [ ! -f "$archive" ]; then fail "no archive $archive"; return; fi
  if unzip -tq "$archive" >/dev/null 2>&1; then pass "unzip -t $archive"; else fail "unzip -t $archive"; fi
  local expected actual
  expected=$(for pair in "$@"; do printf '%s\n' "${pair%%=*}"; done | sort)
  actual=$(unzip -Z1 "$archive" 2>/dev/null | sort)
  if [ "$actual" = "$expected" ]; then pass "entries: $(echo $actual)"
  else fail "entries of $archive: $(echo $actual), expected $(echo $expected)"; fi
  for pair in "$@"; do
    name=${pair%%=*}; file=${pair#*=}
    unzip -p "$archive" "$name" 2>/dev/null | cmp -s - "$file" || fail "$name differs from $file"
  done
}

finish() {
  timeout 60 wineserver -k 2>/dev/null
  timeout 120 wineserver -w
  echo "$failures failed checks"
  exit $((failures > 0))
}
