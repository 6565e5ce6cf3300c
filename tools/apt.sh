# apt.sh - sourced by setup.sh and studio.sh: installs Debian packages by
# name, only those missing, and survives a mirror that is being synced.

# apt-get update, a few times: a mirror that is being synced answers one
# index with the wrong size ("Mirror sync in progress?") and apt-get exits
# 100 although every other index came; the install that follows decides.
apt_updated=0
apt_update() {
  [ "$apt_updated" = 1 ] && return 0
  apt_updated=1
  local try
  for try in 1 2 3; do
    if apt-get update -qq >/tmp/nerolit-apt-update.log 2>&1; then return 0; fi
    [ "$try" = 3 ] || sleep $((try * 5))
  done
  echo "setup: apt-get update failed in part ($(grep -m1 -E '^(E|W):' /tmp/nerolit-apt-update.log || echo 'see /tmp/nerolit-apt-update.log')); going on with the install"
}

# apt_install WHAT PKG...: installs the packages not yet installed; returns
# non-zero (with apt's reason in /tmp/nerolit-apt-install.log) when it fails.
apt_install() {
  local what="$1" need=() pkg
  shift
  for pkg in "$@"; do
    dpkg -s "$pkg" >/dev/null 2>&1 || need+=("$pkg")
  done
  [ ${#need[@]} -gt 0 ] || return 0
  echo "setup: installing $what: ${need[*]}"
  apt_update
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need[@]}" \
    >/tmp/nerolit-apt-install.log 2>&1
}
