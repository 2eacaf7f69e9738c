#include "clsTitleGrid.h"
#include "document/modPublicDefine.h"
#include <QSet>
#include <QStringList>
#include <algorithm>

namespace {
qint64 Bottom(const clsTitle& t)
{
    return qint64(t.top) + t.Height - 1;
}
qint64 Right(const clsTitle& t)
{
    return qint64(t.left) + t.Width - 1;
}
bool Covers(const clsTitle& t, qint64 row, qint64 column)
{
    return row >= t.top && row <= Bottom(t) && column >= t.left && column <= Right(t);
}
}

qint32 clsTitleGrid::Depth(const Titles& titles)
{
    qint64 depth = 0;
    for (const auto& t : titles)
        if (t->Height > 0 && t->Width > 0)
            depth = std::max(depth, Bottom(*t));
    return Clamp32(depth);
}

clsTitle* clsTitleGrid::At(const Titles& titles, qint32 row, qint32 column)
{
    for (const auto& t : titles)
        if (Covers(*t, row, column))
            return t.get();
    return nullptr;
}

clsTitle* clsTitleGrid::OwnTitle(const Titles& titles, qint32 column)
{
    const qint32 depth = Depth(titles);
    for (const auto& t : titles)
        if (t->left == column && t->Width == 1 && Bottom(*t) == depth)
            return t.get();
    return nullptr;
}

std::vector<clsTitle*> clsTitleGrid::OwnTitles(const Titles& titles, qint32 columns)
{
    std::vector<clsTitle*> own(size_t(std::max(columns, 0)) + 1, nullptr);
    const qint32 depth = Depth(titles);
    for (const auto& t : titles)
        if (t->left >= 1 && t->left <= columns && t->Width == 1 && Bottom(*t) == depth && !own[size_t(t->left)])
            own[size_t(t->left)] = t.get();
    return own;
}

QStringList clsTitleGrid::Problems(const Titles& titles, qint32 columns)
{
    QStringList problems;
    const qint32 depth = Depth(titles);
    if (depth > MaxRows)
        problems << QStringLiteral("标题超过五层");
    // Cells are few (rows x columns at most 5 x n), so a map of them stays linear.
    QHash<qint64, const clsTitle*> cells;
    for (const auto& t : titles) {
        if (t->top < 1 || t->left < 1 || t->Width < 1 || t->Height < 1 || Bottom(*t) > MaxRows || Right(*t) > columns) {
            problems << QStringLiteral("标题%1超出标题区域").arg(t->name);
            continue;
        }
        for (qint64 r = t->top; r <= Bottom(*t); ++r)
            for (qint64 c = t->left; c <= Right(*t); ++c) {
                const qint64 key = r * (qint64(columns) + 1) + c;
                if (const clsTitle* other = cells.value(key)) {
                    problems << QStringLiteral("标题%1与%2重叠").arg(other->name, t->name);
                    r = Bottom(*t);
                    break;
                }
                cells.insert(key, t.get());
            }
    }
    if (!titles.empty()) {
        const std::vector<clsTitle*> own = OwnTitles(titles, columns);
        for (qint32 c = 1; c <= columns; ++c)
            if (!own[size_t(c)])
                problems << QStringLiteral("第%1列没有最下层标题").arg(c);
    }
    QSet<QString> names;
    for (const auto& t : titles) {
        const QString key = t->name.trimmed().toLower();
        if (names.contains(key))
            problems << QStringLiteral("标题名称%1重复").arg(t->name);
        names.insert(key);
    }
    return problems;
}

clsTitleGrid::Titles clsTitleGrid::RemoveColumn(Titles& titles, qint32 k)
{
    Titles gone;
    Titles kept;
    for (auto& t : titles) {
        if (t->left > k) {
            --t->left;
        } else if (Right(*t) >= k) {
            if (t->Width <= 1) {
                gone.push_back(std::move(t));
                continue;
            }
            --t->Width;
        }
        kept.push_back(std::move(t));
    }
    titles = std::move(kept);
    return gone;
}

void clsTitleGrid::InsertColumn(Titles& titles, qint32 k)
{
    for (auto& t : titles) {
        if (t->left >= k)
            ++t->left;
        else if (Right(*t) >= k)
            ++t->Width;
    }
}

void clsTitleGrid::InsertRow(Titles& titles, qint32 row)
{
    for (auto& t : titles) {
        if (t->top >= row)
            ++t->top;
        else if (Bottom(*t) >= row)
            ++t->Height;
    }
}

void clsTitleGrid::RemoveEmptyRows(Titles& titles)
{
    // A grid deeper than five rows came from stored data as it is; it is left alone.
    const qint32 depth = Depth(titles);
    if (depth > MaxRows)
        return;
    for (qint32 row = depth; row >= 1; --row) {
        const bool used = std::any_of(titles.begin(), titles.end(),
                                      [&](const auto& t) { return row >= t->top && row <= Bottom(*t); });
        if (used)
            continue;
        for (auto& t : titles)
            if (t->top > row)
                --t->top;
    }
}

QString clsTitleGrid::UniqueName(const Titles& titles, const QString& wanted)
{
    QSet<QString> taken;
    for (const auto& t : titles)
        taken.insert(t->name.trimmed().toLower());
    const QString base = wanted.trimmed();
    if (!taken.contains(base.toLower()))
        return base;
    for (qint64 k = 1;; ++k) {
        const QString candidate = base + QString::number(k);
        if (!taken.contains(candidate.toLower()))
            return candidate;
    }
}

clsTitle* clsTitleGrid::EnsureOwnTitle(Titles& titles, qint32 k, const QString& name, bool visible)
{
    if (clsTitle* own = OwnTitle(titles, k))
        return own;
    const qint32 depth = std::max<qint32>(Depth(titles), 1);
    // The rows above the last one that nothing covers in this column: below the lowest
    // title over it (stored grids may be of any depth, so the titles are walked, not the rows).
    qint64 top = 1;
    for (const auto& t : titles)
        if (t->left <= k && Right(*t) >= k && t->Height > 0 && Bottom(*t) < depth)
            top = std::max(top, Bottom(*t) + 1);
    if (At(titles, depth, k))
        return nullptr;   // the last row is taken by a span: the column cannot have its own title
    auto title = std::make_unique<clsTitle>();
    title->name = UniqueName(titles, name);
    title->nameForeign = name.trimmed();
    title->top = qint32(top);
    title->Height = qint32(depth - top + 1);
    title->left = k;
    title->Width = 1;
    title->Col = k;
    title->blnVisible = visible;
    titles.push_back(std::move(title));
    return titles.back().get();
}
