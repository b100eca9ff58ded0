#!/usr/bin/env bash
# Installs everything the project needs on a Debian 12 machine (run as root).
# Does nothing when every package is already there.
set -euo pipefail

packages=(wine wine32:i386 wine64 g++-mingw-w64-i686-posix cmake make
          xvfb x11-utils xdotool imagemagick fonts-ipafont-gothic locales
          cppcheck googletest strace)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

export DEBIAN_FRONTEND=noninteractive
if [ ${#missing[@]} -gt 0 ]; then
    echo "install-deps: installing ${missing[*]}"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
    fi
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine runs the 32-bit side of a Windows program with the i386 Linux loader.
# Some virtual machines refuse every 32-bit Linux binary (the host runs
# 64-bit user code only); there the i386 side runs under qemu's user-mode
# emulator. qemu 7.2 ignores MAP_FIXED_NOREPLACE, which makes Wine's address
# space reservation take ~50 s per process; the backported qemu 10 does not.
if ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
    if ! qemu-i386-static --version 2>/dev/null | grep -q 'version 1[0-9]'; then
        echo "install-deps: this machine runs no 32-bit code natively; installing qemu-user-static from bookworm-backports"
        echo 'deb http://deb.debian.org/debian bookworm-backports main' \
            > /etc/apt/sources.list.d/bookworm-backports.list
        apt-get update -qq
        apt-get install -y -qq --no-install-recommends -t bookworm-backports qemu-user-static >/dev/null
    fi
    binfmt=/proc/sys/fs/binfmt_misc
    [ -e "$binfmt/register" ] || mount -t binfmt_misc binfmt_misc "$binfmt"
    magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'
    mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
    for kind in exec:02 dyn:03; do
        name="i386-${kind%%:*}"
        [ -e "$binfmt/$name" ] && echo -1 > "$binfmt/$name"
        echo ":$name:M::${magic}\\x${kind##*:}\\x00\\x03\\x00:${mask}:/usr/bin/qemu-i386-static:F" > "$binfmt/register"
    done
    # Earlier registrations under other names would shadow ours.
    for old in qemu-i386 qemu-i386so; do
        [ -e "$binfmt/$old" ] && echo -1 > "$binfmt/$old"
    done
    /lib/ld-linux.so.2 --version >/dev/null 2>&1 || { echo "install-deps: i386 binaries still do not run" >&2; exit 1; }
    echo "install-deps: i386 binaries run under $(qemu-i386-static --version | head -1)"
fi
echo "install-deps: ready"
