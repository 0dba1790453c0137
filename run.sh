#!/usr/bin/env bash
# Builds HTML Vesk (when needed) and starts it: ./run.sh [files…]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/tools/ensure-deps.sh"
vesk_ensure_packages "${VESK_BUILD_PACKAGES[@]}"
vesk_ccache_env "$here"
cmake -S "$here" -B "$here/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$here/build" --parallel "$(nproc)" --target htmlvesk
exec "$here/build/htmlvesk" "$@"
