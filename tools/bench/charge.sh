#!/usr/bin/env bash
# Load benchmark: nine catalogue instruments sending on their own, played by the simulator on
# pseudo-terminals at a given record rate, and the program (its window, trace option on as by
# default) on a time-base acquisition of the nine channels. Prints the program's share of one
# core and its resident memory after 10, 30 and 60 s (then every 5 min), and at the end checks
# the backup table against the samples the time base promised.
#
#   tools/bench/charge.sh [--cadence N] [--duree S] [--build DOSSIER]
#     --cadence N  records per second of each instrument (default 10)
#     --duree S    length of the run in seconds (default 60; --duree 3600 is the soak)
#     --build D    build folder holding telmira and the simulator (default build/)
# The window goes to $DISPLAY when set, else to an Xvfb started here, else to Qt's offscreen
# platform. The program runs from a private folder and private settings.
#   CHARGE_ENVELOPPE="heaptrack -o /tmp/h"  runs the program under that command, to profile it
#                                           (the figures printed are then not the program's)
#   CHARGE_GARDE=1                          keeps the run's folder
set -euo pipefail
racine="$(cd "$(dirname "$0")/../.." && pwd)"
build="$racine/build"
cadence=10
duree=60
while [ $# -gt 0 ]; do
    case "$1" in
        --cadence) cadence="$2"; shift 2 ;;
        --duree) duree="$2"; shift 2 ;;
        --build) build="$2"; shift 2 ;;
        *) echo "charge : option inconnue $1" >&2; exit 2 ;;
    esac
done
[[ "$cadence" =~ ^[0-9]+$ && "$cadence" -ge 1 && "$cadence" -le 1000 ]] ||
    { echo "charge : --cadence de 1 à 1000" >&2; exit 2; }
[[ "$duree" =~ ^[0-9]+$ && "$duree" -ge 10 ]] || { echo "charge : --duree de 10 s au moins" >&2; exit 2; }
for f in "$build/telmira" "$build/tools/simulateur/simulateur"; do
    [ -x "$f" ] || { echo "charge : $f introuvable (construire d'abord)" >&2; exit 1; }
done

dossier="$(mktemp -d "${TMPDIR:-/tmp}/telmira-charge.XXXXXX")"
pids=()
arrete() {
    for p in "${pids[@]}"; do kill -KILL "$p" 2>/dev/null || true; done
    for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
    [ -n "${CHARGE_GARDE:-}" ] && echo "charge : dossier gardé $dossier" >&2 || rm -rf "$dossier"
}
trap arrete EXIT
trap 'exit 130' INT TERM

# Nine instruments that print on their own, each with a noisy value inside its range.
appareils=(
    "CONSORT C3010 auto (pH)|bruit:7,0.05"
    "CONSORT C3010 auto (mS)|bruit:1.25,0.01"
    "CRISON 2002 (pH)|bruit:4,0.05"
    "CRISON 2002 (T)|bruit:25,0.2"
    "Gensis 10|bruit:1,0.01"
    "Meterman 38XR|bruit:5,0.1"
    "Ohaus Pioneer|bruit:50,0.01"
    "Precisa 80 A/125 A|bruit:60,0.01"
    "Schott pH/LF 12 (pH)|bruit:6,0.05"
)
periode=$((1000 / cadence))
[ "$periode" -ge 1 ] || periode=1
args=()
config="[Acquisition]"$'\r\n'
# The smallest time step that keeps the run within the store's 2049 samples.
deltat=$((duree / 2049 + 1))
config+="Deltat=$deltat"$'\r\n'"Duree=$duree"$'\r\n'"Nvoies=${#appareils[@]}"$'\r\n'"Mode=0"$'\r\n'
for i in "${!appareils[@]}"; do
    nom="${appareils[$i]%%|*}"
    source="${appareils[$i]#*|}"
    args+=(--appareil "$nom" --lien "$dossier/com$((i + 1))" -s "$source" --periode "$periode")
    config+="Nom$i=$nom"$'\r\n'"COM$i=$((i + 1))"$'\r\n'
    export "TELMIRA_COM$((i + 1))=$dossier/com$((i + 1))"
done
# Each instrument's description from the catalogue, with a 100 ms delay: the nine delays then
# allow a 1 s time step, as a teacher sets it in the instrument settings.
for i in "${!appareils[@]}"; do
    nom="${appareils[$i]%%|*}"
    config+=$'\r\n'"$(awk -v s="[$nom]" '
        { l = $0; sub(/\r$/, "", l) }
        l ~ /^\[/ { dedans = (l == s) }
        dedans { if (l ~ /^Delai=/) l = "Delai=100"; printf "%s\r\n", l }' \
        "$racine/instruments/catalogue/catalogue.ini")"
done
printf '%s' "$config" >"$dossier/charge.tm2"

"$build/tools/simulateur/simulateur" "${args[@]}" >"$dossier/simulateur.txt" 2>"$dossier/simulateur.err" &
pids+=($!)
attente=150
until grep -q '^PRET' "$dossier/simulateur.txt" 2>/dev/null; do
    if [ "$attente" -le 0 ]; then
        echo "charge : le simulateur n'a pas démarré" >&2
        cat "$dossier/simulateur.err" >&2
        exit 1
    fi
    attente=$((attente - 1))
    sleep 0.1
done

# The program runs from its own folder, so that its backup table is this run's.
mkdir -p "$dossier/programme" "$dossier/maison"
cp "$build/telmira" "$dossier/programme/telmira"
export HOME="$dossier/maison" XDG_CONFIG_HOME="$dossier/maison/.config"
export XDG_DATA_HOME="$dossier/maison/.local/share" XDG_STATE_HOME="$dossier/maison/.local/state"
export XDG_RUNTIME_DIR="$dossier/maison/run"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
affichage="${DISPLAY:-}"
if [ -z "${DISPLAY:-}" ]; then
    if command -v Xvfb >/dev/null; then
        for n in $(seq 90 120); do
            [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
            Xvfb ":$n" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
            pids+=($!)
            affichage=":$n"
            break
        done
        for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${affichage#:}" ] && break; sleep 0.1; done
        export DISPLAY="$affichage" QT_QPA_PLATFORM=xcb
    else
        affichage="offscreen"
        export QT_QPA_PLATFORM=offscreen
    fi
fi
${CHARGE_ENVELOPPE:-} "$dossier/programme/telmira" --acquiert "$dossier/charge.tm2" >"$dossier/programme.txt" 2>&1 &
programme=$!
pids+=($programme)

tic=$(getconf CLK_TCK)
cpu() { awk '{print $14 + $15}' "/proc/$programme/stat"; }
rss() { awk '/^VmRSS/ {print $2}' "/proc/$programme/status"; }
en_vie() { kill -0 "$programme" 2>/dev/null || { echo "charge : le programme s'est arrêté" >&2; cat "$dossier/programme.txt" >&2; exit 1; }; }

# Start-up is not measured here: the clock starts once the run is under way.
sleep 2
en_vie
cpu0=$(cpu)
t0=$(date +%s%N)
echo "Charge : 9 appareils × $cadence enregistrements/s, base de temps δt $deltat s sur $duree s, affichage $affichage"
echo "Machine : $(nproc) cœurs, charge moyenne $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%8s %12s %12s %10s\n' "t (s)" "CPU total %" "CPU interv. %" "RSS (Mio)"
points=(10 30 60)
for ((t = 360; t <= duree; t += 300)); do points+=("$t"); done
cpu_prec=$cpu0
t_prec=$t0
rss60=""
for p in "${points[@]}"; do
    [ "$p" -le "$duree" ] || break
    maintenant=$(date +%s%N)
    reste=$(((t0 + p * 1000000000 - maintenant) / 1000000))
    [ "$reste" -gt 0 ] && sleep "$(awk -v m="$reste" 'BEGIN {printf "%.3f", m / 1000}')"
    en_vie
    c=$(cpu)
    t=$(date +%s%N)
    r=$(rss)
    awk -v p="$p" -v c="$c" -v c0="$cpu0" -v cp="$cpu_prec" -v t="$t" -v t0="$t0" -v tp="$t_prec" \
        -v hz="$tic" -v r="$r" 'BEGIN {
            printf "%8d %12.2f %12.2f %10.1f\n", p, 100 * (c - c0) / hz / ((t - t0) / 1e9),
                   100 * (c - cp) / hz / ((t - tp) / 1e9), r / 1024 }'
    [ "$p" -eq 60 ] && rss60=$r
    cpu_prec=$c
    t_prec=$t
done

# The run ends on its own at its duration; its end flushes the whole backup table.
table="$dossier/programme/telmira.txt"
attendus=$((duree / deltat + 1))
# Until the end of the run, and 20 s more for the last rows.
fin=$((t0 + (duree + 20) * 1000000000))
while :; do
    lignes=0
    [ -f "$table" ] && lignes=$(($(wc -l <"$table") - 3))
    [ "$lignes" -ge "$attendus" ] && break
    [ "$(date +%s%N)" -ge "$fin" ] && break
    en_vie
    sleep 0.5
done
en_vie
rfin=$(rss)
if [ -n "$rss60" ] && [ "$duree" -gt 60 ]; then
    awk -v a="$rss60" -v b="$rfin" 'BEGIN {printf "RSS de 60 s à la fin : %+.1f Mio\n", (b - a) / 1024}'
fi
# Rows: the times must be 0, δt, 2δt ... and every channel holds a value.
bilan=$(tail -n +4 "$table" | tr -d '\r' | awk -F'\t' -v dt="$deltat" -v nv="${#appareils[@]}" '
    { n++; if ($1 + 0 != (n - 1) * dt) decale++;
      for (v = 2; v <= nv + 1; v++) if ($v == "") vides++ }
    END { printf "%d %d %d", n, decale, vides }')
read -r n decale vides <<<"$bilan"
echo "Échantillons : $n enregistrés pour $attendus attendus, $decale à une date inattendue, $vides valeurs vides"
[ "$n" -eq "$attendus" ] && [ "$decale" -eq 0 ] && [ "$vides" -eq 0 ]
