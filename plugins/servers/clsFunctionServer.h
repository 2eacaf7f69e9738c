#pragma once
#include "document/clsOutsideObject.h"
#include <QString>
#include <QStringList>
#include <QVector>

// One function server of the suite: the functions of one class, given as the form texts
// the designer reads ("取科目期初余额|QC(<科目编码>,[<会计期间>],[〈币种〉])"), and the three
// members the designer calls (srvCount, srvItemForm, srvcheck). Every argument is
// checked by the kind its parameter name stands for (account code, period, date...).
class clsFunctionServer : public clsOutsideObject
{
public:
    // srvcheck answers: 0 valid; otherwise why the formula is refused.
    enum CheckResult { CheckOk = 0, UnknownFunction = 1, WrongArgumentCount = 2, BadArgument = 3 };

    // What an argument must look like, decided by the parameter's name.
    enum class ArgKind { Text, AccountCode, Period, Year, Date, Digits, Code, Currency, Days };

    struct Parameter
    {
        QString name;
        bool required = true;
        ArgKind kind = ArgKind::Text;
    };
    struct Function
    {
        QString define;  // what the user reads in the picker
        QString name;    // what the user writes in a formula
        QVector<Parameter> params;
    };

    // `linePerArgument`: the designer sends one argument per line, blanks kept and
    // omitted ones as empty lines (the ledger); otherwise blanks separate arguments too.
    clsFunctionServer(const QStringList& forms, bool linePerArgument);

    QVariant Invoke(const QString& member, QVariantList& args) override;

    int Count() const { return int(m_forms.size()); }
    QString ItemForm(int index) const { return m_forms.at(index); }
    const QVector<Function>& Functions() const { return m_functions; }
    // Checks the text the designer sends: the function name on the first line, then the
    // arguments. `why` receives a description of a refusal.
    int Check(const QString& text, QString& why) const;

    static ArgKind KindOf(const QString& parameterName);
    static bool Accepts(ArgKind kind, const QString& value);

private:
    QStringList Arguments(const QStringList& lines) const;

    QStringList m_forms;
    QVector<Function> m_functions;
    bool m_linePerArgument;
};
