#!/usr/bin/env bash
# Runs the 32-bit Windows checks (scripts/windows-checks.sh 32) inside a small
# emulated x86-64 machine, for hosts whose kernel cannot run 32-bit programs:
# the guest's Debian kernel runs them, and Wine's 32-bit half with them.
#
# The guest is a Debian 12 root file system (debootstrap, minbase) with the
# kernel, 32-bit Wine, Xvfb, qpdf and the fonts the examples use, in an ext4
# image with a prepared 32-bit Wine prefix. It is made once and kept in
#   ${XDG_CACHE_HOME:-$HOME/.cache}/vellumark/vm32/KEY
# where KEY hashes this script and the versions of the guest's packages, so a
# new package version or a change here makes a new image. A run boots it with
# its writes thrown away (snapshot), shares one exchange folder with it (9p)
# that holds the checks, the DLL, the early-bound client, the scripts and the
# results of `vellumark run` made on the host, and the guest's first process
# runs the checks, writes their log and status back there and powers off.
# Every boot is bounded in time; the exit status is that of the checks.
#
#   scripts/test-windows32-vm.sh [--no-build] [--expected DIR] [--image-only]
#     --no-build      use build-win32/ and build/vellumark as they are
#     --expected DIR  the results of `scripts/windows-checks.sh expect DIR`
#     --image-only    make the image if it is not cached, run nothing
# Environment: VELLUMARK_VM32_CACHE (the cache folder), VELLUMARK_VM32_TIMEOUT
# (seconds one boot of the checks may take, default 1200), VELLUMARK_VM32_ACCEL
# (tcg, the default, or kvm where the host runs guests with it; TCG remains
# the fallback), VELLUMARK_DEBIAN_MIRROR.
# Making the image needs root (debootstrap, chroot); so do the boots, whose
# shared folder the guest writes as the host's user.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
self="$root/scripts/$(basename "$0")"
cd "$root"

build=1 expected="" image_only=0
while [ $# -gt 0 ]; do
  case "$1" in
    --no-build) build=0 ;;
    --expected) expected="$(cd "${2:?}" && pwd)"; shift ;;
    --image-only) image_only=1 ;;
    *) echo "usage: scripts/test-windows32-vm.sh [--no-build] [--expected DIR] [--image-only]" >&2; exit 2 ;;
  esac
  shift
done

say() { echo "vm32: $*"; }
die() { echo "FAIL: 32-bit checks in the emulated machine: $*"; exit 1; }

mirror="${VELLUMARK_DEBIAN_MIRROR:-http://deb.debian.org/debian}"
suite=bookworm
# The guest's packages besides minbase. Wine's 32-bit half only: the checks
# run 32-bit programs alone.
guest_packages=(linux-image-amd64 kmod wine wine32:i386 libwine:i386 xvfb xauth qpdf
  fonts-dejavu-core fonts-liberation)
cache="${VELLUMARK_VM32_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/vellumark/vm32}"
prefix=/opt/vellumark/wine32

for tool in debootstrap qemu-system-x86_64 mke2fs; do
  command -v "$tool" >/dev/null || PATH="$PATH:/usr/sbin:/sbin"
  command -v "$tool" >/dev/null || { scripts/setup.sh --windows >/dev/null; break; }
done

# The image's key: this script and the versions that apt would install.
image_key() {
  {
    cat "$self"
    echo "$mirror $suite"
    local p
    for p in "${guest_packages[@]}"; do
      echo "$p $(apt-cache policy "$p" 2>/dev/null | sed -n 's/^ *Candidate: //p')"
    done
  } | sha256sum | cut -c1-16
}

# The guest's first process: mounts what Wine and Xvfb need and the exchange
# folder, runs its job.sh within its time limit, keeps the output and status
# there, and powers the machine off. Should it end early, the kernel panics
# and reboots, which ends qemu (-no-reboot).
guest_init='#!/bin/sh
PATH=/usr/sbin:/usr/bin:/sbin:/bin
HOME=/root
LANG=C.UTF-8
export PATH HOME LANG
mountpoint -q /proc || mount -t proc proc /proc
mountpoint -q /sys || mount -t sysfs sysfs /sys
mountpoint -q /dev || mount -t devtmpfs devtmpfs /dev
mkdir -p /dev/pts /dev/shm
mountpoint -q /dev/pts || mount -t devpts devpts /dev/pts
mount -t tmpfs tmpfs /dev/shm
mount -t tmpfs tmpfs /tmp
mount -t tmpfs tmpfs /run
hostname vm32
modprobe 9pnet_virtio
modprobe 9p
mkdir -p /mnt/x
if mount -t 9p -o trans=virtio,version=9p2000.L,msize=262144 x /mnt/x; then
  mkdir -p /mnt/x/out
  cut -d" " -f1 /proc/uptime >/mnt/x/out/started
  timeout "$(cat /mnt/x/limit)" bash /mnt/x/job.sh >/mnt/x/out/job.log 2>&1
  echo $? >/mnt/x/out/status
  cut -d" " -f1 /proc/uptime >/mnt/x/out/ended
  umount /mnt/x
fi
sync
echo o >/proc/sysrq-trigger
sleep 30
'

# TCG, qemu's own translator, unless told otherwise: a machine that shows
# /dev/kvm may still not run guests with it (nested virtualisation).
accel() { echo "${VELLUMARK_VM32_ACCEL:-tcg}"; }

qemu=""
stop_machine() { [ -n "$qemu" ] && kill "$qemu" 2>/dev/null && wait "$qemu"; }
trap 'stop_machine; exit 130' INT TERM HUP
trap stop_machine EXIT

# boot IMAGE-DIR EXCHANGE-DIR SECONDS [snapshot]: runs EXCHANGE-DIR/job.sh in
# the guest; the console goes to EXCHANGE-DIR/console.log.
boot() {
  local image="$1" xdir="$2" limit="$3" snapshot="${4:-}" drive accels=()
  drive="file=$image/root.img,if=virtio,format=raw"
  [ "$snapshot" = snapshot ] && drive="$drive,snapshot=on"
  # The default CPU model: under TCG, "-cpu max" makes every 32-bit Wine
  # process crash.
  [ "$(accel)" = kvm ] && accels=(-accel kvm)
  accels+=(-accel tcg,thread=multi)
  echo $((limit - 30)) >"$xdir/limit"
  rm -rf "$xdir/out"
  timeout --kill-after=15 "$limit" qemu-system-x86_64 "${accels[@]}" -m 4096 -smp 2 \
    -nographic -no-reboot -nic none \
    -kernel "$image/vmlinuz" -initrd "$image/initrd.img" \
    -append "root=/dev/vda rw rootfstype=ext4 console=ttyS0 panic=1 quiet loglevel=3 init=/sbin/vellumark-vm-init" \
    -drive "$drive" \
    -virtfs "local,path=$xdir,mount_tag=x,security_model=none,id=x" \
    </dev/null >"$xdir/console.log" 2>&1 &
  # Should this script be stopped, the machine stops with it.
  qemu=$!
  wait $qemu
  local rc=$?
  qemu=""
  [ $rc -eq 124 ] || [ $rc -eq 137 ] && echo "the emulated machine did not finish within $limit s"
  [ -f "$xdir/out/status" ] && return "$(cat "$xdir/out/status")"
  return 1
}

# Makes the image in $1 (a new folder): the root file system, the kernel
# and its initial RAM disk beside it, then a first boot that finishes the
# packages' setup where 32-bit programs run and prepares the Wine prefix.
make_image() {
  local out="$1" rootfs="$1/rootfs" status=0
  mkdir -p "$out"
  say "debootstrap $suite (minbase) from $mirror"
  if ! timeout 1800 debootstrap --variant=minbase --arch=amd64 "$suite" "$rootfs" "$mirror" \
      >"$out/debootstrap.log" 2>&1; then
    tail -20 "$out/debootstrap.log"; return 1
  fi
  cat >"$rootfs/etc/apt/sources.list" <<EOF
deb $mirror $suite main
deb $mirror $suite-updates main
deb ${mirror%/debian}/debian-security $suite-security main
EOF
  printf '#!/bin/sh\nexit 101\n' >"$rootfs/usr/sbin/policy-rc.d"
  chmod +x "$rootfs/usr/sbin/policy-rc.d"
  printf '%s' "$guest_init" >"$rootfs/sbin/vellumark-vm-init"
  chmod +x "$rootfs/sbin/vellumark-vm-init"
  # A small initial RAM disk, quick to make and to boot: the modules that
  # mount the root file system on the virtio disk, and nothing else.
  mkdir -p "$rootfs/etc/initramfs-tools/conf.d" "$rootfs/etc/initramfs-tools/hooks"
  printf 'MODULES=list\nCOMPRESS=gzip\n' >"$rootfs/etc/initramfs-tools/conf.d/vellumark-vm"
  printf '%s\n' '#!/bin/sh' '[ "$1" = prereqs ] && exit 0' '. /usr/share/initramfs-tools/hook-functions' \
    'for m in virtio_pci virtio_blk crc32c_generic ext4; do force_load $m; done' \
    >"$rootfs/etc/initramfs-tools/hooks/vellumark-vm"
  chmod +x "$rootfs/etc/initramfs-tools/hooks/vellumark-vm"
  mount -t proc proc "$rootfs/proc" || return 1
  say "installing ${guest_packages[*]}"
  # On a host that cannot run 32-bit programs the setup of some i386 packages
  # fails here: they are left unpacked, and the first boot configures them.
  (
    export DEBIAN_FRONTEND=noninteractive LANG=C.UTF-8
    chroot "$rootfs" dpkg --add-architecture i386 || exit 1
    # A mirror in the middle of a sync fails an index now and then: try again,
    # and leave it to the installation to say whether what came is enough.
    for try in 1 2 3; do
      timeout 600 chroot "$rootfs" apt-get update -qq && break
      sleep 20
    done
    # Should a failed step stop apt, once more after configuring what can be.
    timeout 1800 chroot "$rootfs" apt-get install -y -qq --no-install-recommends "${guest_packages[@]}" ||
      { chroot "$rootfs" dpkg --configure -a
        timeout 1800 chroot "$rootfs" apt-get install -y -qq --no-install-recommends "${guest_packages[@]}"; }
    chroot "$rootfs" apt-get clean
    for p in "${guest_packages[@]}"; do
      chroot "$rootfs" dpkg-query -W -f='${Status}\n' "$p" | grep -qE ' (unpacked|half-configured|triggers-[a-z]+|installed)$' ||
        { echo "$p is not installed"; exit 1; }
    done
  ) >"$out/install.log" 2>&1 || status=1
  umount "$rootfs/proc" || umount -l "$rootfs/proc"
  if [ $status -ne 0 ]; then tail -20 "$out/install.log"; return 1; fi
  rm -rf "$rootfs"/var/lib/apt/lists/* "$rootfs/usr/sbin/policy-rc.d"
  cp "$(ls "$rootfs"/boot/vmlinuz-* | tail -1)" "$out/vmlinuz" &&
    cp "$(ls "$rootfs"/boot/initrd.img-* | tail -1)" "$out/initrd.img" || return 1
  local size
  size=$(($(du -sm "$rootfs" | cut -f1) + 1536))
  mke2fs -q -t ext4 -L vm32 -d "$rootfs" "$out/root.img" "${size}M" >/dev/null || return 1
  rm -rf "$rootfs"

  say "first boot: package setup and the 32-bit Wine prefix"
  local xdir="$out/exchange"
  mkdir -p "$xdir"
  cat >"$xdir/job.sh" <<EOF
set -ex
dpkg --configure -a
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" WINEARCH=win32 WINEPREFIX=$prefix
mkdir -p $(dirname "$prefix")
xvfb-run -a -s "-screen 0 1024x768x24" sh -c '/usr/lib/wine/wine wineboot -i; wineserver -w' || exit 1
test -f $prefix/system.reg || exit 1
# On a busy host the desktop may miss its start within wineboot, leaving a
# prefix without the display's settings (its system colours among them), in
# which no window can be made later: start it again until they are there.
for try in 1 2 3; do
  grep -q '^"Window"=' $prefix/user.reg && break
  xvfb-run -a -s "-screen 0 1024x768x24" sh -c '/usr/lib/wine/wine wineboot -u; wineserver -w' || true
done
grep -q '^"Window"=' $prefix/user.reg || { echo "the Wine prefix has no display settings"; exit 1; }
/usr/lib/wine/wine --version
dpkg-query -W >/mnt/x/out/packages.txt
EOF
  if ! boot "$out" "$xdir" 1800; then
    tail -30 "$xdir/out/job.log" 2>/dev/null || tail -30 "$xdir/console.log"; return 1
  fi
  cp "$xdir/out/packages.txt" "$out/"
  rm -rf "$xdir"
}

key="$(image_key)"
image="$cache/$key"
mkdir -p "$cache"
exec 9>"$cache/.lock"
flock 9
if [ ! -f "$image/root.img" ] || [ ! -f "$image/packages.txt" ]; then
  start=$SECONDS
  building="$cache/building-$key-$$"
  rm -rf "$cache"/building-*
  if ! make_image "$building"; then
    # Kept only if something is still mounted inside.
    grep -q " $building/" /proc/self/mounts || rm -rf "$building"
    die "the guest image could not be made"
  fi
  # One image at a time: the others are out of date.
  find "$cache" -mindepth 1 -maxdepth 1 -type d ! -name "building-$key-$$" -exec rm -rf {} +
  mv "$building" "$image"
  say "image $key made in $((SECONDS - start)) s ($(du -sm --apparent-size "$image/root.img" | cut -f1) MB, $(du -sm "$image/root.img" | cut -f1) MB used)"
fi
flock -u 9
[ $image_only -eq 1 ] && { say "image $image"; exit 0; }

if [ $build -eq 1 ]; then
  scripts/build-windows.sh >/dev/null || die "Windows build"
  cmake --build build --target vellumark >/dev/null 2>&1 || scripts/build.sh build >/dev/null || die "Linux build"
fi

# The exchange folder: the checks and what they need, laid out as in the tree.
xdir="$(mktemp -d /tmp/vellumark-vm32.XXXXXX)"
trap 'stop_machine; rm -rf "$xdir"' EXIT
mkdir -p "$xdir/scripts" "$xdir/tests" "$xdir/build-win32"
cp scripts/windows-checks.sh "$xdir/scripts/"
cp -rL tests/windows "$xdir/tests/"
cp -rL examples "$xdir/"
cp build-win32/VellumarkX.dll build-win32/EarlyBound.exe "$xdir/build-win32/" || die "build-win32 is not built"
if [ -n "$expected" ]; then cp -r "$expected" "$xdir/expected"
else scripts/windows-checks.sh expect "$xdir/expected" || die "vellumark run"; fi
cat >"$xdir/job.sh" <<EOF
export VELLUMARK_WINEPREFIX=$prefix
bash /mnt/x/scripts/windows-checks.sh 32 /mnt/x/build-win32 /mnt/x/expected
EOF

start=$SECONDS
limit="${VELLUMARK_VM32_TIMEOUT:-1200}"
boot "$image" "$xdir" "$limit" snapshot
status=$?
[ -f "$xdir/out/job.log" ] && cat "$xdir/out/job.log"
[ "$(cat "$xdir/out/status" 2>/dev/null)" = 124 ] &&
  echo "FAIL: 32-bit checks in the emulated machine: not done within $((limit - 30)) s"
say "the emulated machine ran $((SECONDS - start)) s ($(accel)); its clock: booted at $(cat "$xdir/out/started" 2>/dev/null) s, checks done at $(cat "$xdir/out/ended" 2>/dev/null) s"
if [ ! -f "$xdir/out/status" ]; then
  tail -30 "$xdir/console.log"
  die "no result came back from the emulated machine"
fi
exit $status
