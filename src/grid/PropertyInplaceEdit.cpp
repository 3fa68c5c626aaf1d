#include "grid/PropertyInplaceEdit.h"

#include "grid/CustomPrGrid.h"
#include "grid/StringGridEx.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QStyleHints>
#include <QStyleOption>
#include <algorithm>
#include <climits>

namespace quillary {

namespace {

Qt::KeyboardModifiers ShiftState(Qt::KeyboardModifiers mods) {
    return mods & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
}

qint64 MonotonicMs() {
    static QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    // Offset so that the first keystroke is never "within the pause" of 0.
    return timer.elapsed() + 1000000;
}

bool IsPrintable(QChar ch) {
    return ch.unicode() >= 32 && ch.unicode() != 127;
}

} // namespace

QString EditMaskToInputMask(const QString& mask) {
    if (mask.isEmpty()) return QString();
    // "mask;save-literals;blank": the mask ends at the first unescaped ';'.
    QString body;
    int i = 0;
    for (; i < mask.size(); ++i) {
        const QChar c = mask.at(i);
        if (c == QLatin1Char('\\') && i + 1 < mask.size()) {
            body += c;
            body += mask.at(++i);
            continue;
        }
        if (c == QLatin1Char(';')) break;
        body += c;
    }
    QChar blank = QLatin1Char('_');
    const QStringList rest = mask.mid(i + 1).split(QLatin1Char(';'));
    if (i < mask.size() && rest.size() >= 2 && !rest.at(1).isEmpty()) blank = rest.at(1).at(0);

    static const QString qtSpecial = QStringLiteral("AaNnXx90Dd#HhBb><!{}[]\\;");
    QString out;
    for (int k = 0; k < body.size(); ++k) {
        const QChar c = body.at(k);
        switch (c.unicode()) {
        case '!':
            break; // trimming of leading blanks: Qt has no such flag
        case '>':
            if (k + 1 < body.size() && body.at(k + 1) == QLatin1Char('<')) {
                out += QLatin1Char('!');
                ++k;
            } else {
                out += QLatin1Char('>');
            }
            break;
        case '<':
            out += QLatin1Char('<');
            break;
        case '\\':
            if (k + 1 < body.size()) {
                out += QLatin1Char('\\');
                out += body.at(++k);
            }
            break;
        case 'L':
            out += QLatin1Char('A');
            break;
        case 'l':
            out += QLatin1Char('a');
            break;
        case 'A':
            out += QLatin1Char('N');
            break;
        case 'a':
            out += QLatin1Char('n');
            break;
        case 'C':
            out += QLatin1Char('X');
            break;
        case 'c':
            out += QLatin1Char('x');
            break;
        case '0':
            out += QLatin1Char('9');
            break;
        case '9':
            out += QLatin1Char('0');
            break;
        case '#':
            out += QLatin1Char('#');
            break;
        case '_':
            out += QLatin1Char(' ');
            break;
        default:
            if (qtSpecial.contains(c)) out += QLatin1Char('\\');
            out += c;
            break;
        }
    }
    out += QLatin1Char(';');
    out += blank;
    return out;
}

// --- TPopupListbox ----------------------------------------------------------------

TPopupListbox::TPopupListbox(TPropertyInplaceEdit* Owner)
    : QListWidget(Owner), m_owner(Owner), m_clock(&MonotonicMs) {
    setWindowFlags(Qt::Popup | Qt::FramelessWindowHint);
    setFocusPolicy(Qt::NoFocus);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setViewportMargins(1, 1, 1, 1);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Base));
    setPalette(pal);
    viewport()->setMouseTracking(true);
    hide();
}

int TPopupListbox::ItemHeight() const {
    return std::max(11, fontMetrics().height());
}

void TPopupListbox::KeyPress(QChar& Key) {
    if (Key == QLatin1Char('\b') || Key == QLatin1Char('\x1b')) {
        m_searchText.clear();
    } else if (IsPrintable(Key)) {
        const qint64 now = m_clock();
        if (now - m_searchTickCount > SearchPause) m_searchText.clear();
        m_searchTickCount = now;
        if (m_searchText.size() < MaxSearchText) m_searchText += Key;
        for (int i = 0; i < count(); ++i) {
            if (item(i)->text().startsWith(m_searchText, Qt::CaseInsensitive)) {
                setCurrentRow(i);
                break;
            }
        }
        Key = QChar();
    }
}

void TPopupListbox::HandleKey(QKeyEvent* e) {
    const QString text = e->text();
    if (!text.isEmpty()) {
        QChar ch = text.at(0);
        KeyPress(ch);
        if (ch.isNull()) {
            e->accept();
            return;
        }
    }
    QListWidget::keyPressEvent(e);
}

void TPopupListbox::keyPressEvent(QKeyEvent* e) {
    int key = e->key();
    if (m_owner && m_owner->DoDropDownKeys(key, ShiftState(e->modifiers()))) {
        e->accept();
        return;
    }
    HandleKey(e);
}

bool TPopupListbox::event(QEvent* e) {
    // While the list is the active pop-up, presses outside it arrive here
    // rather than at the viewport.
    switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
        auto* me = static_cast<QMouseEvent*>(e);
        ListMouse(me, viewport()->mapFrom(this, me->position().toPoint()));
        return true;
    }
    default:
        break;
    }
    return QListWidget::event(e);
}

bool TPopupListbox::viewportEvent(QEvent* e) {
    switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
        auto* me = static_cast<QMouseEvent*>(e);
        ListMouse(me, me->position().toPoint());
        return true;
    }
    default:
        break;
    }
    return QListWidget::viewportEvent(e);
}

void TPopupListbox::ListMouse(QMouseEvent* e, const QPoint& viewportPos) {
    const QPoint listPos = viewport()->mapTo(this, viewportPos);
    const bool insideList = rect().contains(listPos);
    const bool insideClient = viewport()->rect().contains(viewportPos);
    TPropertyInplaceEdit* owner = m_owner;
    auto forward = [&](QEvent::Type type) {
        QMouseEvent copy(type, viewportPos, e->globalPosition(), e->button(), e->buttons(),
                         e->modifiers());
        switch (type) {
        case QEvent::MouseButtonPress:
            QListWidget::mousePressEvent(&copy);
            break;
        case QEvent::MouseMove:
            QListWidget::mouseMoveEvent(&copy);
            break;
        case QEvent::MouseButtonRelease:
            QListWidget::mouseReleaseEvent(&copy);
            break;
        default:
            break;
        }
    };

    switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (!insideList) {
            // A press elsewhere: a press on the editor's button must not
            // reopen the list it just closed.
            const QPoint atEditor =
                owner ? owner->mapFromGlobal(e->globalPosition().toPoint()) : QPoint();
            setAttribute(Qt::WA_NoMouseReplay, owner && owner->OverButton(atEditor));
            if (owner) owner->CloseUp(false);
            return;
        }
        m_pressedInList = true;
        if (insideClient) forward(QEvent::MouseButtonPress);
        return;
    case QEvent::MouseMove:
        if (owner && owner->Tracking()) {
            // Press on the button, drag into the list: the list takes over.
            if (insideClient) {
                owner->StopTracking();
                m_pressedInList = true;
                forward(QEvent::MouseButtonPress);
            } else {
                const QPoint atEditor = owner->mapFromGlobal(e->globalPosition().toPoint());
                owner->TrackButton(atEditor.x(), atEditor.y());
            }
            return;
        }
        if (m_pressedInList && (e->buttons() & Qt::LeftButton) && insideClient)
            forward(QEvent::MouseMove);
        return;
    case QEvent::MouseButtonRelease: {
        if (owner && owner->Tracking()) {
            // Released on the button itself: the list stays open.
            owner->StopTracking();
            return;
        }
        m_pressedInList = false;
        if (insideClient) forward(QEvent::MouseButtonRelease);
        if (OnMouseUp)
            OnMouseUp(this, e->button(), e->modifiers(), viewportPos.x(), viewportPos.y());
        if (owner && e->button() == Qt::LeftButton) owner->CloseUp(insideList);
        return;
    }
    default:
        return;
    }
}

void TPopupListbox::hideEvent(QHideEvent* e) {
    QListWidget::hideEvent(e);
    m_pressedInList = false;
    // Closed from outside (window switch, Qt's own pop-up handling): reject.
    if (m_owner && m_owner->m_listVisible) m_owner->CloseUp(false);
}

// --- TPropertyInplaceEdit ----------------------------------------------------------------

TPropertyInplaceEdit::TPropertyInplaceEdit(QWidget* Owner) : QLineEdit(Owner) {
    setFrame(false);
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_MacShowFocusRect, false);
    setMouseTracking(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_buttonWidth = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    m_editMode = emSimple;
    hide();
    connect(this, &QLineEdit::textEdited, this, [this] {
        if (m_grid) m_grid->UpdateText();
    });
}

TPropertyInplaceEdit::~TPropertyInplaceEdit() {
    m_grid = nullptr;
    m_listVisible = false;
    delete m_pickList;
    m_pickList = nullptr;
    m_activeList = nullptr;
}

void TPropertyInplaceEdit::SetGrid(TCustomPrGrid* Value) {
    m_grid = Value;
    if (Value) {
        setParent(Value->viewport());
        setFont(Value->font());
        hide();
    }
}

// --- placement ----------------------------------------------------------------------

void TPropertyInplaceEdit::Move(const QRect& Loc) {
    InternalMove(Loc, true);
}

void TPropertyInplaceEdit::UpdateLoc(const QRect& Loc) {
    InternalMove(Loc, false);
}

void TPropertyInplaceEdit::InternalMove(const QRect& Loc, bool Redraw) {
    if (Loc.isEmpty()) {
        Hide();
        return;
    }
    const bool wasHidden = !isVisible();
    setGeometry(Loc);
    show();
    raise();
    BoundsChanged();
    if (Redraw || wasHidden) update();
    if (m_grid && m_grid->hasFocus()) setFocus(Qt::OtherFocusReason);
}

void TPropertyInplaceEdit::Hide() {
    if (m_listVisible) CloseUp(false);
    if (!isVisible()) return;
    if (hasFocus() && m_grid) {
        // Hand the focus to the grid before hiding, so it stays in the grid.
        m_handingFocusBack = true;
        m_grid->setFocus(Qt::OtherFocusReason);
        m_handingFocusBack = false;
    }
    hide();
}

void TPropertyInplaceEdit::Invalidate() {
    update();
}

void TPropertyInplaceEdit::SetFocus() {
    if (isVisible()) setFocus(Qt::OtherFocusReason);
}

bool TPropertyInplaceEdit::Visible() const {
    return isVisible();
}

void TPropertyInplaceEdit::Deselect() {
    deselect();
    setCursorPosition(int(text().size()));
}

void TPropertyInplaceEdit::UpdateContents() {
    if (!m_grid) return;
    const int col = m_grid->Col();
    const int row = m_grid->Row();
    SetEditMode(m_grid->ColumnEditMode(col));
    setText(QString());
    SetEditMask(m_grid->GetEditMask(col, row));
    setText(m_grid->GetEditText(col, row));
    SetMaxLength(m_grid->GetEditLimit());
    QPalette pal = palette();
    pal.setColor(QPalette::Base, m_grid->PaintColor());
    pal.setColor(QPalette::Text, ColorToQColor(m_grid->FontColor(), m_grid->palette()));
    setPalette(pal);
}

void TPropertyInplaceEdit::BoundsChanged() {
    // The text stops short of the button strip.
    const int right = m_editMode == emSimple ? 2 : m_buttonWidth + 2;
    setTextMargins(0, 1, right, 0);
    update();
}

void TPropertyInplaceEdit::resizeEvent(QResizeEvent* e) {
    QLineEdit::resizeEvent(e);
    BoundsChanged();
}

QRect TPropertyInplaceEdit::ButtonRect() const {
    if (m_grid && m_grid->layoutDirection() == Qt::RightToLeft)
        return QRect(0, 0, m_buttonWidth, height());
    return QRect(width() - m_buttonWidth, 0, m_buttonWidth, height());
}

bool TPropertyInplaceEdit::OverButton(const QPoint& p) const {
    return m_editMode != emSimple && ButtonRect().contains(p);
}

void TPropertyInplaceEdit::SetEditMask(const QString& Value) {
    if (Value == m_editMask) return;
    m_editMask = Value;
    setInputMask(EditMaskToInputMask(Value));
}

void TPropertyInplaceEdit::SetMaxLength(int Value) {
    m_maxLength = Value;
    setMaxLength(Value > 0 ? Value : 32767);
}

bool TPropertyInplaceEdit::EditCanModify() const {
    return m_grid && m_grid->CanEditModify();
}

void TPropertyInplaceEdit::SetEditMode(TPropEditMode Value) {
    if (m_editMode == Value) return;
    m_editMode = Value;
    if (Value == emPickList) {
        if (!m_pickList) {
            m_pickList = new TPopupListbox(this);
            m_pickList->OnMouseUp = [this](QObject*, Qt::MouseButton button,
                                           Qt::KeyboardModifiers shift, int x,
                                           int y) { ListMouseUp(button, shift, x, y); };
        }
        m_activeList = m_pickList;
    } else {
        if (m_listVisible) CloseUp(false);
        m_activeList = nullptr;
    }
    BoundsChanged();
}

void TPropertyInplaceEdit::Change() {
    if (m_grid && m_grid->OnCellChange) m_grid->OnCellChange(this);
    if (OnChange) OnChange(this);
}

// --- the pick list ------------------------------------------------------------------------

void TPropertyInplaceEdit::DropDown() {
    if (m_listVisible || !m_activeList || !m_grid) return;
    TCellValueProps* props = m_grid->PropValues();
    const int col = m_grid->Col();
    if (!props || col < 0 || col >= props->Count()) return;
    TCellValueProp* d = props->GetCellValueProp(col);
    TPopupListbox* list = m_activeList;

    list->setFont(m_grid->font());
    QPalette pal = list->palette();
    pal.setColor(QPalette::Base, ColorToQColor(clWindow, m_grid->palette()));
    pal.setColor(QPalette::Window, pal.color(QPalette::Base));
    list->setPalette(pal);
    list->clear();
    const QStringList& entries = *d->PickList();
    list->addItems(entries);
    const int itemHeight = list->ItemHeight();
    for (int i = 0; i < list->count(); ++i)
        list->item(i)->setSizeHint(QSize(1, itemHeight));
    const qint64 rows = std::min<qint64>(d->DropDownRows(), INT_MAX / std::max(1, itemHeight));
    const int shown = int(list->count() >= rows ? rows : list->count());
    const int listHeight = shown * itemHeight + 4;

    // The column's default value is highlighted, not the cell's text.
    int index = -1;
    if (!d->PropertyValue().isEmpty()) {
        for (int i = 0; i < entries.size(); ++i)
            if (entries.at(i).compare(d->PropertyValue(), Qt::CaseInsensitive) == 0) {
                index = i;
                break;
            }
    }
    list->clearSelection();
    list->setCurrentRow(index);

    int w = m_grid->ColWidths(col);
    const QFontMetrics fm(list->font());
    for (const QString& entry : entries)
        w = std::max(w, fm.horizontalAdvance(entry.trimmed()));
    const int frame = list->frameWidth() + 1; // frame plus viewport margin
    const bool scrolls = list->count() > shown;
    const int scrollBar = scrolls ? list->verticalScrollBar()->sizeHint().width() : 0;
    const int listWidth = w + 2 * frame + scrollBar;

    const QPoint p = mapToGlobal(QPoint(0, 0));
    int y = p.y() + height();
    const QScreen* scr = screen() ? screen() : QGuiApplication::primaryScreen();
    const QRect screenRect = scr ? scr->geometry() : QRect(0, 0, INT_MAX / 2, INT_MAX / 2);
    if (y + listHeight > screenRect.y() + screenRect.height()) y = p.y() - listHeight;
    list->setGeometry(p.x(), y, listWidth, listHeight);
    m_listVisible = true;
    list->show();
    list->raise();
    list->scrollToTop();
    if (index >= 0) list->scrollToItem(list->item(index));
    update();
}

void TPropertyInplaceEdit::CloseUp(bool Accept) {
    if (!m_listVisible) return;
    if (QWidget* grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
    if (m_tracking) StopTracking();
    TPopupListbox* list = m_activeList ? m_activeList : m_pickList;
    QString value;
    bool selected = false;
    if (list && list->currentRow() != -1) {
        value = list->currentItem()->text();
        selected = true;
    }
    m_listVisible = false;
    if (list) list->hide();
    update();
    if (Accept && selected && EditCanModify() && m_grid) {
        const int col = m_grid->Col();
        const int row = m_grid->Row();
        if (auto* grid = dynamic_cast<TStringGridEx*>(m_grid)) {
            grid->SetCells(col, row, value);
        } else {
            m_grid->SetEditText(col, row, value);
            m_grid->InvalidateEditor();
        }
    }
}

bool TPropertyInplaceEdit::DoDropDownKeys(int& Key, Qt::KeyboardModifiers Shift) {
    const bool alt = Shift.testFlag(Qt::AltModifier);
    switch (Key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (alt) {
            if (!m_listVisible)
                DropDown();
            else
                CloseUp(true);
            Key = 0;
            return true;
        }
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        if (!alt && m_listVisible) {
            const bool accept = Key != Qt::Key_Escape;
            Key = 0;
            CloseUp(accept);
            return true;
        }
        break;
    default:
        break;
    }
    return false;
}

void TPropertyInplaceEdit::ListMouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers, int X,
                                       int Y) {
    if (Button == Qt::LeftButton && m_activeList)
        CloseUp(m_activeList->viewport()->rect().contains(X, Y));
}

// --- the button -------------------------------------------------------------------------

void TPropertyInplaceEdit::TrackButton(int X, int Y) {
    const bool newState = isVisible() && ButtonRect().contains(X, Y);
    if (m_pressed != newState) {
        m_pressed = newState;
        update(ButtonRect());
    }
}

void TPropertyInplaceEdit::StopTracking() {
    if (!m_tracking) return;
    TrackButton(-1, -1);
    m_tracking = false;
}

void TPropertyInplaceEdit::paintEvent(QPaintEvent* e) {
    QLineEdit::paintEvent(e);
    if (m_editMode == emSimple) return;
    QPainter p(this);
    PaintButton(p);
}

void TPropertyInplaceEdit::PaintButton(QPainter& p) {
    const QRect r = ButtonRect();
    const QPalette& pal = palette();
    if (m_editMode == emNoEdit) return; // an empty strip
    // A flat button: raised edges, sunken while pressed.
    p.fillRect(r, pal.color(QPalette::Button));
    const QColor topLeft = m_pressed ? pal.color(QPalette::Dark) : pal.color(QPalette::Light);
    const QColor bottomRight = m_pressed ? pal.color(QPalette::Light) : pal.color(QPalette::Dark);
    p.fillRect(QRect(r.left(), r.top(), r.width(), 1), topLeft);
    p.fillRect(QRect(r.left(), r.top(), 1, r.height()), topLeft);
    p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), bottomRight);
    p.fillRect(QRect(r.right(), r.top(), 1, r.height()), bottomRight);
    const QPoint shift = m_pressed ? QPoint(1, 1) : QPoint();
    if (m_editMode == emPickList) {
        QStyleOption arrow;
        arrow.initFrom(this);
        arrow.state = m_activeList ? QStyle::State_Enabled : QStyle::State_None;
        const int side = std::max(5, std::min(r.width(), r.height()) / 2);
        arrow.rect = QRect(0, 0, side, side);
        arrow.rect.moveCenter(r.center() + shift);
        arrow.palette.setColor(QPalette::ButtonText, pal.color(QPalette::ButtonText));
        style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrow, &p, this);
    } else {
        // Three squares of side ButtonWidth/8, the middle one at the centre.
        const int w = std::max(1, m_buttonWidth / 8);
        const int x = r.left() + r.width() / 2 - 1 + shift.x();
        const int y = r.top() + r.height() / 2 - 1 + shift.y();
        const QColor black = ColorToQColor(clBlack, pal);
        p.fillRect(QRect(x - 2 * w, y, w, w), black);
        p.fillRect(QRect(x, y, w, w), black);
        p.fillRect(QRect(x + 2 * w, y, w, w), black);
    }
}

// --- keyboard ------------------------------------------------------------------------------

bool TPropertyInplaceEdit::event(QEvent* e) {
    if (e->type() == QEvent::KeyPress && m_grid) {
        auto* k = static_cast<QKeyEvent*>(e);
        const bool tab = k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab;
        if (tab && !k->modifiers().testFlag(Qt::ControlModifier)) {
            // Tab belongs to the grid: to the next cell with goTabs, else out.
            if (m_editMode == emPickList && m_listVisible && m_activeList) {
                m_activeList->HandleKey(k);
                return true;
            }
            if (k->modifiers().testFlag(Qt::AltModifier)) return QLineEdit::event(e);
            const bool backwards =
                k->key() == Qt::Key_Backtab || k->modifiers().testFlag(Qt::ShiftModifier);
            if (m_grid->Options().Contains(goTabs)) {
                int key = Qt::Key_Tab;
                Qt::KeyboardModifiers mods = ShiftState(k->modifiers());
                if (backwards) mods |= Qt::ShiftModifier;
                m_grid->KeyDown(key, mods);
                QChar ch = QLatin1Char('\t');
                if (!isVisible()) return true;
                KeyPress(ch);
            } else {
                m_grid->FocusOutside(!backwards);
            }
            return true;
        }
    }
    return QLineEdit::event(e);
}

void TPropertyInplaceEdit::keyPressEvent(QKeyEvent* e) {
    if (!m_grid) {
        QLineEdit::keyPressEvent(e);
        return;
    }
    int key = e->key();
    const Qt::KeyboardModifiers mods = ShiftState(e->modifiers());
    if (m_editMode == emPickList) {
        int k = key;
        if (DoDropDownKeys(k, mods)) {
            e->accept();
            return;
        }
        if (m_listVisible && m_activeList) {
            m_activeList->HandleKey(e);
            return;
        }
    }
    if (m_editMode == emEllipsis && (key == Qt::Key_Return || key == Qt::Key_Enter) &&
        mods == Qt::ControlModifier) {
        // The button's action; no line break reaches the text.
        m_grid->EditButtonClick();
        e->accept();
        return;
    }
    const bool modifying = e->matches(QKeySequence::Paste) || e->matches(QKeySequence::Cut) ||
                           e->matches(QKeySequence::Undo) || e->matches(QKeySequence::Redo) ||
                           e->matches(QKeySequence::DeleteEndOfWord) ||
                           e->matches(QKeySequence::DeleteStartOfWord);
    if (modifying && !EditCanModify()) {
        e->accept();
        return;
    }
    KeyDown(key, mods);
    if (key == 0 || !isVisible()) {
        // Consumed, or the grid closed the editor; a character still reaches
        // the grid's key-press handling.
        const QString text = e->text();
        if (!text.isEmpty() && isVisible()) {
            QChar ch = text.at(0);
            KeyPress(ch);
        }
        e->accept();
        return;
    }
    const QString text = e->text();
    if (!text.isEmpty()) {
        const QChar original = text.at(0);
        QChar ch = original;
        KeyPress(ch);
        if (ch.isNull()) {
            e->accept();
            return;
        }
        if (ch != original) {
            QKeyEvent changed(e->type(), Qt::Key_unknown, e->modifiers(), QString(ch));
            QLineEdit::keyPressEvent(&changed);
            return;
        }
    }
    QLineEdit::keyPressEvent(e);
}

void TPropertyInplaceEdit::KeyDown(int& Key, Qt::KeyboardModifiers Shift) {
    auto sendToParent = [&] {
        m_grid->KeyDown(Key, Shift);
        Key = 0;
    };
    const bool forwardMovement = m_grid->Options().Contains(goAlwaysShowEditor);
    const bool ctrl = Shift.testFlag(Qt::ControlModifier);
    const int len = int(text().size());
    int selStart = cursorPosition();
    int selEnd = selStart;
    if (hasSelectedText()) {
        selStart = selectionStart();
        selEnd = selStart + int(selectedText().size());
    }
    const bool leftSide = selStart == 0 && (selEnd == 0 || selEnd == len);
    const bool rightSide = (selStart == 0 || selEnd == selStart) && selEnd == len;

    switch (Key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Escape:
        sendToParent();
        break;
    case Qt::Key_Insert:
        if (Shift == Qt::NoModifier)
            sendToParent();
        else if (Shift == Qt::ShiftModifier && !EditCanModify())
            Key = 0;
        break;
    case Qt::Key_Left:
    case Qt::Key_Home:
        if (forwardMovement && (ctrl || leftSide)) sendToParent();
        break;
    case Qt::Key_Right:
    case Qt::Key_End:
        if (forwardMovement && (ctrl || rightSide)) sendToParent();
        break;
    case Qt::Key_Tab:
        if (!Shift.testFlag(Qt::AltModifier)) sendToParent();
        break;
    case Qt::Key_Delete:
        if (!EditCanModify()) Key = 0;
        break;
    case Qt::Key_F2: {
        m_grid->KeyDown(Key, Shift);
        if (Key == Qt::Key_F2) {
            Deselect();
            Key = 0;
        }
        return;
    }
    default:
        break;
    }
    if (Key != 0 && m_grid->OnKeyDown) m_grid->OnKeyDown(m_grid, Key, Shift);
}

void TPropertyInplaceEdit::KeyPress(QChar& Key) {
    m_grid->KeyPress(Key);
    if (IsPrintable(Key) && !m_grid->CanEditAcceptKey(Key)) {
        Key = QChar();
        QApplication::beep();
    }
    switch (Key.unicode()) {
    case 0:
        break;
    case '\t':
    case 0x1b:
        Key = QChar();
        break;
    case '\r': {
        const int len = int(text().size());
        const bool all =
            hasSelectedText() && selectionStart() == 0 && int(selectedText().size()) == len;
        if (all)
            Deselect();
        else
            selectAll();
        Key = QChar();
        break;
    }
    case '\b':
    case 0x16: // Ctrl+V
    case 0x18: // Ctrl+X
        if (!EditCanModify()) Key = QChar();
        break;
    default:
        if (IsPrintable(Key) && !EditCanModify()) Key = QChar();
        break;
    }
}

void TPropertyInplaceEdit::keyReleaseEvent(QKeyEvent* e) {
    if (m_grid) {
        int key = e->key();
        m_grid->KeyUp(key, ShiftState(e->modifiers()));
        if (key == 0) {
            e->accept();
            return;
        }
    }
    QLineEdit::keyReleaseEvent(e);
}

void TPropertyInplaceEdit::TypeChar(QChar Ch) {
    int key = Qt::Key_unknown;
    if (Ch == QLatin1Char('\b'))
        key = Qt::Key_Backspace;
    else if (Ch.unicode() < 128 && Ch.isLetterOrNumber())
        key = Ch.toUpper().unicode();
    else if (Ch == QLatin1Char(' '))
        key = Qt::Key_Space;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(Ch));
    QCoreApplication::sendEvent(this, &press);
}

// --- mouse ------------------------------------------------------------------------------------

void TPropertyInplaceEdit::NoteGridPress(qint64 timestamp) {
    m_clickTime = timestamp;
    m_clickTimeSet = true;
}

void TPropertyInplaceEdit::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && m_clickTimeSet &&
        qint64(e->timestamp()) - m_clickTime <
            qint64(QGuiApplication::styleHints()->mouseDoubleClickInterval()) &&
        !OverButton(e->position().toPoint())) {
        // The grid saw the first click, the editor (shown by it) the second.
        m_clickTimeSet = false;
        m_doubleClickSent = true;
        DoubleClick(e);
        return;
    }
    m_clickTimeSet = false;
    m_doubleClickSent = false;
    if (e->button() == Qt::LeftButton && OverButton(e->position().toPoint())) {
        if (m_listVisible) {
            CloseUp(false);
        } else {
            m_tracking = true;
            TrackButton(int(e->position().x()), int(e->position().y()));
            if (m_activeList) DropDown();
        }
        e->accept();
        return;
    }
    QLineEdit::mousePressEvent(e);
}

void TPropertyInplaceEdit::mouseMoveEvent(QMouseEvent* e) {
    const QPoint p = e->position().toPoint();
    if (m_tracking) {
        TrackButton(p.x(), p.y());
        if (m_listVisible && m_activeList) {
            const QPoint atList =
                m_activeList->viewport()->mapFromGlobal(e->globalPosition().toPoint());
            if (m_activeList->viewport()->rect().contains(atList)) {
                StopTracking();
                QMouseEvent press(QEvent::MouseButtonPress, atList, e->globalPosition(),
                                  Qt::LeftButton, Qt::LeftButton, e->modifiers());
                QCoreApplication::sendEvent(m_activeList->viewport(), &press);
            }
        }
        e->accept();
        return;
    }
    setCursor(OverButton(p) ? Qt::ArrowCursor : Qt::IBeamCursor);
    QLineEdit::mouseMoveEvent(e);
}

void TPropertyInplaceEdit::mouseReleaseEvent(QMouseEvent* e) {
    if (m_tracking) TrackButton(int(e->position().x()), int(e->position().y()));
    const bool wasPressed = m_pressed;
    StopTracking();
    if (e->button() == Qt::LeftButton && m_editMode == emEllipsis && wasPressed && m_grid)
        m_grid->EditButtonClick();
    QLineEdit::mouseReleaseEvent(e);
}

void TPropertyInplaceEdit::DoubleClick(QMouseEvent* e) {
    if (m_grid) m_grid->DblClick();
    QMouseEvent dbl(QEvent::MouseButtonDblClick, e->position(), e->globalPosition(), e->button(),
                    e->buttons(), e->modifiers());
    QLineEdit::mouseDoubleClickEvent(&dbl);
}

void TPropertyInplaceEdit::mouseDoubleClickEvent(QMouseEvent* e) {
    if (OverButton(e->position().toPoint())) {
        e->accept(); // swallowed: the button is not a text area
        return;
    }
    if (m_doubleClickSent) {
        m_doubleClickSent = false;
        QLineEdit::mouseDoubleClickEvent(e);
        return;
    }
    DoubleClick(e);
}

void TPropertyInplaceEdit::wheelEvent(QWheelEvent* e) {
    if (m_grid) {
        m_grid->DoMouseWheel(e->angleDelta().y(), ShiftState(e->modifiers()),
                             m_grid->viewport()->mapFromGlobal(e->globalPosition().toPoint()));
        e->accept();
        return;
    }
    QLineEdit::wheelEvent(e);
}

// --- focus --------------------------------------------------------------------------------------

void TPropertyInplaceEdit::focusInEvent(QFocusEvent* e) {
    QLineEdit::focusInEvent(e);
    if (m_grid && !m_grid->m_inside) {
        m_grid->m_inside = true;
        m_grid->DoEnter();
    }
}

void TPropertyInplaceEdit::focusOutEvent(QFocusEvent* e) {
    QLineEdit::focusOutEvent(e);
    if (e->reason() != Qt::PopupFocusReason) CloseUp(false);
    if (m_grid) m_grid->FocusLeftGrid(e->reason());
}

void TPropertyInplaceEdit::contextMenuEvent(QContextMenuEvent* e) {
    // The grid's menu serves its editor too (its commands act on the editor).
    if (m_grid && m_grid->PopupMenu()) {
        m_grid->PopupMenu()->popup(e->globalPos());
        e->accept();
        return;
    }
    QMenu* menu = createStandardContextMenu();
    if (!EditCanModify()) {
        for (QAction* action : menu->actions()) {
            const QString name = action->objectName();
            if (name == QLatin1String("edit-paste") || name == QLatin1String("edit-cut") ||
                name == QLatin1String("edit-delete") || name == QLatin1String("edit-undo") ||
                name == QLatin1String("edit-redo"))
                action->setEnabled(false);
        }
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(e->globalPos());
}

} // namespace quillary
