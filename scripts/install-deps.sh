#!/usr/bin/env bash
# Installs everything the build, the test suite and the demo need on Debian 12.
# Meant to run as root on a fresh machine; a second run finds everything in
# place and returns at once without touching apt.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config
  libpq-dev postgresql-15 postgresql-client-15
  libgtest-dev googletest
  gettext locales valgrind
  bison flex
  libboost-dev libmpfr-dev
)

# Locales the character-set tests switch into: "<name> <charmap>" as written
# in /etc/locale.gen, and the name `locale -a` shows once it is generated.
LOCALE_LINES=("en_US.UTF-8 UTF-8" "de_DE ISO-8859-1")
LOCALE_NAMES=("en_US.utf8" "de_DE.iso88591")

log() { printf 'install-deps: %s\n' "$*"; }

as_root() {
  if [ "$(id -u)" -eq 0 ]; then
    "$@"
  elif command -v sudo >/dev/null 2>&1; then
    sudo "$@"
  else
    log "need root to run: $*"
    exit 1
  fi
}

is_installed() {
  [ "$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null || true)" = "install ok installed" ]
}

missing=()
for p in "${PACKAGES[@]}"; do
  is_installed "$p" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  log "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  as_root env DEBIAN_FRONTEND=noninteractive apt-get update -q
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q \
    -o Dpkg::Options::=--force-confdef -o Dpkg::Options::=--force-confold \
    "${PACKAGES[@]}"
  for p in "${PACKAGES[@]}"; do
    is_installed "$p" || { log "package $p did not install"; exit 1; }
  done
else
  log "all packages present"
fi

# node and npm for the node-oracledb test and example. Any node with npm
# will do (NodeSource's nodejs carries its own npm and conflicts with
# Debian's npm package), so these go by command, not by package.
if command -v node >/dev/null 2>&1 && command -v npm >/dev/null 2>&1; then
  log "node and npm present"
else
  log "installing: nodejs npm"
  as_root env DEBIAN_FRONTEND=noninteractive apt-get update -q
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q nodejs npm
  if ! command -v node >/dev/null 2>&1 || ! command -v npm >/dev/null 2>&1; then
    log "node and npm did not install"
    exit 1
  fi
fi

have_locale() {
  locale -a 2>/dev/null | grep -qixF "$1"
}

need_gen=0
for i in "${!LOCALE_NAMES[@]}"; do
  have_locale "${LOCALE_NAMES[$i]}" && continue
  need_gen=1
  line=${LOCALE_LINES[$i]}
  if [ -f /etc/locale.gen ] && grep -qE "^[[:space:]]*#?[[:space:]]*${line}[[:space:]]*\$" /etc/locale.gen; then
    # Uncomment the stock line rather than adding a duplicate.
    as_root sed -i -E "s/^[[:space:]]*#[[:space:]]*(${line})[[:space:]]*\$/\\1/" /etc/locale.gen
  else
    echo "$line" | as_root tee -a /etc/locale.gen >/dev/null
  fi
done

if [ "$need_gen" -eq 1 ]; then
  log "generating locales"
  as_root locale-gen
  for n in "${LOCALE_NAMES[@]}"; do
    have_locale "$n" || { log "locale $n missing after locale-gen"; exit 1; }
  done
else
  log "locales present"
fi
