#pragma once
#include <QString>
#include <memory>
#include <vector>

class clsConnection;
class clsDocument;

// Runs stored formats through the checks a save and the editors run, without showing
// anything: each report is opened unseen and laid out as the designer would, then the
// column check and the title levels of the save, the expression and formula checks,
// the name rules, the ranges labels may sit in and the overlaps of labels and titles
// are applied to every object. What a check would have told the user becomes one
// problem, in the words of that message.
class clsFormatCheck
{
public:
    struct Problem
    {
        QString Report;   // "GL/科目余额表"
        QString Object;   // the kind word and the name, "标签 页码"; "报表" for the whole format
        QString Text;     // the message, on one line
    };
    enum class Outcome
    {
        Checked,
        NoColumns,   // the column list has not been analysed: there is nothing to check yet
        NotFound,
    };

    explicit clsFormatCheck(clsConnection& conn);
    ~clsFormatCheck();
    clsFormatCheck(const clsFormatCheck&) = delete;
    clsFormatCheck& operator=(const clsFormatCheck&) = delete;

    // Appends the problems of one stored report. Reads only.
    Outcome CheckReport(qint32 id, std::vector<Problem>& problems);

    // "report<TAB>object<TAB>problem".
    static QString Line(const Problem& problem);

private:
    class Session;
    void CheckOpenFormat(const QString& report, Session& session, std::vector<Problem>& problems);

    clsConnection& m_conn;
    std::unique_ptr<clsDocument> m_doc;
};
