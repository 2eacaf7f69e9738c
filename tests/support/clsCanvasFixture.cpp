#include "clsCanvasFixture.h"
#include "ranges/clsRangeManager.h"

clsRepcol* clsCanvasFixture::AddCol(clsFieldsManager& f, const QString& name, qint32 width, bool enabled, bool visible,
                                    qint32 group)
{
    auto c = std::make_unique<clsRepcol>();
    c->name = c->Caption = name;
    std::tie(c->Width, c->BlnEnable, c->blnVisible, c->TpyGroup) = std::tuple(width, enabled, visible, group);
    const auto number = std::count_if(f.Cols.begin(), f.Cols.end(), [](const auto& col) { return col->BlnEnable; });
    c->Col = enabled ? qint32(number) + 1 : 0;
    return f.Cols.emplace_back(std::move(c)).get();
}

clsTitle* clsCanvasFixture::AddTitle(clsFieldsManager& f, const QString& name, qint32 left, qint32 top, qint32 width,
                                     qint32 height)
{
    auto t = std::make_unique<clsTitle>();
    t->name = t->nameForeign = name;
    std::tie(t->top, t->left, t->Width, t->Height) = std::tuple(top, left, width, height);
    t->blnVisible = true;
    return f.Titles.emplace_back(std::move(t)).get();
}

clsLabel* clsCanvasFixture::AddLabel(clsLabelManager& m, const QString& name, const QString& range, qint32 left,
                                     qint32 top)
{
    auto l = std::make_unique<clsLabel>();
    l->StrName = name;
    l->strRang = range;
    std::tie(l->left, l->top, l->Width, l->Height) = std::tuple(left, top, 1000, 300);
    return m.Labels.emplace_back(std::move(l)).get();
}

void clsCanvasFixture::OpenHeadless(clsDocument& doc, clsConnection* conn)
{
    doc.SetRunMode(true);
    doc.OpenDocument(conn, QStringLiteral("某报表"), QStringLiteral("GL"), QStringLiteral("op"));
    doc.SetRunMode(false);
    doc.SetDocChanged(false);
}

clsFieldsManager& clsCanvasFixture::OpenLaidOut(clsDocument& doc, bool footerShown)
{
    OpenHeadless(doc);
    clsFieldsManager& f = *doc.FieldsManager();
    f.Cols.clear();
    f.Titles.clear();
    const std::pair<QString, qint32> cols[] = {{QStringLiteral("a"), 1000}, {QStringLiteral("b"), 1200}, {QStringLiteral("c"), 800}};
    for (const auto& [name, width] : cols) {
        AddCol(f, name, width)->Expression = QLatin1Char('f') + name;
        AddTitle(f, QLatin1Char('t') + name, f.Cols.back()->Col);
    }
    if (footerShown)
        doc.RangeManager()->SetRangeVisible(QStringLiteral("脚注区域"), true);
    doc.RangeManager()->DrawAllObjects();
    doc.SetDocChanged(false);
    doc.ResetHistory();   // as if opened so
    return f;
}
