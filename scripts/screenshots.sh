#!/usr/bin/env bash
# Takes the README's pictures again: the driven demonstration of scripts/run.sh
# on an Xvfb display of its own, with its screenshots written to docs/screenshots
# (the server on port 8765 unless LC_DEMO_PORT says otherwise, so the address
# shown in the pictures stays the same). Extra arguments go to run.sh.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export LC_DEMO_PORT=${LC_DEMO_PORT:-8765}
exec "$root/scripts/run.sh" --headless --screenshots "$root/docs/screenshots" "$@"
