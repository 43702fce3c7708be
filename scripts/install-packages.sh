#!/usr/bin/env bash
# Installs the Debian packages named on the command line that are missing.
# Quiet and idempotent: a machine that has them all is left alone.
set -euo pipefail
missing=()
for package in "$@"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
    missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
# A mirror in the middle of a sync fails the update now and then; try again,
# and if it keeps failing go on with the lists there are: the install below
# says clearly what it cannot find.
for attempt in 1 2 3; do
  $sudo apt-get update -qq && break
  echo "apt-get update failed (attempt $attempt of 3)" >&2
  if [ "$attempt" -lt 3 ]; then sleep $((attempt * 10)); fi
done
install() {
  $sudo apt-get install -y -qq --no-install-recommends "$@" "${missing[@]}" >/dev/null
}
install && exit 0
# When one architecture's security index fails to load, the packages both
# architectures share (zlib1g, libssl3, ...) have a newer version for one
# than for the other, and apt gives up. The release's own versions exist for
# both: try once more preferring them.
release=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
[ -n "$release" ] || exit 1
echo "Installing again, preferring the packages of $release itself" >&2
install -o APT::Default-Release="$release"
