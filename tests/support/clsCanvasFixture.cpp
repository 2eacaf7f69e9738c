#include "clsCanvasFixture.h"
#include "ranges/clsRangeManager.h"

clsRepcol* clsCanvasFixture::AddCol(clsFieldsManager& f, const QString& name, qint32 width, const QString& field,
                                    bool enabled)
{
    auto c = std::make_unique<clsRepcol>();
    c->name = c->Caption = name;
    c->Width = width;
    c->Expression = field;
    c->BlnEnable = enabled;
    c->Col = enabled ? qint32(f.Cols.size()) + 1 : 0;
    f.Cols.push_back(std::move(c));
    return f.Cols.back().get();
}

clsTitle* clsCanvasFixture::AddTitle(clsFieldsManager& f, const QString& name, qint32 left)
{
    auto t = std::make_unique<clsTitle>();
    t->name = t->nameForeign = name;
    t->top = t->Width = t->Height = 1;
    t->left = left;
    t->blnVisible = true;
    f.Titles.push_back(std::move(t));
    return f.Titles.back().get();
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
    AddCol(f, QStringLiteral("a"), 1000, QStringLiteral("fa"));
    AddCol(f, QStringLiteral("b"), 1200, QStringLiteral("fb"));
    AddCol(f, QStringLiteral("c"), 800, QStringLiteral("fc"));
    AddTitle(f, QStringLiteral("ta"), 1);
    AddTitle(f, QStringLiteral("tb"), 2);
    AddTitle(f, QStringLiteral("tc"), 3);
    if (footerShown)
        doc.RangeManager()->SetRangeVisible(QStringLiteral("脚注区域"), true);
    doc.RangeManager()->DrawAllObjects();
    doc.SetDocChanged(false);
    doc.ResetHistory();   // as if opened so
    return f;
}
