# Sourced by the scripts that run Windows binaries: a private, headless, code-page-936 Wine.
# Usage: . scripts/wine-env.sh BUILD_DIR
export WINEPREFIX="$(realpath "$1")/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
export LC_ALL=zh_CN.UTF-8
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  timeout 300 wineboot -i >/dev/null 2>&1 || true
  timeout 120 wineserver -w || true
fi
