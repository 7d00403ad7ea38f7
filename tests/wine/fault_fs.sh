#!/bin/bash
# File systems for the fault tests, under ROOT: "full", a 64 KiB file system, and
# "ro", a read-only one holding a settings file. Mounting needs root; without it
# nothing is mounted and the tests that need them say so and skip.
#   fault_fs.sh ROOT setup | cleanup
root=$1
case $2 in
setup)
    "$0" "$root" cleanup
    mkdir -p "$root/full" "$root/ro-source" "$root/ro"
    printf 'c:\\\r\nc:\\\r\n100\r\n100\r\n' > "$root/ro-source/Leafcatch.ini"
    [ "$(id -u)" = 0 ] || { echo "not root: no file systems mounted"; exit 0; }
    mount -t tmpfs -o size=64k lc-full "$root/full" &&
        mount --bind "$root/ro-source" "$root/ro" &&
        mount -o remount,ro,bind "$root/ro" &&
        touch "$root/mounted" || echo "mounting failed: the tests that need it skip"
    ;;
cleanup)
    for m in "$root/ro" "$root/full"; do mountpoint -q "$m" && umount "$m"; done
    rm -rf "$root"
    ;;
esac
exit 0
