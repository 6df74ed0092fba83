#!/bin/sh
# A private directory server for the tests: its own folder, our schema, the sample entries and a
# free port on the loopback address (never 389).
#   slapd_fixture.sh start FOLDER SCHEMA LDIF   writes FOLDER/uri once the server answers
#   slapd_fixture.sh stop FOLDER                 stops that server and removes FOLDER
set -eu

action=$1
folder=$2
suffix="dc=example,dc=com"

stop_server() {
  if [ -f "$folder/slapd.pid" ]; then
    pid=$(cat "$folder/slapd.pid")
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 50); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
  fi
}

case "$action" in
  start)
    schema=$3
    ldif=$4
    slapd=$(command -v slapd || echo /usr/sbin/slapd)
    stop_server
    rm -rf "$folder"
    mkdir -p "$folder/db"
    cat > "$folder/slapd.conf" <<CONF
include /etc/ldap/schema/core.schema
include $schema
pidfile $folder/slapd.pid
argsfile $folder/slapd.args
modulepath /usr/lib/ldap
moduleload back_mdb
database mdb
maxsize 16777216
suffix "$suffix"
rootdn "cn=admin,$suffix"
rootpw secret
directory $folder/db
CONF
    "${slapd%slapd}slapadd" -q -f "$folder/slapd.conf" -l "$ldif" 2>"$folder/slapadd.log" \
      || { cat "$folder/slapadd.log" >&2; exit 1; }
    # A port taken by someone else makes slapd exit at once: try another.
    for _ in $(seq 20); do
      port=$(( 20000 + $(od -An -N2 -tu2 /dev/urandom) % 30000 ))
      uri="ldap://127.0.0.1:$port/"
      "$slapd" -h "$uri" -f "$folder/slapd.conf" 2>"$folder/slapd.log" || continue
      for _ in $(seq 100); do
        if ldapsearch -x -LLL -H "$uri" -b "$suffix" -s base dn >/dev/null 2>&1; then
          echo "$uri" > "$folder/uri"
          exit 0
        fi
        [ -f "$folder/slapd.pid" ] && ! kill -0 "$(cat "$folder/slapd.pid")" 2>/dev/null && break
        sleep 0.1
      done
      stop_server
    done
    echo "slapd did not start" >&2
    cat "$folder/slapd.log" >&2
    exit 1
    ;;
  stop)
    stop_server
    rm -rf "$folder"
    ;;
  *)
    echo "usage: $0 start FOLDER SCHEMA LDIF | stop FOLDER" >&2
    exit 2
    ;;
esac
