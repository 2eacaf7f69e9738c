#include "clsFormatHistory.h"
#include <QDataStream>
#include <QIODevice>
#include <QUndoCommand>
#include <QUndoStack>
#include <algorithm>
#include <utility>

namespace {
int& Limit()
{
    static int steps = 500;
    return steps;
}

// Rows as bytes: the values keep their types (whole numbers, texts, Null), so decoded
// rows compare equal to the rows encoded.
QByteArray Encode(std::vector<clsFormatRow>::const_iterator from, std::vector<clsFormatRow>::const_iterator to)
{
    if (from == to)
        return QByteArray();
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    out << quint32(to - from);
    for (auto it = from; it != to; ++it) {
        out << it->ModeEx;
        for (const QVariant& v : it->values)
            out << v;
    }
    return qCompress(bytes);
}

std::vector<clsFormatRow> Decode(const QByteArray& packed)
{
    std::vector<clsFormatRow> rows;
    if (packed.isEmpty())
        return rows;
    const QByteArray bytes = qUncompress(packed);
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_6_0);
    quint32 count = 0;
    in >> count;
    rows.resize(count);
    for (clsFormatRow& r : rows) {
        in >> r.ModeEx;
        for (QVariant& v : r.values)
            in >> v;
    }
    return rows;
}

// One step: rows [at, at + before count) of the format before it are replaced by the
// rows after it. Undo and redo edit the history's snapshot in place.
class clsFormatStep : public QUndoCommand
{
public:
    clsFormatStep(clsFormatSnapshot& recorded, const QString& text, size_t at, size_t beforeCount, QByteArray before,
                  size_t afterCount, QByteArray after)
        : QUndoCommand(text), m_recorded(recorded), m_at(at), m_beforeCount(beforeCount), m_afterCount(afterCount),
          m_before(std::move(before)), m_after(std::move(after))
    {
    }
    void undo() override { Replace(m_afterCount, m_before); }
    void redo() override
    {
        // Pushed after the edit: the format already is as the step leaves it.
        if (m_pushed) {
            m_pushed = false;
            return;
        }
        Replace(m_beforeCount, m_after);
    }
    qint64 Bytes() const
    {
        return qint64(sizeof(*this)) + m_before.capacity() + m_after.capacity() + text().capacity() * 2;
    }

private:
    void Replace(size_t count, const QByteArray& rows)
    {
        std::vector<clsFormatRow>& all = m_recorded.Rows;
        const auto at = all.begin() + qsizetype(m_at);
        const auto next = all.erase(at, at + qsizetype(count));
        std::vector<clsFormatRow> in = Decode(rows);
        all.insert(next, std::make_move_iterator(in.begin()), std::make_move_iterator(in.end()));
    }

    clsFormatSnapshot& m_recorded;
    size_t m_at;
    size_t m_beforeCount;
    size_t m_afterCount;
    QByteArray m_before;
    QByteArray m_after;
    bool m_pushed = true;
};
}

clsFormatHistory::clsFormatHistory()
    : m_stack(std::make_unique<QUndoStack>())
{
}

clsFormatHistory::~clsFormatHistory() = default;

void clsFormatHistory::SetStepLimit(int steps)
{
    Limit() = std::max(steps, 0);
}

int clsFormatHistory::StepLimit()
{
    return Limit();
}

void clsFormatHistory::Reset(clsFormatSnapshot opened)
{
    m_stack->clear();
    m_stack->setUndoLimit(Limit());
    m_opening = nullptr;
    m_recorded = std::move(opened);
    m_stack->setClean();
}

void clsFormatHistory::ResetLater(std::function<clsFormatSnapshot()> opened)
{
    Reset(clsFormatSnapshot());
    m_opening = std::move(opened);
}

void clsFormatHistory::Settle() const
{
    if (!m_opening)
        return;
    // Taken out first: what it holds is let go once the format is made.
    const std::function<clsFormatSnapshot()> opening = std::exchange(m_opening, nullptr);
    m_recorded = opening();
}

const clsFormatSnapshot& clsFormatHistory::Recorded() const
{
    Settle();
    return m_recorded;
}

bool clsFormatHistory::Record(clsFormatSnapshot now, const QString& text)
{
    Settle();
    const std::vector<clsFormatRow>& before = m_recorded.Rows;
    const std::vector<clsFormatRow>& after = now.Rows;
    // The stretch that differs: everything between the common head and the common tail.
    size_t head = 0;
    while (head < before.size() && head < after.size() && before[head] == after[head])
        ++head;
    if (head == before.size() && head == after.size())
        return false;
    size_t tail = 0;
    while (tail < before.size() - head && tail < after.size() - head
           && before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    const size_t beforeCount = before.size() - head - tail;
    const size_t afterCount = after.size() - head - tail;
    QByteArray removed = Encode(before.begin() + qsizetype(head), before.begin() + qsizetype(head + beforeCount));
    QByteArray added = Encode(after.begin() + qsizetype(head), after.begin() + qsizetype(head + afterCount));
    m_recorded = std::move(now);
    m_stack->push(new clsFormatStep(m_recorded, text, head, beforeCount, std::move(removed), afterCount, std::move(added)));
    return true;
}

bool clsFormatHistory::Undo()
{
    if (!m_stack->canUndo())
        return false;
    m_stack->undo();
    return true;
}

bool clsFormatHistory::Redo()
{
    if (!m_stack->canRedo())
        return false;
    m_stack->redo();
    return true;
}

bool clsFormatHistory::CanUndo() const
{
    return m_stack->canUndo();
}

bool clsFormatHistory::CanRedo() const
{
    return m_stack->canRedo();
}

QString clsFormatHistory::UndoText() const
{
    return m_stack->undoText();
}

QString clsFormatHistory::RedoText() const
{
    return m_stack->redoText();
}

int clsFormatHistory::Count() const
{
    return m_stack->count();
}

void clsFormatHistory::MarkSaved()
{
    m_stack->setClean();
}

bool clsFormatHistory::AtSaved() const
{
    return m_stack->isClean();
}

qint64 clsFormatHistory::StepBytes() const
{
    qint64 bytes = 0;
    for (int i = 0; i < m_stack->count(); ++i)
        bytes += static_cast<const clsFormatStep*>(m_stack->command(i))->Bytes();
    return bytes;
}
