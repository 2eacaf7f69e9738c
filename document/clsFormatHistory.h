#pragma once
#include "clsFormatSnapshot.h"
#include <QString>
#include <functional>
#include <memory>

class QUndoStack;

// The undo history of one open format. Each step is what one user gesture changed,
// kept as the rows that differ between the format before and after it (the stretch
// from the first changed row to the last, compressed), so a step that moves one label
// costs a few hundred bytes whatever the size of the report. The history keeps one
// whole snapshot, the format as of the stack's current index; undoing or redoing a
// step rebuilds the neighbouring snapshot from it.
//
// The stack is exposed for its texts and clean state only: steps are recorded, undone
// and redone through this class, which keeps Recorded() in step with the stack.
class clsFormatHistory
{
public:
    clsFormatHistory();
    ~clsFormatHistory();
    clsFormatHistory(const clsFormatHistory&) = delete;
    clsFormatHistory& operator=(const clsFormatHistory&) = delete;

    QUndoStack* Stack() const { return m_stack.get(); }

    // Starts over from `opened`: no steps, and that format counts as saved.
    void Reset(clsFormatSnapshot opened);
    // The same, with the opened format made by `opened` when it is first needed (the
    // first step, or Recorded()), on the thread that needs it. `opened` must make the
    // same format whenever it is called: the caller keeps what it is made from.
    void ResetLater(std::function<clsFormatSnapshot()> opened);
    // The format as of the current step.
    const clsFormatSnapshot& Recorded() const;
    // Records the change from Recorded() to `now` as one step named `text`. Nothing
    // happens when the two are equal; answers whether a step was recorded.
    bool Record(clsFormatSnapshot now, const QString& text);

    // One step back or forward; Recorded() then holds the format to put in place.
    bool Undo();
    bool Redo();
    bool CanUndo() const;
    bool CanRedo() const;
    QString UndoText() const;
    QString RedoText() const;
    int Count() const;

    // The current step is the saved format; a step away from it is an unsaved change.
    void MarkSaved();
    bool AtSaved() const;

    // Bytes the recorded steps hold (not counting Recorded() itself).
    qint64 StepBytes() const;

    // Steps kept before the oldest are dropped (0 keeps all); applies from the next Reset.
    static void SetStepLimit(int steps);
    static int StepLimit();

private:
    void Settle() const;

    std::unique_ptr<QUndoStack> m_stack;
    // Made on first need while m_opening is set (only before the first step).
    mutable clsFormatSnapshot m_recorded;
    mutable std::function<clsFormatSnapshot()> m_opening;
};
