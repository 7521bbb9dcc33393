#!/usr/bin/env bash
# Installs what Quillet needs, builds it and starts it. Arguments are passed on
# (a database file, or a profile file with a user ID and password).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh quillet
exec build/src/quillet "$@"
