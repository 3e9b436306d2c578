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

# A virtual display of its own: Xvfb picks a free display number itself
# (-displayfd), so that several of them start side by side without racing
# for one; it writes the number when it accepts connections.
kq_start_display() {
    if [ -n "${DISPLAY:-}" ] && [ -z "${KQ_FORCE_XVFB:-}" ]; then
        return
    fi
    local fd_file
    fd_file=$(mktemp "${TMPDIR:-/tmp}/kq-display.XXXXXX")
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fd_file" >/dev/null 2>&1 &
    KQ_STARTED_XVFB=$!
    local n=""
    for _ in $(seq 300); do
        n=$(head -n1 "$fd_file" 2>/dev/null | tr -dc 0-9)
        [ -n "$n" ] && break
        kill -0 "$KQ_STARTED_XVFB" 2>/dev/null || break
        sleep 0.1
    done
    rm -f "$fd_file"
    if [ -z "$n" ]; then
        echo "the virtual display did not start" >&2
        return 1
    fi
    export DISPLAY=":$n"
}

# A persistent server makes each program start in milliseconds.  With a
# number it ends that many seconds after its last program instead of
# staying: a test bed that was killed leaves no server behind.  Its output
# goes nowhere, so that it never holds the caller's output open.
kq_start_wineserver() {
    # Debian's Wine keeps the server's folder in a temporary folder that the
    # prefix names, and makes a new one when it is missing: copies of one
    # template share it, so that they leave no new folder behind each time.
    [ -f "$WINEPREFIX/wineserver" ] && mkdir -p -m 700 "/tmp/$(cat "$WINEPREFIX/wineserver")"
    if ! wineserver -p${1:-} </dev/null >/dev/null 2>&1; then
        return 0   # one already runs for this prefix
    fi
    KQ_STARTED_WINESERVER=1
}

# The process id of the wineserver of $WINEPREFIX, if one runs.
kq_wineserver_pid() {
    local p
    for p in $(pgrep -x wineserver64; pgrep -x wineserver); do
        { tr '\0' '\n' <"/proc/$p/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && { echo "$p"; return; }
    done
}

# The folder of the server's socket and lock (Debian's Wine names its parent
# in the prefix's file "wineserver"); it stays behind when the server ends.
kq_wineserver_dir() {
    local parent=/tmp/.wine-$(id -u)
    [ -f "$WINEPREFIX/wineserver" ] && parent=/tmp/$(cat "$WINEPREFIX/wineserver")
    printf '%s/server-%x-%x\n' "$parent" $(stat -c '%d %i' "$WINEPREFIX")
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

# ---- The test bed's prefixes ------------------------------------------------
# Every test program runs in a Wine prefix of its own (scripts/in-prefix),
# with its own wineserver, virtual display, desktop and simulated driver, so
# that ctest runs them side by side.  Each is a copy of one template made
# here: a fresh prefix ("base") with the test bed's settings, and beside it
# the base with the stand-ins installed ("template").  A copy shares the
# files that never change (Wine's programs and libraries, by hard link) and
# has its own registry, driver folder, user folders and the rest, so it is
# made in a fraction of a second.  Both are made again when what they were
# made from changes; a lock keeps copies from reading a half-made template.

KQ_PREFIXES=$KQ_BUILD/prefixes

# What a prefix made by this Wine and these settings depends on.
kq_base_stamp() {
    local inf=/usr/share/wine/wine.inf
    echo "wine $(wine --version 2>/dev/null) $( [ -f $inf ] && stat -c %Y $inf)"
    md5sum <"$KQ_ROOT/scripts/env.sh"
}

kq_template_stamp() {
    kq_base_stamp
    cat "$KQ_BUILD/sim/bin/kqsim.sys" "$KQ_BUILD/sim/bin/kqsetup.exe" \
        "$KQ_ROOT/sim/install-standins.sh" "$KQ_ROOT/sim/scenarios/default.txt" | md5sum
}

kq_stamp_current() {  # folder, stamp function
    [ -f "$1/.kq-stamp" ] && [ "$("$2")" = "$(cat "$1/.kq-stamp")" ]
}

# Copies prefix $1 into the folder $2 (new or empty): files that Wine only
# reads are hard links, everything that may be written is a copy of its own.
# The driver folder is copied whole: the set-up tool writes the simulated
# driver's file there.
kq_clone_prefix() {
    local src dst
    src=$(realpath "$1") dst=$(realpath -m "$2")
    mkdir -p "$dst"
    cp -al "$src/." "$dst/"
    ( cd "$src" && {
        find . -type f ! -path './drive_c/windows/system32/drivers/*' ! \( -iname '*.dll' -o -iname '*.exe' \
            -o -iname '*.nls' -o -iname '*.drv' -o -iname '*.sys' -o -iname '*.ocx' -o -iname '*.cpl' \
            -o -iname '*.acm' -o -iname '*.tlb' -o -iname '*.ax' -o -iname '*.ds' -o -iname '*.com' \
            -o -iname '*.msstyles' \) -print0
        find ./drive_c/windows/system32/drivers -type f -print0
      } | xargs -0 -r cp -a --remove-destination --parents -t "$dst" )
}

# A fresh prefix with the test bed's settings: no crash dialog; windows left
# unmanaged (its displays have no window manager, see kq_window_management);
# user folders of its own instead of Wine's links into the home folder.
kq_make_base_prefix() {
    local dir=$1
    (
        export WINEPREFIX=$dir KQ_FORCE_XVFB=1
        KQ_STARTED_XVFB="" KQ_STARTED_WINESERVER="" KQ_DESKTOP_KEEPER=""
        trap kq_stop_all EXIT
        kq_start_display
        wineboot -i </dev/null >/dev/null 2>&1 || true
        wineserver -w
        wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
        wineserver -w
        rm -rf "$(kq_wineserver_dir)"
        local link
        find "$dir/drive_c/users" -type l | while read -r link; do
            rm -f "$link" && mkdir -p "$link"
        done
        [ -f "$dir/system.reg" ]
    )
}

kq_make_template_prefix() {
    local base=$1 dir=$2
    kq_clone_prefix "$base" "$dir"
    (
        export WINEPREFIX=$dir KQ_FORCE_XVFB=1
        KQ_STARTED_XVFB="" KQ_STARTED_WINESERVER="" KQ_DESKTOP_KEEPER=""
        trap kq_stop_all EXIT
        kq_start_display
        kq_start_wineserver
        kq_warm_up
        "$KQ_ROOT/sim/install-standins.sh" "$KQ_BUILD" >/dev/null
    )
}

# Makes the base and the template when missing or out of date (lock held).
kq_refresh_template() {
    local base=$KQ_PREFIXES/base tpl=$KQ_PREFIXES/template
    if ! kq_stamp_current "$base" kq_base_stamp; then
        kq_log "making the test bed's Wine prefix"
        rm -rf "$base.new" "$base"
        kq_make_base_prefix "$base.new" || return 1
        kq_base_stamp >"$base.new/.kq-stamp"
        mv "$base.new" "$base"
    fi
    if ! kq_stamp_current "$tpl" kq_template_stamp; then
        kq_log "installing the stand-ins into the test bed's template prefix"
        rm -rf "$tpl.new"
        kq_make_template_prefix "$base" "$tpl.new" || return 1
        kq_template_stamp >"$tpl.new/.kq-stamp"
        rm -rf "$tpl"
        mv "$tpl.new" "$tpl"
    fi
}

# kq_ensure_template [copy-to]: brings the template up to date and, with a
# folder, copies it there while no one can make it again.
kq_ensure_template() {
    local lock
    mkdir -p "$KQ_PREFIXES"
    exec {lock}>"$KQ_PREFIXES/.lock"
    flock -s "$lock"
    if ! kq_stamp_current "$KQ_PREFIXES/template" kq_template_stamp; then
        flock -x "$lock"
        kq_refresh_template || { exec {lock}>&-; return 1; }
        flock -s "$lock"
    fi
    [ -z "${1:-}" ] || kq_clone_prefix "$KQ_PREFIXES/template" "$1"
    exec {lock}>&-
}

# Private prefixes whose test bed has gone (killed by a time-out, say): their
# server and display are ended, by the ids they left, and they are removed.
# A prefix kept after a failure stays until the same program runs again.
kq_sweep_prefixes() {  # program name
    local d pid
    for d in "$KQ_PREFIXES"/run.*; do
        [ -d "$d" ] || continue
        if [ -f "$d/.kq-kept" ]; then
            case "$d" in "$KQ_PREFIXES/run.$1."*) rm -rf "$d" ;; esac
            continue
        fi
        # One without an owner is being made, or was left by a test bed
        # that ended before it wrote one: only an old one is taken away.
        if [ ! -f "$d/.kq-owner" ]; then
            [ -n "$(find "$d" -maxdepth 0 -mmin +60)" ] && rm -rf "$d"
            continue
        fi
        pid=$(cat "$d/.kq-owner" 2>/dev/null || true)
        [ -z "$pid" ] || ! kill -0 "$pid" 2>/dev/null || continue
        WINEPREFIX=$d wineserver -k >/dev/null 2>&1 || true
        pid=$(cat "$d/.kq-xvfb" 2>/dev/null || true)
        [ -n "$pid" ] && [ "$(cat /proc/"$pid"/comm 2>/dev/null)" = Xvfb ] && kill "$pid" 2>/dev/null
        rm -rf "$d"
    done
}

kq_stop_all() {
    if [ -n "$KQ_DESKTOP_KEEPER" ]; then
        kill "$KQ_DESKTOP_KEEPER" 2>/dev/null || true
        wait "$KQ_DESKTOP_KEEPER" 2>/dev/null || true
    fi
    if [ -n "$KQ_STARTED_WINESERVER" ]; then
        local dir
        dir=$(kq_wineserver_dir 2>/dev/null || true)
        wineserver -k >/dev/null 2>&1 || true
        wineserver -w >/dev/null 2>&1 || true
        [ -z "$dir" ] || rm -rf "$dir"
    fi
    if [ -n "$KQ_STARTED_XVFB" ]; then
        kill "$KQ_STARTED_XVFB" 2>/dev/null || true
        wait "$KQ_STARTED_XVFB" 2>/dev/null || true
    fi
    KQ_DESKTOP_KEEPER="" KQ_STARTED_WINESERVER="" KQ_STARTED_XVFB=""
}
