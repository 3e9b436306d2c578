#!/bin/bash
# Installs the simulated adapter (driver, service, network device) and the
# default scenario into the Wine prefix in $WINEPREFIX.  Run with WINEPREFIX,
# DISPLAY etc. exported and wineserver running.  Safe to run again: an
# installed adapter and an unchanged driver file are left as they are.
set -euo pipefail

build=${1:?usage: install-standins.sh <build-dir>}
here=$(cd "$(dirname "$0")" && pwd)
setup="$build/sim/bin/kqsetup.exe"
# NetCfgInstanceId of the default adapter (kqsim::kDefaultAdapterGuid)
guid="{5A1E7C3D-2B4F-4E61-9D8C-0F1E2D3C4B5A}"

if [ ! -f "$setup" ] || [ ! -f "$build/sim/bin/kqsim.sys" ]; then
    echo "install-standins: $setup or kqsim.sys missing; build the targets kqsetup and kqsimdrv first" >&2
    exit 1
fi
: "${WINEPREFIX:?WINEPREFIX must be set}"

wine "$setup" install --guid "$guid"
wine "$setup" load "$(winepath -w "$here/scenarios/default.txt")"
