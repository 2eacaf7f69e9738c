#!/usr/bin/env bash
# Starts the local PostgreSQL server and makes the test role and database
# (user qxrf, password qxrf, database qxrf on 127.0.0.1:5432).
set -euo pipefail
# A server that takes the connection and never answers must not hold the script.
export PGCONNECT_TIMEOUT=10
version=$(ls /usr/lib/postgresql | sort -V | tail -1)
if ! pg_lsclusters -h 2>/dev/null | awk '{print $1" "$2}' | grep -q "^$version main$"; then
  pg_createcluster "$version" main >/dev/null
fi
pg_ctlcluster "$version" main start 2>/dev/null || true
for i in $(seq 1 30); do
  pg_isready -q -h 127.0.0.1 -p 5432 && break
  sleep 1
done
pg_isready -h 127.0.0.1 -p 5432
su postgres -c "psql -qtAc \"select 1 from pg_roles where rolname='qxrf'\"" | grep -q 1 ||
  su postgres -c "psql -qc \"create role qxrf login password 'qxrf'\""
su postgres -c "psql -qtAc \"select 1 from pg_database where datname='qxrf'\"" | grep -q 1 ||
  su postgres -c "psql -qc \"create database qxrf owner qxrf\""
