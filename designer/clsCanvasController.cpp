#include "clsCanvasController.h"

clsCanvasController::clsCanvasController() = default;
clsCanvasController::~clsCanvasController() = default;

clsCanvasController::State clsCanvasController::StateOf(const QString&) { return State::None; }
void clsCanvasController::SetToolState(const QString&, qint32, qint32, qint32) {}
void clsCanvasController::EndToolState(qint32, qint32, bool) {}
void clsCanvasController::ClearToolState() { m_state = State::None; }
bool clsCanvasController::IsAdding() const { return false; }
bool clsCanvasController::IsState(const QString&) const { return false; }
bool clsCanvasController::Busy() const { return false; }
QString clsCanvasController::GetRangeAt(qint32, qint32) const { return QString(); }
void clsCanvasController::Press(CanvasTarget, const QString&, CanvasButton, qint32, qint32, CanvasModifiers) {}
void clsCanvasController::Move(CanvasTarget, qint32, qint32, CanvasModifiers) {}
void clsCanvasController::Release(CanvasTarget, qint32, qint32, CanvasModifiers) {}
void clsCanvasController::DropFields(const QStringList&, qint32, qint32) {}
void clsCanvasController::EndSelection() {}
void clsCanvasController::MoveSelection(qint32, qint32) {}
void clsCanvasController::ResizeSelection(qint32, qint32, qint32) {}
void clsCanvasController::DeleteSelection() {}
void clsCanvasController::CopyLabels() {}
void clsCanvasController::PasteLabels() {}
void clsCanvasController::Align(int) {}
void clsCanvasController::ToggleRange(const QString&, bool) {}
bool clsCanvasController::HandleKey(int, CanvasModifiers) { return false; }
QRect clsCanvasController::RubberBand() const { return QRect(); }
QPoint clsCanvasController::DragOffset() const { return QPoint(); }
qint32 clsCanvasController::DragLineY() const { return 0; }
int clsCanvasController::Cursor() const { return m_cursor; }
