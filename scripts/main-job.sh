#!/usr/bin/env bash
# The main job: install what is missing, build, then
# - on Linux, compress a sample folder with `larkspur-zip compress` (as the menu's second
#   compress command does), add it to an archive in another folder with `larkspur-zip add`, and
#   list the archives;
# - under Wine in a headless X server, install everything with "LarkspurSetup.exe /S" in a fresh
#   prefix and check the files and keys, right-click a sample folder through the shell host, click
#   "压缩到<name>.zip(&A)", check the archive with unzip, catch the dialog half-way through a large
#   file, right-click the archive and click "解压缩到<folder>(&A)", compare every extracted file with
#   its source, show the extraction window of "Larkspur.exe /ExtractForm" and close it, uninstall
#   silently and check that nothing of ours is left in the registry or on disk, and print the
#   screenshots' paths.
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS
bash scripts/install-deps.sh
bash scripts/build.sh native larkspur-zip
bash scripts/build.sh windows larkspur_setup shell_host
cli=build/native/src/cli/larkspur-zip
shared=$(realpath ../shared)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The archive goes beside the folder, so the sample is copied somewhere writable first.
cp -r "$shared"/corpora/bench/xml/cldr41-supplemental "$work/sample"
chmod -R u+w "$work/sample"
archive=$("$cli" compress "$work/sample")
echo "compressed $work/sample into $archive"
"$cli" list "$archive"
mkdir "$work/elsewhere"
"$cli" add "$work/elsewhere/sample.zip" "$work/sample"
"$cli" list "$work/elsewhere/sample.zip" | tail -n 1

# The menu's sample: a folder with a subfolder, under a Chinese name (the label and the archive
# name go through code page 936).
sample="$work/wine/样本"
mkdir -p "$sample"
cp -r "$shared"/corpora/bench/xml/cldr41-supplemental/. "$sample/"
cp -r "$shared"/corpora/bench/artificial "$sample/artificial"
windows=$(realpath build/windows)
# The setup and the files it carries (the main program, or its stand-in until that is built).
. "$windows/installer/setup-inputs.sh"
export LARKSPUR_SETUP LARKSPUR_VERSION PROGRAM_EXE MODULE_DLL
export WINE_TEST_DIR="$windows/main-job" SHELL_HOST="$windows/tests/wine/shell_host.exe"
mkdir -p "$WINE_TEST_DIR"
xvfb-run -a -s '-screen 0 1280x1024x24' bash tests/wine/main_flow.sh "$sample"
echo "main job done in $((SECONDS - started)) s"
