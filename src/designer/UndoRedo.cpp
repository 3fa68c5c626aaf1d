// Undo and redo of design edits: the design is taken as a snapshot after
// every completed user action (a mouse button or key let go, a drop) once
// no other dialog is open, and a snapshot is applied back on undo.
#include "designer/Frm_Quillary.h"
#include "designer/QBArea.h"
#include "designer/QuillaryDialog.h"
#include "query/DesignHistory.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QToolButton>

namespace quillary {

namespace {

// Sees every finished mouse and key action of the application while the
// form is shown, and asks the form for a snapshot afterwards.
class TEditWatcher : public QObject {
public:
    explicit TEditWatcher(TFrm_Quillary* form) : QObject(form), m_form(form) {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseButtonRelease:
        case QEvent::KeyRelease:
        case QEvent::Drop:
            if (m_form->isVisible()) m_form->ScheduleCheckpoint();
            break;
        default:
            break;
        }
        return false;
    }

private:
    TFrm_Quillary* m_form;
};

} // namespace

void TFrm_Quillary::CreateUndoRedo() {
    m_history = std::make_unique<TDesignHistory>();
    auto* undo = new QAction(this);
    undo->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Z)});
    auto* redo = new QAction(this);
    redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    for (QAction* a : {undo, redo})
        a->setShortcutContext(Qt::WindowShortcut);
    addAction(undo);
    addAction(redo);
    connect(undo, &QAction::triggered, this, &TFrm_Quillary::UndoClick);
    connect(redo, &QAction::triggered, this, &TFrm_Quillary::RedoClick);
    connect(TB_Undo, &QToolButton::clicked, this, &TFrm_Quillary::UndoClick);
    connect(TB_Redo, &QToolButton::clicked, this, &TFrm_Quillary::RedoClick);
    new TEditWatcher(this);
    UpdateUndoButtons();
}

void TFrm_Quillary::ScheduleCheckpoint(int delay) {
    if (m_checkpointPending) return;
    m_checkpointPending = true;
    QTimer::singleShot(delay, this, [this] {
        m_checkpointPending = false;
        // An edit in another dialog is finished only when that dialog is.
        const QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal != this) {
            ScheduleCheckpoint(100);
            return;
        }
        Checkpoint();
    });
}

void TFrm_Quillary::Checkpoint() {
    if (m_restoringHistory || m_history->IsEmpty()) return;
    m_history->Record(ReadDesign());
    UpdateUndoButtons();
}

void TFrm_Quillary::ClearHistory() {
    m_history->Reset(ReadDesign());
    UpdateUndoButtons();
}

void TFrm_Quillary::UndoClick() {
    Checkpoint(); // an edit not yet taken is undone first
    if (!m_history->CanUndo()) return;
    RestoreSnapshot(m_history->Undo());
}

void TFrm_Quillary::RedoClick() {
    if (!m_history->CanRedo()) return;
    RestoreSnapshot(m_history->Redo());
}

bool TFrm_Quillary::CanUndo() const {
    return m_history->CanUndo();
}

bool TFrm_Quillary::CanRedo() const {
    return m_history->CanRedo();
}

void TFrm_Quillary::RestoreSnapshot(const QueryDesign& design) {
    m_restoringHistory = true;
    ApplyDesign(design);
    m_restoringHistory = false;
    UpdateUndoButtons();
}

void TFrm_Quillary::ArrangeClick() {
    m_canvas->Arrange();
    Checkpoint();
}

void TFrm_Quillary::AutoArrange() {
    if (m_dialog->IsAutoArrange && !m_restoringHistory) m_canvas->Arrange();
}

void TFrm_Quillary::UpdateUndoButtons() {
    TB_Undo->setEnabled(m_history->CanUndo());
    TB_Redo->setEnabled(m_history->CanRedo());
}

} // namespace quillary
