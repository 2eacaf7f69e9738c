#pragma once
#include "document/clsOutsideObject.h"
#include <QString>
#include <QStringList>
#include <QVector>

// Common ground of the suite's function servers: a list of functions with their
// parameters, the three members the report designer calls (srvCount, srvItemForm,
// srvcheck) and the argument-count check every server makes.
class clsFunctionServer : public clsOutsideObject
{
public:
    // srvcheck answers: 0 valid; otherwise why the formula is refused.
    enum CheckResult { CheckOk = 0, UnknownFunction = 1, WrongArgumentCount = 2, BadArgument = 3 };

    struct Parameter
    {
        QString name;
        bool required = true;
        bool fullWidth = false;  // written 〈name〉 instead of <name>
    };
    struct Function
    {
        QString define;  // what the user reads in the picker
        QString name;    // what the user writes in a formula
        QVector<Parameter> params;
    };

    QVariant Invoke(const QString& member, QVariantList& args) override;

    int Count() const { return int(m_functions.size()); }
    // "定义|NAME(<a>,[<b>],〈c〉)"
    QString ItemForm(int index) const;
    // Checks the text the designer sends: the function name on the first line, then one
    // argument per line. `why` receives a description of a refusal.
    int Check(const QString& text, QString& why) const;

protected:
    void AddFunction(const QString& define, const QString& name, const QVector<Parameter>& params);
    // The arguments as this server receives them (lines after the name).
    virtual QStringList Arguments(const QStringList& lines) const;
    // 0 when `value` suits the parameter; the caller has already skipped omitted ones.
    virtual int CheckArgument(const Function& function, const Parameter& param, const QString& value,
                              QString& why) const;

    static bool IsDigits(const QString& value);
    static bool IsPeriod(const QString& value);

private:
    QVector<Function> m_functions;
};
