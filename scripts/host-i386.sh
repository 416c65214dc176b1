# Whether this host runs 32-bit x86 (i386) programs. Source it:
#   . scripts/host-i386.sh
#   orvanel_host_runs_i386; case $? in 0) yes ;; 1) no ;; *) cannot tell: stop ;; esac
# Some x86_64 kernels run 64-bit user code only (IA-32 emulation off):
# there every i386 program, Wine's 32-bit loader included, fails with
# "Exec format error". The test is the real thing: a 96-byte static i386
# ELF program that only calls exit(42) is run once, and the answer kept in
# ORVANEL_HOST_I386 (yes/no) for whatever this shell starts; a value set
# there beforehand is taken as the answer.
#
# The probe is written to the repository's build folder (made if missing),
# not to $TMPDIR, which is often a noexec mount. When the probe cannot be
# run for another reason than its format (a noexec mount, a folder that
# cannot be written), there is no answer: the function says why on
# standard error and returns 2, and the caller stops instead of guessing.

orvanel_host_runs_i386() {
    if [ -n "${ORVANEL_HOST_I386:-}" ]; then
        [ "$ORVANEL_HOST_I386" = yes ]
        return
    fi
    local dir probe status message why=""
    dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build"
    if ! mkdir -p "$dir" || ! probe="$(mktemp "$dir/orvanel-i386.XXXXXX")"; then
        why="it cannot be written there"
    else
        # ELF header (52 bytes), one loadable segment (32 bytes), then
        # mov eax,1; mov ebx,42; int 0x80.
        {
            printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'
            printf '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00'
            printf '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00'
            printf '\x00\x00\x00\x00'
            printf '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08'
            printf '\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00'
            printf '\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80'
        } >"$probe"
        chmod +x "$probe"
        # The shell's own message names the reason an exec failed; read in
        # the C locale, where the kernel's ENOEXEC is "Exec format error".
        message="$(
            export LC_ALL=C
            "$probe" 2>&1 >/dev/null
        )"
        status=$?
        rm -f "$probe"
        if [ "$status" = 42 ]; then
            ORVANEL_HOST_I386=yes
        elif [ "$status" = 126 ] && [[ "$message" == *"Exec format error"* ]]; then
            ORVANEL_HOST_I386=no
        else
            why="exit status $status${message:+: ${message##*: }}"
        fi
    fi
    if [ -n "$why" ]; then
        echo "host-i386: the i386 probe cannot run in $dir ($why), so whether this host runs" \
            "32-bit programs is not known. Make that folder one whose programs can run (not on a" \
            "noexec mount), or say it with ORVANEL_HOST_I386=yes or ORVANEL_HOST_I386=no." >&2
        return 2
    fi
    export ORVANEL_HOST_I386
    [ "$ORVANEL_HOST_I386" = yes ]
}
