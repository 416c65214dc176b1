# Whether this host runs 32-bit x86 (i386) programs. Source it:
#   . scripts/host-i386.sh; if orvanel_host_runs_i386; then ...
# Some x86_64 kernels run 64-bit user code only (IA-32 emulation off):
# there every i386 program, Wine's 32-bit loader included, fails with
# "Exec format error". The test is the real thing: a 96-byte static i386
# ELF program that only calls exit(42) is run once, and the answer kept in
# ORVANEL_HOST_I386 (yes/no) for whatever this shell starts.

orvanel_host_runs_i386() {
    if [ -z "${ORVANEL_HOST_I386:-}" ]; then
        local probe status
        probe="$(mktemp "${TMPDIR:-/tmp}/orvanel-i386.XXXXXX")" || return 1
        # ELF header (52 bytes), one loadable segment (32 bytes), then
        # mov eax,1; mov ebx,42; int 0x80.
        printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00' >"$probe"
        printf '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00' >>"$probe"
        printf '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00' >>"$probe"
        printf '\x00\x00\x00\x00' >>"$probe"
        printf '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08' >>"$probe"
        printf '\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00' >>"$probe"
        printf '\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' >>"$probe"
        chmod +x "$probe"
        "$probe" >/dev/null 2>&1
        status=$?
        rm -f "$probe"
        if [ "$status" = 42 ]; then ORVANEL_HOST_I386=yes; else ORVANEL_HOST_I386=no; fi
        export ORVANEL_HOST_I386
    fi
    [ "$ORVANEL_HOST_I386" = yes ]
}
