#!/usr/bin/env bash
# A throwaway PostgreSQL server for the archive's tests: `start DIR` makes a cluster in DIR,
# listening on 127.0.0.1 on a free port, and writes its URL to DIR/url; `stop DIR` stops it
# and removes it. Without PostgreSQL's server programs, start writes why to DIR/skipped and
# the tests that need the server skip with that reason.
#
# The server refuses to run as root: as root, it runs as `nobody`.
set -euo pipefail

action=$1
dir=$2

as_owner() {
  if [ "$(id -u)" -eq 0 ]; then
    (cd / && runuser -u nobody -- "$@")
  else
    "$@"
  fi
}

bindir() {
  local candidate
  for candidate in $(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V -r); do
    if [ -x "$candidate/initdb" ] && [ -x "$candidate/pg_ctl" ] && [ -x "$candidate/postgres" ]; then
      echo "$candidate"
      return
    fi
  done
  dirname "$(command -v initdb 2>/dev/null || echo /nonexistent/initdb)"
}

case $action in
start)
  rm -rf "$dir"
  mkdir -p "$dir"
  bin=$(bindir)
  if [ ! -x "$bin/initdb" ] || [ ! -x "$bin/pg_ctl" ]; then
    echo "PostgreSQL's server programs (initdb, pg_ctl) are not installed (Debian: postgresql)" \
      >"$dir/skipped"
    cat "$dir/skipped"
    exit 0
  fi
  # The cluster lives in the build tree when the server's user can reach it (not under a
  # home folder closed to others), else in a temporary folder.
  data="$dir/data"
  if [ "$(id -u)" -eq 0 ]; then
    chown nobody "$dir"
    if ! as_owner test -w "$dir"; then
      data=$(mktemp -d /tmp/lgcset-pg-XXXXXX)/data
      chown nobody "$(dirname "$data")"
    fi
  fi
  echo "$data" >"$dir/datadir"
  port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  as_owner "$bin/initdb" -D "$data" -U lgcset --auth=trust -E UTF8 --no-sync >"$dir/initdb.log"
  # No Unix socket: nothing outside the cluster's folder is written.
  as_owner "$bin/pg_ctl" -D "$data" -l "$data/server.log" -w -t 60 \
    -o "-h 127.0.0.1 -p $port -c unix_socket_directories= -c fsync=off -c max_connections=200" start
  echo "postgresql://lgcset@127.0.0.1:$port/postgres" >"$dir/url"
  echo "PostgreSQL for the tests at $(cat "$dir/url")"
  ;;
stop)
  [ -f "$dir/datadir" ] || exit 0
  data=$(cat "$dir/datadir")
  bin=$(bindir)
  if [ -f "$data/postmaster.pid" ]; then
    as_owner "$bin/pg_ctl" -D "$data" -w -m immediate stop || true
  fi
  case $data in
  /tmp/lgcset-pg-*) rm -rf "$(dirname "$data")" ;;
  esac
  rm -rf "$dir"
  ;;
*)
  echo "usage: $0 start|stop DIR" >&2
  exit 2
  ;;
esac
