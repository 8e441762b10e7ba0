#!/usr/bin/env bash
# Archives past the classic limits, written by larkspur-zip and read by Python's zipfile,
# `unzip -t`, `7z t` and our own `list` (the reader) and `test` (the extraction engine):
#   five   one entry of 5 GiB (a sparse file at level 1): 64-bit sizes
#   total  more than 4 GiB of stored files: 64-bit offsets and directory (writes 4 GiB)
#   many   70,000 entries: the 64-bit end record
# Each is then updated with one more file; every old entry must come through byte for byte and
# our reader and engine read the result. Prints the seconds each step took.
# Usage: zip64_acceptance.sh LARKSPUR-ZIP [five|total|many]...   (default: all three; ctest runs
# "five many", as "total" alone takes about three minutes, most of it `unzip -t`)
# Exits 77 (skipped) when the temporary folder lacks the room or a peer tool is missing.
set -uo pipefail
. "$(dirname "$0")/cli_driver.sh"
shift
CASES=" ${*:-five total many} "

GiB=$((1024 * 1024 * 1024))
# The >4 GiB archive and its rebuilt copy during the update, or the others' few hundred MiB,
# and headroom for the other programs on the machine.
if [[ $CASES == *" total "* ]]; then NEEDED_GIB=10; else NEEDED_GIB=2; fi
free_kib=$(df -Pk "$WORK" | awk 'NR == 2 { print $4 }')
if ((free_kib < NEEDED_GIB * 1024 * 1024)); then
  echo "SKIP: $WORK has $((free_kib / 1024)) MiB free; these 64-bit archives need $NEEDED_GIB GiB"
  exit 77
fi
for tool in python3 unzip 7z; do
  command -v $tool >/dev/null || {
    echo "SKIP: $tool is not installed"
    exit 77
  }
done

step_start=0
started() { step_start=$(date +%s.%N); }
took() { awk -v a="$step_start" -v b="$(date +%s.%N)" -v w="$1" 'BEGIN { printf "%-48s %6.1f s\n", w, b - a }'; }

# Our reader lists the names Python lists, and our extraction engine finds every entry sound.
check_ours() {
  local archive=$1 what=$2
  started
  "$LZ" list "$archive" --sort none >"$WORK/our-list" || fail "$what: larkspur-zip list"
  cut -f1 "$WORK/our-list" | cmp -s - "$WORK/python-names" || fail "$what: names differ from Python's"
  "$LZ" test "$archive" >/dev/null || fail "$what: larkspur-zip test"
  took "$what: larkspur-zip list and test"
}

# Every reader agrees the archive is sound and lists the same names in the same order.
check_readers() {
  local archive=$1 what=$2
  started
  archive_names "$archive" >"$WORK/python-names" || fail "$what: Python's zipfile"
  took "$what: python zipfile"
  started
  unzip -tqq "$archive" >/dev/null || fail "$what: unzip -t"
  took "$what: unzip -t"
  started
  7z t "$archive" >/dev/null || fail "$what: 7z t"
  took "$what: 7z t"
  check_ours "$archive" "$what"
}

# Whether the archive uses the 64-bit records or fields Python reports.
expect_zip64() {
  local archive=$1 what=$2
  python3 - "$archive" <<'EOF' || fail "$what: no 64-bit records"
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as z:
    wide = any(i.file_size >= 0xFFFFFFFF or i.compress_size >= 0xFFFFFFFF or
               i.header_offset >= 0xFFFFFFFF for i in z.infolist())
    sys.exit(0 if wide or len(z.infolist()) >= 0xFFFF else 1)
EOF
}

# Adds one file to the archive and checks that every old entry kept its local header and data
# byte for byte, and its directory record but for the offset; Python lists the names.
update_keeps_entries() {
  local archive=$1 what=$2
  cp --sparse=always "$archive" "$WORK/before.zip" 2>/dev/null || fail "$what: no room to keep a copy"
  echo "one more" >"$WORK/added-$what.txt"
  started
  "$LZ" add "$archive" "$WORK/added-$what.txt" >/dev/null || fail "$what: update"
  took "$what: update with one file"
  started
  python3 - "$WORK/before.zip" "$archive" >"$WORK/python-names" <<'EOF' || fail "$what: an old entry changed"
import hashlib, struct, sys, zipfile

def raw(path, info):
    """Digest of the entry's local header and data as they lie in the archive."""
    with open(path, "rb") as f:
        f.seek(info.header_offset)
        fixed = f.read(30)
        name_length, extra_length = struct.unpack("<HH", fixed[26:30])
        left = name_length + extra_length + info.compress_size
        digest = hashlib.sha256(fixed)
        while left:
            block = f.read(min(left, 1 << 20))
            if not block:
                sys.exit("cut off: " + info.filename)
            digest.update(block)
            left -= len(block)
        return digest.hexdigest()

def record(info):
    return (info.filename, info.CRC, info.compress_size, info.file_size, info.date_time,
            info.compress_type, info.external_attr, info.create_version, info.extract_version,
            info.flag_bits)

old_zip, new_zip = zipfile.ZipFile(sys.argv[1]), zipfile.ZipFile(sys.argv[2])
print("\n".join(new_zip.namelist()))
new = {i.filename: i for i in new_zip.infolist()}
if len(new) != len(old_zip.infolist()) + 1:
    sys.exit("expected one entry more")
for info in old_zip.infolist():
    other = new[info.filename]
    if record(info) != record(other):
        sys.exit("directory record changed: " + info.filename)
    if raw(sys.argv[1], info) != raw(sys.argv[2], other):
        sys.exit("local header or data changed: " + info.filename)
EOF
  took "$what: old entries compared"
  rm -f "$WORK/before.zip"
}

case_five() {
  mkdir -p "$WORK/five"
  truncate -s $((5 * GiB)) "$WORK/five/zeros.bin"
  started
  "$LZ" add "$WORK/five.zip" --level 1 "$WORK/five/zeros.bin" >/dev/null || fail "5 GiB: add"
  took "5 GiB entry: written at level 1"
  expect_zip64 "$WORK/five.zip" "5 GiB"
  check_readers "$WORK/five.zip" "5 GiB"
  update_keeps_entries "$WORK/five.zip" "5GiB"
  check_ours "$WORK/five.zip" "5 GiB updated"
  rm -rf "$WORK/five" "$WORK/five.zip"
}

case_total() {
  mkdir -p "$WORK/total"
  truncate -s $((2 * GiB)) "$WORK/total/part1.bin"
  truncate -s $((2 * GiB)) "$WORK/total/part2.bin"
  head -c 100000 /dev/urandom >"$WORK/total/tail.bin"
  started
  "$LZ" add "$WORK/total.zip" --level 0 "$WORK/total/part1.bin" "$WORK/total/part2.bin" \
    "$WORK/total/tail.bin" >/dev/null || fail "4 GiB total: add"
  took "more than 4 GiB: written stored"
  expect_zip64 "$WORK/total.zip" "4 GiB total"
  check_readers "$WORK/total.zip" "more than 4 GiB"
  update_keeps_entries "$WORK/total.zip" "total"
  check_ours "$WORK/total.zip" "more than 4 GiB updated"
  rm -rf "$WORK/total" "$WORK/total.zip"
}

case_many() {
  started
  python3 - "$WORK/many" <<'EOF'
import os, sys
os.makedirs(sys.argv[1])
for i in range(70000):
    with open(os.path.join(sys.argv[1], "f%05d.txt" % i), "w") as f:
        f.write("entry %d\n" % i)
EOF
  took "70,000 entries: files made"
  started
  "$LZ" add "$WORK/many.zip" --level 1 "$WORK/many" >/dev/null || fail "70,000: add"
  took "70,000 entries: written at level 1"
  expect_zip64 "$WORK/many.zip" "70,000 entries"
  check_readers "$WORK/many.zip" "70,000 entries"
  update_keeps_entries "$WORK/many.zip" "many"
  check_ours "$WORK/many.zip" "70,000 entries updated"
  rm -rf "$WORK/many" "$WORK/many.zip"
}

for c in five total many; do
  if [[ $CASES == *" $c "* ]]; then "case_$c"; fi
done
echo "PASS"
