#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz/ and runs each one for
# a bounded time (first argument, seconds per target, default 60), starting
# from the seed corpus committed in tests/fuzz/corpus/<target>/. New inputs go
# to build-fuzz/corpus/, never into the committed seeds. Fails when a target
# crashes, hangs, leaks or draws a sanitizer report; the input that did it is
# left in build-fuzz/findings/.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
seconds=${1:-60}
build=${FUZZ_BUILD_DIR:-$root/build-fuzz}
export CC=clang CXX=clang++

sanitize="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
cmake -S tests/fuzz -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_FLAGS="$sanitize" -DCMAKE_CXX_FLAGS="$sanitize" >/dev/null

targets=(catalogue_fuzz results_fuzz split_words_fuzz)
[ -f engine/parse/parser.h ] && targets+=(parser_fuzz)
[ -f engine/tool/words.h ] && targets+=(words_fuzz)
cmake --build "$build" --target "${targets[@]}" -j 2

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export LSAN_OPTIONS=suppressions=$root/tests/fuzz/lsan.supp:print_suppressions=0
export QT_QPA_PLATFORM=offscreen

failed=()
mkdir -p "$build/findings"
for t in "${targets[@]}"; do
  work="$build/corpus/$t"
  mkdir -p "$work"
  log="$build/$t.log"
  status=0
  # -timeout: one input taking more than 10 s is a hang; -rss_limit_mb bounds memory.
  "$build/$t" "$work" "tests/fuzz/corpus/$t" -max_total_time="$seconds" -timeout=10 \
    -rss_limit_mb=2048 -max_len=65536 -print_final_stats=1 \
    -artifact_prefix="$build/findings/$t-" >"$log" 2>&1 || status=$?
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo '?')
  if [ "$status" -ne 0 ]; then
    echo "ÉCHEC $t (statut $status, $runs exécutions) :"
    grep -E 'ERROR|runtime error|SUMMARY|Test unit written' "$log" | head -20
    failed+=("$t")
  else
    echo "ok $t : $runs exécutions en $seconds s"
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "Cibles en échec : ${failed[*]} (journaux dans $build/*.log)"
  exit 1
fi
echo "fuzz : ${#targets[@]} cibles sans échec"
