#pragma once
#include "clsPrompt.h"
#include <QString>
#include <QStringList>
#include <QVariant>
#include <utility>

class clsDocument;
class clsConnection;
class clsRangeManager;
class clsLabelManager;
class clsFieldsManager;
class clsFunctionManager;
class clsExpressionManager;
class clsPropertysManager;
class clsCanvasScene;

// The one open document; every new clsDocument points it at itself.
extern clsDocument* g_objDocument;
// Set by the host through clsDocument::RunMode: errors stay silent and a missing
// report or column list does not stop the open.
extern bool g_blnRunMode;

QString AddBackslash(const QString& path);
QString CutAtNul(const QString& text);

// Folder of the help file. Read from the settings key of the suite's installation,
// overridden by the environment variable QXRF_HELP_PATH (a folder that holds the file).
QString GetHelpPath();
// The help file set by the last successful open; F1 and the Help menu open it.
QString ApplicationHelpFile();
void SetApplicationHelpFile(const QString& path);

// True when the connection is an account database of the older kind (fst00000 answers,
// accinformation does not). The database is only asked whether it takes each query
// (clsConnection::Takes), the second only when it takes the first; never an error.
bool ProbeAccountDatabase(clsConnection* conn);
// The two queries it asks about, in order.
const QStringList& AccountProbes();

qint32 MmToTwips(qint32 mm);          // mm * 56; overflow raises std::overflow_error
qint32 TwipsToMm(qint32 twips);       // twips / 56, halves to the even number
qint32 RoundHalfEven(double value);
// A 64-bit sum of twips brought back into 32 bits, saturating instead of wrapping.
qint32 Clamp32(qint64 value);

// Conversions of stored or typed values, as the suite's runtime does them.
// Empty text and Null give 0; text that is not a number raises clsDatabaseError.
qint32 CLng(const QVariant& value);
double CDbl(const QVariant& value);
bool CBool(const QVariant& value);
// A value's type without a call into Qt: opening and snapshotting a format ask it of
// every value, and QVariant::typeId() is not inlined.
inline int TypeIdOf(const QVariant& value)
{
    return value.data_ptr().typeId();
}
// A value made in its slot. An empty QVariant owns nothing, so when the slot is empty
// (every slot of a row just made) the value is built there instead of being built
// aside, swapped in and the empty one destroyed; a text is moved in, not shared.
inline bool IsEmptySlot(const QVariant& slot)
{
    return TypeIdOf(slot) == QMetaType::UnknownType && !slot.data_ptr().is_shared;
}
inline void PutValue(QVariant& slot, qlonglong value)
{
    if (IsEmptySlot(slot))
        new (&slot) QVariant(value);
    else
        slot = QVariant(value);
}
inline void PutValue(QVariant& slot, QString&& value)
{
    if (!IsEmptySlot(slot)) {
        slot = QVariant(std::move(value));
        return;
    }
    new (&slot) QVariant(QString());
    static_cast<QString*>(const_cast<void*>(slot.constData()))->swap(value);
}
// Lenient forms for typed input: `ok` tells whether the text was a number.
qint32 ToLong(const QString& text, bool* ok = nullptr);

// Names, keys, kinds and captions are compared without regard to letter case.
bool SameText(const QString& a, const QString& b);
// A name that trimming and any change of case leave as it is (Chinese ideographs and
// ASCII other than capitals, no space at either end): its own lookup key.
bool IsPlainName(const QString& name);

// The one routine that prepares a text for SQL: doubles every single quote.
// The caller puts the surrounding quotes, so the statement texts read as written.
QString SqlQuote(const QString& text);

// The title every message of the component carries.
QString MessageTitle();

// Beep, then a message box (exclamation, OK, title "格式" unless given).
void ShowMessage(const QString& text, PromptIcon icon = PromptIcon::Exclamation,
                 const QString& title = QString());
// Beep, then a Yes/No question with a question icon; True for Yes.
bool AskYesNo(const QString& text, const QString& title = QString());
// The same with 取消 as a third answer.
PromptAnswer AskYesNoCancel(const QString& text, const QString& title = QString());

// The error convention: silent in RunMode; otherwise the description, CR LF and
// "错误位于模块：" + module + "." + routine, titled "格式".
void ReportError(const QString& description, const QString& module, const QString& routine = QString(),
                 PromptIcon icon = PromptIcon::Exclamation);
// Same, for an exception caught by a routine's handler.
void ReportException(const std::exception& error, const QString& module, const QString& routine = QString(),
                     PromptIcon icon = PromptIcon::Exclamation);

// The open document's connection, managers and canvas, or nullptr when there is no
// document or it has none.
clsConnection* DocumentConnection();
clsRangeManager* DocumentRanges();
clsLabelManager* DocumentLabels();
clsFieldsManager* DocumentFields();
clsFunctionManager* DocumentFunctions();
clsExpressionManager* DocumentExpressions();
clsPropertysManager* DocumentPropertys();
clsCanvasScene* DocumentScene();

// Marks the open document changed; every accepted edit calls it. It also marks the
// canvas for a new layout pass.
void MarkDocChanged();
// Closes the undo step of a user gesture on the open document, named by what the
// gesture did ("移动标签"); nothing is recorded when the format did not change.
bool CommitDocumentStep(const QString& text);
// The canvas no longer shows the records (a selection changed): lay it out again before
// it is next read.
void MarkLayoutDirty();
// Runs the layout pass when the canvas is out of date. Whatever reads positions the
// layout gives (range tops, drawn boxes, the canvas itself) calls this first.
void EnsureDocumentLayout();
