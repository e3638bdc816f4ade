#!/usr/bin/env bash
# Runs every test of the launcher on Debian 12, installing what it needs first:
# unit tests (plain and under ASan/UBSan, with the fault sweep), static checks,
# bounded fuzzing, the product's resources, the signed release built twice to
# the same bytes with its signatures verified, and the end-to-end tests of the
# real executable and its installer under Wine and Xvfb, as on 32-bit and on
# 64-bit Windows, with a bounded randomised sweep of the launcher there
# (pytest, tests/wine). A host that runs no 32-bit code runs those natively as
# x86-64 builds, then the PE32 and the x86 installer in an emulated machine.
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
# A host that runs no 32-bit code runs the x64 fallback above; the PE32, its PrepareJava.exe and
# the x86 installer then run in an emulated machine that can, in both configurations: the
# scenarios marked pe32, which cover what differs between the widths.
emulated() {
    tools/install_deps.sh emulated && preset mingw &&
        (cd tests/wine && /usr/bin/python3 -m winesetup.guest --timeout 2700 \
            /usr/bin/python3 -m pytest -n 2 --dist loadgroup -rfE -v -m pe32 tests/wine \
            --junitxml=build/wine-pe32.xml)
}

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
# WL_EMULATE=1 runs it on a host that runs 32-bit code too, to prove the machine itself.
if [[ -n ${WL_EMULATE:-} ]] || ! timeout 20 /usr/lib/wine/wine --version >/dev/null 2>&1; then
    stage "the PE32 and the x86 installer in an emulated 32-bit-capable machine" emulated
fi

echo
echo "test command took $(($(date +%s) - started)) s"
((failed == 0)) || echo "failed stages: ${failures[*]}"
echo "stages: $passed passed, $failed failed"
((failed == 0))
