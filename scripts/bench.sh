#!/usr/bin/env bash
# Sets up the machine, builds the benchmarks (Release) into build-bench and runs them: each
# figure of the program beside its baseline, with the ratio and its target. Names given as
# arguments (startup, append, memory, fields, tables, join, streamed, live, aftercheck) run only
# those; live and aftercheck run only when the OMBRELIA_TEST_* variables name a server.
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
QT_QPA_PLATFORM=offscreen ./build-bench/bench/ombrelia_bench "$@"
