# Shared by scripts/test and scripts/run: the Debian packages the project
# builds and tests with, installed when missing.
# fonts-liberation2: a face with the widths the window's layout was drawn for.
PACKAGES=(cmake ninja-build g++ libgtest-dev qt6-base-dev clang-format git
  fonts-liberation2)

# ensure_packages [--no-install-recommends] [extra package...]
ensure_packages() {
  local options=()
  if [ "${1:-}" = --no-install-recommends ]; then
    options+=("$1")
    shift
  fi
  local missing=()
  for p in "${PACKAGES[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" ||
      missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages. Install them with:" >&2
    echo "  sudo apt-get update && sudo apt-get install -y ${options[*]}" \
      "${missing[*]}" >&2
    exit 1
  fi
  echo "== installing ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${options[@]}" \
    "${missing[@]}"
}
