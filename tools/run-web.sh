#!/usr/bin/env bash
# Builds the web page (the `web` preset, Emscripten) and serves it on this
# machine's loopback address; prints the address to open. From a fresh Debian
# 12 machine: `tools/setup.sh web` installs Emscripten and what the font bake
# step needs first.
#   tools/run-web.sh [--port N]
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

bash "$root/tools/setup.sh" web
cmake --preset web
cmake --build --preset web --parallel "${PLUMO_JOBS:-2}"
exec python3 "$root/tools/web/serve_page.py" "$root/build/web/src/platform/web" "$@"
