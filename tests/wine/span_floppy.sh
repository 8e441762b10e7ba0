# Spanning onto a real removable drive: a 300 KB RAM disk becomes floppy drive A: of the prefix,
# the writer tests' floppy cases span a set over it, and each disk's volume label is read back by
# a fresh Wine session (Wine's mount manager reads a label only when it starts).
# Exit 77 (skipped) when no RAM disk can be mounted.
. "$(dirname "$0")/wine_common.sh"

WORK="$WINE_TEST_DIR/floppy"
DRIVE_DIR="$WORK/drive"
SHELF="$WORK/shelf"
DRIVES_KEY='HKLM\Software\Wine\Drives'
DRIVE_LINK="$WINEPREFIX/dosdevices/a:"

ensure_prefix
# A mount left by a killed run would hide what this run writes.
mountpoint -q "$DRIVE_DIR" 2>/dev/null && umount "$DRIVE_DIR"
rm -rf "$WORK"
mkdir -p "$DRIVE_DIR" "$SHELF"
if ! mount -t tmpfs -o size=300k larkspur_floppy "$DRIVE_DIR" 2>"$WORK/mount.txt"; then
  echo "SKIPPED: cannot mount a RAM disk for drive A: ($(cat "$WORK/mount.txt"))"
  exit 77
fi

unmap_drive() {
  timeout 60 wine reg delete "$DRIVES_KEY" /v a: /f >/dev/null 2>&1
  rm -f "$DRIVE_LINK"
  # The registry is saved when the server ends; a server that will not end is killed.
  timeout 60 wineserver -w || timeout 60 wineserver -k
  umount "$DRIVE_DIR"
}
trap unmap_drive EXIT

rm -f "$DRIVE_LINK"
ln -s "$DRIVE_DIR" "$DRIVE_LINK"
timeout 60 wine reg add "$DRIVES_KEY" /v a: /t REG_SZ /d floppy /f >/dev/null 2>&1
# The mount manager learns drive types when it starts: the test gets a server of its own.
timeout 120 wineserver -w

out=$(LARKSPUR_FLOPPY_SHELF=$(win_path "$SHELF") \
      wine_run "$(win_path "$WRITER_TESTS")" --gtest_filter='SpanFloppyTest.*')
echo "$out"
if grep -q '^\[  PASSED  \] 2 tests' <<<"$out" && ! grep -q SKIPPED <<<"$out"; then
  pass "the set was spanned over drive A: and read back"
else
  fail "the floppy cases of the writer tests"
fi

# The label of disk $2 as the drive reports it with the files of folder $1 in it.
disk_label_is() {
  local disk=$1 label=$2 said
  rm -rf "${DRIVE_DIR:?}"/* "$DRIVE_DIR"/.[!.]*
  cp -a "$disk"/. "$DRIVE_DIR"/
  timeout 120 wineserver -w
  said=$(wine_run cmd /c vol a:)
  if grep -qF "$label" <<<"$said"; then pass "$disk: $label"
  else fail "$disk: label '$label' expected, the drive says: $said"; fi
}

disks=0
for disk in "$SHELF"/FullDisksAreSwappedAndTheSetReadsBack/disk*; do
  [ -d "$disk" ] || continue
  n=${disk##*disk}
  disk_label_is "$disk" "$(printf 'PKBACK# %03d' "$n")"
  disks=$((disks + 1))
done
((disks >= 3)) && pass "$disks disks" || fail "$disks disks on the shelf, expected 3 or more"
disk_label_is "$SHELF/AnEmptyNameCancelsAndTheFinishedDiskStays/disk1" 'PKBACK# 001'
rm -rf "${DRIVE_DIR:?}"/* "$DRIVE_DIR"/.[!.]*

finish
