#!/usr/bin/env bash
# Renders the program's icon into the PNG sizes of the hicolor theme (resources/icones/),
# from telmira-petit.svg up to 24 pixels and from telmira.svg above. Run it after changing
# either drawing and commit the PNGs with it (the build itself needs no SVG renderer).
set -euo pipefail
racine="$(cd "$(dirname "$0")/.." && pwd)"
"$racine/tools/paquets.sh" librsvg2-bin
dossier="$racine/resources/icones"
for taille in 16 22 24 32 48 64 128 256; do
    source="$dossier/telmira.svg"
    [ "$taille" -le 24 ] && source="$dossier/telmira-petit.svg"
    rsvg-convert -w "$taille" -h "$taille" "$source" -o "$dossier/telmira-$taille.png"
done
