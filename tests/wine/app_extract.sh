# Larkspur.exe end to end: both switches on real archives made by Info-ZIP zip, tar and Python
# (GBK archive and entry names, a password given wrong then right, overwrite answers, cancel in
# the middle of a large entry, unsafe names, a .tar.gz, a .rar, no archive at all). The program
# runs in its automation mode: its questions answer from answers.txt, and what it shows (boxes,
# questions, the form's list, its exit code) is recorded in shown.txt.
. "$(dirname "$0")/wine_common.sh"

if [ -z "${DISPLAY:-}" ]; then echo "no X display: skipped"; exit 77; fi
ensure_prefix
keep_server
work="$WINE_TEST_DIR/app"
rm -rf "$work"; mkdir -p "$work/hook"
export LARKSPUR_TEST_HOOK
LARKSPUR_TEST_HOOK=$(win_path "$work/hook")

gbk() { printf '%s' "$1" | iconv -f UTF-8 -t GBK; }

# Sources with UTF-8 names (as Wine shows GBK names on Linux) and their GBK-named twin to zip.
mkdir -p "$work/src/子目录" "$work/src/空目录"
printf 'hello\n' > "$work/src/readme.txt"
head -c 200000 /dev/urandom > "$work/src/子目录/数据.bin"
seq 1 20000 > "$work/src/表格.csv"
mkdir -p "$work/gbk"
(cd "$work/src" && find . -mindepth 1 | sort | while read -r p; do
   t="$work/gbk/$(gbk "$p")"
   if [ -d "$p" ]; then mkdir -p "$t"; else cp "$p" "$t"; fi
 done)
(cd "$work/gbk" && LC_ALL=C zip -qr "$work/$(gbk 中文档案).zip" . && mv "$work/$(gbk 中文档案).zip" "$work/中文档案.zip")
(cd "$work/gbk" && LC_ALL=C zip -qr -P right "$work/locked.zip" .)
(cd "$work/gbk" && tar czf "$work/bundle.tar.gz" .)
head -c 30000000 /dev/urandom > "$work/big.bin"
(cd "$work" && zip -q0 big.zip big.bin && rm big.bin)
python3 - "$work/unsafe.zip" <<'PY'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w") as z:
    z.writestr("ok.txt", "fine\n")
    z.writestr("../escaped.txt", "outside\n")
    z.writestr("sub/../../twice.txt", "outside\n")
PY
printf 'Rar!\x1a\x07\x00' > "$work/old.rar"
head -c 4096 /dev/urandom > "$work/noise.zip"

# Runs Larkspur.exe with "$@" and answers $ANSWERS; the exit it recorded in $exit_code.
run_app() {
  printf '%s\n' "${ANSWERS[@]}" > "$work/hook/answers.txt"
  rm -f "$work/hook/shown.txt"
  timeout 120 wine "$(win_path "$LARKSPUR_APP")" "$@" >/dev/null 2>&1
  exit_code=$(awk '$1 == "exit" { print $2 }' "$work/hook/shown.txt" 2>/dev/null)
}
shown() { iconv -f GBK -t UTF-8 < "$work/hook/shown.txt" 2>/dev/null | tr -d '\r'; }
expect_exit() {
  if [ "$exit_code" = "$1" ]; then pass "$2: exit $1"; else fail "$2: exit '$exit_code', expected $1"; shown; fi
}
expect_shown() {
  if shown | grep -qF -- "$1"; then pass "$2"; else fail "$2: '$1' not shown"; shown; fi
}
same_tree() {
  if diff -r "$work/src" "$1" >/dev/null; then pass "$2: every file came back"
  else fail "$2: $(diff -rq "$work/src" "$1" | head -3)"; fi
}

ANSWERS=()
run_app /Extract "$(win_path "$work/中文档案.zip")"
expect_exit 0 "/Extract of a GBK-named archive with GBK entry names"
same_tree "$work/中文档案" "/Extract"

# The form: the list shows the entries with their sizes; extraction into a chosen folder.
ANSWERS=("form $(win_path "$work/chosen") rename")
run_app /ExtractForm "$(win_path "$work/中文档案.zip")"
expect_exit 0 "/ExtractForm into a chosen folder"
expect_shown "$(printf 'list 表格.csv\t108,894')" "the form lists GBK names with their sizes"
same_tree "$work/chosen" "/ExtractForm"
ANSWERS=("form -")
run_app /ExtractForm "$(win_path "$work/locked.zip")"
expect_exit 4 "取消 in the form"
expect_shown "$(printf '\t*')" "the form marks encrypted entries"
[ -e "$work/locked" ] && fail "the cancelled form extracted" || pass "the cancelled form wrote nothing"

# Password: wrong, asked again, right.
ANSWERS=("password wrong" "password right")
run_app /Extract "$(win_path "$work/locked.zip")"
expect_exit 0 "encrypted archive after a wrong then the right password"
expect_shown "password 密码错误，请重新输入密码：" "a wrong password is asked again"
same_tree "$work/locked" "encrypted archive"
# 取消 in the password question skips the encrypted entries and says so.
rm -rf "$work/locked"
ANSWERS=("password -")
run_app /Extract "$(win_path "$work/locked.zip")"
expect_exit 3 "password question cancelled"
expect_shown "已加密，没有输入密码" "the summary names the entries left without a password"

# Overwrite: "no" keeps the first existing file, "all" replaces the rest.
printf 'mine\n' > "$work/中文档案/readme.txt"
printf 'mine\n' > "$work/中文档案/表格.csv"
ANSWERS=("overwrite no" "overwrite all")
run_app /Extract "$(win_path "$work/中文档案.zip")"
expect_exit 3 "overwrite answered no, then yes to all"
asked=$(shown | grep -c '^overwrite ')
[ "$asked" = 2 ] && pass "two questions for three existing files" || fail "$asked overwrite questions"
kept=$(grep -l '^mine$' "$work/中文档案/readme.txt" "$work/中文档案/表格.csv" | wc -l)
[ "$kept" = 1 ] && pass "exactly the refused file was kept" || fail "$kept files kept"
expect_shown "文件已存在，已跳过" "the summary names the kept file"

# Cancel in the middle of a large entry: nothing of it is left.
ANSWERS=("cancel")
run_app /Extract "$(win_path "$work/big.zip")"
expect_exit 4 "取消 during a large entry"
if [ -z "$(ls -A "$work/big" 2>/dev/null)" ]; then pass "no partial file after 取消"
else fail "left behind: $(ls -A "$work/big")"; fi

# Unsafe names: nothing outside the target, the summary box names them.
ANSWERS=()
run_app /Extract "$(win_path "$work/unsafe.zip")"
expect_exit 3 "archive with unsafe names"
[ -f "$work/unsafe/ok.txt" ] && pass "the safe entry extracted" || fail "ok.txt missing"
if [ -e "$work/escaped.txt" ] || [ -e "$work/twice.txt" ] || [ -e "$WINE_TEST_DIR/twice.txt" ]; then
  fail "an entry escaped the target"; else pass "nothing outside the target"; fi
expect_shown "../escaped.txt - 文件名不安全" "the summary box names the unsafe entry"

ANSWERS=()
run_app /Extract "$(win_path "$work/bundle.tar.gz")"
expect_exit 0 ".tar.gz"
same_tree "$work/bundle.tar" ".tar.gz"

# Refusals: a clear box, nothing written, a non-zero exit.
run_app /Extract "$(win_path "$work/old.rar")"
expect_exit 2 ".rar"
expect_shown "不支持此压缩文档格式：" "the .rar's message"
run_app /ExtractForm "$(win_path "$work/noise.zip")"
expect_exit 2 "a file that is no archive"
expect_shown "无法打开压缩文档" "the non-archive's message"
run_app /Extract "$(win_path "$work/missing.zip")"
expect_exit 2 "a missing archive"
expect_shown "找不到压缩文档" "the missing archive's message"
run_app
expect_exit 1 "no command line"
expect_shown "命令行错误" "the usage message"
[ -e "$work/old" ] || [ -e "$work/noise" ] || [ -e "$work/missing" ] &&
  fail "a refused archive created its folder" || pass "refused archives wrote nothing"

# Several archives selected, the menu's 解压缩到 clicked with the mouse: the real program beside
# the registered module extracts each into its own folder.
cp "$work/中文档案.zip" "$work/second.zip"
rm -rf "$work/中文档案" "$work/second"
printf "" > "$work/hook/answers.txt"; rm -f "$work/hook/shown.txt"
cp "$LARKSPUR_APP" "$INSTALL_DIR/Larkspur.exe"
click_menu_item 1 "$WINE_TEST_DIR/app-popup" "$WINE_TEST_DIR/app-menu-screenshot.png" \
  "$(win_path "$work/中文档案.zip")" "$(win_path "$work/second.zip")"
n=0; while [ "$(grep -c '^exit ' "$work/hook/shown.txt" 2>/dev/null)" != 2 ] && ((n < 600)); do
  sleep 0.1; n=$((n + 1)); done
cp "$LARKSPUR_STANDIN" "$INSTALL_DIR/Larkspur.exe"
exits=$(awk '$1 == "exit" { print $2 }' "$work/hook/shown.txt" 2>/dev/null | sort | tr '\n' ' ')
[ "$exits" = "0 0 " ] && pass "two archives, two runs of Larkspur.exe" || fail "exits: '$exits'"
same_tree "$work/中文档案" "first of several archives"
same_tree "$work/second" "second of several archives"

# The real windows, driven with the keyboard: the extraction window (screenshot, Enter extracts)
# and then the password question (typed, masked, Enter confirms).
unset LARKSPUR_TEST_HOOK
rm -rf "$work/locked"
timeout 120 wine "$(win_path "$LARKSPUR_APP")" /ExtractForm "$(win_path "$work/locked.zip")" &
app=$!
if await_window '解压缩 - locked.zip' 600; then
  pass "the extraction window shows"
  timeout 30 import -window root "$WINE_TEST_DIR/extract-form-screenshot.png" &&
    echo "form screenshot: $WINE_TEST_DIR/extract-form-screenshot.png"
  if press_until '解压缩 - locked.zip' Return '输入密码'; then
    pass "Enter in the extraction window starts, the password question shows"
    # A lost key leaves the question open or brings it back as "wrong": type it again then.
    for try in 1 2 3; do
      await_window '输入密码' 30 || break
      timeout 5 xdotool type right; timeout 5 xdotool key Return; sleep 1
    done
  else fail "the password question did not show"; fi
else fail "the extraction window did not show"; fi
wait "$app"; status=$?
[ "$status" = 0 ] && pass "form and password answered by keyboard: exit 0" || fail "exit $status"
same_tree "$work/locked" "encrypted archive through the real windows"
finish
