#!/usr/bin/env bash
# Builds the program (in build/) and starts it; arguments are passed to the program.
# --demo: the demonstration with simulated instruments (tools/demo.sh).
set -euo pipefail
racine="$(cd "$(dirname "$0")/.." && pwd)"
if [ "${1:-}" = "--demo" ]; then
    shift
    exec "$racine/tools/demo.sh" "$@"
fi
"$racine/tools/paquets.sh"
cmake -S "$racine" -B "$racine/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$racine/build" -j"$(nproc)" --target telmira
exec "$racine/build/telmira" "$@"
