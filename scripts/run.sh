#!/usr/bin/env bash
# Installs what is missing, builds and starts gleaner. Arguments are passed to the program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" "$root/build" >/dev/null
exec "$root/build/src/gleaner" "$@"
