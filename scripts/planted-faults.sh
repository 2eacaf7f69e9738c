#!/usr/bin/env bash
# Plants known mistakes in the product code, one at a time, in a scratch copy of this
# working tree, and records which tests catch each one. The suite is only as good as
# the faults it finds: a trimmed suite must still catch every fault the old one caught.
#
#   bash scripts/planted-faults.sh [--check] [-o table.md] [fault-id ...]
#
# For each fault: the one replacement is applied to the pristine file (it must match
# exactly once, or the run stops with "pattern not found"), the copy is built in its own
# build directory (ccache keeps this short) and the suite is run with
#   QT_QPA_PLATFORM=offscreen CI=true ctest -j2 --timeout 300 -LE package
# (the package test only repackages the same code). The result is a markdown table:
# fault | description | caught by (failed tests, "build failed" or "SURVIVED").
# The unfaulted copy is built and run first; tests failing there are reported and not
# counted as catching anything.
set -uo pipefail
SRC=$(cd "$(dirname "$0")/.." && pwd)
REV=${PLANTED_REV:-$(git -C "$SRC" describe --always --dirty 2>/dev/null || echo "?")}
OUT=
CHECK_ONLY=
while [ $# -gt 0 ]; do
  case $1 in
    -o) OUT=$2; shift 2 ;;
    --check) CHECK_ONLY=1; shift ;;
    *) break ;;
  esac
done
ONLY=("$@")

IDS=(); FILES=(); FINDS=(); REPLS=(); DESCS=()
fault() { IDS+=("$1"); FILES+=("$2"); FINDS+=("$3"); REPLS+=("$4"); DESCS+=("$5"); }

# id | file | exact text | replacement | what the mistake is
fault round document/modPublicDefine.cpp \
  'return qint32(std::nearbyint(value));' \
  'return qint32(std::lround(value));' \
  'whole-number rounding takes ties away from zero instead of to even'
fault quote document/modPublicDefine.cpp \
  "quoted.replace(QLatin1Char('\\''), QLatin1String(\"''\"));" \
  "quoted.replace(QLatin1Char('\\''), QLatin1String(\"'\"));" \
  'the SQL quoting routine (SqlQuote) no longer doubles a quote; the product binds its values, fixture rows use it'
fault titledepth columns/clsTitleGrid.cpp \
  $'if (depth > MaxRows)\n        problems' \
  $'if (depth >= MaxRows)\n        problems' \
  'title grid check refuses five title rows (off by one in the level limit)'
fault unlock document/clsDocument.cpp \
  'return {QStringLiteral("Update Rpt_GlbDEF Set Cols= 0 Where ID = ?"), {id}};' \
  'return {QStringLiteral("Update Rpt_GlbDEF Set Cols= Cols Where ID = ?"), {id}};' \
  'a successful save leaves the report locked (Cols not reset)'
fault commitfail document/clsDocument.cpp \
  $'        if (ownTransaction)\n            m_AdoConn->RollbackTrans();\n        else\n            UnlockReportForSave();' \
  $'        if (ownTransaction)\n            m_AdoConn->CommitTrans();\n        else\n            UnlockReportForSave();' \
  'a save whose write step failed commits what it wrote'
fault pgwait document/clsDocument.cpp \
  '"Where ID = ? and (Cols = 0 or Cols is null) For Update Nowait)"' \
  '"Where ID = ? and (Cols = 0 or Cols is null) For Update)"' \
  'PostgreSQL: a second save waits for the held lock instead of being refused'
fault sqlitewait document/clsDocument.cpp \
  'noWait.emplace(*m_AdoConn, QStringLiteral("busy_timeout"), QStringLiteral("0"));' \
  'noWait.reset();' \
  'SQLite: a second save waits for the busy file instead of being refused'
fault message document/clsDocument.cpp \
  '报表格式正在被其他用户保存，请稍后再试' \
  '报表格式正在被其他用户保存，请稍候再试' \
  'the refused-save message text is changed'
fault relayout columns/clsFieldsManagerEditing.cpp \
  $'t->blnSelected = !t->blnSelected;\n    }\n    MarkLayoutDirty();' \
  $'t->blnSelected = !t->blnSelected;\n    }' \
  'selecting a title does not ask for a new layout (canvas shows the old selection)'
fault sumkind document/clsFormatRow.h \
  'constexpr qint32 Sum = 4;' \
  'constexpr qint32 Sum = 14;' \
  'sum rows are stored and read under a wrong kind number'
fault labelrange labels/clsLabelManager.cpp \
  'l.strRang = to->StrName;' \
  '' \
  'a label dragged into another range keeps its old range'
fault grouphide ranges/clsRangeManagerGroups.cpp \
  'range->blnVisible = shown;' \
  'range->blnVisible = true;' \
  'hiding a group band marks it hidden but leaves it visible'
fault fullparen expressions/clsExpressionManager.cpp \
  "if (c == QLatin1Char('(') || c == kFullOpen)" \
  "if (c == QLatin1Char('('))" \
  'formula check: full-width opening parentheses are not counted'
fault filtercol plugins/filter/frmFilterSetting.cpp \
  'insert into Rpt_FltDEF (id,note,ModeEx,location) values (?,?,?,?)' \
  'insert into Rpt_FltDEF (id,note,location,ModeEx) values (?,?,?,?)' \
  "filter rows are written with kind and place in each other's columns"
fault printswap document/clsPrintSetting.cpp \
  $'.Set(FldColumn::TopEx, LngPrintTop)\n        .Set(FldColumn::LeftEx, LngPrintLeft)' \
  $'.Set(FldColumn::TopEx, LngPrintLeft)\n        .Set(FldColumn::LeftEx, LngPrintTop)' \
  'print settings save the top margin in the left one and back'
fault saturate designer/clsSceneRect.h \
  'qint32 Right() const { return Saturated(qint64(left) + width); }' \
  'qint32 Right() const { return left + width; }' \
  'the right edge of a canvas box wraps instead of saturating'

WORK=$(mktemp -d /tmp/planted-faults.XXXXXX)
PRISTINE=$WORK/pristine
TREE=$WORK/tree
# Laid out as a checkout is (build/ inside the tree), so that ccache, with relative
# paths, shares its objects with the checkout's own build.
BUILD=$TREE/build
LOG=$WORK/log
mkdir -p "$PRISTINE" "$TREE" "$LOG"
echo "scratch: $WORK" >&2
tar -C "$SRC" --exclude=./build --exclude=./.git -cf - . | tar -C "$PRISTINE" -xf -
tar -C "$PRISTINE" -cf - . | tar -C "$TREE" -xf -
# In the scratch copy the model library is shared and executables are not relinked when
# it changes: a fault in the model then costs one compile and one link instead of
# relinking every test (no export macro, so the objects are the ones ccache already has).
sed -i 's/^add_library(qxrf_model STATIC /add_library(qxrf_model SHARED /' "$TREE/CMakeLists.txt"
printf '\nset_target_properties(qxrf_model PROPERTIES DEFINE_SYMBOL "")\n' >>"$TREE/CMakeLists.txt"
# The benchmarks measure speed, not behaviour: not built here.
sed -i 's/^add_subdirectory(bench)$//' "$TREE/CMakeLists.txt"


# Every pattern must be there exactly once before anything is built.
apply() {  # file find replace -> replaces in $TREE/file
  FILE="$TREE/$1" FIND="$2" REPL="$3" python3 - <<'PY'
import os, sys
path, find, repl = os.environ["FILE"], os.environ["FIND"], os.environ["REPL"]
text = open(path, encoding="utf-8").read()
n = text.count(find)
if n != 1:
    sys.exit(f"pattern not found exactly once ({n} times) in {path}: {find!r}")
open(path, "w", encoding="utf-8").write(text.replace(find, repl))
PY
}
for i in "${!IDS[@]}"; do
  apply "${FILES[$i]}" "${FINDS[$i]}" "${REPLS[$i]}" || exit 2
  cp "$PRISTINE/${FILES[$i]}" "$TREE/${FILES[$i]}"
done
if [ -n "$CHECK_ONLY" ]; then
  echo "all ${#IDS[@]} patterns found once" >&2
  rm -rf "$WORK"
  exit 0
fi

export CCACHE_BASEDIR=$WORK
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$TREE" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_LINK_DEPENDS_NO_SHARED=ON "${launcher[@]}" \
  >"$LOG/configure.txt" 2>&1 \
  || { echo "configure failed, see $LOG/configure.txt" >&2; exit 2; }

run_suite() {  # name -> prints the failed tests, or "build failed"
  local name=$1
  if ! cmake --build "$BUILD" -j2 >"$LOG/$name.build.txt" 2>&1; then
    echo "build failed"
    return
  fi
  # The output of a failing test names the test functions that caught the fault.
  (cd "$BUILD" && QT_QPA_PLATFORM=offscreen CI=true ctest -j2 --timeout 300 -LE package --output-on-failure \
    >"$LOG/$name.ctest.txt" 2>&1)
  grep -h '^FAIL!' "$LOG/$name.ctest.txt" | sed 's/(.*//' | sort -u >"$LOG/$name.functions.txt"
  sed -n '/The following tests FAILED/,$p' "$LOG/$name.ctest.txt" \
    | sed -n 's/^[[:space:]]*[0-9]* - \([^ ]*\) .*/\1/p' | sort -u | tr '\n' ' ' | sed 's/ $//'
}

baseline=$(run_suite baseline)
echo "baseline failures: ${baseline:-none}" >&2
if [ "$baseline" = "build failed" ]; then
  echo "the unfaulted tree does not build, see $LOG/baseline.build.txt" >&2
  exit 2
fi

table="| fault | description | caught by |"$'\n'"|---|---|---|"
for i in "${!IDS[@]}"; do
  id=${IDS[$i]}
  if [ ${#ONLY[@]} -gt 0 ] && ! printf '%s\n' "${ONLY[@]}" | grep -qx "$id"; then
    continue
  fi
  apply "${FILES[$i]}" "${FINDS[$i]}" "${REPLS[$i]}" || exit 2
  failed=$(run_suite "$id")
  cp "$PRISTINE/${FILES[$i]}" "$TREE/${FILES[$i]}"
  if [ "$failed" != "build failed" ]; then
    # A test that fails without the fault as well catches nothing.
    caught=()
    for t in $failed; do
      [[ " $baseline " == *" $t "* ]] || caught+=("$t")
    done
    failed=${caught[*]:-}
    [ -n "$failed" ] || failed=SURVIVED
  fi
  echo "$id: $failed" >&2
  table+=$'\n'"| $id | ${DESCS[$i]} | $failed |"
done
# Leave the copy built as it was.
cmake --build "$BUILD" -j2 >"$LOG/restore.build.txt" 2>&1

echo "$table"
if [ -n "$OUT" ]; then
  {
    echo "Planted faults on $REV, $(date -u '+%Y-%m-%d %H:%M UTC')"
    echo "Failing without any fault: ${baseline:-none}"
    echo
    echo "$table"
  } >"$OUT"
fi
