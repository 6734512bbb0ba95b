#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer: fuzz/build.sh [output directory] [target...]
# (targets by name, e.g. "diagnostics"; all of fuzz/*_fuzz.cpp by default)
# The core is compiled once with coverage instrumentation, then linked into
# each fuzz/<name>_fuzz.cpp as <output>/<name>_fuzz.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$top/build/fuzz}
shift || true
mkdir -p "$out/obj"

sanitize=(-fsanitize=address,undefined -fno-sanitize-recover=undefined)
cxxflags=(-std=c++17 -g -O1 -fno-omit-frame-pointer -I"$top" "${sanitize[@]}")

objects=()
for src in "$top"/bravik/core/*.cpp; do
  obj="$out/obj/$(basename "$src" .cpp).o"
  if [ ! -f "$obj" ] || [ "$src" -nt "$obj" ] || [ "$0" -nt "$obj" ] ||
     find "$top/bravik/core" -name '*.h' -newer "$obj" | grep -q .; then
    clang++ "${cxxflags[@]}" -fsanitize=fuzzer-no-link -c "$src" -o "$obj"
  fi
  objects+=("$obj")
done

targets=("$@")
if [ ${#targets[@]} = 0 ]; then
  for f in "$top"/fuzz/*_fuzz.cpp; do targets+=("$(basename "$f" _fuzz.cpp)"); done
fi
for t in "${targets[@]}"; do
  target="$top/fuzz/${t}_fuzz.cpp"
  name=${t}_fuzz
  clang++ "${cxxflags[@]}" -fsanitize=fuzzer "$target" "${objects[@]}" -o "$out/$name"
  echo "built $out/$name"
done
