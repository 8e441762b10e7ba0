# The shell host right-clicks files, folders, drives and archives through the registered
# extension and checks labels, help texts, flags, HRESULTs, commands and lifetimes.
. "$(dirname "$0")/wine_common.sh"

ensure_prefix
keep_server
work='C:\larkspur-host'
wine_run "$(win_path "$SHELL_HOST")" checks "$work"
status=${PIPESTATUS[0]}
[ "$status" = 0 ] || fail "shell host failed (exit status $status; its failed checks are listed above)"
finish
