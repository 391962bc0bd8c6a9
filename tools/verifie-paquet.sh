#!/usr/bin/env bash
# Checks a Debian package built by tools/paquet.sh:
#   tools/verifie-paquet.sh PAQUET.deb [--installe]
# - its control fields (section, dependencies computed from the libraries, fonts, dialout note)
#   and its contents (program, simulator, desktop entry, tm2 type, icons, metainfo, manual
#   pages, help pages);
# - desktop-file-validate, appstreamcli validate (offline), update-mime-database and man on the
#   files as installed;
# - extracted with dpkg -x into a temporary root, the program started as the desktop does
#   (tools/essaie-installe.sh), as an ordinary user: "nobody" when run as root.
# --installe (root only, for CI): installs the package, checks that the desktop knows the tm2
# type and the entry, runs the same trial on the installed program, removes the package and
# checks that nothing of it is left.
set -euo pipefail
racine="$(cd "$(dirname "$0")/.." && pwd)"
paquet="$(realpath "${1:?usage : verifie-paquet.sh PAQUET.deb [--installe]}")"
installe="${2:-}"
"$racine/tools/paquets.sh" desktop-file-utils appstream shared-mime-info strace man-db

echec() { echo "verifie-paquet : $*" >&2; exit 1; }
travail="$(mktemp -d "${TMPDIR:-/tmp}/telmira-paquet.XXXXXX")"
trap 'chmod -R u+w "$travail" 2>/dev/null; rm -rf "$travail"' EXIT
chmod 755 "$travail"

champ() { dpkg-deb -f "$paquet" "$1"; }
[ "$(champ Package)" = telmira ] || echec "nom du paquet : $(champ Package)"
[ "$(champ Section)" = science ] || echec "section : $(champ Section)"
version="$(sed -n 's/^project(Telmira VERSION \([0-9.]*\).*/\1/p' "$racine/CMakeLists.txt")"
[ "$(champ Version)" = "$version" ] || echec "version $(champ Version), le projet dit $version"
depends="$(champ Depends)"
for d in libqt6core6 libqt6gui6 libqt6widgets6 libqt6serialport6 libc6 \
    fonts-liberation2 fonts-crosextra-carlito fonts-dejavu-core; do
    [[ "$depends" == *"$d"* ]] || echec "dépendance $d absente : $depends"
done
champ Description | grep -q dialout || echec "la description ne parle pas du groupe dialout"

dpkg-deb -c "$paquet" | awk '{ print $NF }' | sed 's|^\./|/|' >"$travail/contenu"
attendus=(/usr/bin/telmira /usr/bin/telmira-simulateur
    /usr/share/applications/telmira.desktop /usr/share/mime/packages/telmira.xml
    /usr/share/icons/hicolor/scalable/apps/telmira.svg
    /usr/share/man/fr/man1/telmira.1.gz /usr/share/man/man1/telmira.1.gz
    /usr/share/man/fr/man1/telmira-simulateur.1.gz
    /usr/share/telmira/exemples/demo.tm2)
for taille in 16 22 24 32 48 64 128 256; do
    attendus+=("/usr/share/icons/hicolor/${taille}x${taille}/apps/telmira.png")
done
for page in "$racine"/resources/aide/*; do
    attendus+=("/usr/share/telmira/aide/$(basename "$page")")
done
for f in "${attendus[@]}"; do
    grep -qxF "$f" "$travail/contenu" || echec "$f manque dans le paquet"
done
metainfo="$(grep -E '^/usr/share/metainfo/[^/]+\.metainfo\.xml$' "$travail/contenu")" ||
    echec "pas de fichier metainfo dans le paquet"
# Only the program's own folders: nothing in /usr/local, /etc, /var or the user's folders.
autres="$(grep -vE '^/(usr/((bin|share)/)?)?$|^/usr/bin/telmira(-simulateur)?$|^/usr/share/(applications|icons|man|metainfo|mime|telmira)/' "$travail/contenu" || true)"
[ -z "$autres" ] || echec "fichiers hors des dossiers prévus : $autres"
echo "verifie-paquet : contenu et champs de contrôle conformes"

dpkg -x "$paquet" "$travail/racine"
r="$travail/racine"
remarques="$(desktop-file-validate "$r/usr/share/applications/telmira.desktop")" ||
    echec "desktop-file-validate refuse l'entrée : $remarques"
# Only a hint is allowed: the entry is in both main categories the program belongs to.
grep -v ' hint: ' <<<"$remarques" | grep . && echec "desktop-file-validate : $remarques"
appstreamcli validate --no-net "$r$metainfo" || echec "appstreamcli refuse $metainfo"
# The desktop entry opens the type the MIME file declares, and shared-mime-info accepts it.
type="$(sed -n 's/.*<mime-type type="\([^"]*\)".*/\1/p' "$r/usr/share/mime/packages/telmira.xml")"
grep -qx "MimeType=$type;" "$r/usr/share/applications/telmira.desktop" ||
    echec "l'entrée du bureau n'ouvre pas le type $type"
mkdir -p "$travail/mime/packages"
cp "$r/usr/share/mime/packages/telmira.xml" "$travail/mime/packages/"
# It notes on stderr that this folder is not the desktop's: only a failure matters.
update-mime-database "$travail/mime" >"$travail/mime.log" 2>&1 ||
    echec "update-mime-database refuse telmira.xml : $(cat "$travail/mime.log")"
grep -q ":$type:\*\.tm2" "$travail/mime/globs2" || echec "*.tm2 n'est pas associé à $type"
for page in "$r"/usr/share/man/fr/man1/*.1.gz; do
    avertissements="$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)"
    [ -z "$avertissements" ] || echec "$(basename "$page") : $avertissements"
done
echo "verifie-paquet : entrée du bureau, metainfo, type tm2 et pages de manuel valides"

# The trial as a user who owns nothing of the installation, like a student on a lab PC; from a
# copy of the script, since the clone may lie in a folder only its owner can read.
cp "$racine/tools/essaie-installe.sh" "$travail/"
chmod 755 "$travail/essaie-installe.sh"
essai() {
    if [ "$(id -u)" -eq 0 ]; then
        (cd "$travail" && setpriv --reuid=nobody --regid=nogroup --clear-groups \
            env TMPDIR="$travail" bash "$travail/essaie-installe.sh" "$1")
    else
        TMPDIR="$travail" bash "$travail/essaie-installe.sh" "$1"
    fi
}
chmod -R a-w "$r/usr"
chmod 1777 "$travail"
essai "$r"

if [ "$installe" = "--installe" ]; then
    [ "$(id -u)" -eq 0 ] || echec "--installe demande d'être root"
    dpkg-query -W telmira >/dev/null 2>&1 && echec "un paquet telmira est déjà installé"
    inventaire() {
        find /usr /etc /opt -xdev \( -path /usr/share/mime -o -path /usr/share/icons/hicolor/icon-theme.cache \
            -o -path /usr/share/applications/mimeinfo.cache \) -prune -o -print 2>/dev/null | sort
    }
    inventaire >"$travail/avant"
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$paquet" >/dev/null
    grep -q ":$type:\*\.tm2" /usr/share/mime/globs2 || echec "base MIME du système sans $type"
    grep -q "^$type=.*telmira\.desktop" /usr/share/applications/mimeinfo.cache ||
        echec "le bureau ne sait pas que telmira.desktop ouvre $type"
    essai /
    DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq telmira >/dev/null
    inventaire >"$travail/apres"
    while read -r f; do
        [ "$f" = / ] || [ "${f%/}" != "$f" ] || [ ! -e "$f" ] || echec "$f reste après la suppression"
    done <"$travail/contenu"
    restes="$(comm -13 "$travail/avant" "$travail/apres")"
    [ -z "$restes" ] || echec "restes après la suppression : $restes"
    ! grep -q "$type" /usr/share/mime/globs2 || echec "$type reste dans la base MIME"
    ! grep -q "telmira\.desktop" /usr/share/applications/mimeinfo.cache 2>/dev/null ||
        echec "telmira.desktop reste dans le cache du bureau"
    echo "verifie-paquet : installé, lancé, supprimé sans reste"
fi
echo "verifie-paquet : $(basename "$paquet") : $(stat -c %s "$paquet") octets"
echo "Depends: $depends"
