#!/usr/bin/env bash
# Runs a command beside a throwaway PostgreSQL cluster: made in a temporary folder, listening
# only on a Unix socket there, named to the command by PGHOST, PGUSER and PGDATABASE, with its
# programs (psql) first on PATH; stopped and removed when the command ends, however it ends.
#
# Usage: bash tests/sql/pgcluster.sh COMMAND [ARGUMENT...]   (its standard input is empty)
# Exits with the command's status, or 77 where PostgreSQL's server programs are missing.
set -euo pipefail

bin=$(find /usr/lib/postgresql -path '*/bin/initdb' 2>/dev/null | sort -V | tail -n 1 || true)
if [[ -z $bin ]]; then
  echo "skipped: PostgreSQL is missing (apt-get install postgresql)"
  exit 77
fi
bin=$(dirname "$bin")

folder=$(mktemp -d "${TMPDIR:-/tmp}/relalg-pg.XXXXXX")
# PostgreSQL refuses to run as root: there the cluster belongs to nobody.
as=()
if ((EUID == 0)); then
  as=(runuser -u nobody --)
  chown nobody "$folder"
fi
stop() {
  if [[ -f $folder/data/postmaster.pid ]]; then
    (cd "$folder" && "${as[@]}" "$bin/pg_ctl" -D "$folder/data" -m immediate -w stop) \
      >/dev/null 2>&1 || true
  fi
  rm -rf "$folder"
}
trap stop EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# From the folder itself: nobody may not be let into the caller's.
cd "$folder"
if ! "${as[@]}" "$bin/initdb" -D "$folder/data" -U postgres -A trust -E UTF8 --locale=C -N \
  >"$folder/initdb.log" 2>&1; then
  cat "$folder/initdb.log"
  exit 1
fi
# No TCP port; no flushing to disk, as nothing is kept.
if ! "${as[@]}" "$bin/pg_ctl" -D "$folder/data" -w -t 60 -l "$folder/server.log" \
  -o "-c listen_addresses= -k '$folder' -F" start >/dev/null; then
  cat "$folder/server.log"
  exit 1
fi
cd - >/dev/null

# In the background, so that a signal stops the cluster at once rather than after the command.
PGHOST=$folder PGUSER=postgres PGDATABASE=postgres PATH=$bin:$PATH "$@" &
command=$!
trap 'kill "$command" 2>/dev/null; exit 130' INT
trap 'kill "$command" 2>/dev/null; exit 143' TERM
status=0
wait "$command" || status=$?
exit "$status"
