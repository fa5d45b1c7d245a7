#!/usr/bin/env bash
# Runs a test program on a virtual X display. Without Xvfb the run is skipped (exit 77),
# except on CI (CI=true), where a missing Xvfb fails the test.
set -euo pipefail
if ! command -v xvfb-run >/dev/null 2>&1; then
  echo "xvfb-run not found (install it with scripts/deps)" >&2
  [[ "${CI:-}" == "true" ]] && exit 1
  exit 77
fi
# libdbus, which SDL's video start-up uses, keeps an allocation that LeakSanitizer reports.
here=$(cd "$(dirname "$0")" && pwd)
export LSAN_OPTIONS="suppressions=$here/lsan_system_libraries.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
exec xvfb-run -a -s "-screen 0 1024x768x24" env TESSERA_HEADLESS=0 TESSERA_REQUIRE_DISPLAY=1 "$@"
