#!/usr/bin/env bash
# Starts an installed Telmira as the desktop does, for a user who does not own the installation,
# without a display, and checks what the package promises:
#   tools/essaie-installe.sh RACINE     (RACINE: / for an installed package, or where it was
#                                         extracted with dpkg -x)
# 1. The installed simulator plays the three instruments of the installed example demo.tm2
#    (COM1..COM3, pointed at its pseudo-terminals by TELMIRA_COM1..3).
# 2. The Exec line of the installed desktop entry, %f replaced by demo.tm2, starts the program:
#    the polled instruments on COM1 and COM3 must receive their requests ("GP" and "RT"),
#    which happens only once the set-up named on the command line is loaded and started.
# 3. The same line again, as a file manager does for a second file, ends at once (exit 0)
#    and the running copy reads the file it was handed.
# 4. The program, stopped by SIGTERM, closes normally. Under strace it found its help pages in
#    <prefix>/share/telmira/aide and tried no write under <prefix>, and it wrote its settings
#    and chose its device-file folder in the user's folders.
# Needs strace. Runs as the calling user, who must not be root.
set -euo pipefail
# Root owns the installation: the program would take its folder for the user's own.
[ "$(id -u)" -ne 0 ] || { echo "essai : à lancer en utilisateur ordinaire, pas en root" >&2; exit 2; }
racine="$(realpath "${1:?usage : essaie-installe.sh RACINE}")"
prefixe="${racine%/}/usr"
programme="$prefixe/bin/telmira"
simulateur="$prefixe/bin/telmira-simulateur"
entree="$prefixe/share/applications/telmira.desktop"
config="$prefixe/share/telmira/exemples/demo.tm2"
for f in "$programme" "$simulateur" "$entree" "$config"; do
    [ -e "$f" ] || { echo "essai : $f manque" >&2; exit 1; }
done

travail="$(mktemp -d "${TMPDIR:-/tmp}/telmira-essai.XXXXXX")"
pid_simulateur=""
pid_programme=""
arrete() {
    for pid in $pid_programme $pid_simulateur; do
        kill "$pid" 2>/dev/null || true
    done
    wait 2>/dev/null || true
    rm -rf "$travail"
}
trap arrete EXIT
echec() {
    echo "essai : $*" >&2
    for f in simulateur.err programme.err; do
        [ -s "$travail/$f" ] && { echo "--- $f" >&2; tail -n 20 "$travail/$f" >&2; }
    done
    exit 1
}
# Waits up to $1 seconds for the command that follows to succeed.
attend() {
    local dixiemes=$(($1 * 10))
    shift
    until "$@"; do
        [ "$dixiemes" -gt 0 ] || return 1
        dixiemes=$((dixiemes - 1))
        sleep 0.1
    done
}

# A user of the lab PC: private home, runtime folder, nothing inherited from the caller.
maison="$travail/maison"
mkdir -p "$maison" "$travail/run"
chmod 700 "$travail/run"
unset TELMIRA_AIDE XDG_CONFIG_HOME XDG_DATA_HOME XDG_STATE_HOME XDG_CACHE_HOME
export HOME="$maison" XDG_RUNTIME_DIR="$travail/run" QT_QPA_PLATFORM=offscreen
export PATH="$prefixe/bin:$PATH"

"$simulateur" --trace \
    --appareil "CONSORT C3010 (pH)" --lien "$travail/com1" -s constante:7 \
    --appareil "CONSORT C3010 auto (mS)" --lien "$travail/com2" -s constante:1.25 --periode 1000 \
    --appareil "Hanna HI 9032 (T)" --lien "$travail/com3" -s constante:20 \
    >"$travail/simulateur.out" 2>"$travail/simulateur.err" &
pid_simulateur=$!
attend 15 grep -qs '^PRET' "$travail/simulateur.out" || echec "le simulateur n'a pas démarré"
export TELMIRA_COM1="$travail/com1" TELMIRA_COM2="$travail/com2" TELMIRA_COM3="$travail/com3"

# The command of the desktop entry, as a file manager runs it for one file.
exec_ligne="$(sed -n 's/^Exec=//p' "$entree")"
case "$exec_ligne" in
    *%f*) ;;
    *) echec "la ligne Exec de l'entrée ne passe pas le fichier (%f) : $exec_ligne" ;;
esac
read -r -a commande <<<"${exec_ligne//%f/$config}"

# The shell writes its pid then becomes the program, so that strace traces the program itself.
# shellcheck disable=SC2016
strace -f -qq -e trace=%file -o "$travail/strace.log" \
    bash -c 'echo $$ >"$0"; exec "$@"' "$travail/programme.pid" "${commande[@]}" \
    >"$travail/programme.out" 2>"$travail/programme.err" &
trace=$!
attend 10 test -s "$travail/programme.pid" || echec "le programme n'a pas démarré"
pid_programme="$(cat "$travail/programme.pid")"

recu() { grep -qF "appareil $1 ($2) : reçu « $3 »" "$travail/simulateur.err"; }
attend 60 recu 1 "CONSORT C3010 (pH)" "GP<CR>" ||
    echec "COM1 n'a reçu aucune demande : demo.tm2 n'a pas été chargé"
attend 30 recu 3 "Hanna HI 9032 (T)" "<DLE>RT<CR>" ||
    echec "COM3 n'a reçu aucune demande : demo.tm2 n'a pas été chargé"
echo "essai : demo.tm2 donné par l'entrée du bureau est chargé (COM1 et COM3 interrogés)"

# A second file opened from the file manager goes to the running copy, which reads it again.
lectures() { grep -cF "\"$config\", O_RDONLY" "$travail/strace.log" || true; }
avant="$(lectures)"
timeout 30 "${commande[@]}" >"$travail/second.out" 2>&1 ||
    echec "le second lancement ne s'est pas terminé en passant la main ($?)"
kill -0 "$pid_programme" 2>/dev/null || echec "la copie ouverte s'est arrêtée"
relu() { [ "$(lectures)" -gt "$avant" ]; }
attend 30 relu || echec "la copie ouverte n'a pas lu le fichier transmis"
echo "essai : un second lancement passe le fichier à la copie ouverte, qui le charge"

kill -TERM "$pid_programme"
statut=0
timeout 30 tail --pid="$pid_programme" -f /dev/null || echec "le programme ne s'arrête pas"
wait "$trace" || statut=$?
pid_programme=""
[ "$statut" -eq 0 ] || echec "le programme s'est terminé avec le code $statut"

grep -qE "\"$prefixe/bin/\.\./share/telmira/aide/index\.html\".*\) = 0$" \
    "$travail/strace.log" || echec "les pages d'aide de $prefixe/share/telmira/aide non trouvées"
echo "essai : aide trouvée dans $prefixe/share/telmira/aide"

# No write of any kind under the prefix, even one that failed.
ecritures="$(grep -E "\"$prefixe/" "$travail/strace.log" |
    grep -E "O_(WRONLY|RDWR|CREAT|TRUNC)|^[0-9]+ +(mkdir|mkdirat|unlink|unlinkat|rmdir|rename|renameat2?|link|linkat|symlink|symlinkat|chmod|fchmodat|chown|lchown|fchownat|truncate|creat|utimensat)\(" || true)"
[ -z "$ecritures" ] || echec "écritures sous $prefixe :
$ecritures"
[ -f "$maison/.config/Telmira/Telmira.conf" ] || echec "réglages non écrits dans ~/.config/Telmira"
[ -d "$maison/.local/share/Telmira/telmira" ] ||
    echec "le fichier des appareils n'est pas placé dans ~/.local/share/Telmira/telmira"
# Once the program registers the tm2 type for the user, it must declare the installed type.
if [ -f "$maison/.local/share/mime/packages/telmira.xml" ]; then
    cmp -s "$maison/.local/share/mime/packages/telmira.xml" "$prefixe/share/mime/packages/telmira.xml" ||
        echec "le type tm2 inscrit pour l'utilisateur diffère du type installé"
fi
echo "essai : rien d'écrit sous $prefixe ; écrit dans les dossiers de l'utilisateur :"
(cd "$maison" && find . -type f | sort | sed 's/^\./  ~/')
