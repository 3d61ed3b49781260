#!/usr/bin/env bash
# Fuzzing campaigns with AFL++ on the fuzz targets of fuzz/.
#
#   fuzz/campaign.sh run TARGET SECONDS   build with instrumentation, ASan and
#                                         UBSan, then fuzz TARGET for SECONDS
#   fuzz/campaign.sh minimize TARGET      replace the committed corpus of
#                                         TARGET by a small set of inputs that
#                                         covers most paths of it and the
#                                         campaign
#
# Everything a campaign produces stays under build/afl. The fuzzer's GCC
# plugin does not load into this compiler, and its classic instrumentation
# (afl-g++) allows no persistent mode, which makes it about a hundred times
# slower here. So the project is compiled by g++ itself with
# -fsanitize-coverage=trace-pc (afl.cmake), and the campaign driver
# (afl_main.cpp) feeds those calls into the fuzzer's coverage map and runs
# persistently.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/afl"

usage() {
  echo "usage: $0 run TARGET SECONDS | minimize TARGET" >&2
  exit 2
}

[ $# -ge 2 ] || usage
action=$1
target=$2
program="$build/fuzz/fuzz_$target"
campaign="$build/campaigns/$target"
corpus="$root/fuzz/corpus/$target"
# Committed corpora stay small: at most this many files per target.
corpus_limit=40
[ -d "$corpus" ] || { echo "$0: no corpus for target $target" >&2; exit 2; }

export AFL_SKIP_CPUFREQ=1 AFL_I_DONT_CARE_ABOUT_MISSING_CRASHES=1 AFL_NO_UI=1
export ASAN_OPTIONS=abort_on_error=1:symbolize=0:detect_leaks=0:allocator_may_return_null=0
export UBSAN_OPTIONS=halt_on_error=1:abort_on_error=1:symbolize=0

build_program() {
  "$root/scripts/install-deps" --fuzz
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_PROJECT_INCLUDE="$root/fuzz/afl.cmake" -DZOR_SANITIZE=ON -DZOR_BUILD_TESTS=OFF >/dev/null
  cmake --build "$build" --target "fuzz_$target"
}

fuzzer_stat() {
  sed -n "s/^$1 *: //p" "$campaign/default/fuzzer_stats"
}

case $action in
  run)
    [ $# -eq 3 ] || usage
    seconds=$3
    build_program
    # The seeds are the committed corpus and the regression inputs.
    seeds="$build/seeds/$target"
    rm -rf "$seeds"
    mkdir -p "$seeds" "$campaign"
    find "$corpus" "$root/fuzz/regressions/$target" -maxdepth 1 -type f ! -name '.*' \
      -exec cp -t "$seeds" {} +
    dictionary=()
    if [ -f "$root/fuzz/$target.dict" ]; then
      dictionary=(-x "$root/fuzz/$target.dict")
    fi
    AFL_AUTORESUME=1 afl-fuzz -i "$seeds" -o "$campaign" -m none -V "$seconds" "${dictionary[@]}" \
      -- "$program"
    echo "campaign of $target: $(fuzzer_stat execs_done) executions, corpus $(fuzzer_stat corpus_count)," \
      "$(fuzzer_stat saved_crashes) crashes, $(fuzzer_stat saved_hangs) hangs"
    echo "findings: $campaign/default/crashes and $campaign/default/hangs"
    ;;
  minimize)
    [ -x "$program" ] || { echo "$0: run a campaign of $target first" >&2; exit 2; }
    work="$build/minimize/$target"
    rm -rf "$work"
    mkdir -p "$work/pool"
    cp -t "$work/pool" "$corpus"/* "$campaign"/default/queue/id:*
    afl-cmin -i "$work/pool" -o "$work/kept" -m none -- "$program" >/dev/null
    cp -n -t "$work/kept" "$corpus"/seed-*
    afl-showmap -i "$work/kept" -o "$work/maps" -m none -q -- "$program" >/dev/null
    # The generated seeds always stay, so that the corpus can be regenerated;
    # then, while the corpus is below its size, the kept input that adds the
    # most paths not yet covered joins it, named by its contents.
    find "$corpus" -maxdepth 1 -type f ! -name 'seed-*' -delete
    chosen=$(awk -v limit="$corpus_limit" '
      FNR == 1 { files[++count] = FILENAME; picked[count] = FILENAME ~ /\/seed-[^\/]*$/ }
      { paths[count] = paths[count] " " $0 }
      END {
        for (i = 1; i <= count; i++) {
          if (picked[i]) { mark(i); size++ }
        }
        while (size < limit) {
          best = 0; gain = 0
          for (i = 1; i <= count; i++) {
            if (!picked[i] && (g = fresh(i)) > gain) { best = i; gain = g }
          }
          if (best == 0) break
          picked[best] = 1; mark(best); size++
          print files[best]
        }
      }
      function mark(i,   n, list, j) { n = split(paths[i], list, " "); for (j = 1; j <= n; j++) covered[list[j]] = 1 }
      function fresh(i,   n, list, j, g) { n = split(paths[i], list, " "); g = 0; for (j = 1; j <= n; j++) g += !(list[j] in covered); return g }
    ' "$work/maps"/*)
    for map in $chosen; do
      file="$work/kept/$(basename "$map")"
      cp "$file" "$corpus/$(sha1sum "$file" | cut -c1-16)"
    done
    echo "corpus of $target: $(find "$corpus" -type f | wc -l) files"
    ;;
  *)
    usage
    ;;
esac
