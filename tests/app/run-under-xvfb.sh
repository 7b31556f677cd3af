#!/usr/bin/env bash
# Runs a test program on a virtual X display; exit status 77 (skipped) when
# Xvfb is not installed.
# usage: run-under-xvfb.sh PROGRAM [ARGUMENT...]
set -euo pipefail
if ! command -v xvfb-run >/dev/null 2>&1 || ! command -v Xvfb >/dev/null 2>&1; then
  echo "SKIP: xvfb-run or Xvfb is not installed (Debian package xvfb)"
  exit 77
fi
# The X keyboard library (libxkbcommon-x11) strndup()s bounded, unterminated
# server replies, which AddressSanitizer's strict string checks take for an
# overflow; our own code is checked with them in every other test.
if [ -n "${ASAN_OPTIONS-}" ]; then
  export ASAN_OPTIONS="${ASAN_OPTIONS//strict_string_checks=1/strict_string_checks=0}"
fi
# -a: a free display number, so parallel runs do not meet.
exec xvfb-run -a -s "-screen 0 1280x900x24 -nolisten tcp" "$@"
