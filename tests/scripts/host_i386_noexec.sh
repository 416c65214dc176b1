#!/usr/bin/env bash
# scripts/host-i386.sh in a copy of the tree whose build/ (and $TMPDIR, where
# the probe once went) is a noexec tmpfs: the probe cannot run there, which
# must read as "cannot tell" (2, the reason on stderr), not as "no 32-bit
# support" (1); made exec again, the mount gives an answer (0 or 1).
# Mounting needs root: where it is refused, skipped (77).
tree="$(mktemp -d)"
trap 'umount "$tree/build" 2>/dev/null; rm -rf "$tree"' EXIT
mkdir -p "$tree/scripts" "$tree/build" && cp "$1/scripts/host-i386.sh" "$tree/scripts/" || exit 1
mount -t tmpfs -o noexec,size=64k tmpfs "$tree/build" || { echo "skipped: mount refused"; exit 77; }
answer() {
    (unset ORVANEL_HOST_I386; export TMPDIR="$tree/build"
     . "$tree/scripts/host-i386.sh" && orvanel_host_runs_i386 2>"$tree/err")
    echo $?
}
status="$(answer)"
cat "$tree/err"
[ "$status" = 2 ] && grep -q "Permission denied" "$tree/err" || { echo "FAIL: status $status"; exit 1; }
mount -o remount,exec "$tree/build" && status="$(answer)" || exit 1
[ "$status" = 0 ] || [ "$status" = 1 ] || { echo "FAIL: status $status on an exec build/"; exit 1; }
