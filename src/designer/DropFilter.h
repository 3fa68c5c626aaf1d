#pragma once
// Drops on a widget by the designer's own rules: a drag is taken only from
// the sources `over` accepts, and `drop` does what the drop means (Qt's own
// moving of items never happens).

#include <QDropEvent>
#include <QObject>
#include <QWidget>
#include <functional>

namespace quillary {

class TDropFilter : public QObject {
public:
    using TOver = std::function<bool(QObject* source)>;
    using TDrop = std::function<void(QObject* source, const QPoint& at)>;

    // Filters the drag events of `target`, and lives as long as it does.
    TDropFilter(QWidget* target, TOver over, TDrop drop)
        : QObject(target), m_over(std::move(over)), m_drop(std::move(drop)) {
        target->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* e = static_cast<QDropEvent*>(event);
            if (m_over(e->source()))
                e->acceptProposedAction();
            else
                e->ignore();
            return true;
        }
        case QEvent::Drop: {
            auto* e = static_cast<QDropEvent*>(event);
            if (m_over(e->source())) {
                e->setDropAction(Qt::CopyAction); // nothing for the source to remove
                e->accept();
                m_drop(e->source(), e->position().toPoint());
            }
            return true;
        }
        default:
            return false;
        }
    }

private:
    TOver m_over;
    TDrop m_drop;
};

} // namespace quillary
