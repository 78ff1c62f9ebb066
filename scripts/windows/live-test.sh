#!/usr/bin/env bash
# The Windows program against a live T-SQL server, under Wine, beside the Linux program: the
# tables of Database #1, an append by each way (one INSERT a row; the server's own copy; batches,
# to the second server when OMBRELIA_TEST_SECOND_PORT names one), an append into a new table, a
# join, a run cut short (at its first refused row) and resumed from its journal, a table named
# beyond ASCII as a console window shows it (when OMBRELIA_CONSOLE_CAPTURE names
# console_capture.exe), and a login that requires encryption (against the server with TLS when
# OMBRELIA_TEST_TLS_PORT names one). Each result is compared with the server's rows, and the
# lists and the join with what the Linux program gives.
#   live-test.sh WINDOWS_PROGRAM LINUX_PROGRAM
# Needs the OMBRELIA_TEST_* variables of a live server (../shared/tsql-server) and Wine's
# environment (WINEPREFIX, WINEPATH) as scripts/windows/test.sh sets it.
set -euo pipefail
windows=$1
linux=$2
failures=0

say() { printf 'windows live: %s\n' "$*"; }
fail() {
  say "FAILED: $*"
  failures=$((failures + 1))
}

login() { # login NUMBER PORT DATABASE
  printf -- '--server%s %s --port%s %s --user%s %s --database%s %s' "$1" "$OMBRELIA_TEST_SERVER" \
    "$1" "$2" "$1" "$OMBRELIA_TEST_USER" "$1" "$3"
}
one=$(login 1 "$OMBRELIA_TEST_PORT" "$OMBRELIA_TEST_DB1")
two=$(login 2 "$OMBRELIA_TEST_PORT" "$OMBRELIA_TEST_DB2")
export OMBRELIA_PASSWORD1=$OMBRELIA_TEST_PASSWORD OMBRELIA_PASSWORD2=$OMBRELIA_TEST_PASSWORD

sql() { # sql PORT DATABASE STATEMENTS: one statement a line; the rows, fields joined by |
  isql -b -d'|' \
    -k "Driver={SQL Server};Server=$OMBRELIA_TEST_SERVER,$1;Database=$2;Uid=$OMBRELIA_TEST_USER;Pwd=$OMBRELIA_TEST_PASSWORD;" \
    <<<"$3"
}
count() { sql "$1" "$2" "SELECT COUNT(*) FROM $3" | tail -n 1; }
run() { # run PROGRAM ARGS...: the program's exit status, its output in $out
  local status=0
  out=$("$@" 2>&1) || status=$?
  return $status
}
wine_program() { ${OMBRELIA_WINE:-wine} "$windows" "$@"; }

prepare() {
  local db port
  for db in "$OMBRELIA_TEST_DB1" "$OMBRELIA_TEST_DB2"; do
    sql "$OMBRELIA_TEST_PORT" "$db" "IF OBJECT_ID(N'win_src', N'U') IS NOT NULL DROP TABLE win_src
IF OBJECT_ID(N'win_dst', N'U') IS NOT NULL DROP TABLE win_dst
IF OBJECT_ID(N'win_new', N'U') IS NOT NULL DROP TABLE win_new
IF OBJECT_ID(N'win_joined', N'U') IS NOT NULL DROP TABLE win_joined
IF OBJECT_ID(N'win_joined_linux', N'U') IS NOT NULL DROP TABLE win_joined_linux
IF OBJECT_ID(N'win_orders', N'U') IS NOT NULL DROP TABLE win_orders" >/dev/null
  done
  sql "$OMBRELIA_TEST_PORT" "$OMBRELIA_TEST_DB1" "CREATE TABLE win_src (id int PRIMARY KEY, name nvarchar(20), amount decimal(9,2))
WITH d AS (SELECT 0 AS n UNION ALL SELECT 1 UNION ALL SELECT 2 UNION ALL SELECT 3 UNION ALL SELECT 4 UNION ALL SELECT 5 UNION ALL SELECT 6 UNION ALL SELECT 7 UNION ALL SELECT 8 UNION ALL SELECT 9), i AS (SELECT a.n * 100 + b.n * 10 + c.n + 1 AS n FROM d a, d b, d c) INSERT INTO win_src SELECT n, N'Zoë ' + CAST(n AS nvarchar(9)), n * 1.5 FROM i WHERE n <= 300
CREATE TABLE win_orders (order_id int, customer int, total int)
INSERT INTO win_orders VALUES (1, 1, 5), (2, 1, 7), (3, 4, 9), (4, NULL, 3)" >/dev/null
  sql "$OMBRELIA_TEST_PORT" "$OMBRELIA_TEST_DB2" \
    "CREATE TABLE win_dst (id int, name nvarchar(20), amount decimal(9,2))" >/dev/null
  if [ -n "${OMBRELIA_TEST_SECOND_PORT:-}" ]; then
    sql "$OMBRELIA_TEST_SECOND_PORT" "$OMBRELIA_TEST_DB2" "IF OBJECT_ID(N'win_dst', N'U') IS NOT NULL DROP TABLE win_dst
CREATE TABLE win_dst (id int, name nvarchar(20), amount decimal(9,2))" >/dev/null
  fi
}

tables_agree() {
  local theirs ours
  run wine_program tables 1 $one || fail "tables 1: $out"
  ours=$(printf '%s\n' "$out" | tr -d '\r' | grep -v '^Tables of' | sort)
  run "$linux" tables 1 $one || true
  theirs=$(printf '%s\n' "$out" | grep -v '^Tables of' | sort)
  [ "$ours" = "$theirs" ] || fail "tables 1 differs from the Linux program's"
  printf '%s\n' "$ours" | grep -qx win_src || fail "tables 1 does not list win_src"
}

append_way() { # append_way NAME PORT OPTIONS...
  local name=$1 port=$2
  shift 2
  local target=$OMBRELIA_TEST_DB2 before after
  before=$(count "$port" "$target" win_dst)
  run wine_program append --to 2 win_src win_dst --yes $one \
    $(login 2 "$port" "$target") "$@" || fail "append ($name): $out"
  after=$(count "$port" "$target" win_dst)
  [ $((after - before)) -eq 300 ] || fail "append ($name) wrote $((after - before)) rows, not 300"
  say "append ($name): $((after - before)) rows"
}

new_table() {
  run wine_program append --to 2 win_src win_new --create --fast --yes $one $two ||
    fail "append --create: $out"
  [ "$(count "$OMBRELIA_TEST_PORT" "$OMBRELIA_TEST_DB2" win_new)" = 300 ] ||
    fail "the new table does not hold the 300 rows"
}

join_agrees() {
  local ours theirs
  run wine_program join win_src id win_orders customer --into win_joined $one ||
    fail "join: $out"
  run "$linux" join win_src id win_orders customer --into win_joined_linux $one || true
  ours=$(sql "$OMBRELIA_TEST_PORT" "$OMBRELIA_TEST_DB1" "SELECT * FROM win_joined ORDER BY 1, 4")
  theirs=$(sql "$OMBRELIA_TEST_PORT" "$OMBRELIA_TEST_DB1" \
    "SELECT * FROM win_joined_linux ORDER BY 1, 4")
  [ -n "$ours" ] && [ "$ours" = "$theirs" ] || fail "the join's rows differ from the Linux program's"
  say "join: $(printf '%s\n' "$ours" | wc -l) rows, as the Linux program's"
}

# Cut at row 150, which the target refuses (--max-refused 1); the constraint dropped, --resume
# goes on after it from the journal in the Windows user's data folder: 299 rows, 150 the refused.
resume_after_cut() {
  local db=$OMBRELIA_TEST_DB2
  sql "$OMBRELIA_TEST_PORT" "$db" "IF OBJECT_ID(N'win_resumed', N'U') IS NOT NULL DROP TABLE win_resumed
CREATE TABLE win_resumed (id int CONSTRAINT win_resumed_cut CHECK (id <> 150), name nvarchar(20), amount decimal(9,2))" >/dev/null
  if run wine_program append --to 2 win_src win_resumed --one-by-one --max-refused 1 $one $two; then
    fail "the run with a refused row ended as done: $out"
  fi
  [ "$(count "$OMBRELIA_TEST_PORT" "$db" win_resumed)" = 149 ] || fail "the cut run did not stop at row 150"
  sql "$OMBRELIA_TEST_PORT" "$db" "ALTER TABLE win_resumed DROP CONSTRAINT win_resumed_cut" >/dev/null
  run wine_program append --to 2 win_src win_resumed --one-by-one --resume $one $two ||
    fail "--resume: $out"
  local rows
  rows=$(sql "$OMBRELIA_TEST_PORT" "$db" "SELECT COUNT(*), COUNT(DISTINCT id), MAX(id) FROM win_resumed WHERE id <> 150" | tail -n 1)
  [ "$rows" = "299|299|300" ] || fail "the resumed run left $rows rows (count|distinct|largest), not 299|299|300"
  say "resumed after a cut: $rows"
  sql "$OMBRELIA_TEST_PORT" "$db" "DROP TABLE win_resumed" >/dev/null
}

# A table named beyond ASCII, as a console window shows it: its list (standard output) and the
# statements --verbose writes (standard error), read from the console's screen buffer by
# console_capture.exe (scripts/windows/test.sh), the program run by cmd /c in that console; the
# list's line must be the Linux program's exactly (a T-SQL server may give the name its own case).
console_names() {
  [ -n "${OMBRELIA_CONSOLE_CAPTURE:-}" ] || return 0
  local name="N'Gr' + NCHAR(246) + NCHAR(223) + N'e_' + NCHAR(220) + N'bersicht'" db screen
  local program listed
  for db in "$OMBRELIA_TEST_DB1" "$OMBRELIA_TEST_DB2"; do
    sql "$OMBRELIA_TEST_PORT" "$db" "DECLARE @t nvarchar(40) = $name; DECLARE @s nvarchar(300) = N'IF OBJECT_ID(N''' + QUOTENAME(@t) + N''', N''U'') IS NOT NULL DROP TABLE ' + QUOTENAME(@t) + N'; CREATE TABLE ' + QUOTENAME(@t) + N' (id int)'; EXEC (@s)" >/dev/null
  done
  listed=$("$linux" tables 1 $one 2>/dev/null | grep -i 'bersicht' || true)
  [ -n "$listed" ] || fail "the Linux program does not list the table named beyond ASCII"
  program=$(winepath -w "$windows")
  screen=$(LC_ALL=C.UTF-8 ${OMBRELIA_WINE:-wine} "$OMBRELIA_CONSOLE_CAPTURE" cmd /c "$program" tables 1 \
    $one 2>&1 | tr -d '\r' || true)
  grep -qxF -- "$listed" <<<"$screen" && say "the console shows $listed in the list" ||
    fail "the console showed the list as: $screen"
  screen=$(LC_ALL=C.UTF-8 ${OMBRELIA_WINE:-wine} "$OMBRELIA_CONSOLE_CAPTURE" cmd /c "$program" append \
    --to 2 Größe_Übersicht Größe_Übersicht --dry-run --verbose $one $two 2>&1 | tr -d '\r' || true)
  grep -Eq '^ombrelia: [0-9]+ ms: SELECT .*\[Größe_Übersicht\]' <<<"$screen" &&
    say "the console shows [Größe_Übersicht] in --verbose's statements" ||
    fail "the console showed --verbose as: $screen"
  for db in "$OMBRELIA_TEST_DB1" "$OMBRELIA_TEST_DB2"; do
    sql "$OMBRELIA_TEST_PORT" "$db" "DECLARE @s nvarchar(200) = N'DROP TABLE ' + QUOTENAME($name); EXEC (@s)" >/dev/null
  done
}

encrypted_login() {
  [ -n "${OMBRELIA_TEST_TLS_PORT:-}" ] || return 0
  run wine_program test 1 --encrypt1 require $(login 1 "$OMBRELIA_TEST_TLS_PORT" \
    "$OMBRELIA_TEST_DB1") || fail "a login that requires encryption: $out"
  say "encryption require: $(printf '%s' "$out" | tr -d '\r')"
}

prepare
tables_agree
append_way "one INSERT a row" "$OMBRELIA_TEST_PORT" --one-by-one
append_way "the server's own copy" "$OMBRELIA_TEST_PORT" --fast
if [ -n "${OMBRELIA_TEST_SECOND_PORT:-}" ]; then
  append_way "batches, to a second server" "$OMBRELIA_TEST_SECOND_PORT" --fast
fi
new_table
join_agrees
resume_after_cut
console_names
encrypted_login
[ "$failures" -eq 0 ] && say "passed" || say "$failures failed"
exit $((failures > 0))
