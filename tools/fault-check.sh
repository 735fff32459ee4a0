#!/usr/bin/env bash
# Applies each deliberate fault in tools/faults/ in turn to a clean copy of
# the committed tree, builds, runs the tests the fault names (or, with --all,
# the whole suite) and says which tests caught it. A fault nobody catches is
# a hole in the tests; a patch that no longer applies means the code moved
# and the patch needs updating. Exits non-zero in either case.
#
#   tools/fault-check.sh [--all] [--no-baseline] [--work DIR] [PATCH...]
#
# Each patch is a `git diff` with a header before it (git apply ignores it):
#   Fault:   what goes wrong, as a user would see it
#   Tests:   ctest name pattern of the tests expected to catch it
#   Targets: the build targets those tests need (the quick mode builds only these)
#
# The copy is a git worktree of HEAD in DIR (default /tmp/orvane-fault-check-
# and the checkout's folder name, so that two checkouts never share one) with
# its own build, kept between runs so that builds stay incremental. One run at
# a time uses a DIR; builds and test runs take the machine-wide build lock.
set -uo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
work=/tmp/orvane-fault-check-$(basename "$repo")
all=0
baseline=1
patches=()
while [ $# -gt 0 ]; do
  case "$1" in
    --all) all=1 ;;
    --no-baseline) baseline=0 ;;
    --work) work=$2; shift ;;
    -h|--help) awk 'NR > 1 && !/^#/ { exit } NR > 1 { sub(/^# ?/, ""); print }' "$0"; exit 0 ;;
    -*) echo "unknown option $1" >&2; exit 2 ;;
    *) patches+=("$(cd "$(dirname "$1")" && pwd)/$(basename "$1")") ;;
  esac
  shift
done
[ ${#patches[@]} -gt 0 ] || patches=("$repo"/tools/faults/*.patch)

lock=/tmp/orvane-build.lock
tree=$work/tree
build=$tree/build/test
logs=$work/logs
mkdir -p "$logs"
# Another run on the same copy would check out its own tree under this one.
exec 9>"$work/run.lock"
flock -n 9 || { echo "another fault check is using $work (give another with --work DIR)" >&2; exit 2; }
# The same relative paths as the usual build/test: ccache finds its objects.
export CCACHE_BASEDIR=$tree CCACHE_NOHASHDIR=1

header() { sed -n "s/^$2:[[:space:]]*//p;/^diff --git/q" "$1" | head -n 1; }

# A clean worktree at HEAD; the build directory inside it stays.
head=$(git -C "$repo" rev-parse HEAD)
if [ ! -e "$tree/.git" ]; then
  # -f: the copy may have been removed (a reboot cleans /tmp) and still be registered.
  git -C "$repo" worktree add -q -f --detach "$tree" "$head" || exit 2
fi
git -C "$tree" checkout -q --detach "$head" && git -C "$tree" reset -q --hard &&
  git -C "$tree" clean -qfd -e /build/ || exit 2
if [ ! -f "$build/build.ninja" ]; then
  flock "$lock" cmake -S "$tree" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORVANE_SANITIZE=ON \
    -DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache >"$logs/configure.log" 2>&1 ||
    { echo "configuring failed: $logs/configure.log" >&2; exit 2; }
fi

# build LOG TARGETS...: builds the targets (everything when none are given).
build_targets() {
  local log=$1; shift
  local args=()
  for t in "$@"; do args+=(--target "$t"); done
  flock "$lock" cmake --build "$build" -j2 "${args[@]}" >"$log" 2>&1
}

# run LOG PATTERN: runs the tests (all when PATTERN is empty); prints the
# failing tests' names, one a line.
run_tests() {
  local log=$1 pattern=$2
  local args=()
  [ -n "$pattern" ] && args=(-R "$pattern")
  flock "$lock" ctest --test-dir "$build" -j2 --timeout 300 --output-on-failure "${args[@]}" >"$log" 2>&1
  local rc=$?
  sed -n '/The following tests FAILED:/,$s/^[[:space:]]*[0-9]* - \(.*\) ([A-Za-z ]*)$/\1/p' "$log" |
    sed 's/[[:space:]]*#.*$//'  # a parameterised test's "# GetParam() = ..."
  return $rc
}

ran_any() { grep -q 'tests passed\|tests failed' "$1" && ! grep -q 'No tests were found' "$1"; }

targets_of() { [ "$all" = 1 ] && return; header "$1" Targets; }
pattern_of() { [ "$all" = 1 ] && return; header "$1" Tests; }

if [ "$baseline" = 1 ]; then
  # The named tests must pass without any fault, or a failure proves nothing.
  union=() targets=()
  for p in "${patches[@]}"; do
    t=$(pattern_of "$p"); [ -n "$t" ] && union+=("$t")
    read -ra ts <<<"$(targets_of "$p")"; targets+=("${ts[@]}")
  done
  pattern=$(IFS='|'; echo "${union[*]}")
  mapfile -t targets < <(printf '%s\n' "${targets[@]}" | sort -u | sed '/^$/d')
  echo "baseline: building and running the named tests on the clean tree ($head)"
  build_targets "$logs/baseline.build.log" "${targets[@]}" ||
    { echo "the clean tree does not build: $logs/baseline.build.log" >&2; exit 2; }
  failing=$(run_tests "$logs/baseline.test.log" "$pattern")
  if [ $? -ne 0 ]; then
    echo "the clean tree fails its tests ($logs/baseline.test.log):" >&2
    echo "$failing" | sed 's/^/  /' >&2
    exit 2
  fi
fi

rows=()
bad=0
for p in "${patches[@]}"; do
  name=$(basename "$p" .patch)
  file=$(sed -n 's|^diff --git a/\([^ ]*\) .*|\1|p' "$p" | paste -sd ' ')
  pattern=$(pattern_of "$p")
  read -ra targets <<<"$(targets_of "$p")"
  if ! git -C "$tree" apply --check "$p" 2>"$logs/$name.apply.log"; then
    rows+=("$name|$file|DOES NOT APPLY: the code moved, update the patch ($(head -n 1 "$logs/$name.apply.log"))|")
    bad=1
    echo "$name: does not apply"
    continue
  fi
  git -C "$tree" apply "$p"
  if ! build_targets "$logs/$name.build.log" "${targets[@]}"; then
    rows+=("$name|$file|DOES NOT BUILD: a fault must compile ($logs/$name.build.log)|")
    bad=1
  else
    failing=$(run_tests "$logs/$name.test.log" "$pattern")
    rc=$?
    if [ $rc -ne 0 ] && [ -n "$failing" ]; then
      rows+=("$name|$file|caught|$(echo "$failing" | paste -sd ',' | sed 's/,/, /g')")
    elif [ $rc -ne 0 ]; then
      rows+=("$name|$file|ERROR: ctest failed without a failing test ($logs/$name.test.log)|")
      bad=1
    elif grep -q '\*\*\*Skipped\|Not Run' "$logs/$name.test.log"; then
      rows+=("$name|$file|MISSED: the named tests were skipped here ($logs/$name.test.log)|")
      bad=1
    elif ! ran_any "$logs/$name.test.log"; then
      rows+=("$name|$file|MISSED: no test matches '$pattern'|")
      bad=1
    else
      rows+=("$name|$file|MISSED|")
      bad=1
    fi
  fi
  echo "$name: $(echo "${rows[-1]}" | cut -d'|' -f3-)"
  git -C "$tree" apply -R "$p" || { git -C "$tree" checkout -q -- . && git -C "$tree" clean -qfd -e /build/; }
done

echo
echo "| Fault | File | Result | Failing tests |"
echo "|---|---|---|---|"
for r in "${rows[@]}"; do
  IFS='|' read -r n f res tests <<<"$r"
  echo "| $n | $f | $res | $tests |"
done
[ $bad -eq 0 ] && echo "every fault was caught"
exit $bad
