#!/usr/bin/env bash
# Runs one Windows program under Wine in the build tree's prefix (CTest's emulator).
set -e
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
tb_wine_prefix
exec wine "$@"
