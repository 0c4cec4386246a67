# Sourced by the set-up scripts: install_missing PACKAGE... installs, with sudo
# when not root, those of the Debian packages that are not installed yet.
install_missing() {
  local missing=() p sudo_cmd=""
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ "${#missing[@]}" -eq 0 ] && return 0
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  # An index that fails to load (a mirror being synced) leaves the others usable.
  $sudo_cmd apt-get update || true
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y --no-install-recommends "${missing[@]}"
}
