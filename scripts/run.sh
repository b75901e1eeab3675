#!/usr/bin/env bash
# Installs what is missing, builds, and starts Lumitag.
#   scripts/run.sh [FOLDER | PHOTO.jpg]   open a folder (or a photo's folder)
#   scripts/run.sh --demo                 open a scratch folder of demo photos
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
./scripts/build.sh
build="${LUMITAG_BUILD_DIR:-build}"
if [ "${1:-}" = "--demo" ]; then
  demo="${TMPDIR:-/tmp}/lumitag-demo-$(id -u)"
  "$build/app/lumitag-make-demo" "$demo" >/dev/null
  echo "Demo photos in $demo"
  exec "$build/app/lumitag" "$demo/"
fi
exec "$build/app/lumitag" "$@"
