#!/usr/bin/env bash
# A throwaway PostgreSQL 15 cluster for the server tests and the demo.
#
#   pg-cluster.sh start  [dir] [port]   (re)create the cluster, start it, write dir/pgenv.sh
#   pg-cluster.sh stop   [dir]          stop it and remove dir
#   pg-cluster.sh status [dir] [port]   exit 0 when it accepts connections, 3 otherwise
#
# The server listens on a unix socket inside dir only, so clusters of two build
# trees never meet even if they share a port number. When the caller is root
# the server runs as the "postgres" system user (or a dedicated user created on
# demand): PostgreSQL refuses to run as root. That is why the default dir lives
# under /tmp, where that user can reach it.
#
# Environment overrides: OCI_PG_PORT (default 54329), OCI_PG_BINDIR (default
# /usr/lib/postgresql/15/bin), OCI_PG_USER (server user when run as root),
# OCI_PG_LISTEN (a TCP address such as 127.0.0.1 to listen on as well, for
# clients without unix sockets such as the Windows build under wine).
set -euo pipefail

PG_BINDIR=${OCI_PG_BINDIR:-/usr/lib/postgresql/15/bin}
MARKER=.ocicompat-pg-cluster
DBNAME=ocitest
SUPERUSER=postgres

die() { printf 'pg-cluster: %s\n' "$*" >&2; exit 1; }
log() { printf 'pg-cluster: %s\n' "$*"; }

usage() {
  echo "usage: $0 start|stop|status [dir] [port]" >&2
  exit 2
}

[ $# -ge 1 ] || usage
action=$1
default_dir="/tmp/ocicompat-pg-$(id -u)-$(printf %s "$PWD" | md5sum | cut -c1-8)"
dir=${2:-$default_dir}
port=${3:-${OCI_PG_PORT:-54329}}

if ! [[ "$port" =~ ^[0-9]+$ ]] || [ "$port" -lt 1024 ] || [ "$port" -gt 65535 ]; then
  die "bad port '$port'"
fi
case "$dir" in /*) ;; *) dir="$PWD/$dir" ;; esac
dir=${dir%/}
[ -n "$dir" ] || die "refusing directory '/'"
data="$dir/data"
# sun_path holds 108 bytes; the socket is dir/.s.PGSQL.<port>.
[ $((${#dir} + 18)) -lt 108 ] || die "directory name too long for a unix socket: $dir"

# Commands that touch the data directory run as the server user. PG* variables
# of the caller (for example from an earlier pgenv.sh) must not steer them.
server_user=""
if [ "$(id -u)" -eq 0 ]; then
  server_user=${OCI_PG_USER:-postgres}
fi

ensure_server_user() {
  [ -n "$server_user" ] || return 0
  if ! id "$server_user" >/dev/null 2>&1; then
    log "creating system user $server_user"
    useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin \
      "$server_user"
  fi
}

as_server() {
  local clean=(env -u PGDATA -u PGHOST -u PGPORT -u PGUSER -u PGDATABASE -u PGOPTIONS
               LC_ALL=C LANG=C)
  if [ -n "$server_user" ]; then
    # Run from a directory the server user can enter; the caller's may be /root.
    (cd / && runuser -u "$server_user" -- "${clean[@]}" "$@")
  else
    (cd / && "${clean[@]}" "$@")
  fi
}

client() {
  env -u PGDATA -u PGOPTIONS PGHOST="$dir" PGPORT="$port" PGUSER="$SUPERUSER" \
    PGCONNECT_TIMEOUT=10 "$@"
}

server_pid() {
  # First line of postmaster.pid, when that process still exists.
  local pid
  [ -r "$data/postmaster.pid" ] || return 1
  pid=$(head -n 1 "$data/postmaster.pid" 2>/dev/null || true)
  [[ "$pid" =~ ^[0-9]+$ ]] && kill -0 "$pid" 2>/dev/null && echo "$pid"
}

do_stop() {
  [ -e "$dir" ] || return 0
  [ -d "$dir" ] || die "$dir exists and is not a directory"
  # Only ever remove what this script made (or an empty directory).
  if [ ! -e "$dir/$MARKER" ] && [ -n "$(ls -A "$dir")" ]; then
    die "$dir is not a cluster directory of this script; not touching it"
  fi
  if [ -f "$data/postmaster.pid" ]; then
    if ! as_server "$PG_BINDIR/pg_ctl" -D "$data" stop -m fast -w -t 30 >/dev/null 2>&1; then
      as_server "$PG_BINDIR/pg_ctl" -D "$data" stop -m immediate -w -t 10 >/dev/null 2>&1 || true
    fi
    local pid
    if pid=$(server_pid); then
      log "server $pid did not stop; killing it"
      kill -9 "$pid" 2>/dev/null || true
      sleep 1
    fi
  fi
  rm -rf -- "$dir"
  log "stopped, removed $dir"
}

do_start() {
  [ -x "$PG_BINDIR/initdb" ] || die "no PostgreSQL binaries in $PG_BINDIR (run scripts/install-deps.sh)"
  ensure_server_user
  # Whatever an earlier run left behind goes first.
  do_stop

  mkdir -p "$dir"
  : >"$dir/$MARKER"
  if [ -n "$server_user" ]; then
    chown "$server_user": "$dir"
    chmod 0755 "$dir"
    runuser -u "$server_user" -- test -w "$dir" ||
      die "server user $server_user cannot write to $dir (are its parents searchable?)"
  fi

  as_server "$PG_BINDIR/initdb" -D "$data" -U "$SUPERUSER" --auth=trust \
    -E UTF8 --locale=C --no-sync >"$dir/initdb.log" 2>&1 ||
    { cat "$dir/initdb.log" >&2; die "initdb failed"; }

  cat >>"$data/postgresql.conf" <<EOF

# throwaway test cluster
listen_addresses = '${OCI_PG_LISTEN:-}'
unix_socket_directories = '$dir'
port = $port
max_prepared_transactions = 10
max_connections = 100
fsync = off
synchronous_commit = off
full_page_writes = off
logging_collector = off
EOF

  if ! as_server "$PG_BINDIR/pg_ctl" -D "$data" -l "$dir/server.log" -w -t 60 start \
      >/dev/null 2>&1; then
    cat "$dir/server.log" >&2 || true
    die "server did not start"
  fi

  local i
  for i in $(seq 1 60); do
    if client "$PG_BINDIR/pg_isready" -q -d postgres; then
      break
    fi
    [ "$i" -lt 60 ] || { cat "$dir/server.log" >&2 || true; die "server does not accept connections"; }
    sleep 0.5
  done

  local have
  have=$(client "$PG_BINDIR/psql" -X -q -At -d postgres \
    -c "SELECT 1 FROM pg_database WHERE datname = '$DBNAME'")
  if [ "$have" != "1" ]; then
    client "$PG_BINDIR/psql" -X -q -v ON_ERROR_STOP=1 -d postgres \
      -c "CREATE DATABASE $DBNAME OWNER $SUPERUSER" ||
      die "cannot create database $DBNAME"
  fi

  cat >"$dir/pgenv.sh" <<EOF
export PGHOST='$dir'
export PGPORT='$port'
export PGUSER='$SUPERUSER'
export PGDATABASE='$DBNAME'
EOF
  chmod 0644 "$dir/pgenv.sh"
  log "running in $dir on port $port (env: $dir/pgenv.sh)"
}

do_status() {
  if [ -d "$data" ] && client "$PG_BINDIR/pg_isready" -q -d postgres; then
    log "running in $dir on port $port"
    return 0
  fi
  log "not running ($dir)"
  return 3
}

case "$action" in
  start) do_start ;;
  stop) do_stop ;;
  status) do_status ;;
  *) usage ;;
esac
