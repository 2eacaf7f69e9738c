// The stand-in for the suite's filter-setting component ("QXVimbaReport.clsfilterInterface").
#include "frmFilterSetting.h"
#include "document/clsComponentRegistry.h"
#include "document/clsConnection.h"
#include "document/clsDatabaseError.h"
#include "document/modPublicDefine.h"
#include <QApplication>

namespace {
class clsFilterComponent : public clsOutsideObject
{
public:
    QVariant Invoke(const QString& member, QVariantList& args) override
    {
        if (member.compare(QLatin1String("SetFilter"), Qt::CaseInsensitive) == 0)
            return SetFilter(args);
        if (member.compare(QLatin1String("DeleteFilter"), Qt::CaseInsensitive) == 0)
            return QVariant();  // the window is gone by now; nothing is kept between calls
        UnknownMember(member);
    }

private:
    QVariant SetFilter(QVariantList& args)
    {
        const QString reportName = args.value(0).toString();
        const QString systemId = args.value(1).toString();
        clsConnection* conn = args.value(2).value<clsConnection*>();
        if (!conn)
            throw clsOutsideError(clsConnection::ClosedText());
        qint32 id = -1;
        try {
            clsRecordset rs = conn->Open(QStringLiteral("Select ID From Rpt_GlbDEF Where SystemID=? and Name=?"),
                                         {systemId, reportName});
            if (!rs.Eof())
                id = rs.Long(QStringLiteral("ID"));
        } catch (const clsDatabaseError& e) {
            throw clsOutsideError(e.Description());
        }
        if (id < 0)
            throw clsOutsideError(QStringLiteral("没有找到报表定义..."));
        if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
            return false;
        frmFilterSetting window(conn, id, reportName, QApplication::activeWindow());
        return window.exec() == QDialog::Accepted;
    }
};
}

void RegisterFilterComponent()
{
    clsComponentRegistry::Register(QStringLiteral("QXVimbaReport.clsfilterInterface"),
                                   [] { return std::make_unique<clsFilterComponent>(); });
}
