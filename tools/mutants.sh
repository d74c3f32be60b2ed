#!/usr/bin/env bash
# Mutation check, run by hand: applies one small fault at a time (tools/mutants.txt) to a
# scratch copy of the sources, rebuilds incrementally, runs the tests and reports which
# faults no test noticed. Never touches the working tree's own files.
#
#   tools/mutants.sh [--rev REV] [--native|--wine|--wine64] [--only ID...] [--fuzz-seconds N]
#                    [--limit SECONDS] [--out FILE] [--keep-going] [--check]
#
#   --rev REV        sources (product and tests) of that commit; default: the working tree
#                    as it is now (tracked and untracked files that are not ignored).
#   --native         the native mutants: one clang Debug build with sanitizers; ctest, then a
#                    short fuzz run of settings_fuzzer (default when nothing is chosen).
#   --wine           the Windows mutants: the build this machine runs (windows_arch) under Wine.
#   --wine64         the Windows mutants on the 64-bit build under 64-bit Wine, in a prefix
#                    of its own (where the 32-bit run is not green).
#   --only ID...     just these mutants (ids up to the next option).
#   --fuzz-seconds N length of the fuzz run after green native tests (default 10).
#   --limit SECONDS  time limit of one mutant's test run (default 600 native, 1800 Wine);
#                    a run that hits it counts as killed ("timeout").
#   --out FILE       the results also go here.
#   --keep-going     run the mutants even when the unmutated control is not green.
#   --check          only check the table against the sources, without building: every
#                    chosen record (all kinds when no mode is given) must be well formed and
#                    find its original text exactly once; exits 1 naming the stale ones.
#
# A mutant record in tools/mutants.txt: id ||| kind ||| file ||| original ||| replacement ||| what
# (kind native or wine; <NL> in original or replacement stands for a line break). A record
# whose file is gone or whose original text is not found exactly once is "stale": it is
# reported as such, the other mutants still run, and the run exits 1 at the end naming it,
# since a fault that is no longer made proves nothing.
# Only the test programs that the mutant's rebuild relinked are run (and, when Tackpad.exe
# itself was relinked, every test program that starts it): the others cannot tell.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/.." && pwd)
table=$here/mutants.txt
root=/tmp/mutants

rev=""
mode=""
only=()
fuzz_seconds=10
limit=""
out=""
keep_going=0
check=0

while [ $# -gt 0 ]; do
  case "$1" in
    --rev) rev=$2; shift 2 ;;
    --native) mode=native; shift ;;
    --wine) mode=wine; shift ;;
    --wine64) mode=wine64; shift ;;
    --only)
      shift
      while [ $# -gt 0 ] && [ "${1#--}" = "$1" ]; do only+=("$1"); shift; done ;;
    --fuzz-seconds) fuzz_seconds=$2; shift 2 ;;
    --limit) limit=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    --keep-going) keep_going=1; shift ;;
    --check) check=1; shift ;;
    -h|--help) sed -n '2,32p' "$0"; exit 0 ;;
    *) echo "unknown argument: $1" >&2; exit 2 ;;
  esac
done
# A check with no mode chosen covers every kind.
kind=native
if [ -z "$mode" ] && [ $check = 1 ]; then kind=any; fi
[ -n "$mode" ] || mode=native
[ "$mode" = native ] || [ "$kind" = any ] || kind=wine

. "$repo/.ci/deps.sh"

if [ "$mode" = wine ] && [ $check = 0 ] && [ "$(windows_arch)" != i686 ]; then
  echo "this kernel runs no 32-bit code: using the 64-bit build" >&2
  mode=wine64
fi
[ -n "$limit" ] || { [ "$kind" = native ] && limit=600 || limit=1800; }

tag=${rev:-worktree}
tag=${tag//\//_}
# One scratch copy per mode, so a native and a Wine run can go on side by side.
work=$root/$tag/$mode
src=$work/src
build=$work/build
if [ $check = 0 ]; then
  mkdir -p "$work"
  # Two runs on one scratch copy would undo each other's mutants.
  # Lasting helpers (Xvfb, wineserver) are started without the lock, so it ends with this run.
  exec 9>"$work/lock"
  flock -n 9 || { echo "another run is using $work" >&2; exit 2; }
fi
[ -n "$out" ] && mkdir -p "$(dirname "$out")" && : >"$out"

say() { echo "$*"; [ -n "$out" ] && echo "$*" >>"$out"; return 0; }

# --- the scratch copy -----------------------------------------------------------------------
# Fresh sources in a temp folder, then copied over the scratch copy file by file where they
# differ, so unchanged files keep their times and the build stays incremental.
fill_scratch() {
  local fresh
  fresh=$(mktemp -d "$work/fresh.XXXXXX")
  if [ -n "$rev" ]; then
    git -C "$repo" archive "$rev" | tar -x -C "$fresh" || { echo "git archive $rev failed" >&2; exit 2; }
  else
    (cd "$repo" && git ls-files -z -c -o --exclude-standard | grep -zv '^build/' |
      while IFS= read -r -d '' f; do [ -f "$f" ] && printf '%s\0' "$f"; done |
      tar -c --null -T - ) | tar -x -C "$fresh"
  fi
  mkdir -p "$src"
  (cd "$fresh" && find . -type f -print0) | while IFS= read -r -d '' f; do
    if ! cmp -s "$fresh/$f" "$src/$f"; then
      mkdir -p "$(dirname "$src/$f")"
      cp -p "$fresh/$f" "$src/$f"
    fi
  done
  (cd "$src" && find . -type f -print0) | while IFS= read -r -d '' f; do
    [ -e "$fresh/$f" ] || rm -f "$src/$f"
  done
  rm -rf "$fresh"
  if [ "$mode" = wine64 ]; then
    # The copy's test launcher always takes 64-bit Wine, also where 32-bit Wine works.
    cat >"$src/cmake/wine-run" <<'EOF'
#!/bin/sh
export WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64
exec /usr/lib/wine/wine64 "$@"
EOF
    chmod +x "$src/cmake/wine-run"
  fi
}

configure() {
  case "$mode" in
    native)
      CC=clang CXX=clang++ cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
        -DTACKPAD_SANITIZE=ON >"$work/configure.log" 2>&1 ;;
    wine)
      cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-i686.cmake" >"$work/configure.log" 2>&1 ;;
    wine64)
      cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-x86_64.cmake" >"$work/configure.log" 2>&1 ;;
  esac
}

# --- Wine ----------------------------------------------------------------------------------
wine_server=""
start_wine() {
  start_display 9>&- || exit 2
  if [ "$mode" = wine64 ]; then
    export WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64
    wine_server=/usr/lib/wine/wineserver64
  else
    wine_server=/usr/lib/wine/wineserver
  fi
  export WINEPREFIX=$root/wineprefix-$mode WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    "$src/cmake/wine-run" wineboot -i >/dev/null 2>&1 9>&- || true
    "$wine_server" -w || true
  fi
}
end_wine_processes() { [ -n "$wine_server" ] && WINEPREFIX=$WINEPREFIX "$wine_server" -k >/dev/null 2>&1; return 0; }
cleanup() { end_wine_processes; stop_display; }

# --- running the tests ---------------------------------------------------------------------
# The test programs (ctest names) whose program, or the Tackpad.exe they start, is newer than $1.
changed_tests() {
  local stamp=$1 name exe app_changed=0
  local app_exe=$build/app/Tackpad.exe
  [ -f "$app_exe" ] && [ "$app_exe" -nt "$stamp" ] && app_changed=1
  while read -r name; do
    exe=$(find "$build" -path "$build/googletest" -prune -o -type f \( -name "$name" -o -name "$name.exe" \) -print | head -1)
    [ -n "$exe" ] || { echo "$name"; continue; }  # unknown: run it
    if [ "$exe" -nt "$stamp" ]; then
      echo "$name"
    elif [ $app_changed = 1 ] && grep -q "Tackpad.exe" "$exe"; then
      echo "$name"
    fi
  done < <(ctest --test-dir "$build" -N 2>/dev/null | sed -nE 's/^ *Test +#[0-9]+: +([^ ]+).*/\1/p')
}

# Runs the chosen ctest tests (newline-separated names, or "all"; none when empty), then with
# $3 = 1 the fuzz run; sets run_verdict (passed/failed/timeout) and run_killer.
run_tests() {
  local which=$1 log=$2 fuzz=${3:-0} regex=""
  run_verdict=passed
  run_killer=""
  : >"$log"
  if [ "$which" != all ]; then
    [ -n "$which" ] || { run_fuzzer "$log" "$fuzz"; return 0; }
    regex="^($(echo "$which" | paste -sd'|'))\$"
  fi
  # The release test installs the packages package.sh made: a scratch copy has none.
  local args=(--test-dir "$build" --output-on-failure --stop-on-failure -E '^package_tests$')
  [ -n "$regex" ] && args+=(-R "$regex")
  GTEST_FAIL_FAST=1 timeout --kill-after=30 "$limit" ctest "${args[@]}" >"$log" 2>&1 9>&-
  local rc=$?
  [ "$kind" = wine ] && end_wine_processes
  if [ $rc -eq 124 ] || [ $rc -eq 137 ]; then
    run_verdict=timeout
    run_killer="(time limit ${limit}s)"
    return 0
  fi
  if [ $rc -ne 0 ]; then
    run_verdict=failed
    run_killer=$(sed -nE 's/^ *[0-9]+\/[0-9]+ Test +#[0-9]+: ([^ ]+) .*\*\*\*.*/\1/p' "$log" | head -1)
    grep -q '\*\*\*Timeout' "$log" && run_killer="$run_killer (test timeout)"
    [ -n "$run_killer" ] || run_killer="ctest"
    return 0
  fi
  run_fuzzer "$log" "$fuzz"
}

# A short fuzz run on a copy of the corpus, in a folder of its own (it writes a work file there).
run_fuzzer() {
  [ "$2" = 1 ] || return 0
  local fuzz_dir
  fuzz_dir=$(mktemp -d "$work/fuzz.XXXXXX")
  mkdir "$fuzz_dir/corpus"
  cp "$src"/fuzz/corpus/* "$fuzz_dir/corpus/"
  (cd "$fuzz_dir" && timeout --kill-after=10 $((fuzz_seconds + 60)) "$build/fuzz/settings_fuzzer" \
    -seed=1 -max_total_time="$fuzz_seconds" corpus >fuzz.log 2>&1)
  local rc=$?
  if [ $rc -ne 0 ]; then
    run_verdict=failed
    run_killer="settings_fuzzer"
    [ $rc -eq 124 ] || [ $rc -eq 137 ] && run_killer="settings_fuzzer (hung)"
    tail -30 "$fuzz_dir/fuzz.log" >>"$1"
  fi
  rm -rf "$fuzz_dir"
}

# --- the mutant table ----------------------------------------------------------------------
ids=() files=() origs=() repls=() whats=() malformed=()
load_table() {
  local line id k file orig repl what extra
  while IFS= read -r line || [ -n "$line" ]; do
    case "$line" in ''|'#'*) continue ;; esac
    line=${line//' ||| '/$'\x1f'}
    IFS=$'\x1f' read -r id k file orig repl what extra <<<"$line"
    if [ -z "$what" ] || [ -n "$extra" ] || { [ "$k" != native ] && [ "$k" != wine ]; }; then
      malformed+=("${id%% *}")
      continue
    fi
    [ "$kind" = any ] || [ "$k" = "$kind" ] || continue
    if [ ${#only[@]} -gt 0 ]; then
      local keep=0 o
      for o in "${only[@]}"; do [ "$o" = "$id" ] && keep=1; done
      [ $keep = 1 ] || continue
    fi
    ids+=("$id"); files+=("$file"); origs+=("$orig"); repls+=("$repl"); whats+=("$what")
  done <"$table"
}

# Why ORIG cannot be applied to FILE (nothing when it is found exactly once).
stale_reason() {
  [ -f "$2" ] || { echo "no such file"; return 0; }
  local n
  n=$(ORIG=$1 perl -0777 -ne '
    BEGIN { $o = $ENV{ORIG}; $o =~ s/<NL>/\n/g; }
    $n = () = /\Q$o\E/g;
    END { print $n + 0 }' "$2")
  case "$n" in
    1) ;;
    0) echo "text not found" ;;
    *) echo "text found $n times" ;;
  esac
}

# Replaces the one occurrence of ORIG in FILE by REPL; exit 3 when it is not there exactly once.
apply_mutant() {
  ORIG=$1 REPL=$2 perl -0777 -i -pe '
    BEGIN { $o = $ENV{ORIG}; $r = $ENV{REPL}; s/<NL>/\n/g for ($o, $r); }
    my $n = () = /\Q$o\E/g;
    if ($n != 1) { $bad = 1; } else { s/\Q$o\E/$r/; }
    END { exit 3 if $bad; }' "$3"
}

# --- main ----------------------------------------------------------------------------------
load_table
[ ${#ids[@]} -gt 0 ] || { echo "no $kind mutants chosen" >&2; exit 2; }

if [ $check = 1 ]; then
  stale=()
  tmp=$(mktemp -d)
  for i in "${!ids[@]}"; do
    path=$repo/${files[$i]}
    if [ -n "$rev" ]; then
      path=$tmp/file
      git -C "$repo" show "$rev:${files[$i]}" >"$path" 2>/dev/null || rm -f "$path"
    fi
    why=$(stale_reason "${origs[$i]}" "$path")
    [ -z "$why" ] && continue
    say "stale ${ids[$i]} ${files[$i]}: $why"
    stale+=("${ids[$i]}")
  done
  rm -rf "$tmp"
  say "checked ${#ids[@]} records against ${rev:-the working tree}: ${#stale[@]} stale${stale:+ (${stale[*]})}${malformed:+; malformed: ${malformed[*]}}"
  [ ${#stale[@]} -eq 0 ] && [ ${#malformed[@]} -eq 0 ] && exit 0
  exit 1
fi

started=$(date +%s)
say "mutation check: $kind mutants ($mode), sources ${rev:-of the working tree}, $(date -u '+%F %T') UTC"
fill_scratch
[ ${#malformed[@]} -eq 0 ] || say "malformed records (not six fields, or no known kind), skipped: ${malformed[*]}"
# Stale records are named before the long part, so they can be fixed while it runs.
stale=()
for i in "${!ids[@]}"; do
  [ -z "$(stale_reason "${origs[$i]}" "$src/${files[$i]}")" ] || stale+=("${ids[$i]}")
done
[ ${#stale[@]} -eq 0 ] || say "stale records, not run (they fail the run at the end): ${stale[*]}"
configure || { cat "$work/configure.log"; echo "configure failed" >&2; exit 2; }
if [ "$kind" = wine ]; then
  trap cleanup EXIT
  start_wine
fi

say "control: building and testing the unmutated copy"
if ! cmake --build "$build" -j2 >"$work/build.log" 2>&1; then
  tail -30 "$work/build.log"
  say "control: build failed; stopping"
  exit 1
fi
t0=$(date +%s)
fuzz=0
[ "$kind" = native ] && fuzz=1
run_tests all "$work/control.log" $fuzz
say "control: $run_verdict ($(( $(date +%s) - t0 )) s) $run_killer"
if [ "$run_verdict" != passed ]; then
  tail -40 "$work/control.log"
  if [ $keep_going = 0 ]; then
    [ "$mode" = wine ] && say "the suite is not green under 32-bit Wine: try --wine64"
    say "stopping: a mutant counts only against a green suite (log: $work/control.log)"
    exit 1
  fi
fi

declare -A killed_by_file survived_by_file stale_by_file error_by_file
results=()
total_time=0
run_count=0
printf -v header '%-5s %-30s %-12s %-28s %5s  %s' id file result "killed by" secs what
say ""
say "$header"
for i in "${!ids[@]}"; do
  id=${ids[$i]} file=${files[$i]} what=${whats[$i]}
  target=$src/$file
  backup=$work/original.bak
  verdict="" killer="" secs=0
  why=$(stale_reason "${origs[$i]}" "$target")
  if [ -n "$why" ]; then
    verdict=stale killer="($why)"
  else
    cp -p "$target" "$backup"
    if ! apply_mutant "${origs[$i]}" "${repls[$i]}" "$target"; then
      verdict=stale killer="(text not found once)"
      cp -p "$backup" "$target"
    else
      t0=$(date +%s)
      stamp=$work/stamp
      touch "$stamp"
      sleep 1  # file times have one-second steps on some file systems
      touch "$target"
      if ! cmake --build "$build" -j2 >"$work/build-$id.log" 2>&1; then
        verdict=build-error killer="(see $work/build-$id.log)"
      else
        rm -f "$work/build-$id.log"
        tests=$(changed_tests "$stamp")
        fuzz=0
        [ "$kind" = native ] && [ "$build/fuzz/settings_fuzzer" -nt "$stamp" ] && fuzz=1
        if [ -z "$tests" ] && [ $fuzz = 0 ]; then
          verdict=survived killer="(no test program changed)"
        else
          run_tests "$tests" "$work/run-$id.log" $fuzz
          if [ "$run_verdict" = passed ]; then
            verdict=survived
            rm -f "$work/run-$id.log"
          elif [ "$run_verdict" = timeout ]; then
            verdict=killed killer="timeout $run_killer"
          else
            verdict=killed killer=$run_killer
          fi
        fi
      fi
      secs=$(( $(date +%s) - t0 ))
      total_time=$((total_time + secs))
      run_count=$((run_count + 1))
      # Back to the original, and make sure of it.
      cp -p "$backup" "$target"
      touch "$target"
      cmp -s "$backup" "$target" || { say "restoring $file failed; stopping"; exit 1; }
    fi
  fi
  case "$verdict" in
    killed) killed_by_file[$file]=$(( ${killed_by_file[$file]:-0} + 1 )) ;;
    survived) survived_by_file[$file]=$(( ${survived_by_file[$file]:-0} + 1 )) ;;
    stale) stale_by_file[$file]=$(( ${stale_by_file[$file]:-0} + 1 )) ;;
    build-error) error_by_file[$file]=$(( ${error_by_file[$file]:-0} + 1 )) ;;
  esac
  printf -v line '%-5s %-30s %-12s %-28s %5s  %s' "$id" "$file" "$verdict" "${killer:--}" "$secs" "$what"
  say "$line"
  results+=("$verdict")
done

# Leaves the build as the unmutated sources make it, for the next run.
cmake --build "$build" -j2 >"$work/build.log" 2>&1 || say "note: the final rebuild of the restored copy failed"

say ""
printf -v line '%-30s %7s %9s %5s %12s' file killed survived stale build-error
say "$line"
tk=0 ts=0 tn=0 te=0
for f in $(printf '%s\n' "${files[@]}" | sort -u); do
  k=${killed_by_file[$f]:-0} s=${survived_by_file[$f]:-0} n=${stale_by_file[$f]:-0} e=${error_by_file[$f]:-0}
  tk=$((tk + k)) ts=$((ts + s)) tn=$((tn + n)) te=$((te + e))
  printf -v line '%-30s %7s %9s %5s %12s' "$f" "$k" "$s" "$n" "$e"
  say "$line"
done
printf -v line '%-30s %7s %9s %5s %12s' total "$tk" "$ts" "$tn" "$te"
say "$line"
[ $run_count -gt 0 ] && say "mutants run: $run_count, $((total_time / run_count)) s each on average; all: $(( $(date +%s) - started )) s"
stale=()
for i in "${!ids[@]}"; do [ "${results[$i]}" = stale ] && stale+=("${ids[$i]}"); done
[ ${#stale[@]} -eq 0 ] ||
  say "FAILED: ${#stale[@]} stale records, their text is not in the sources once: ${stale[*]} (tools/mutants.txt)"
[ ${#malformed[@]} -eq 0 ] || say "FAILED: malformed records: ${malformed[*]} (tools/mutants.txt)"
[ ${#stale[@]} -eq 0 ] && [ ${#malformed[@]} -eq 0 ] && exit 0
exit 1
