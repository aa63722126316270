#!/bin/sh
# 32-bit (i386) Linux programs, the 32-bit Wine loader among them, on a
# machine whose kernel runs none: Debian's qemu-i386 registered for them
# through binfmt_misc. A registration takes precedence over the kernel's own
# loader, so registering on a machine that runs them natively forces the
# emulated path too.
# Usage: i386-emulation.sh probe|status|register|remove
#   probe     exit 0 when an i386 program starts here (natively or emulated)
#   status    prints "native", "emulated" or "none"
#   register  (as root) mounts binfmt_misc if needed and registers qemu-i386
#             for i386 programs; an enabled registration for them already
#             there (Debian's own, say) is left alone
#   remove    (as root) takes away the registration this script made
set -eu

binfmt=${QUILLON_BINFMT_MISC:-/proc/sys/fs/binfmt_misc}
name=quillon-qemu-i386
qemu=${QUILLON_QEMU_I386:-/usr/bin/qemu-i386}
# The magic and mask of an i386 executable or shared object (ELF32, little
# endian, machine 3), as qemu's own registrations give them.
magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'

# A 93-byte i386 program that only exits with status 0: whether it starts
# says whether this machine runs i386 programs, with no compiler needed.
probe() {
    dir=$(mktemp -d)
    printf '\177\105\114\106\001\001\001\000\000\000\000\000\000\000\000\000\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010\135\000\000\000\135\000\000\000\005\000\000\000\000\020\000\000\270\001\000\000\000\061\333\315\200' >"$dir/probe"
    chmod +x "$dir/probe"
    status=0
    "$dir/probe" >/dev/null 2>&1 || status=$?
    rm -rf "$dir"
    return $status
}

# Whether any enabled registration serves i386 programs (binfmt_misc shows
# the magic as hex).
registered() {
    for entry in "$binfmt"/*; do
        case "${entry##*/}" in register | status) continue ;; esac
        [ -f "$entry" ] || continue
        grep -qx enabled "$entry" && grep -qx 'magic 7f454c4601010100000000000000000002000300' "$entry" && return 0
    done
    return 1
}

case "${1:-}" in
probe)
    probe
    ;;
status)
    if ! probe; then
        echo none
    elif registered; then
        echo emulated
    else
        echo native
    fi
    ;;
register)
    if [ ! -e "$binfmt/register" ]; then
        mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null || {
            echo "cannot mount binfmt_misc at $binfmt" >&2
            exit 1
        }
    fi
    [ -x "$qemu" ] || { echo "$qemu is missing (Debian package qemu-user)" >&2; exit 1; }
    if ! registered; then
        # F: the interpreter is opened now, so it serves every mount namespace.
        printf '%s\n' ":$name:M::$magic:$mask:$qemu:F" >"$binfmt/register" || {
            echo "cannot register $qemu for i386 programs in $binfmt" >&2
            exit 1
        }
    fi
    probe || { echo "i386 programs still do not start with $qemu registered" >&2; exit 1; }
    ;;
remove)
    if [ -e "$binfmt/$name" ]; then
        echo -1 >"$binfmt/$name"
    fi
    ;;
*)
    echo "usage: i386-emulation.sh probe|status|register|remove" >&2
    exit 2
    ;;
esac
