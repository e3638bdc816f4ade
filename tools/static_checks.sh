#!/usr/bin/env bash
# Formatting of every tracked C++ file, clang-tidy (.clang-tidy) over the
# portable core and its unit tests, black and flake8 (pyproject.toml, .flake8)
# over every tracked Python file. Exits non-zero on any finding.
# The Win32-only files (win32/, launcher/SplashWindow.cpp, launcher/WinMain.cpp)
# need the Windows headers, so they are checked for formatting only.
set -u

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root" || exit 2
clang_format=${CLANG_FORMAT:-clang-format}
clang_tidy=${CLANG_TIDY:-clang-tidy}
build=build/tidy
failed=0

echo "== clang-format"
mapfile -t sources < <(git ls-files '*.cpp' '*.h')
if ! "$clang_format" --dry-run --Werror "${sources[@]}"; then
    failed=1
fi

echo "== black and flake8"
mapfile -t python < <(git ls-files '*.py')
black --check --quiet "${python[@]}" || failed=1
flake8 "${python[@]}" || failed=1

echo "== clang-tidy"
# A build tree of its own, so that build/native is left as it is.
mkdir -p "$build"
if ! cmake --preset native -B "$build" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >"$build/configure.log" 2>&1; then
    cat "$build/configure.log"
    exit 2
fi
mapfile -t units < <(python3 - "$build/compile_commands.json" "$root" <<'PY'
import json, os, sys
root = sys.argv[2] + os.sep
win32_only = ("win32/", "launcher/SplashWindow.cpp", "launcher/WinMain.cpp")
for entry in json.load(open(sys.argv[1])):
    path = os.path.normpath(os.path.join(entry["directory"], entry["file"]))
    if not path.startswith(root):
        continue
    relative = path[len(root):]
    if relative.startswith(("seam/", "common/", "javaruntime/", "launcher/", "tests/unit/")) \
            and not relative.startswith(win32_only):
        print(relative)
PY
)
if [ "${#units[@]}" -eq 0 ]; then
    echo "no sources found in $build/compile_commands.json" >&2
    exit 2
fi
# One clang-tidy per file, in parallel; a file's findings are printed together.
printf '%s\n' "${units[@]}" | sort | xargs -n 1 -P "$(nproc)" sh -c '
    out=$("$1" -p "$2" --quiet "$3" 2>&1) && exit 0
    printf "%s\n" "$out" | grep -v "warnings\? generated\.$" >&2
    exit 1' sh "$clang_tidy" "$build" || failed=1

if [ "$failed" -ne 0 ]; then
    echo "static checks: FAILED"
else
    echo "static checks: clean (${#sources[@]} C++ and ${#python[@]} Python files formatted, ${#units[@]} files analysed)"
fi
exit $failed
