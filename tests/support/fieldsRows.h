#pragma once
// Row writers and snapshots shared by the column, title and group/sum tests (the stored
// rows themselves compare through clsTestDatabase::Dump).
#include "columns/clsFieldsManager.h"
#include "document/clsConnection.h"
#include "document/clsDocument.h"
#include "document/modPublicDefine.h"
#include <QStringList>
#include <QtTest>
#include <algorithm>

namespace fieldsRows {

struct ColRow
{
    QString name;
    qint32 order = 1;
    QString field = QStringLiteral("f");
    qint32 width = 1000;
    qint32 dtype = 0;
    QString note;
    QString condition;
    qint32 topEx = 0;
    qint32 visible = -1;
    QString format;
    qint32 align = 0;
    qint32 height = 320;
};

inline void InsertCol(clsConnection& c, qint32 id, const ColRow& r)
{
    c.Execute(QStringLiteral("Insert into Rpt_FldDEF (ID,Name,ModeEx,OrderEx,Expression,iColSize,FormatEx,iAlignStyle,"
                             "Visible,Note,Condition,iSize,TopEx,Height) values (%1,'%2',0,%3,'%4',%5,'%6',%7,%8,'%9','%10',"
                             "%11,%12,%13)")
                  .arg(id).arg(SqlQuote(r.name)).arg(r.order).arg(SqlQuote(r.field)).arg(r.width).arg(SqlQuote(r.format))
                  .arg(r.align).arg(r.visible).arg(SqlQuote(r.note), SqlQuote(r.condition)).arg(r.dtype).arg(r.topEx)
                  .arg(r.height));
}

inline ColRow Col(const QString& name, qint32 order, qint32 topEx = 0, const QString& field = QStringLiteral("f"))
{
    ColRow r;
    std::tie(r.name, r.order, r.topEx, r.field) = std::tie(name, order, topEx, field);
    return r;
}

inline void InsertCol(clsConnection& c, qint32 id, const QString& name, qint32 order, qint32 width = 1000)
{
    ColRow r = Col(name, order, 0, QStringLiteral("fld_") + name);
    r.width = width;
    InsertCol(c, id, r);
}

inline void InsertTitle(clsConnection& c, qint32 id, const QString& name, const QString& foreign, qint32 top,
                        qint32 left, qint32 width, qint32 height, qint32 visible = 1)
{
    c.Execute(QStringLiteral("Insert into Rpt_FldDEF (ID,Name,nameForeign,ModeEx,TopEx,LeftEx,Width,Height,Visible) "
                             "values (%1,'%2','%3',5,%4,%5,%6,%7,%8)")
                  .arg(id).arg(SqlQuote(name), SqlQuote(foreign)).arg(top).arg(left).arg(width).arg(height).arg(visible));
}

inline void InsertGroup(clsConnection& c, qint32 id, const QString& name, qint32 order, qint32 account)
{
    c.Execute(QStringLiteral("Insert into Rpt_FldDEF (ID,Name,nameForeign,ModeEx,OrderEx,iSize) values (%1,'%2','%2',3,%3,%4)")
                  .arg(id).arg(SqlQuote(name)).arg(order).arg(account));
}

inline void InsertSum(clsConnection& c, qint32 id, const QString& name, qint32 sum)
{
    c.Execute(QStringLiteral("Insert into Rpt_FldDEF (ID,Name,nameForeign,ModeEx,OrderEx) values (%1,'%2','',4,%3)")
                  .arg(id).arg(SqlQuote(name)).arg(sum));
}

inline void InsertHelpId(clsConnection& c, qint32 id, qint32 helpId)
{
    c.Execute(QStringLiteral("Insert into Rpt_FldDEF (ID,ModeEx,OrderEx) values (%1,22,%2)").arg(id).arg(helpId));
}

// What a load gives, as comparable text: the persistent fields of columns in list
// order and of titles sorted by name (created titles come back as stored rows).
inline QStringList Snapshot(const clsFieldsManager& fm)
{
    QStringList out;
    for (const auto& c : fm.Cols)
        out << QStringLiteral("C|%1|%2|%3|%4|%5|%6|%7|%8|%9|%10|%11|%12|%13|%14|%15|%16|%17|%18")
                   .arg(c->name, c->Caption, c->StrCondition, c->Expression, c->StrFormat, c->strnote)
                   .arg(c->Col).arg(c->Dtype).arg(c->Width).arg(c->Height).arg(c->AlignStyle).arg(c->TpyGroup)
                   .arg(c->lngSum).arg(c->blnVisible).arg(c->BlnGroupSum).arg(c->BlnGroupAccount)
                   .arg(c->BlnEnable).arg(c->blnNumber);
    QStringList titles;
    for (const auto& t : fm.Titles)
        titles << QStringLiteral("T|%1|%2|%3|%4|%5|%6|%7|%8|%9")
                      .arg(t->name, t->nameForeign)
                      .arg(t->top).arg(t->left).arg(t->Width).arg(t->Height).arg(t->Col).arg(t->cx).arg(t->blnVisible);
    titles.sort();
    out << titles << QStringLiteral("H|%1").arg(fm.ReportHelpID());
    return out;
}

// A document whose connection is the test database; managers are tested on their own.
struct Doc
{
    explicit Doc(clsConnection& c) { doc.m_AdoConn = &c; }
    clsDocument doc;
};

inline void Load(clsFieldsManager& fm, qint32 id, bool expectOk = true)
{
    bool ok = !expectOk;
    fm.LoadAllObjects(id, ok);
    QCOMPARE(ok, expectOk);
}

}  // namespace fieldsRows
