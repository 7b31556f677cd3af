# Failure reporting shared by the release checks; sourced, not run.
# fail records a failed check and goes on, fatal ends at once, and
# finish_checks ends with status 1 when any check failed.
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
fatal() {
  echo "FAIL: $*" >&2
  exit 1
}
finish_checks() {
  if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
  fi
  echo "$1"
}
