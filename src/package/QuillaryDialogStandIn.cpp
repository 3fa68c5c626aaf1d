#include "package/QuillaryDialogStandIn.h"
#include "package/Package.h"

#include <QPainter>

namespace quillary {

TQuillaryDialogStandIn::TQuillaryDialogStandIn(QWidget* parent)
    : QWidget(parent), m_dialog(new TQuillaryDialog(this)) {
    setFixedSize(28, 28);
    setToolTip(QStringLiteral("TQuillaryDialog"));
}

void TQuillaryDialogStandIn::SetDesignTime(bool designTime) {
    m_designTime = designTime;
}

void TQuillaryDialogStandIn::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    p.setPen(palette().dark().color());
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    p.drawImage(2, 2, PaletteBitmap(QStringLiteral("TQUILLARYDIALOG")));
}

} // namespace quillary
