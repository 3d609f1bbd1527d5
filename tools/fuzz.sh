#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer, UndefinedBehaviorSanitizer)
# and runs each for SECONDS (default 20), two at a time, from the seed corpora.
#   bash tools/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
bash tools/deps.sh clang libclang-rt-14-dev
flags="-fsanitize=address,undefined,fuzzer-no-link -fno-sanitize-recover=undefined -fno-omit-frame-pointer -g -O1"
cmake -S . -B build-fuzz -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DTABRIX_FUZZ=ON \
  -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="$flags" >/dev/null
cmake --build build-fuzz --target fuzz_all -j"$(nproc)"
export ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=offscreen
failed=0
run() {
  local t=$1 corpus=build-fuzz/corpus/$1
  mkdir -p "$corpus"
  cp -n tests/fuzz/corpus/"$t"/* "$corpus"/ 2>/dev/null || true
  if build-fuzz/tests/fuzz/fuzz_"$t" -max_total_time="$seconds" -max_len=65536 -timeout=10 \
       -artifact_prefix=build-fuzz/crash-"$t"- "$corpus" >build-fuzz/fuzz_"$t".log 2>&1; then
    echo "fuzz_$t: $(grep -o 'Done [0-9]* runs' build-fuzz/fuzz_"$t".log | tail -1) in ${seconds} s, nothing found"
  else
    echo "fuzz_$t: FOUND A FAULT"; tail -30 build-fuzz/fuzz_"$t".log; return 1
  fi
}
targets=(template escapes ini datalink dates colorscan capture preview)
for ((i = 0; i < ${#targets[@]}; i += 2)); do
  run "${targets[i]}" & a=$!
  pids=($a)
  if ((i + 1 < ${#targets[@]})); then run "${targets[i + 1]}" & pids+=($!); fi
  for p in "${pids[@]}"; do wait "$p" || failed=1; done
done
[ $failed = 0 ] && echo "${#targets[@]} passed, 0 failed" || { echo "0 passed, 1 failed"; exit 1; }
