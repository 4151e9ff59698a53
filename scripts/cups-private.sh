#!/usr/bin/env bash
# A private CUPS scheduler for the tests: its own configuration, spool, state and programs under
# DIR, reachable only through the socket DIR/cups.sock (written to DIR/socket for CUPS_SERVER).
# The system's scheduler and its configuration are never touched.
#
#   cups-private.sh start DIR   (re)start a fresh scheduler in DIR with these queues: bar-58,
#                               Kassa-80 (which says 300 dpi), kitchen-80 (the default) and
#                               Stop-80, which refuses jobs. CUPS lists them without regard to
#                               case, so the order differs from byte order. Prints the socket
#                               path.
#   cups-private.sh stop DIR    stop the scheduler of DIR (no error when none runs)
#
# Each queue has a driver that takes PDF as it comes, like a printer with a driver of its own, and
# every job it prints is captured in DIR/out/<queue>/: <job>.data is the document as submitted,
# <job>.title its title; the title file appears only once the data is complete. The drivers are in
# DIR/ppd (capture-203.ppd, capture-300.ppd) for queues a test adds. CUPS's socket
# backend is there too, for raw queues a test adds (lpadmin -p Q -E -v socket://127.0.0.1:PORT -m
# raw) on a port where it listens itself, and a backend whose device is never found
# (-v unreachable:/Q).
#
# DIR must be missing, empty or made by this script: any other folder is refused untouched.
# Everything the scheduler, its programs and the administration commands write stays in DIR,
# temporary files included (spool/tmp and tmp), with one exception: the scheduler runs backends
# and filters as user lp, which must reach them, the documents in the spool and the drivers. When
# lp cannot enter DIR (a build tree under /root, mode 0700), those files live in a folder of the
# script's own in /tmp instead, named in DIR/home and removed by stop.
set -euo pipefail
scripts=$(dirname "$0")
# shellcheck source=scripts/process.sh
. "$scripts/process.sh"
# shellcheck source=scripts/private-dir.sh
. "$scripts/private-dir.sh"

usage="usage: cups-private.sh start|stop DIR"
cmd=${1:?$usage}
dir=${2:?$usage}

# Sets the folder's absolute path and the paths in it; home is where the scheduler's own files
# are.
resolve_dir() {
  dir=$(cd "$dir" && pwd -P)
  sock=$dir/cups.sock
  pidfile=$dir/cupsd.pid
  home=$dir
  [ -f "$dir/home" ] && home=$(cat "$dir/home")
  return 0
}

# lp_reaches FOLDER: whether user lp, as whom the scheduler runs backends and filters, can enter
# FOLDER, every folder above it included.
lp_reaches() {
  setpriv --reuid=lp --regid=lp --clear-groups -- test -x "$1" 2>/dev/null
}

# Stops the scheduler and removes a home of its own in /tmp.
stop() {
  stop_by_pidfile "$pidfile"
  rm -f "$dir/socket" "$sock"
  if [ "$home" != "$dir" ]; then
    check_private_dir cups-home "$home" && rm -rf "${home:?}"
    rm -f "$dir/home"
    home=$dir
  fi
}

fail() {
  echo "cups-private: $*" >&2
  [ -f "$home/log/error_log" ] && tail -n 20 "$home/log/error_log" >&2
  stop
  exit 1
}

# Chooses the scheduler's home: DIR when lp can enter it, else a new folder in /tmp.
choose_home() {
  lp_reaches "$dir" && return 0
  if ! lp_reaches /tmp; then
    echo "cups-private: CUPS runs backends and filters as user lp, which can enter neither" \
      "$dir nor /tmp; give lp search permission (o+x) on the folders above one of them." >&2
    exit 1
  fi
  home=$(mktemp -d /tmp/talvex-cups.XXXXXX)
  adopt_private_dir cups-home "$home"
  echo "$home" >"$dir/home"
}

# write_capture_ppd DPI: the capture queues' driver at DPI dots per inch, in DIR/ppd, where tests
# find it to add queues of their own. It passes PDF through without a filter ("-"), so the capture
# backend keeps the document as submitted, and describes an 80 mm roll.
write_capture_ppd() {
  cat >"$dir/ppd/capture-$1.ppd" <<EOF
*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "TVCAPT.PPD"
*Manufacturer: "Talvex"
*Product: "(Talvex capture)"
*ModelName: "Talvex PDF capture"
*ShortNickName: "Talvex PDF capture"
*NickName: "Talvex PDF capture, $1 dpi"
*PSVersion: "(3010.000) 0"
*LanguageLevel: "3"
*ColorDevice: False
*DefaultColorSpace: Gray
*FileSystem: False
*Throughput: "1"
*LandscapeOrientation: Plus90
*TTRasterizer: Type42
*cupsVersion: 2.4
*cupsFilter2: "application/pdf application/pdf 0 -"
*OpenUI *PageSize/Media Size: PickOne
*OrderDependency: 10 AnySetup *PageSize
*DefaultPageSize: X80MMY297MM
*PageSize X80MMY297MM/80 x 297 mm: "<</PageSize[227 842]>>setpagedevice"
*CloseUI: *PageSize
*OpenUI *PageRegion: PickOne
*OrderDependency: 10 AnySetup *PageRegion
*DefaultPageRegion: X80MMY297MM
*PageRegion X80MMY297MM/80 x 297 mm: "<</PageSize[227 842]>>setpagedevice"
*CloseUI: *PageRegion
*DefaultImageableArea: X80MMY297MM
*ImageableArea X80MMY297MM: "0 0 227 842"
*DefaultPaperDimension: X80MMY297MM
*PaperDimension X80MMY297MM: "227 842"
*OpenUI *Resolution/Resolution: PickOne
*OrderDependency: 10 AnySetup *Resolution
*DefaultResolution: $1dpi
*Resolution $1dpi/$1 dpi: "<</HWResolution[$1 $1]>>setpagedevice"
*CloseUI: *Resolution
EOF
}

start() {
  adopt_private_dir cups "$dir" || exit 1
  resolve_dir
  if [ "$(id -u)" -ne 0 ]; then
    echo "cups-private: the scheduler and its capture backend need to run as root" >&2
    exit 1
  fi
  # A Unix socket path holds at most 107 bytes.
  if [ ${#sock} -gt 100 ]; then
    echo "cups-private: $sock is too long for a socket path; use a shorter build directory" >&2
    exit 1
  fi
  local cupsd lpadmin lpstat cupsreject sysbin
  cupsd=$(find_program cupsd cups-daemon) || exit 1
  lpadmin=$(find_program lpadmin cups-client) || exit 1
  lpstat=$(find_program lpstat cups-client) || exit 1
  cupsreject=$(find_program cupsreject cups-client) || exit 1
  sysbin=$(cups-config --serverbin 2>/dev/null || echo /usr/lib/cups)

  stop
  rm -rf "${dir:?}/conf" "$dir/spool" "$dir/state" "$dir/cache" "${dir:?}/bin" "$dir/log" \
    "$dir/out" "$dir/tmp" "$dir/ppd"
  choose_home
  mkdir -p "$home/conf" "$home/spool/tmp" "$home/state" "$home/cache" "$home/bin/backend" \
    "$home/log" "$home/tmp" "$dir/out" "$dir/ppd"
  # The administration commands below write their temporary files here.
  export TMPDIR=$home/tmp
  # The scheduler refuses programs in folders that others may write to.
  chmod 755 "$dir" "$home" "$home/bin" "$home/bin/backend"

  for sub in daemon filter notifier monitor driver cgi-bin; do
    [ -e "$sysbin/$sub" ] && ln -s "$sysbin/$sub" "$home/bin/$sub"
  done
  # The backend of raw network printers (AppSocket, port 9100) comes with the package cups.
  [ -x "$sysbin/backend/socket" ] ||
    fail "CUPS's socket backend $sysbin/backend/socket is missing (package cups)"
  ln -s "$sysbin/backend/socket" "$home/bin/backend/socket"

  # Mode 0700 makes the scheduler run the backend as root, so it may write into DIR/out.
  cat >"$home/bin/backend/capture" <<EOF
#!/bin/sh
# Without arguments a backend lists its devices.
if [ \$# -eq 0 ]; then
  echo 'direct capture "Unknown" "Talvex capture"'
  exit 0
fi
umask 022
out="$dir/out/\$PRINTER"
mkdir -p "\$out"
if [ -n "\${6:-}" ]; then cat "\$6"; else cat; fi >"\$out/.\$1.data" || exit 1
mv "\$out/.\$1.data" "\$out/\$1.data"
printf '%s' "\$3" >"\$out/.\$1.title"
mv "\$out/.\$1.title" "\$out/\$1.title"
EOF
  chmod 700 "$home/bin/backend/capture"

  # A device that is never found, for queues a test adds with -v unreachable:/NAME: the backend says
  # it is still looking for the device, as CUPS's network backends do while a printer's name does
  # not resolve, until the job is cancelled; no name resolver is asked.
  cat >"$home/bin/backend/unreachable" <<'EOF'
#!/bin/sh
if [ $# -eq 0 ]; then
  echo 'network unreachable "Unknown" "Talvex device that is never found"'
  exit 0
fi
echo 'STATE: +connecting-to-device' >&2
echo 'INFO: Unable to locate printer.' >&2
while :; do sleep 1; done
EOF
  chmod 755 "$home/bin/backend/unreachable"

  cat >"$home/conf/cups-files.conf" <<EOF
ServerRoot $home/conf
User lp
Group lp
RequestRoot $home/spool
TempDir $home/spool/tmp
StateDir $home/state
CacheDir $home/cache
ServerBin $home/bin
ErrorLog $home/log/error_log
AccessLog $home/log/access_log
PageLog $home/log/page_log
Printcap $home/state/printcap
ServerKeychain $home/conf/ssl
CreateSelfSignedCerts No
FileDevice No
EOF

  cat >"$home/conf/cupsd.conf" <<EOF
Listen $sock
LogLevel warn
MaxLogSize 0
Browsing No
BrowseLocalProtocols none
WebInterface No
DefaultAuthType None
DefaultEncryption Never
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  JobPrivateAccess all
  JobPrivateValues none
  SubscriptionPrivateAccess all
  SubscriptionPrivateValues none
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF

  # Where the system confines cupsd with AppArmor, its profile would keep it out of DIR; a copy
  # of the program at another path is not confined.
  if grep -qs '^/usr/sbin/cupsd (enforce)' /sys/kernel/security/apparmor/profiles; then
    cp "$cupsd" "$home/bin/cupsd"
    cupsd=$home/bin/cupsd
  fi

  # Started directly (setsid, not in a process group of its own, execs the scheduler in place), so
  # that $! is the scheduler itself.
  setsid "$cupsd" -f -c "$home/conf/cupsd.conf" -s "$home/conf/cups-files.conf" \
    </dev/null >"$home/log/cupsd.out" 2>&1 &
  record_process "$pidfile" $! "$cupsd"

  export CUPS_SERVER=$sock
  # The limit only matters when the scheduler hangs; one that ends is noticed at once.
  local deadline=$((SECONDS + 120))
  until [ -S "$sock" ] && "$lpstat" -r >/dev/null 2>&1; do
    recorded_running "$pidfile" || fail "cupsd did not start: $(cat "$home/log/cupsd.out")"
    [ "$SECONDS" -lt "$deadline" ] || fail "cupsd did not answer on $sock within two minutes"
    sleep 0.1
  done

  local queue dpi
  for queue in bar-58 Kassa-80 kitchen-80 Stop-80; do
    dpi=203
    [ "$queue" = Kassa-80 ] && dpi=300
    write_capture_ppd "$dpi"
    # lpadmin warns that drivers are deprecated; the warning says nothing about the queue.
    "$lpadmin" -p "$queue" -E -v "capture:/$queue" -D "Talvex test queue $queue" \
      -P "$dir/ppd/capture-$dpi.ppd" 2>"$home/log/lpadmin.err" ||
      fail "lpadmin could not create $queue: $(cat "$home/log/lpadmin.err")"
    mkdir -p "$dir/out/$queue"
  done
  "$lpadmin" -d kitchen-80 || fail "lpadmin could not set the default queue"
  "$cupsreject" -r "closed for the test" Stop-80 || fail "cupsreject failed on Stop-80"

  echo "$sock" >"$dir/socket"
  echo "$sock"
}

case "$cmd" in
  start) start ;;
  stop)
    # Nothing can run in a missing or empty folder, and nothing there is removed.
    is_unused_dir "$dir" && exit 0
    check_private_dir cups "$dir" || exit 1
    resolve_dir
    stop
    ;;
  *)
    echo "$usage" >&2
    exit 2
    ;;
esac
