#!/usr/bin/env bash
# Screenshots of the program under a virtual X server, with the demonstration's simulated
# instruments (tools/demo.sh): the empty window, a live acquisition of three channels, the
# multimeter view, and nine channels on a wide window.
# Usage: tools/captures.sh [output folder, default docs/captures]
#   CAPTURES_SEULES="neuf"    only these steps (vide, demo, neuf, dosage; default all)
#   CAPTURES_DOSAGE=<seconds> how long the titration may run before its capture (default 900)
# The titration step reads the backup table beside a copy of the program, in a folder that
# belongs to the user (the program then keeps the table there).
#   CAPTURES_BUILD=<folder>   an existing build to use instead of building build/
#   CAPTURES_DUREE=<seconds>  how long the acquisition runs before its capture (default 60)
set -euo pipefail
racine="$(cd "$(dirname "$0")/.." && pwd)"
sortie="$(realpath -m "${1:-$racine/docs/captures}")"
duree="${CAPTURES_DUREE:-60}"

"$racine/tools/paquets.sh" xdotool imagemagick
if [ -n "${CAPTURES_BUILD:-}" ]; then
    build="$(realpath "$CAPTURES_BUILD")"
else
    build="$racine/build"
    cmake -S "$racine" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$build" -j"$(nproc)" --target telmira simulateur
fi
mkdir -p "$sortie"

travail="$(mktemp -d "${TMPDIR:-/tmp}/telmira-captures.XXXXXX")"
pid_x=""
pid_lance=""
arrete_programme() {
    local fenetre="$1" pid
    pid="$(xdotool getwindowpid "$fenetre" 2>/dev/null || true)"
    # Unsaved samples would ask before closing: nobody is there to answer.
    if [ -n "$pid" ]; then
        kill "$pid" 2>/dev/null || true
        sleep 1
        kill -0 "$pid" 2>/dev/null && kill -9 "$pid" 2>/dev/null || true
    fi
    if [ -n "$pid_lance" ]; then
        wait "$pid_lance" 2>/dev/null || true
        pid_lance=""
    fi
}
nettoie() {
    if [ -n "$pid_lance" ]; then
        kill "$pid_lance" 2>/dev/null || true
        wait "$pid_lance" 2>/dev/null || true
    fi
    if [ -n "$pid_x" ]; then
        kill "$pid_x" 2>/dev/null || true
        wait "$pid_x" 2>/dev/null || true
    fi
    [ -n "${CAPTURES_GARDE:-}" ] && echo "captures : fichiers dans $travail" || rm -rf "$travail"
}
trap nettoie EXIT
trap 'exit 130' INT TERM

# A free display number, and a server of its own.
n=90
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
export DISPLAY=":$n"
Xvfb "$DISPLAY" -screen 0 1680x1050x24 -nolisten tcp >"$travail/xvfb.txt" 2>&1 &
pid_x=$!
for _ in $(seq 100); do
    xdotool getdisplaygeometry >/dev/null 2>&1 && break
    sleep 0.1
done

# Private settings, data and single-instance folder: the user's own copy is not disturbed.
export HOME="$travail/maison" XDG_CONFIG_HOME="$travail/config" XDG_RUNTIME_DIR="$travail/run"
mkdir -p "$HOME/Documents" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=xcb
# French number formats on screen, whatever the caller's locale (Qt has its own locale data).
francais=(env -u LC_ALL LANG=fr_FR.UTF-8 LC_NUMERIC=fr_FR.UTF-8)

attend_fenetre() {
    local id="" largeur="${1:-1200}" hauteur="${2:-760}"
    for _ in $(seq 150); do
        id="$(xdotool search --onlyvisible --name "Acquisition par appareils" 2>/dev/null | head -1 || true)"
        [ -n "$id" ] && break
        sleep 0.1
    done
    [ -n "$id" ] || { echo "captures : la fenêtre n'est pas apparue" >&2; exit 1; }
    # Same place and size every time, so that the buttons are where the clicks expect them.
    xdotool windowmove "$id" 0 0 windowsize "$id" "$largeur" "$hauteur"
    sleep 2
    # Once more: a window still settling may have taken its own size back meanwhile.
    xdotool windowmove "$id" 0 0 windowsize "$id" "$largeur" "$hauteur"
    sleep 1
    echo "$id"
}
capture() {
    import -window "$1" "$sortie/$2.png"
    echo "captures : $sortie/$2.png"
}
# A click at a point of the window; its fixed size keeps the tool bars where they were measured.
clique_bouton() {
    local fenetre="$1" x="$2" y="$3"
    xdotool mousemove --window "$fenetre" "$x" "$y" click 1
}

etape() {
    [ -z "${CAPTURES_SEULES:-}" ] || [[ " $CAPTURES_SEULES " == *" $1 "* ]]
}
# Starts acquiring in the window (the space bar stands for "Acquérir") and lets it run.
acquiert() {
    sleep 3
    xdotool windowfocus --sync "$1" 2>/dev/null || true
    xdotool key --window "$1" space
    sleep "$duree"
}

# 1. The window as it opens, without any set-up.
if etape vide; then
    "${francais[@]}" "$build/telmira" >"$travail/vide.txt" 2>&1 &
    pid_lance=$!
    fenetre="$(attend_fenetre)" || exit 1
    capture "$fenetre" fenetre-vide
    arrete_programme "$fenetre"
fi

# 2. The demonstration set-up, acquiring, then the multimeter view ("Multimètre" button) with
# the acquisition going on behind it.
if etape demo; then
    "${francais[@]}" DEMO_SANS_CONSTRUCTION=1 DEMO_BUILD="$build" "$racine/tools/demo.sh" \
        >"$travail/demo.txt" 2>&1 &
    pid_lance=$!
    fenetre="$(attend_fenetre)" || exit 1
    acquiert "$fenetre"
    capture "$fenetre" acquisition
    clique_bouton "$fenetre" "${CAPTURES_MULTIMETRE_X:-445}" "${CAPTURES_MULTIMETRE_Y:-95}"
    sleep 3
    capture "$fenetre" multimetre
    arrete_programme "$fenetre"
fi

# 3. Nine simulated instruments on a 1600-pixel window: the plot keeps the room.
if etape neuf; then
    noms=("Orphy GTS2 (pH)" "CONSORT C3010 auto (mS)" "Jenway IC 6300 (A)"
          "Bain Polystat (Bioblock)" "Hanna HI 9017 (mV)" "Ohaus Pioneer" "Meterman 38XR"
          "CECIL 1000 (A)" "Radiometer CDM400")
    # Values that move within each instrument's range, so that the nine curves part.
    sources=("rampe:4,0.02" "bruit:1.2,0.02" "rampe:0.3,0.004" "rampe:20,0.05" "bruit:150,5"
             "rampe:0.2,0.001" "bruit:3,0.1" "rampe:1.5,-0.003" "bruit:0.6,0.02")
    arguments=()
    configuration="$travail/neuf.tm2"
    printf '[Acquisition]\r\nDeltat=4\r\nDuree=600\r\nNvoies=9\r\nMode=0\r\n' >"$configuration"
    for i in "${!noms[@]}"; do
        arguments+=(--appareil "${noms[$i]}" --lien "$travail/com$((i + 1))" -s "${sources[$i]}")
        printf 'Nom%d=%s\r\nCOM%d=%d\r\n' "$i" "${noms[$i]}" "$i" "$((i + 1))" >>"$configuration"
        export "TELMIRA_COM$((i + 1))=$travail/com$((i + 1))"
    done
    "$build/tools/simulateur/simulateur" "${arguments[@]}" >"$travail/neuf-sim.txt" 2>&1 &
    pid_simulateur=$!
    for _ in $(seq 150); do grep -q '^PRET' "$travail/neuf-sim.txt" && break; sleep 0.1; done
    "${francais[@]}" "$build/telmira" "$configuration" >"$travail/neuf.txt" 2>&1 &
    pid_lance=$!
    fenetre="$(attend_fenetre 1600 1000)" || exit 1
    acquiert "$fenetre"
    capture "$fenetre" neuf-voies
    arrete_programme "$fenetre"
    kill "$pid_simulateur" 2>/dev/null || true
fi

# 4. A titration by the simulated burette (tools/demo.sh --dosage), captured once it has ended
# (the "Acquérir" button enabled again) or after CAPTURES_DOSAGE seconds.
if etape dosage; then
    # A copy of the program of its own, so that its backup table (beside it) is this run's.
    copie="$travail/construction"
    mkdir -p "$copie/tools/simulateur"
    cp "$build/telmira" "$copie/"
    ln -s "$build/tools/simulateur/simulateur" "$copie/tools/simulateur/simulateur"
    "${francais[@]}" DEMO_SANS_CONSTRUCTION=1 DEMO_BUILD="$copie" "$racine/tools/demo.sh" --dosage \
        >"$travail/dosage.txt" 2>&1 &
    pid_lance=$!
    fenetre="$(attend_fenetre)" || exit 1
    debut=$(date +%s)
    duree=5 acquiert "$fenetre"
    fin=$((debut + ${CAPTURES_DOSAGE:-900}))
    # It has ended once the backup table beside the program holds a volume past 95 % of the
    # 25 mL unit (the table is written again at the end of a run).
    secours="$copie/telmira.txt"
    while [ "$(date +%s)" -lt "$fin" ]; do
        sleep 5
        [ -f "$secours" ] || continue
        dernier="$(tail -1 "$secours" | cut -f1)"
        awk -v v="$dernier" 'BEGIN { exit !(v > 23.75) }' && break
    done
    sleep 2
    echo "captures : dosage en $(( $(date +%s) - debut )) s"
    # Samples, and the smallest and largest additions with the volume they brought.
    tail -n +4 "$secours" | awk -F'\t' 'NR > 1 { d = $1 - v; if (!m || d < m) { m = d; vm = $1 }
        if (d > M) { M = d; vM = $1 } } { v = $1; n++ }
        END { printf "captures : %d échantillons, ajouts de %.2f mL (à %.2f mL) à %.2f mL (à %.2f mL)\n", n, m, vm, M, vM }'
    capture "$fenetre" dosage
    arrete_programme "$fenetre"
fi
