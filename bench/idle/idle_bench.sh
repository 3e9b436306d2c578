#!/usr/bin/env bash
# Idle CPU and resident memory of Kestiq.exe, read from outside: under Wine
# GetProcessTimes of another process answers zero, so the times come from
# /proc/<pid>/stat of the wine process that runs the program (user + system
# time, in clock ticks).  Three programs, one after the other, each left
# alone for the same time once it is up:
#   - the bare dialog program (dialog 102 without pages, bench/idle/IdleHelper.cpp);
#   - Kestiq.exe -s (the notification icon only, the window closed);
#   - Kestiq.exe (the configuration window open on the Network page).
# Beside each program the CPU of Wine's own processes over the same time
# (the shell that takes the icon's updates, the driver host, the server).
# Then the resident memory of each, and what Kestiq's is made of beside the
# bare program's: the resident pages of each mapping, by file, from
# /proc/<pid>/smaps.
#
# Run inside the prefix of scripts/run, once that has made it and installed
# the stand-ins (see README, "Benchmarks"):
#   source scripts/env.sh; kq_start_display; kq_start_wineserver
#   bench/idle/idle_bench.sh [seconds]          default 60
#   kq_stop_all
set -euo pipefail

SECONDS_IDLE=${1:-60}
SETTLE=5
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=${KQ_BUILD:-$ROOT/build}
KESTIQ=$BUILD/Kestiq.exe
HELPER=$BUILD/bench/idle/idle_helper.exe
TICK=$(getconf CLK_TCK)
export WINEPREFIX=${WINEPREFIX:-$BUILD/wineprefix}
OUT=$(mktemp -d)
trap 'rm -rf "$OUT"' EXIT

for f in "$KESTIQ" "$HELPER"; do
    [ -f "$f" ] || { echo "idle_bench: $f is missing (build first)" >&2; exit 1; }
done

# user + system ticks of a process (the name in field 2 may hold blanks).
cpu_ticks() { sed 's/.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'; }
rss_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }

# Host pids of Wine's own processes of this prefix, "name pid" per line.
wine_processes() {
    local p name
    for p in /proc/[0-9]*; do
        { tr '\0' '\n' <"$p/environ"; } 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" || continue
        name=$({ tr '\0' ' ' <"$p/cmdline"; } 2>/dev/null | awk '{ print $1 }') || continue
        case "$name" in
            */wineserver*|*wineserver64) echo "wineserver ${p#/proc/}" ;;
            *explorer.exe) echo "explorer.exe ${p#/proc/}" ;;
            *winedevice.exe) echo "winedevice.exe ${p#/proc/}" ;;
            *services.exe) echo "services.exe ${p#/proc/}" ;;
        esac
    done
}

# Resident KB of each mapping of a process, by file ("[anon]" for the rest).
# The program's own image (MinGW's base 0x140000000) is "[program image]":
# Wine copies the sections of an image whose file alignment is below a page
# into private memory, the DWARF debug sections of a static build with them.
mapping_rss() {
    awk '/^[0-9a-f]+-[0-9a-f]+ / { name = (NF >= 6) ? $6 : "[anon]"; sub(/.*\//, "", name)
                                   split($1, range, "-"); start = range[1]
                                   if (length(start) == 9 && substr(start, 1, 3) == "140") name = "[program image]"
                                   next }
         /^Rss:/ { rss[name] += $2 }
         END { for (n in rss) if (rss[n] > 0) print n, rss[n] }' "/proc/$1/smaps" | sort
}

# measure LABEL PID: waits SETTLE s, then reads the times over SECONDS_IDLE s.
measure() {
    local label=$1 pid=$2 t0 t1 w
    sleep "$SETTLE"
    wine_processes >"$OUT/wine"
    t0=$(cpu_ticks "$pid")
    while read -r w wpid; do echo "$w $wpid $(cpu_ticks "$wpid" 2>/dev/null || echo 0)"; done <"$OUT/wine" >"$OUT/wine0"
    sleep "$SECONDS_IDLE"
    t1=$(cpu_ticks "$pid")
    rss_kb "$pid" >"$OUT/$label.rss"
    mapping_rss "$pid" >"$OUT/$label.maps"
    awk -v a="$t0" -v b="$t1" -v hz="$TICK" -v s="$SECONDS_IDLE" -v l="$label" \
        'BEGIN { printf "  %-34s %7.3f s CPU in %d s  = %6.3f %% of a core\n", l, (b - a) / hz, s, (b - a) * 100 / hz / s }'
    while read -r w wpid w0; do
        local w1
        w1=$(cpu_ticks "$wpid" 2>/dev/null || echo "$w0")
        awk -v a="$w0" -v b="$w1" -v hz="$TICK" -v s="$SECONDS_IDLE" -v w="$w" \
            'BEGIN { printf "      beside it: %-18s %6.3f %%\n", w, (b - a) * 100 / hz / s }'
    done <"$OUT/wine0"
}

start() {
    wine "$@" </dev/null >/dev/null 2>&1 &
    echo $!
}

ends_within() {
    local pid=$1 i
    for i in $(seq 100); do
        kill -0 "$pid" 2>/dev/null || return 0
        sleep 0.1
    done
    return 1
}

echo "idle_bench: $SECONDS_IDLE idle seconds each, after $SETTLE s to settle; CPU from /proc (user + system)"

pid=$(start "$HELPER" bare)
wine "$HELPER" wait-bare || { echo "idle_bench: the bare dialog did not show" >&2; exit 1; }
measure "bare dialog 102" "$pid"
wine "$HELPER" close-bare || true
ends_within "$pid" || echo "idle_bench: the bare dialog did not end" >&2

for mode in closed open; do
    if [ "$mode" = closed ]; then
        pid=$(start "$KESTIQ" -s)
        wine "$HELPER" wait-kestiq || { echo "idle_bench: Kestiq.exe shows no controller" >&2; exit 1; }
        label="Kestiq.exe -s (window closed)"
    else
        pid=$(start "$KESTIQ")
        wine "$HELPER" wait-window || { echo "idle_bench: Kestiq.exe shows no window" >&2; exit 1; }
        label="Kestiq.exe (Network page open)"
    fi
    grep -q Kestiq.exe "/proc/$pid/cmdline" || { echo "idle_bench: pid $pid is not Kestiq.exe" >&2; exit 1; }
    measure "$label" "$pid"
    cp "$OUT/$label.maps" "$OUT/kestiq-$mode.maps"
    cp "$OUT/$label.rss" "$OUT/kestiq-$mode.rss"
    wine "$HELPER" exit-kestiq || true
    ends_within "$pid" || echo "idle_bench: Kestiq.exe did not end on Exit" >&2
done

echo
echo "resident memory (VmRSS):"
printf "  %-34s %8d KB\n" "bare dialog 102" "$(cat "$OUT/bare dialog 102.rss")"
printf "  %-34s %8d KB\n" "Kestiq.exe -s (window closed)" "$(cat "$OUT/kestiq-closed.rss")"
printf "  %-34s %8d KB\n" "Kestiq.exe (Network page open)" "$(cat "$OUT/kestiq-open.rss")"
echo
echo "what Kestiq.exe holds beyond the bare dialog program, resident KB by mapping (differences of 64 KB or more):"
printf "  %-28s %10s %10s %10s\n" "mapping" "bare" "closed" "open"
join -a1 -a2 -e 0 -o 0,1.2,2.2 "$OUT/bare dialog 102.maps" "$OUT/kestiq-closed.maps" >"$OUT/j1"
join -a1 -a2 -e 0 -o 0,1.2,1.3,2.2 "$OUT/j1" "$OUT/kestiq-open.maps" |
    awk '{ d = $4 - $2; if (d < 0) d = -d; if (d >= 64 || $3 - $2 >= 64 || $2 - $3 >= 64) printf "  %-28s %10d %10d %10d\n", $1, $2, $3, $4 }' |
    sort -k4 -n -r
