# shellcheck shell=bash disable=SC2034,SC2154
# Sourced by the checks: the steps they share. Every line a check prints starts with its name, a
# failure names the step under way, and on success its last line says what it proved.
racine=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
script=${0##*/}
export ZANTREL_DEBUT=${ZANTREL_DEBUT:-$(date +%s)}
pids=()

etape_en_cours=
etape() {
    etape_en_cours=$1
    echo "$script: $1"
}
echouer() {
    echo "$script: FAILED${etape_en_cours:+ in step \"$etape_en_cours\"}: $*" >&2
    exit 1
}
prouve() {
    echo "$script: proved: $* ($(($(date +%s) - ZANTREL_DEBUT)) s)"
}

# The waits follow conditions, with limits that a loaded machine keeps well within.
attendre() {  # seconds, what for, command that succeeds once it has come
    local fin=$((SECONDS + $1)) limite=$1 quoi=$2
    shift 2
    until "$@"; do
        [ "$SECONDS" -lt "$fin" ] || echouer "waited $limite s for $quoi"
        sleep 0.1
    done
}
sans_depasser() {  # seconds, what, command
    local limite=$1 quoi=$2 code=0
    shift 2
    timeout "$limite" "$@" || code=$?
    [ "$code" -ne 124 ] || echouer "$quoi: still running after $limite s"
    [ "$code" -eq 0 ] || echouer "$quoi: failed with exit code $code"
}

# The simulated device ($simulateur) on a fresh pseudo-terminal, its input held open on descriptor
# 8, its trace and memory dumps in the folder; sets appareil, pid_appareil and port_appareil.
demarrer_appareil() {  # folder, options of the simulator
    appareil=$1
    shift
    mkdir -p "$appareil"
    mkfifo "$appareil/entree"
    "$simulateur" "$@" --trace "$appareil/trace" --hex-programme "$appareil/programme.hex" \
        --hex-eeprom "$appareil/eeprom.hex" <"$appareil/entree" >"$appareil/esclave" 2>"$appareil/anomalies" &
    pid_appareil=$!
    pids+=("$pid_appareil")
    exec 8>"$appareil/entree"
    attendre 120 "the simulated device's pseudo-terminal" test -s "$appareil/esclave"
    port_appareil=$(head -n 1 "$appareil/esclave")
}
# The end of its input stops the device, which then dumps its memories.
arreter_appareil() {
    exec 8>&-
    wait "$pid_appareil" || true
    [ ! -s "$appareil/anomalies" ] || { cat "$appareil/anomalies" >&2; echouer "the simulated device saw faults"; }
}
fin_acquittee() {  # the device acknowledged the end of programming
    grep -A1 'PC>AP 91' "$appareil/trace" | grep -q 'AP>PC 84'
}

# Wine in the prefix, made if missing, with one server for the whole check: the registry's HARDWARE
# branch lives only as long as it does.
preparer_wine() {  # prefix
    export PATH=/usr/lib/wine:$PATH WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    if [ ! -d "$WINEPREFIX/dosdevices" ]; then
        echo "$script: creating the Wine prefix $WINEPREFIX"
        # wineboot reports the 32-bit half that a 64-bit-only Wine lacks; the prefix is made anyway.
        wine64 wineboot -i >/dev/null 2>&1 || true
        [ -d "$WINEPREFIX/dosdevices" ] || echouer "no Wine prefix"
    fi
    # A server left by wineboot or by an earlier run goes first.
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    wineserver -p >/dev/null 2>&1
    # The first program starts Wine's services, which then hold its output open: start them here,
    # so that a program whose output is read ends with its output.
    wine64 cmd.exe /c exit >/dev/null 2>&1
}
