#!/usr/bin/env bash
# The main job: install what is missing, build, and show what the engine does.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh native
echo "built: $(ls build/native)"
