// The stand-in for the suite's query-definition component ("QXQueryDefine.clsQueryDefine"):
// DefineQuery(connection, text) shows the window and answers the composed SELECT text,
// or empty text when the user cancelled.
#include "frmQueryDefine.h"
#include "document/clsComponentRegistry.h"
#include "document/clsConnection.h"
#include <QApplication>

namespace {
class clsQueryDefine : public clsOutsideObject
{
public:
    QVariant Invoke(const QString& member, QVariantList& args) override
    {
        if (member.compare(QLatin1String("DefineQuery"), Qt::CaseInsensitive) != 0)
            UnknownMember(member);
        clsConnection* conn = args.value(0).value<clsConnection*>();
        if (!conn)
            throw clsOutsideError(clsConnection::ClosedText());
        if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
            return QString();
        frmQueryDefine window(conn, args.value(1).toString(), QApplication::activeWindow());
        if (window.exec() != QDialog::Accepted)
            return QString();
        return window.SqlText();
    }
};
}

void RegisterQueryDefineComponent()
{
    clsComponentRegistry::Register(QStringLiteral("QXQueryDefine.clsQueryDefine"),
                                   [] { return std::make_unique<clsQueryDefine>(); });
}
