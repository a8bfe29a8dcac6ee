#!/usr/bin/env bash
# The public headers as a client compiles them: each one on its own, and <kr/kr.h> beside GLib's
# and X11's headers (before and after), with GCC and clang, C++17 and C++20, warnings as errors.
# Usage: check_headers.sh INCLUDE_DIR... (the source tree's and the build's generated one)
set -euo pipefail
here=$(dirname "$0")
read -r -a platform <<<"$(pkg-config --cflags glib-2.0 x11)"
flags=(-fsyntax-only -Wall -Wextra -Wpedantic -Werror)
headers=()
for include in "$@"; do
    flags+=(-I"$include")
    headers+=("$include"/kr/*.h)
done
status=0
for compiler in g++ clang++; do
    for standard in c++17 c++20; do
        for header in "${headers[@]}"; do
            if ! echo "#include <kr/$(basename "$header")>" |
                "$compiler" -std="$standard" "${flags[@]}" -x c++ -; then
                echo "FAIL: kr/$(basename "$header") alone, $compiler -std=$standard"
                status=1
            fi
        done
        for order in -UKR_FIRST -DKR_FIRST; do
            if ! "$compiler" -std="$standard" "${flags[@]}" "${platform[@]}" "$order" \
                "$here/client.cpp"; then
                echo "FAIL: client.cpp $order, $compiler -std=$standard"
                status=1
            fi
        done
    done
done
exit $status
