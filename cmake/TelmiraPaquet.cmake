# The Debian package (cpack, or tools/paquet.sh which builds it in a folder of its own).
# The libraries it needs are computed from the executables by dpkg-shlibdeps; the fonts are
# those the program puts in place of the Windows ones its screens name.
set(TELMIRA_MAINTENEUR "Équipe Telmira <paquets@telmira.fr>" CACHE STRING
    "Maintainer of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME telmira)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Telmira)
set(CPACK_PACKAGE_CONTACT "${TELMIRA_MAINTENEUR}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "acquisition de mesures d'appareils de laboratoire sur les ports série")
set(CPACK_PACKAGE_DESCRIPTION
"Acquisition Telmira interroge ou écoute les appareils de mesure des
travaux pratiques branchés sur les ports série (pH-mètres, conductimètres,
spectrophotomètres, balances, bains, oxymètres, burette motorisée),
enregistre les échantillons, les trace en direct et les exporte (Kalvento,
txt, csv, presse-papiers). Interface en français.

Le paquet contient aussi telmira-simulateur, qui simule les appareils sur
des pseudo-terminaux pour les séances sans instruments.

Les ports série appartiennent au groupe dialout : chaque utilisateur qui
branche un appareil doit en faire partie (sudo adduser UTILISATEUR dialout,
puis se reconnecter).")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${TELMIRA_URL}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "fonts-liberation2 | fonts-liberation, fonts-crosextra-carlito, fonts-dejavu-core")
# The beeps of the master-instrument mode play the desktop's alert sounds.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "sound-theme-freedesktop")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "pipewire-bin | pulseaudio-utils")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
