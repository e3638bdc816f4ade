#!/usr/bin/env bash
# Runs every test of the launcher on Debian 12, installing what it needs first:
# unit tests (plain and under ASan/UBSan, with the fault sweep), static checks,
# bounded fuzzing, the product's resources, the signed release built twice to
# the same bytes with its signatures verified, and the end-to-end tests of the
# real executable and its installer under Wine and Xvfb, as on 32-bit and on
# 64-bit Windows, with a bounded randomised sweep of the launcher there
# (pytest, tests/wine).
set -uo pipefail
cd "$(dirname "$0")/.." || exit 1
started=$(date +%s)
passed=0
failed=0
failures=()

stage() {
    local name=$1
    shift
    local t0
    t0=$(date +%s)
    echo "=== $name"
    if "$@"; then
        passed=$((passed + 1))
        echo "=== $name: ok ($(($(date +%s) - t0)) s)"
    else
        failed=$((failed + 1))
        failures+=("$name")
        echo "=== $name: FAILED ($(($(date +%s) - t0)) s)"
    fi
}

preset() { cmake --preset "$1" >/dev/null && cmake --build --preset "$1" -j2 >/dev/null; }
unit_tests() { preset native && ctest --preset native; }
sanitized_unit_tests() { preset sanitize && ctest --preset sanitize; }
product_build() {
    preset mingw &&
        /usr/bin/python3 tests/resources/check_resources.py build/mingw/DovernProfessionalSMSServer.exe --expect-machine i386 &&
        /usr/bin/python3 tests/resources/check_resources.py build/mingw/PrepareJava.exe --prepare-java &&
        /usr/bin/python3 tests/resources/check_splash_gif.py launcher/resources/splash.gif
}

# The configurations run side by side, one per core (tests/wine/conftest.py); JUnit XML in build/.
wine() { /usr/bin/python3 -m pytest -n 2 --dist loadgroup -rfE "$@"; }

tools/install_deps.sh || exit 1
stage "unit tests" unit_tests
stage "unit tests under ASan and UBSan" sanitized_unit_tests
stage "static checks" tools/static_checks.sh
stage "fuzzing (bounded)" tests/fuzz/run_fuzzers.sh 20
stage "product build and resources" product_build
stage "reproducible release: signed and timestamped, rebuilt from its signatures (osslsigncode verify)" tests/reproducible/check_reproducible.sh
stage "Wine end-to-end tests" wine -v tests/wine --ignore=tests/wine/test_sweep.py --junitxml=build/wine-tests.xml
stage "Wine randomised sweep (bounded)" wine tests/wine/test_sweep.py --sweep-runs 10 --sweep-seconds 240 \
    --sweep-shrink-seconds 150 --junitxml=build/wine-sweep.xml

echo
echo "test command took $(($(date +%s) - started)) s"
((failed == 0)) || echo "failed stages: ${failures[*]}"
echo "stages: $passed passed, $failed failed"
((failed == 0))
