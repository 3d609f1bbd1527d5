#!/usr/bin/env bash
# Writes the label preview's golden pictures (tests/golden/preview/) anew from the
# renderer as it is now. Only for a change of the pictures that is meant: look at
# every picture that changed (git diff --stat, then the files) before committing.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/build.sh
TABRIX_REGENERATE_GOLDEN=1 TABRIX_TEST_DATA="$PWD/tests" QT_QPA_PLATFORM=offscreen \
  build/tests/test_preview --gtest_filter='Preview.GoldenPictures*'
git status --short tests/golden/preview
