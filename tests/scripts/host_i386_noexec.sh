#!/usr/bin/env bash
# scripts/host-i386.sh in a copy of the tree whose build/ (and $TMPDIR, where
# the probe once went) is a noexec tmpfs: a probe that cannot run there
# must not read as "no 32-bit support" (status 1) but as "cannot tell" (2),
# with the reason on standard error. The same mount made exec again then
# gives an answer. Mounting needs root: where it is refused, skipped (77).
set -u
tree="$(mktemp -d)"
trap 'umount "$tree/build" 2>/dev/null; rm -rf "$tree"' EXIT
mkdir -p "$tree/scripts" "$tree/build"
cp "$1/scripts/host-i386.sh" "$tree/scripts/"
if ! mount -t tmpfs -o noexec,size=64k tmpfs "$tree/build" 2>"$tree/err"; then
    echo "skipped: mounting a noexec tmpfs was refused: $(cat "$tree/err")"
    exit 77
fi
answer() {
    (
        unset ORVANEL_HOST_I386
        export TMPDIR="$tree/build"
        . "$tree/scripts/host-i386.sh"
        orvanel_host_runs_i386 2>"$tree/err"
    )
    echo $?
}
status="$(answer)"
cat "$tree/err"
[ "$status" = 2 ] || { echo "FAIL: status $status on a noexec build/, not 2 (cannot tell)"; exit 1; }
grep -q "Permission denied" "$tree/err" || { echo "FAIL: the reason is not on standard error"; exit 1; }
mount -o remount,exec "$tree/build" || exit 1
status="$(answer)"
[ "$status" = 0 ] || [ "$status" = 1 ] || { echo "FAIL: status $status with build/ exec again"; exit 1; }
echo "noexec build/: cannot tell (2); exec build/: $status"
