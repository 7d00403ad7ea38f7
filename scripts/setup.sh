# Shared set-up for the README's commands; sourced by run.sh and test.sh.
#
#   lc_setup            install what is missing, generate ja_JP.UTF-8, prepare the
#                       template Wine prefix (idempotent; seconds when all is there)
#   lc_wine_env PREFIX  export the Wine environment for a prefix made from the template
#   lc_start_xvfb       start Xvfb on a free display unless DISPLAY is usable
#   lc_start_wineserver start a persistent wineserver for WINEPREFIX
#   lc_stop_started     stop what lc_start_* started, and nothing else
#
# Everything lives under LC_CACHE (default ~/.cache/leafcatch).

LC_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
LC_CACHE=${LC_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/leafcatch}
LC_WINE64=/usr/lib/wine/wine64
LC_WINESERVER=/usr/lib/wine/wineserver64
LC_TEMPLATE=$LC_CACHE/wine-template
LC_PACKAGES=(wine wine64 g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
             xvfb xauth x11-utils xdotool imagemagick fonts-ipafont-gothic fonts-wine locales
             cmake ninja-build make g++ googletest libgtest-dev libbenchmark-dev
             clang libclang-rt-14-dev python3 curl time)
LC_STARTED_XVFB_PID=
LC_STARTED_WINESERVER=

lc_log() { printf '[setup] %s\n' "$*" >&2; }

lc_missing_packages() {
    local p missing=()
    for p in "${LC_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    echo "${missing[@]}"
}

lc_install_packages() {
    local missing
    missing=$(lc_missing_packages)
    [ -z "$missing" ] && return 0
    if [ "$(id -u)" != 0 ]; then
        lc_log "missing packages: $missing (run as root to install them)"; return 1
    fi
    if dpkg --print-foreign-architectures | grep -qx i386 && dpkg -s wine32 >/dev/null 2>&1; then
        lc_log "wine32 is installed; 32-bit Wine cannot run here, remove it (apt-get remove wine32)"
    fi
    lc_log "installing: $missing"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq >/dev/null
    # shellcheck disable=SC2086
    apt-get install -y -qq --no-install-recommends $missing >/dev/null
}

lc_ensure_locale() {
    locale -a 2>/dev/null | grep -qi '^ja_JP\.utf8$' && return 0
    [ "$(id -u)" = 0 ] || { lc_log "ja_JP.UTF-8 is not generated (run as root)"; return 1; }
    grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null || echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
    locale-gen >/dev/null
}

# Environment for running Wine in PREFIX (created from the template when absent).
lc_wine_env() {
    export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=ja_JP.UTF-8
    export WINE=$LC_WINE64 WINESERVER=$LC_WINESERVER
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        mkdir -p "$(dirname "$WINEPREFIX")"
        rm -rf "$WINEPREFIX"
        cp -a "$LC_TEMPLATE" "$WINEPREFIX"
    fi
}

# A quiet 64-bit prefix: no Mono or Gecko prompts, a virtual desktop (no 2 s waits
# without a window manager), and the IPA font standing in for the Japanese UI font.
lc_prepare_template() {
    [ -f "$LC_TEMPLATE/.leafcatch-ready" ] && return 0
    lc_log "preparing the Wine prefix in $LC_TEMPLATE"
    rm -rf "$LC_TEMPLATE"; mkdir -p "$LC_TEMPLATE"
    (
        export WINEPREFIX=$LC_TEMPLATE WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=ja_JP.UTF-8
        unset DISPLAY
        $LC_WINE64 wineboot -i </dev/null >/dev/null 2>&1
        reg() { $LC_WINE64 reg add "$@" /f </dev/null >/dev/null 2>&1; }
        reg 'HKCU\Software\Wine\Explorer' /v Desktop /d Default
        reg 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768
        local sub='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
        reg "$sub" /v 'ＭＳ Ｐゴシック' /d 'IPAPGothic'
        reg "$sub" /v 'ＭＳ ゴシック' /d 'IPAGothic'
        reg "$sub" /v 'MS UI Gothic' /d 'IPAPGothic'
        reg "$sub" /v 'MS Shell Dlg' /d 'IPAPGothic'
        $LC_WINESERVER -w
    )
    touch "$LC_TEMPLATE/.leafcatch-ready"
}

lc_setup() {
    lc_install_packages || return 1
    lc_ensure_locale || return 1
    lc_prepare_template
}

lc_start_xvfb() {
    if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
    local n=90
    while [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
    Xvfb :$n -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    LC_STARTED_XVFB_PID=$!
    local i
    for i in $(seq 100); do
        [ -e /tmp/.X11-unix/X$n ] && break
        kill -0 "$LC_STARTED_XVFB_PID" 2>/dev/null || break
        sleep 0.05
    done
    export DISPLAY=:$n
    lc_log "started Xvfb on $DISPLAY (pid $LC_STARTED_XVFB_PID)"
}

# Start the wineserver detached, so that nothing reading a Wine program's output
# through a pipe inherits it, then boot the prefix.
lc_start_wineserver() {
    # Persistent until lc_stop_started ends it, however long the gaps between programs.
    if $LC_WINESERVER -p </dev/null >/dev/null 2>&1; then
        LC_STARTED_WINESERVER=$WINEPREFIX
    fi
    $LC_WINE64 wineboot </dev/null >/dev/null 2>&1
}

lc_stop_started() {
    if [ -n "$LC_STARTED_WINESERVER" ]; then
        WINEPREFIX=$LC_STARTED_WINESERVER $LC_WINESERVER -k </dev/null >/dev/null 2>&1
        LC_STARTED_WINESERVER=
    fi
    if [ -n "$LC_STARTED_XVFB_PID" ]; then
        kill "$LC_STARTED_XVFB_PID" 2>/dev/null
        wait "$LC_STARTED_XVFB_PID" 2>/dev/null
        LC_STARTED_XVFB_PID=
    fi
}
