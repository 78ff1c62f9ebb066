#!/usr/bin/env bash
# Sets up the machine, builds the benchmarks (Release) into build-bench and runs them: each
# figure of the program beside its baseline, with the ratio and its target. Names given as
# arguments (startup, append, memory, fields, tables, join, streamed, perrow, live, aftercheck,
# joinlive, onedb) run only those (live runs joinlive and onedb too); the live ones run only when
# the OMBRELIA_TEST_* variables name a server.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DOMBRELIA_BENCH=ON >/dev/null
cmake --build build-bench -j2 --target ombrelia_bench >&2
# The benchmark databases go to memory-backed storage, so that the figures are the program's
# and the database engine's, not the disk's.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$runtime}
# The batches go between two servers: a second T-SQL server on another port of this machine,
# when the shared one is beside the repository, for as long as the benchmarks run.
tsql_server=../shared/tsql-server/tsql-server
if [ -n "${OMBRELIA_TEST_SERVER:-}" ] && [ -f "$tsql_server" ] &&
  { [ $# -eq 0 ] || [[ " $* " == *" live "* ]]; }; then
  second=(env TSQL_SERVER_HOME=/var/tmp/ombrelia-bench-server2 TSQL_SERVER_PORT=14339
    TSQL_SERVER_PG_PORT=5439 bash "$tsql_server")
  trap '"${second[@]}" stop >/dev/null 2>&1 || true; rm -rf "$runtime"' EXIT
  "${second[@]}" start >/dev/null
  export OMBRELIA_BENCH_SERVER2_PORT=14339
fi
QT_QPA_PLATFORM=offscreen ./build-bench/bench/ombrelia_bench "$@"
