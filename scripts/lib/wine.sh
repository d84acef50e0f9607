# shellcheck shell=bash
# Wine for the cross-built tests: one prefix per build tree, one X display and
# one persistent wineserver for a whole session of test runs. Sourced, not run:
#
#   . scripts/lib/wine.sh
#   wine_start build-win          # Xvfb if needed, prefix once, warm wineserver
#   ctest --test-dir build-win --output-on-failure
#   wine_screenshot /tmp/shot.png
#   wine_stop build-win
#
# wine_start records the display it started in <build>/wine-session.env, so a
# later shell picks it up with wine_env alone. Everything here acts on this
# prefix's wineserver and on the Xvfb this file started, never on others.

_wine_root() {
  local here
  here=$(cd -- "$(dirname -- "${BASH_SOURCE[0]}")" && pwd)
  (cd -- "$here/../.." && pwd)
}

# Absolute path of a build tree: an argument relative to the repository root,
# or the default build-win.
_wine_build_dir() {
  local dir=${1:-build-win}
  case $dir in
    /*) printf '%s\n' "$dir" ;;
    *) printf '%s/%s\n' "$(_wine_root)" "$dir" ;;
  esac
}

# The 64-bit loader: Debian installs it outside PATH, and its /usr/bin/wine
# wrapper complains about a missing wine32 on every call. With wine32:i386
# installed it starts i686 programs too, in the same 64-bit prefix.
wine_loader() {
  if [ -x /usr/lib/wine/wine64 ]; then
    printf '%s\n' /usr/lib/wine/wine64
  elif command -v wine64 >/dev/null 2>&1; then
    command -v wine64
  else
    command -v wine
  fi
}

# wine_env [build-dir]: WINEPREFIX (the same one ctest gives the tests),
# WINEDEBUG, WINEARCH, and the display of a running session.
wine_env() {
  local build session
  build=$(_wine_build_dir "${1:-}")
  export WINEPREFIX=${RUPENA_WINEPREFIX:-$build/wineprefix}
  export WINEARCH=win64
  export WINEDEBUG=${WINEDEBUG:--all}
  # No Mono or Gecko: nothing here needs .NET or HTML, and their installers
  # would otherwise pop up (or wait) during the prefix's first boot.
  export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
  export WINELOADER
  WINELOADER=$(wine_loader)
  session=$build/wine-session.env
  if [ -f "$session" ]; then
    local display="" xvfb_pid=""
    # shellcheck disable=SC1090
    . "$session"
    if [ -n "$xvfb_pid" ] && kill -0 "$xvfb_pid" 2>/dev/null; then
      export DISPLAY=$display
      export RUPENA_XVFB_PID=$xvfb_pid
    fi
  fi
}

# Starts Xvfb on a display it picks itself (-displayfd), so parallel sessions
# never race for a number, and records it in the build tree's session file.
_wine_start_xvfb() {
  local build=$1 fdfile tries=0
  fdfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fdfile" >/dev/null 2>&1 &
  local pid=$!
  while [ ! -s "$fdfile" ] && [ $tries -lt 100 ]; do
    if ! kill -0 "$pid" 2>/dev/null; then
      break
    fi
    sleep 0.05
    tries=$((tries + 1))
  done
  local number
  number=$(tr -dc '0-9' <"$fdfile")
  rm -f "$fdfile"
  if [ -z "$number" ]; then
    kill "$pid" 2>/dev/null || true
    echo "wine.sh: Xvfb did not start" >&2
    return 1
  fi
  printf 'display=:%s\nxvfb_pid=%s\n' "$number" "$pid" >"$build/wine-session.env"
}

# Settings a test prefix needs, applied once per prefix (a marker file says so):
# - Without a window manager on Xvfb, Wine waits two seconds for one whenever
#   a managed window is hidden or destroyed; unmanaged windows do not wait.
# - The Japanese system fonts are missing, and Wine's own pick for them has no
#   Latin glyphs; the IPA fonts (fonts-ipafont) stand in, and are linked to
#   the caption font so that Japanese window titles show.
# - 96 DPI (100 %), named rather than left to Wine's default: the tests that
#   run the tool at other scales set LogPixels for the programs they start
#   and put this value back.
_wine_configure_prefix() {
  local marker=$WINEPREFIX/.rupena-prefix-settings-3
  [ -f "$marker" ] && return 0
  local reg
  reg=$(mktemp --suffix=.reg)
  {
    printf '\xff\xfe'
    iconv -f UTF-8 -t UTF-16LE <<'REG'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\Control Panel\Desktop]
"LogPixels"=dword:00000060

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"ＭＳ ゴシック"="IPAGothic"
"MS Gothic"="IPAGothic"
"ＭＳ Ｐゴシック"="IPAPGothic"
"MS PGothic"="IPAPGothic"
"ＭＳ 明朝"="IPAMincho"
"MS Mincho"="IPAMincho"

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink]
"Tahoma"="ipagp.ttf,IPAPGothic"
REG
  } >"$reg"
  if "$WINELOADER" regedit.exe /S "$(_wine_windows_path "$reg")" >/dev/null 2>&1; then
    touch "$marker"
  else
    echo "wine.sh: could not apply the prefix settings" >&2
  fi
  rm -f "$reg"
}

# A Unix path as the Windows path Wine maps it to (drive Z: is the root).
_wine_windows_path() {
  printf 'Z:%s\n' "${1//\//\\}"
}

# wine_start [build-dir]: a display (Xvfb when there is none, and always in
# CI), the prefix (wineboot -i, once per build tree) and a wineserver that
# stays up (-p) until wine_stop.
wine_start() {
  local build
  build=$(_wine_build_dir "${1:-}")
  mkdir -p "$build"
  wine_env "${1:-}"
  if [ -z "${RUPENA_XVFB_PID:-}" ] && { [ -z "${DISPLAY:-}" ] || [ "${CI:-}" = true ]; }; then
    # A wineserver left from an earlier display would hand new programs to
    # the dead one.
    wineserver -k 2>/dev/null || true
    _wine_start_xvfb "$build" || return 1
    wine_env "${1:-}"
  fi
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$WINELOADER" wineboot.exe -i >/dev/null 2>&1 || {
      echo "wine.sh: wineboot -i failed for $WINEPREFIX" >&2
      return 1
    }
  fi
  # an already running server (an earlier wine_start) answers with an error
  wineserver -p 2>/dev/null || true
  _wine_configure_prefix
  # Waits for the server to answer, so the first test does not pay for it.
  "$WINELOADER" cmd.exe /c exit >/dev/null 2>&1 || true
}

# wine_stop [build-dir]: ends this prefix's wineserver (and its programs) and
# the Xvfb that wine_start started.
wine_stop() {
  local build
  build=$(_wine_build_dir "${1:-}")
  wine_env "${1:-}"
  wineserver -k 2>/dev/null || true
  if [ -n "${RUPENA_XVFB_PID:-}" ]; then
    kill "$RUPENA_XVFB_PID" 2>/dev/null || true
    unset RUPENA_XVFB_PID DISPLAY
  fi
  rm -f "$build/wine-session.env"
}

# wine_screenshot FILE.png [build-dir]: the whole X display as a PNG.
wine_screenshot() {
  local out=${1:?usage: wine_screenshot FILE.png [build-dir]}
  [ -n "${DISPLAY:-}" ] || wine_env "${2:-}"
  if [ -z "${DISPLAY:-}" ]; then
    echo "wine.sh: no DISPLAY; run wine_start first" >&2
    return 1
  fi
  if command -v import >/dev/null 2>&1; then
    import -display "$DISPLAY" -window root "$out"
  else
    xwd -display "$DISPLAY" -root -silent | /usr/bin/convert xwd:- "png:$out"
  fi
}
