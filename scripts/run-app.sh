#!/usr/bin/env bash
# Installs what is needed, builds, and starts the application.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
exec "${BUILD_DIR:-build}/app/Sorvalle_artefacts/Release/Sorvalle" "$@"
