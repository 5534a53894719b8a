#!/bin/sh
# Test lines against code lines, as the project keeps them (at most 0.35):
#   tests: the text files under tests/ and the tools' own test files (tools/**/test_*.py);
#   code:  every other tracked source (C++, GLSL, Python, shell, CMake) outside resources/.
set -eu
cd "$(dirname "$0")/.."
sources='\.(cpp|h|c|vsh|fsh|gsh|csh|py|sh|cmake)$|CMakeLists\.txt$|^\.ci/run$'
count() { xargs -r cat | wc -l; }
tests=$(git ls-files tests | grep -Ev '\.(png|jpg|ogg|bin)$' | count)
tooltests=$(git ls-files tools | grep -E '/test_[^/]*\.py$' | count)
code=$(git ls-files | grep -Ev '^(tests|resources)/' | grep -Ev '/test_[^/]*\.py$' | grep -E "$sources" | count)
total=$((tests + tooltests))
echo "test lines $total (tests/ $tests, tools' tests $tooltests), code lines $code, ratio $(awk -v t=$total -v c=$code 'BEGIN { printf "%.3f", t / c }')"
