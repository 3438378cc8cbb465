#!/usr/bin/env bash
# scripts/deps on a mirror whose i386 index lags its amd64 one, against an
# apt of its own (APT_CONFIG) over a local repository: a header package
# installed for amd64 at a version the i386 index lacks makes the plain
# install of an i386 package that needs it fail, as on such a mirror; the
# pin deps chooses makes it succeed (both simulated); a library, which deps
# will not take down, is refused with one line.
set -euo pipefail
deps=$(cd "$(dirname "$0")/../.." && pwd)/scripts/deps
if ! command -v apt-get >/dev/null; then
  echo "SKIPPED: no apt on this machine"
  exit 77
fi
. "$(dirname "$0")/../tools/checks.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

stanza() {  # name, version, architecture, section[, depends]
  printf 'Package: %s\nVersion: %s\nArchitecture: %s\nMulti-Arch: same\nSection: %s\n' "$1" "$2" "$3" "$4"
  [ -z "${5:-}" ] || printf 'Depends: %s\n' "$5"
  printf 'Priority: optional\nFilename: pool/%s_%s_%s.deb\nSize: 1\nDescription: %s\n\n' "$1" "$2" "$3" "$1"
}
# A mirror and an apt of its own, in a folder of its own: apt takes a file
# whose time has not moved for the one it read before.
make_mirror() {  # the section of the shared package
  local apt_root=$work/$1
  mkdir -p "$apt_root"/{repo,state/lists/partial,cache/archives/partial,etc/apt.conf.d,etc/preferences.d,etc/sources.list.d}
  {
    stanza orbivue-hdr 6.1.192-3 amd64 "$1"
    stanza orbivue-hdr 6.1.176-1 amd64 "$1"
    stanza orbivue-hdr 6.1.176-1 i386 "$1"
    stanza orbivue-dev 2.36 i386 libdevel orbivue-hdr
  } >"$apt_root/repo/Packages"
  printf 'Package: orbivue-hdr\nStatus: install ok installed\nPriority: optional\nSection: %s\nArchitecture: amd64\nMulti-Arch: same\nVersion: 6.1.192-3\nDescription: orbivue-hdr\n\n' \
    "$1" >"$apt_root/status"
  echo "deb [trusted=yes] file:$apt_root/repo ./" >"$apt_root/etc/sources.list"
  cat >"$apt_root/apt.conf" <<CONF
Dir::State "$apt_root/state";
Dir::State::status "$apt_root/status";
Dir::Cache "$apt_root/cache";
Dir::Etc "$apt_root/etc";
APT::Architecture "amd64";
APT::Architectures { "amd64"; "i386"; };
APT::Sandbox::User "root";
CONF
  export APT_CONFIG=$apt_root/apt.conf
  apt-get update -qq 2>/dev/null
}

make_mirror devel
check "the plain install fails as on a lagging mirror" \
  bash -c '! apt-get install -s -qq orbivue-dev:i386 >/dev/null 2>&1'
pins=$("$deps" --multiarch-pins orbivue-dev:i386)
check "the header pair is pinned to the newest version both indexes have ($pins)" \
  test "$pins" = "orbivue-hdr=6.1.176-1"
pinned() {
  apt-get install -s -qq --allow-downgrades orbivue-hdr:amd64=6.1.176-1 orbivue-hdr:i386=6.1.176-1 \
    orbivue-dev:i386 >/dev/null
}
check "the pinned install succeeds" pinned

make_mirror libs
said=$("$deps" --multiarch-pins orbivue-dev:i386 2>&1 >/dev/null) && code=0 || code=$?
check "a library is not taken down (exit $code)" test "$code" -ne 0
check "and one line names it: $said" \
  test "$said" = "deps: orbivue-hdr would have to go down from 6.1.192-3 to 6.1.176-1 for i386, and it is not a development package"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
