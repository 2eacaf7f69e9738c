#pragma once
#include <QString>

// The eight font properties a label carries and stores. A plain value: the windows
// turn it into a QFont when they paint, the model never needs one.
struct clsFont
{
    QString Name = QStringLiteral("宋体");
    double Size = 9;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool Strikethrough = false;
    qint16 Weight = 400;
    qint16 Charset = 134;

    bool operator==(const clsFont& o) const
    {
        return Name == o.Name && Size == o.Size && Bold == o.Bold && Italic == o.Italic
            && Underline == o.Underline && Strikethrough == o.Strikethrough
            && Weight == o.Weight && Charset == o.Charset;
    }
    bool operator!=(const clsFont& o) const { return !(*this == o); }
};
