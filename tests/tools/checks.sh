# The command-line tests' own checks, sourced by each: a count of what
# passed and failed, and the line and status that end the test.
passed=0
failed=0

check() {  # description, then a command that must succeed
  local what=$1; shift
  if "$@"; then passed=$((passed + 1)); else echo "FAIL: $what" >&2; failed=$((failed + 1)); fi
}

# Whether a folder holds none of rar2tool's temporary files. find stops at
# the first match, so no grep -q closes a pipe early under pipefail.
no_temporaries() { [ -z "$(find "$1" -name '.rar2tool-*' -print -quit)" ]; }
