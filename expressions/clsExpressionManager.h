#pragma once
#include <QHash>
#include <QSet>
#include <QString>
#include <QVector>

// Checks column and label expressions before they are stored. Nothing is evaluated:
// the text must be well formed and every column or label it names must exist.
class clsExpressionManager
{
public:
    bool CheckFieldExpression(const QString& text);
    bool CheckLabelExpression(const QString& text);

    // One token of an expression, as the scanner reads it.
    struct Token
    {
        enum Kind { Operator, Paren, Name };
        Kind kind = Name;
        QChar ch;          // the operator or parenthesis character
        QString text;      // the name or bare word (line breaks left out)
        int begin = 0;     // 0-based index of its first character
        int end = 0;       // 0-based index just after it
    };

    // Reads the next token from `pos`. Returns false at the end of the text (ok true)
    // or when a name or word cannot be read (ok false, failAt = where it began).
    static bool NextToken(const QString& text, int& pos, Token& token, bool& ok, int& failAt);
    // True when the operand reads as a number literal (and is therefore not looked up).
    static bool IsNumberOperand(const QString& operand);

private:
    enum class Target { Columns, Labels };

    void ClearWindow();
    // Shifts the class into the window; false when the window now holds a refused pair.
    bool PushClass(const QString& cls);

    bool SequenceTest(const QString& text);
    bool NameTest(const QString& text, Target target);
    bool ParenthesisCount(const QString& text);
    bool ForbiddenCharTest(const QString& text);
    bool FieldAssignmentTest(const QString& text);
    bool LabelAssignmentTest(const QString& text);

    // Case-insensitive sets of the document's columns and labels, built once per check,
    // so long expressions over wide reports are looked up in constant time per operand.
    bool PrepareColumns();
    bool PrepareLabels();
    bool ColumnExists(const QString& name) const;
    bool LabelExists(const QString& name) const;

    QString m_window[3];
    bool m_columnsReady = false;
    bool m_labelsReady = false;
    QHash<QString, qint32> m_columns;  // folded, trimmed name -> Col of its first column
    QSet<QString> m_labels;            // folded label names
};
