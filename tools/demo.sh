#!/usr/bin/env bash
# Demonstration without instruments: the simulator plays a pH meter (polled), a conductimeter
# (sending on its own) and a thermometer (polled) on pseudo-terminals taken for COM1..COM3 for
# this run only, and the program starts with resources/demo.tm2 loaded, ready to acquire.
# --dosage [hcl|acetique]: a titration instead: a Titronic burette on COM1 delivers 0.1 mol/L
# sodium hydroxide into 20 mL of 0.1 mol/L hydrochloric (default) or acetic acid, whose pH a
# CONSORT C3010 reads on COM2 (electrode time constant 3 s); the program starts with
# resources/dosage.tm2 (burette mode).
# Extra arguments go to the program.
#   DEMO_SANS_CONSTRUCTION=1  uses the build already in $DEMO_BUILD (default build/)
#   DEMO_ATTENTE_SIMULATEUR   seconds to wait for the simulator (default 15)
set -euo pipefail
racine="$(cd "$(dirname "$0")/.." && pwd)"
build="${DEMO_BUILD:-$racine/build}"
dosage=""
if [ "${1:-}" = "--dosage" ]; then
    shift
    dosage=hcl
    case "${1:-}" in
        hcl | acetique) dosage="$1"; shift ;;
    esac
fi

if [ -z "${DEMO_SANS_CONSTRUCTION:-}" ]; then
    "$racine/tools/paquets.sh"
    cmake -S "$racine" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$build" -j"$(nproc)" --target telmira simulateur
fi
programme="$build/telmira"
simulateur="$build/tools/simulateur/simulateur"
for f in "$programme" "$simulateur"; do
    [ -x "$f" ] || { echo "demo : $f introuvable" >&2; exit 1; }
done

dossier="$(mktemp -d "${TMPDIR:-/tmp}/telmira-demo.XXXXXX")"
pid_simulateur=""
arrete() {
    if [ -n "$pid_simulateur" ] && kill -0 "$pid_simulateur" 2>/dev/null; then
        kill "$pid_simulateur" 2>/dev/null || true
        wait "$pid_simulateur" 2>/dev/null || true
    fi
    rm -rf "$dossier"
}
trap arrete EXIT
trap 'exit 130' INT TERM

if [ -n "$dosage" ]; then
    # A 25 mL unit: the titration ends at 95 % of it, past the equivalence at 20 mL.
    "$simulateur" \
        --burette --lien "$dossier/com1" --capacite 25 --becher "$dosage" \
        --appareil "CONSORT C3010 (pH)" --lien "$dossier/com2" -s becher \
        >"$dossier/simulateur.txt" 2>"$dossier/simulateur.err" &
    configuration="$racine/resources/dosage.tm2"
else
    # Slow moves, so that the curves show something within a few minutes.
    "$simulateur" \
        --appareil "CONSORT C3010 (pH)" --lien "$dossier/com1" -s rampe:4,0.01 \
        --appareil "CONSORT C3010 auto (mS)" --lien "$dossier/com2" -s bruit:1.25,0.01 \
        --periode 1000 \
        --appareil "Hanna HI 9032 (T)" --lien "$dossier/com3" -s rampe:20,0.02 \
        >"$dossier/simulateur.txt" 2>"$dossier/simulateur.err" &
    configuration="$racine/resources/demo.tm2"
fi
pid_simulateur=$!

attente=$(( ${DEMO_ATTENTE_SIMULATEUR:-15} * 10 ))
until grep -q '^PRET' "$dossier/simulateur.txt" 2>/dev/null; do
    if ! kill -0 "$pid_simulateur" 2>/dev/null || [ "$attente" -le 0 ]; then
        echo "demo : le simulateur n'a pas démarré" >&2
        cat "$dossier/simulateur.err" >&2
        exit 1
    fi
    attente=$((attente - 1))
    sleep 0.1
done

export TELMIRA_COM1="$dossier/com1" TELMIRA_COM2="$dossier/com2" TELMIRA_COM3="$dossier/com3"
# Not exec: the simulator is stopped when the program ends.
status=0
"$programme" "$configuration" "$@" || status=$?
exit "$status"
