# The compress commands end to end with the real writer: the shell host compresses a folder with
# subfolders at once, drives the dialog with a typed name through both warnings, and meets a
# failure; this script prepares the folders and checks the archives with unzip.
. "$(dirname "$0")/wine_common.sh"

ensure_prefix
keep_server
work="$WINEPREFIX/drive_c/larkspur-compress"
rm -rf "$work"
# Names as the shell host expects them (its compress_checks.cpp).
tree="$work/样本 tree"
mkdir -p "$tree/sub/deeper" "$tree/empty" "$work/dialog/sub" "$work/blocked" "$work/blocked.zip"
seq 1 20000 > "$tree/a.txt"
head -c 70000 /dev/urandom > "$tree/b.bin"
printf 'in a subfolder\n' > "$tree/sub/c.txt"
printf 'two levels down\n' > "$tree/sub/deeper/d.txt"
printf 'first item\n' > "$work/dialog/a.txt"
printf 'inside the second item\n' > "$work/dialog/sub/e.txt"
printf 'not an archive\n' > "$work/dialog/exists.zip"
printf 'never written\n' > "$work/blocked/x.txt"

wine_run "$(win_path "$SHELL_HOST")" compress 'C:\larkspur-compress'
status=${PIPESTATUS[0]}
[ "$status" = 0 ] || fail "shell host failed (exit status $status; its failed checks are listed above)"

echo "== compressed at once: every file under its bare name"
check_archive "$tree.zip" "a.txt=$tree/a.txt" "b.bin=$tree/b.bin" "c.txt=$tree/sub/c.txt" \
  "d.txt=$tree/sub/deeper/d.txt"
echo "== written by the dialog under the typed name"
check_archive "$work/dialog/新 archive.zip" "a.txt=$work/dialog/a.txt" "e.txt=$work/dialog/sub/e.txt"
if [ "$(cat "$work/dialog/exists.zip")" = "not an archive" ]; then pass "existing archive untouched"
else fail "existing archive was changed"; fi
if [ -z "$(ls -A "$work/blocked.zip")" ]; then pass "nothing written for the failed run"
else fail "the failed run left $(ls -A "$work/blocked.zip")"; fi
finish
