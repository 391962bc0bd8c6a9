#!/usr/bin/env bash
# Builds the program and its tests in a fresh folder and runs them without a display.
#   tools/teste.sh             normal build in build-tests/
#   tools/teste.sh --sanitize  AddressSanitizer + UndefinedBehaviorSanitizer build in build-asan/
set -euo pipefail
racine="$(cd "$(dirname "$0")/.." && pwd)"
"$racine/tools/paquets.sh"
dossier="$racine/build-tests"
options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [ "${1:-}" = "--sanitize" ]; then
    dossier="$racine/build-asan"
    options=(-DCMAKE_BUILD_TYPE=Debug -DTELMIRA_SANITIZE=ON)
    export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi
rm -rf "$dossier"
cmake -S "$racine" -B "$dossier" "${options[@]}" >/dev/null
cmake --build "$dossier" -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
cd "$dossier"
ctest --output-on-failure -j2
