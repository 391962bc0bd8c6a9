#!/usr/bin/env bash
# Builds the Debian package in a folder of its own (Release, prefix /usr, without the tests):
#   tools/paquet.sh [dossier]      (build-paquet/ by default)
# and prints the path of telmira_<version>_<architecture>.deb. tools/verifie-paquet.sh checks it.
set -euo pipefail
racine="$(cd "$(dirname "$0")/.." && pwd)"
dossier="$(realpath -m "${1:-$racine/build-paquet}")"
# dpkg-shlibdeps computes the library dependencies; cpack needs file to find the executables.
"$racine/tools/paquets.sh" dpkg-dev file
# The dates in the package (manual pages, metainfo) are those of the last commit.
SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-$(git -C "$racine" log -1 --format=%ct 2>/dev/null || date +%s)}"
export SOURCE_DATE_EPOCH
options=(-DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DTELMIRA_TESTS=OFF)
command -v ccache >/dev/null && options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$racine" -B "$dossier" "${options[@]}" >/dev/null
cmake --build "$dossier" -j"$(nproc)"
rm -rf "$dossier"/*.deb "$dossier/_CPack_Packages"
(cd "$dossier" && cpack -G DEB >/dev/null)
paquet=("$dossier"/telmira_*.deb)
[ -f "${paquet[0]}" ] || { echo "paquet : aucun paquet produit dans $dossier" >&2; exit 1; }
echo "${paquet[0]}"
