#include "clsReportFilter.h"
#include "clsComponentRegistry.h"
#include "clsConnection.h"
#include "clsDocument.h"
#include "modPublicDefine.h"

void clsReportFilter::OpenFilterSetting(bool& ok)
{
    try {
        std::unique_ptr<clsOutsideObject> filter = clsComponentRegistry::Create(ComponentId());
        const QString reportName = g_objDocument ? g_objDocument->m_strReportName : QString();
        const QString systemId = g_objDocument ? g_objDocument->m_strSystemID : QString();
        clsConnection* conn = DocumentConnection();
        // RunMode goes by reference: the component may change it, and we take it back.
        QVariantList args{reportName, systemId, QVariant::fromValue(conn), QVariant(), g_blnRunMode};
        filter->Invoke(QStringLiteral("SetFilter"), args);
        if (args.size() > 4)
            g_blnRunMode = args[4].toBool();
        QVariantList deleteArgs{reportName};
        filter->Invoke(QStringLiteral("DeleteFilter"), deleteArgs);
        filter.reset();
        ok = true;
    } catch (const clsOutsideError& e) {
        ReportError(e.Description(), QStringLiteral("clsReportFilter"));
    } catch (const std::exception& e) {
        ReportException(e, QStringLiteral("clsReportFilter"));
    }
}
