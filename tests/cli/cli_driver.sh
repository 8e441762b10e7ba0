# Shared by the end-to-end writer tests: the program under test, a scratch folder, and the one
# place that knows how `add` is spelled on the command line. Sourced, not run.
# Usage of the sourcing script: <script> PATH-TO-larkspur-zip

LZ=$(realpath "${1:?the path of larkspur-zip}")
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

# Sets CMD to the command line that adds the items to ARCHIVE.
add_command() {
  local archive=$1
  shift
  CMD=("$LZ" add "$archive" "$@")
}

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# A folder of files whose contents and times are fixed, so every archive of it is the same bytes.
make_item() {
  local dir=$1 count=$2 size=$3 seed=$4
  mkdir -p "$dir"
  for ((i = 0; i < count; i++)); do
    head -c "$size" <(yes "$seed line $i of $dir" | tr -d '\n') >"$dir/f$seed-$i.txt"
    touch -d '2021-03-04 05:06:08' "$dir/f$seed-$i.txt"
  done
}

# The names stored in an archive, one a line, after checking every entry's data; fails when
# Python cannot read the archive.
archive_names() {
  python3 - "$1" <<'EOF'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as z:
    bad = z.testzip()
    if bad:
        sys.exit("bad entry: " + bad)
    print("\n".join(z.namelist()))
EOF
}

# Files beside the archive that are neither items nor the archive: what a run left behind.
leftovers() {
  local folder=$1
  shift
  local keep=" $* "
  for f in "$folder"/* "$folder"/.[!.]*; do
    [ -e "$f" ] || continue
    [[ $keep == *" $(basename "$f") "* ]] || echo "$(basename "$f")"
  done
}
