#!/usr/bin/env bash
# The Debian packages of a build as a user gets them: cpack -G DEB, both packages
# unpacked into a scratch root with dpkg -x, a small host configured against
# find_package(QXReportFormat) from that root and built, and the unpacked host
# program's list run on a demo database.
# Usage: test_package.sh BUILD_DIR CPACK CMAKE GENERATOR
set -euo pipefail
build=$1 cpack=$2 cmake=$3 generator=$4
work=$(mktemp -d "${QXRF_TEST_TMP:-${TMPDIR:-/tmp}}/package-XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 \
  || { cat "$work/cpack.log"; fail "cpack -G DEB"; }
runtime=$(ls "$work"/out/qxreportformat_*.deb)
dev=$(ls "$work"/out/qxreportformat-dev_*.deb)
for deb in "$runtime" "$dev"; do
  echo "$(basename "$deb"): $(stat -c %s "$deb") bytes"
done

carries() { grep -q -- "$2" <<<"$(dpkg-deb -c "$1")" || fail "$(basename "$1") lacks $2"; }
carries "$runtime" './usr/bin/qxreportformat$'
carries "$runtime" 'libQXReportFormat\.so\.1'
carries "$runtime" 'help/自定义报表\.html'
carries "$dev" 'include/QXReportFormat/document/clsDocument\.h'
carries "$dev" 'libqxrf_model\.a'
carries "$dev" 'cmake/QXReportFormat/QXReportFormatConfig\.cmake'
grep -q 'qxreportformat (= ' <<<"$(dpkg-deb -f "$dev" Depends)" || fail "the development package does not depend on the runtime"

root=$work/root
dpkg -x "$runtime" "$root"
dpkg -x "$dev" "$root"
libdir=$(dirname "$(find "$root" -name 'libQXReportFormat.so.1' | head -n 1)")

# A host of its own, built from the unpacked development files alone.
mkdir -p "$work/host"
cat >"$work/host/CMakeLists.txt" <<'EOF'
cmake_minimum_required(VERSION 3.21)
project(tinyhost LANGUAGES CXX)
set(CMAKE_CXX_STANDARD 17)
find_package(QXReportFormat 1 REQUIRED)
add_executable(tinyhost main.cpp)
target_link_libraries(tinyhost PRIVATE QXReportFormat::QXReportFormat)
EOF
cat >"$work/host/main.cpp" <<'EOF'
#include "document/clsConnection.h"
#include "document/clsDefinitionStore.h"
#include "document/clsDocument.h"
#include "columns/clsFieldsManager.h"
#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString error = clsDefinitionStore::CreateSqliteFile(app.arguments().value(1), QStringLiteral("host"), true);
    if (!error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 2;
    }
    clsConnection conn(QStringLiteral("host"));
    clsDocument doc;
    if (!doc.OpenDocument(&conn, QStringLiteral("科目余额表"), QStringLiteral("GL"), QStringLiteral("tinyhost")))
        return 1;
    std::printf("%d columns\n", int(doc.FieldsManager()->Cols.size()));
    return 0;
}
EOF
"$cmake" -S "$work/host" -B "$work/host/build" -G "$generator" -DCMAKE_PREFIX_PATH="$root/usr" \
  >"$work/host.log" 2>&1 || { cat "$work/host.log"; fail "configuring the small host"; }
grep -q "^QXReportFormat_DIR:PATH=$root/" "$work/host/build/CMakeCache.txt" \
  || fail "find_package(QXReportFormat) did not take the unpacked package"
"$cmake" --build "$work/host/build" >>"$work/host.log" 2>&1 || { cat "$work/host.log"; fail "building the small host"; }
export LD_LIBRARY_PATH=$libdir
grep -q "$libdir/libQXReportFormat" <<<"$(ldd "$work/host/build/tinyhost")" || fail "the small host does not load the unpacked component"
out=$("$work/host/build/tinyhost" "$work/tiny.db") || fail "the small host could not open the demo report"
[ "$out" = "9 columns" ] || fail "the small host said: $out"

# The unpacked host program on a demo database.
host=$root/usr/bin/qxreportformat
grep -q "$libdir/libQXReportFormat" <<<"$(ldd "$host")" || fail "the host program does not load the unpacked component"
"$host" --db "$work/demo.db" init-db --demo >/dev/null || fail "init-db --demo"
listed=$("$host" --db "$work/demo.db" list) || fail "list"
echo "$listed"
grep -q '^GL   科目余额表$' <<<"$listed" || fail "list does not show 科目余额表"
grep -q '^AP   应付账款账龄分析表$' <<<"$listed" || fail "list does not show 应付账款账龄分析表"
echo "packages install and work"
