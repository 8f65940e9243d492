#!/usr/bin/env bash
# Compiles every source file that has a Windows branch with the MinGW cross compiler, syntax
# only, against Debian's Qt headers: no Qt for Windows is at hand, but the Windows code must
# at least compile as the Linux build changes around it. A header is checked through a file
# that includes it. Needs g++-mingw-w64-x86-64-posix (scripts/install-deps.sh installs it).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
compiler=x86_64-w64-mingw32-g++-posix
qt=/usr/include/x86_64-linux-gnu/qt6
flags=(-std=c++20 -fsyntax-only -Wall -Wextra -Wpedantic -Werror -fPIC
       -I src -I tools
       -isystem "$qt" -isystem "$qt/QtCore" -isystem "$qt/QtGui" -isystem "$qt/QtWidgets"
       -isystem "$qt/QtSerialPort" -isystem /usr/lib/x86_64-linux-gnu/qt6/mkspecs/linux-g++)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# The check must see the Windows branches, not the others.
printf '#include <QtGlobal>\n#ifndef Q_OS_WIN\n#error not a Windows compile\n#endif\n' \
    >"$scratch/probe.cpp"
"$compiler" "${flags[@]}" "$scratch/probe.cpp"
mapfile -t files < <(grep -rlE 'Q_OS_WIN|_WIN32' src tools | sort)
failed=0
for file in "${files[@]}"; do
    source="$file"
    if [[ "$file" == *.h ]]; then
        source="$scratch/$(basename "$file").cpp"
        printf '#include "%s"\n' "$root/$file" >"$source"
    fi
    if "$compiler" "${flags[@]}" "$source"; then
        echo "windows compile: $file ok"
    else
        echo "windows compile: $file FAILED"
        failed=1
    fi
done
echo "windows compile: ${#files[@]} files with a Windows branch checked"
exit "$failed"
