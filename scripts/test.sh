#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the plain build first, then the
# sanitizer builds (address+undefined, then thread) unless GLEANER_SANITIZERS=0.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"

run_suite() { # build-dir, cmake args...
    local dir=$1
    shift
    echo "== build $(basename "$dir") $*"
    bash "$root/scripts/build.sh" "$dir" "$@"
    echo "== test $(basename "$dir")"
    (cd "$dir" && ctest --output-on-failure -j"$(nproc)" --timeout 600)
}

run_suite "$root/build"
if [ "${GLEANER_SANITIZERS:-1}" != 0 ]; then
    export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$root/scripts/tsan.supp"
    run_suite "$root/build-asan" -DGLEANER_SANITIZE=address -DGLEANER_BUILD_BENCH=OFF
    run_suite "$root/build-tsan" -DGLEANER_SANITIZE=thread -DGLEANER_BUILD_BENCH=OFF
fi
