#!/usr/bin/env bash
# Installs the Debian packages the program needs, only those missing (sudo when not root).
# Packages named as arguments are added to the list (tools/captures.sh asks for its own).
set -euo pipefail
paquets=(cmake g++ make qt6-base-dev qt6-serialport-dev libgl-dev xvfb xauth
         fonts-dejavu-core fonts-liberation2 fonts-crosextra-carlito "$@")
manquants=()
for p in "${paquets[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || manquants+=("$p")
done
[ ${#manquants[@]} -eq 0 ] && exit 0
echo "Installation de : ${manquants[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${manquants[@]}"
