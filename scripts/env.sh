# Shared set-up of the build, the Wine prefix and the virtual display.
# Sourced by scripts/test and scripts/run; every process started here is
# stopped by kq_stop_all, by its id.

KQ_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
KQ_BUILD=${KQ_BUILD:-$KQ_ROOT/build}
KQ_PACKAGES="wine64 g++-mingw-w64-x86-64-posix mingw-w64-tools xvfb cmake googletest"

export WINEPREFIX=${WINEPREFIX:-$KQ_BUILD/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

kq_log() { echo "== $*"; }

kq_ensure_packages() {
    local missing=()
    for p in $KQ_PACKAGES; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        kq_log "installing ${missing[*]}"
        local sudo=""
        [ "$(id -u)" -ne 0 ] && sudo=sudo
        $sudo apt-get update -qq
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
    fi
}

kq_build() {
    if [ ! -f "$KQ_BUILD/CMakeCache.txt" ]; then
        # ccache, where the machine has it, lets several checkouts share compiled objects.
        local launcher=()
        command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
        cmake -S "$KQ_ROOT" -B "$KQ_BUILD" -DCMAKE_TOOLCHAIN_FILE="$KQ_ROOT/cmake/mingw-w64-x86_64.cmake" "${launcher[@]}" >/dev/null
    fi
    export CCACHE_BASEDIR="$KQ_ROOT" CCACHE_NOHASHDIR=1
    # Progress lines are hidden; warnings and errors show, and the build's own result decides.
    local log="$KQ_BUILD/build.log" rc=0
    cmake --build "$KQ_BUILD" -j"$(nproc)" >"$log" 2>&1 || rc=$?
    grep -v -E '^\[ *[0-9]+%\]|^gmake|^Scanning|^Consolidate' "$log" || true
    return "$rc"
}

KQ_STARTED_XVFB=""
KQ_STARTED_WINESERVER=""

kq_start_display() {
    if [ -n "${DISPLAY:-}" ] && [ -z "${KQ_FORCE_XVFB:-}" ]; then
        return
    fi
    local n
    for n in $(seq 90 140); do
        if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
            Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
            KQ_STARTED_XVFB=$!
            export DISPLAY=":$n"
            for _ in $(seq 50); do
                [ -e "/tmp/.X11-unix/X$n" ] && break
                sleep 0.1
            done
            return
        fi
    done
    echo "no free X display number" >&2
    return 1
}

kq_start_wineserver() {
    # A persistent server makes each program start in milliseconds.
    if ! wineserver -p 2>/dev/null; then
        return 0   # one already runs for this prefix
    fi
    KQ_STARTED_WINESERVER=1
}

# Without a window manager, Wine waits about 2 s for the manager every time a
# captioned top-level window is shown or hidden (its own notification-area
# window, message boxes, dialogs).  On the virtual display started here its
# windows are left unmanaged, which needs no manager; on a person's own
# display they stay managed, so the setting is taken back there (only when
# it was set here).  Programs read it when they start: after a change the
# wineserver started here is started again, so that Wine's own programs
# (explorer with the notification area) start with it.  Run after
# kq_warm_up, so that Wine's services never hold the query's pipe open.
kq_window_management() {
    local key='HKCU\Software\Wine\X11 Driver' mark="$WINEPREFIX/.kq-unmanaged" have changed=""
    have=$(wine reg query "$key" /v Managed 2>/dev/null | awk '$1 == "Managed" { print $3 }' | tr -d '\r' || true)
    if [ -n "$KQ_STARTED_XVFB" ]; then
        if [ "$have" != "N" ]; then
            wine reg add "$key" /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
            changed=1
        fi
        touch "$mark"
    elif [ -f "$mark" ]; then
        [ "$have" = "N" ] && wine reg delete "$key" /v Managed /f >/dev/null 2>&1 && changed=1
        rm -f "$mark"
    fi
    if [ -n "$changed" ] && [ -n "$KQ_STARTED_WINESERVER" ]; then
        wineserver -k >/dev/null 2>&1 || true
        wineserver -w >/dev/null 2>&1 || true
        wineserver -p
        kq_warm_up
    fi
}

kq_warm_up() {
    # The first program starts Wine's own services (services.exe,
    # winedevice), the first that asks for the desktop window starts the
    # desktop (explorer, with the notification area); start them here with
    # their output going nowhere, so that they never hold a test's output
    # pipe open (ctest would wait for them to end).
    wine cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
    wine rundll32.exe user32.dll,GetDesktopWindow </dev/null >/dev/null 2>&1 || true
}

kq_make_prefix() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        kq_log "making a fresh Wine prefix in $WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        wineboot -i >/dev/null 2>&1 || true
        wineserver -w
        wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
        wineserver -w
    fi
}

KQ_DESKTOP_KEEPER=""

# Wine's desktop process ends a few seconds after its last program, and the
# next program to open a window starts it again with that program's output,
# which ctest then waits on.  A hidden program of the test bed holds the
# desktop for the whole run, started with its output going nowhere.
kq_keep_desktop() {
    local keeper="$KQ_BUILD/tests/support/kqdesktopkeeper.exe"
    [ -f "$keeper" ] || return 0
    wine "$keeper" </dev/null >/dev/null 2>&1 &
    KQ_DESKTOP_KEEPER=$!
}

kq_install_standins() {
    if [ -x "$KQ_ROOT/sim/install-standins.sh" ]; then
        kq_log "installing the stand-ins"
        "$KQ_ROOT/sim/install-standins.sh" "$KQ_BUILD"
    fi
}

kq_stop_all() {
    if [ -n "$KQ_DESKTOP_KEEPER" ]; then
        kill "$KQ_DESKTOP_KEEPER" 2>/dev/null || true
        wait "$KQ_DESKTOP_KEEPER" 2>/dev/null || true
    fi
    if [ -n "$KQ_STARTED_WINESERVER" ]; then
        wineserver -k >/dev/null 2>&1 || true
        wineserver -w >/dev/null 2>&1 || true
    fi
    if [ -n "$KQ_STARTED_XVFB" ]; then
        kill "$KQ_STARTED_XVFB" 2>/dev/null || true
        wait "$KQ_STARTED_XVFB" 2>/dev/null || true
    fi
}
