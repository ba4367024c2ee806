#!/usr/bin/env bash
# The test command: installs what is missing, builds, makes the packages, and
# runs every test (the Windows tests under Wine on an Xvfb display when there is
# no display, and the native tests of the portable ZIP core). CTest's summaries
# are the result.
. "$(dirname "$0")/prepare.sh"

status=0
echo "== Packages (the installer and the portable ZIP, which the tests install and run)"
bash scripts/package.sh || status=1
echo "== Windows tests (under Wine)"
(cd build && ctest --output-on-failure --timeout 900) || status=1
if [ -d build-native ]; then
    echo "== Native tests of the ZIP core"
    (cd build-native && ctest --output-on-failure --timeout 900) || status=1
fi
exit $status
