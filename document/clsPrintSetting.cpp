#include "clsPrintSetting.h"

namespace {
struct Paper
{
    qint32 id;
    QString name;
    qint32 first;
    qint32 second;
};

// Inch sizes are converted at 25.4 mm, rounded half to even.
const Paper* Papers()
{
    static const Paper papers[clsPrintSetting::PaperCount] = {
    {1, QStringLiteral("信笺， 8 1/2 x 11 英寸"), 216, 279},
    {2, QStringLiteral("小型信笺， 8 1/2 x 11 英寸"), 216, 279},
    {3, QStringLiteral("小型报， 11 x 17 英寸"), 279, 432},
    {4, QStringLiteral("分类帐， 17 x 11 英寸"), 432, 279},
    {5, QStringLiteral("法律文件， 8 1/2 x 14 英寸"), 216, 356},
    {6, QStringLiteral("声明书，5 1/2 x 8 1/2 英寸"), 140, 216},
    {7, QStringLiteral("行政文件，7 1/2 x 10 1/2 英寸"), 190, 267},
    {8, QStringLiteral("A3, 297 x 420 毫米"), 297, 420},
    {9, QStringLiteral("A4, 210 x 297 毫米"), 210, 297},
    {10, QStringLiteral("A4小号， 210 x 297 毫米"), 210, 297},
    {11, QStringLiteral("A5, 148 x 210 毫米"), 148, 210},
    {12, QStringLiteral("B4, 250 x 354 毫米"), 250, 354},
    {13, QStringLiteral("B5, 182 x 257 毫米"), 182, 257},
    {14, QStringLiteral("对开本， 8 1/2 x 13 英寸"), 216, 330},
    {15, QStringLiteral("四开本， 215 x 275 毫米"), 215, 275},
    {16, QStringLiteral("10 x 14 英寸"), 254, 356},
    {17, QStringLiteral("11 x 17 英寸"), 279, 432},
    {18, QStringLiteral("便条，8 1/2 x 11 英寸"), 216, 279},
    {19, QStringLiteral("信封， 3 7/8 x 8 7/8 英寸"), 98, 225},
    {20, QStringLiteral("信封， 4 1/8 x 9 1/2 英寸"), 105, 241},
    {21, QStringLiteral("信封， 4 1/2 x 10 3/8 英寸"), 114, 264},
    {22, QStringLiteral("信封， 4 1/2 x 11 英寸"), 114, 279},
    {23, QStringLiteral("信封， 5 x 11 1/2 英寸"), 127, 292},
    {24, QStringLiteral("24 C 尺寸工作单"), 100, 150},
    {25, QStringLiteral("25 D 尺寸工作单"), 100, 150},
    {26, QStringLiteral("26 E 尺寸工作单"), 100, 150},
    {27, QStringLiteral("型信封， 110 x 220 毫米"), 110, 220},
    {28, QStringLiteral("C3 型信封， 324 x 458 毫米"), 324, 458},
    {29, QStringLiteral("C4 型信封， 229 x 324 毫米"), 229, 324},
    {30, QStringLiteral("C5 型信封， 162 x 229 毫米"), 162, 229},
    {31, QStringLiteral("C6 型信封， 114 x 162 毫米"), 114, 162},
    {32, QStringLiteral("C65 型信封，114 x 229 毫米"), 114, 229},
    {33, QStringLiteral("B4 型信封， 250 x 353 毫米"), 250, 353},
    {34, QStringLiteral("B5 型信封，176 x 250 毫米"), 176, 250},
    {35, QStringLiteral("B6 型信封， 176 x 125 毫米"), 176, 125},
    {36, QStringLiteral("信封， 110 x 230 毫米"), 110, 230},
    {37, QStringLiteral("信封大王， 3 7/8 x 7 1/2 英寸"), 98, 190},
    {38, QStringLiteral("信封， 3 5/8 x 6 1/2 英寸"), 92, 165},
    {39, QStringLiteral("U.S. 标准复写簿， 14 7/8 x 11 英寸"), 378, 279},
    {40, QStringLiteral("德国标准复写簿， 8 1/2 x 12 英寸"), 216, 305},
    {41, QStringLiteral("41 德国法律复写簿， 8 1/2 x 13 英寸"), 216, 330},
    };
    return papers;
}

std::function<QString()>& Provider()
{
    static std::function<QString()> provider;
    return provider;
}
}

clsPrintSetting::clsPrintSetting()
{
    ResetDefaults();
    StrPrintDrive = DefaultPrinterName();
}

clsPrintSetting::~clsPrintSetting()
{
    ResetDefaults();
    StrPrintDrive.clear();
}

void clsPrintSetting::ResetDefaults()
{
    LngPaperType = 9;
    LngOrientation = 1;
    LngPrintLeft = 180;
    LngPrintTop = 200;
    LngPrintButton = 180;
    LngPrintRight = 180;
    blnListFrame = true;
}

bool clsPrintSetting::EnumPapers(qint32& lngSize, QString& StrName, bool blnClear)
{
    if (blnClear)
        m_intPaperCursor = 0;
    if (m_intPaperCursor < PaperCount) {
        lngSize = Papers()[m_intPaperCursor].id;
        StrName = Papers()[m_intPaperCursor].name;
        ++m_intPaperCursor;
    }
    if (m_intPaperCursor >= PaperCount) {
        m_intPaperCursor = 0;
        return false;
    }
    return true;
}

void clsPrintSetting::GetPaperSize(qint32 lngID, qint32& lngwidth, qint32& lngheight) const
{
    for (int i = 0; i < PaperCount; ++i) {
        if (Papers()[i].id == lngID) {
            lngwidth = Papers()[i].second;
            lngheight = Papers()[i].first;
            return;
        }
    }
}

void clsPrintSetting::SetDefaultPrinterProvider(std::function<QString()> provider)
{
    Provider() = std::move(provider);
}

QString clsPrintSetting::DefaultPrinterName()
{
    return Provider() ? Provider()() : QString();
}

clsFormatRow clsPrintSetting::ToRow() const
{
    clsFormatRow row(FormatKind::Print);
    row.Set(FldColumn::Condition, StrPrintDrive)
        .Set(FldColumn::iSize, LngPaperType)
        .Set(FldColumn::OrderEx, LngOrientation)
        .Set(FldColumn::TopEx, LngPrintTop)
        .Set(FldColumn::LeftEx, LngPrintLeft)
        .Set(FldColumn::Width, LngPrintRight)
        .Set(FldColumn::Height, LngPrintButton)
        .Set(FldColumn::iColSize, blnListFrame ? 1 : 0);
    return row;
}

void clsPrintSetting::FromRow(const clsFormatRow& row)
{
    StrPrintDrive = row.Text(FldColumn::Condition);
    LngPaperType = row.Long(FldColumn::iSize);
    LngOrientation = row.Long(FldColumn::OrderEx);
    LngPrintTop = row.Long(FldColumn::TopEx);
    LngPrintLeft = row.Long(FldColumn::LeftEx);
    LngPrintRight = row.Long(FldColumn::Width);
    LngPrintButton = row.Long(FldColumn::Height);
    blnListFrame = row.Long(FldColumn::iColSize) == 1;
}
