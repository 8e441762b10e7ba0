#!/usr/bin/env bash
# The main job: install what is missing, build, then compress a sample folder with
# `larkspur-zip compress` (as the menu's second compress command does) and list the archive.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh native
cli=build/native/src/cli/larkspur-zip
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The archive goes beside the folder, so the sample is copied somewhere writable first (a
# read-only folder would be handed over as a plain path and add nothing, as in the menu).
cp -r ../shared/corpora/bench/xml/cldr41-supplemental "$work/sample"
chmod -R u+w "$work/sample"
archive=$("$cli" compress "$work/sample")
echo "compressed $work/sample into $archive"
"$cli" list "$archive"
