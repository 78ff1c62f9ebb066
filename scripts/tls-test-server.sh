#!/usr/bin/env bash
# A T-SQL server that encrypts, for the live tests of encrypted logins: a private certificate
# authority, a certificate it issues for localhost and 127.0.0.1, and a second authority that
# issued nothing, all made with openssl; and an instance of the shared T-SQL server that offers
# TLS with that certificate (and refuses unencrypted logins), beside the plain one.
#
#   eval "$(bash scripts/tls-test-server.sh start)"   # exports OMBRELIA_TEST_TLS_*
#   bash scripts/tls-test-server.sh stop
#
# The logins and databases are those of the plain server (OMBRELIA_TEST_USER and the rest).
# OMBRELIA_TLS_HOME (default /var/tmp/ombrelia-tls), OMBRELIA_TLS_PORT (14371) and
# OMBRELIA_TLS_PG_PORT (5471) choose where it lives; TSQL_SERVER names the shared script.
set -euo pipefail
cd "$(dirname "$0")/.."

home=${OMBRELIA_TLS_HOME:-/var/tmp/ombrelia-tls}
port=${OMBRELIA_TLS_PORT:-14371}
pg_port=${OMBRELIA_TLS_PG_PORT:-5471}
tsql_server=${TSQL_SERVER:-../shared/tsql-server/tsql-server}
certificates=$home/certificates

# A fresh machine may lack openssl until the project's setup has run.
if ! command -v openssl >/dev/null; then
  apt-get update -qq >&2 && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq openssl >&2
fi

server() {
  env TSQL_SERVER_HOME="$home" TSQL_SERVER_PORT="$port" TSQL_SERVER_PG_PORT="$pg_port" \
    TSQL_SERVER_TLS_CERT="$certificates/server.pem" TSQL_SERVER_TLS_KEY="$certificates/server.key" \
    bash "$tsql_server" "$@"
}

certificates_last() {
  [ -f "$certificates/other-ca.pem" ] &&
    openssl x509 -checkend 172800 -noout -in "$certificates/server.pem" >/dev/null 2>&1
}

make_certificates() {
  mkdir -p "$certificates"
  (
    cd "$certificates"
    openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 30 \
      -subj "/CN=Ombrelia Test CA" 2>/dev/null
    openssl req -newkey rsa:2048 -nodes -keyout server.key -out server.csr \
      -subj "/CN=localhost" 2>/dev/null
    printf 'subjectAltName=DNS:localhost,IP:127.0.0.1\n' >san.ext
    openssl x509 -req -in server.csr -CA ca.pem -CAkey ca.key -CAcreateserial -out server.pem \
      -days 30 -extfile san.ext 2>/dev/null
    openssl req -x509 -newkey rsa:2048 -nodes -keyout other-ca.key -out other-ca.pem -days 30 \
      -subj "/CN=Ombrelia Other CA" 2>/dev/null
  )
}

# The script may run before scripts/setup.sh (CI starts its servers first).
need_openssl() {
  command -v openssl >/dev/null && return
  if [ "$(id -u)" -eq 0 ]; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends openssl >&2 ||
      { apt-get update -qq >&2 && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
        --no-install-recommends openssl >&2; }
  else
    sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends openssl >&2
  fi
}

case ${1:-} in
  start)
    need_openssl
    # New certificates only when missing or about to expire; a server running on the old ones
    # is started again.
    if ! certificates_last; then
      make_certificates
      server stop >/dev/null 2>&1 || true
    fi
    server start >/dev/null
    printf 'export OMBRELIA_TEST_TLS_PORT=%s\n' "$port"
    printf 'export OMBRELIA_TEST_TLS_CA=%s\n' "$certificates/ca.pem"
    printf 'export OMBRELIA_TEST_TLS_OTHER_CA=%s\n' "$certificates/other-ca.pem"
    ;;
  stop) server stop ;;
  *)
    echo "usage: $0 start|stop" >&2
    exit 2
    ;;
esac
