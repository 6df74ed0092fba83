# Shared by scripts/test and scripts/run: installs what the build needs on a Debian machine.

KELNL_PACKAGES=(
  cmake ninja-build g++ git pkg-config netbase
  googletest libgtest-dev libgmock-dev libbenchmark-dev libinih-dev uuid-dev libuv1-dev libedit-dev libspdlog-dev
  clang libclang-rt-14-dev
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  wine64
  slapd ldap-utils libldap-dev
)

# Installs the packages that are missing (only as root; otherwise says what is missing).
kelnl_install_packages() {
  local missing=()
  local package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
      || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "missing packages (run as root to install): ${missing[*]}" >&2
    return 1
  fi
  echo "== installing ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}
