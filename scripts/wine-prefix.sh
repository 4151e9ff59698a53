#!/usr/bin/env bash
# Wine prefixes for the tests. Making one (wineboot) takes about ten seconds; copying one takes a
# fraction of a second. So each build makes one template prefix, and every test that runs a
# Windows program gets a copy of its own.
#
#   wine-prefix.sh make TEMPLATE          make the template prefix TEMPLATE, unless it is there
#   wine-prefix.sh copy TEMPLATE PREFIX   give PREFIX a copy of the template, unless it has one
#   wine-prefix.sh run TEMPLATE PROGRAM [ARGS...]
#                                         run PROGRAM under Wine in $WINEPREFIX, a copy of the
#                                         template, whose display has $TALVEX_WINE_DPI dots per
#                                         inch where that is set
#   wine-prefix.sh dpi PREFIX DPI         give the display of PREFIX DPI dots per inch
#
# Wine asks for no add-ons it would have to download (Mono, Gecko), and keeps its notes to itself.
set -euo pipefail
usage="usage: wine-prefix.sh make TEMPLATE | copy TEMPLATE PREFIX | run TEMPLATE PROGRAM [ARGS...] | dpi PREFIX DPI"
cmd=${1:?$usage}
template=${2:?$usage}
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

make_template() {
  [ -f "$template/system.reg" ] && return 0
  # Made beside its place and renamed, so that a template that is there is whole.
  rm -rf "$template.new"
  mkdir -p "$(dirname "$template")"
  WINEPREFIX=$template.new "$wine" wineboot -i >/dev/null 2>&1 ||
    { echo "wine-prefix: wineboot failed in $template.new" >&2; exit 1; }
  # The prefix is whole once its server, which writes the registry, has ended.
  WINEPREFIX=$template.new "$wineserver" -w
  rm -rf "$template"
  mv "$template.new" "$template"
}

copy_template() {
  local prefix=$1
  [ -e "$prefix" ] && return 0
  [ -f "$template/system.reg" ] ||
    { echo "wine-prefix: no template prefix in $template; make it first" >&2; exit 1; }
  cp -a "$template" "$prefix.new"
  mv "$prefix.new" "$prefix"
}

# Wine takes the display's DPI from the user's desktop settings when its first program starts.
set_dpi() {
  WINEPREFIX=$1 "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$2" \
    /f >/dev/null ||
    { echo "wine-prefix: cannot set the DPI of $1" >&2; exit 1; }
}

case "$cmd" in
  make) make_template ;;
  copy) copy_template "${3:?$usage}" ;;
  run)
    : "${WINEPREFIX:?run needs WINEPREFIX}"
    copy_template "$WINEPREFIX"
    if [ -n "${TALVEX_WINE_DPI:-}" ]; then
      set_dpi "$WINEPREFIX" "$TALVEX_WINE_DPI"
    fi
    shift 2
    exec "$wine" "$@"
    ;;
  dpi) set_dpi "$template" "${3:?$usage}" ;;
  *)
    echo "$usage" >&2
    exit 2
    ;;
esac
