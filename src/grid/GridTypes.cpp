#include "grid/GridTypes.h"

#include <QPalette>

namespace quillary {

const char* const SIndexOutOfRange = "Grid index out of range";
const char* const SFixedColTooBig = "Fixed column count must be less than column count";
const char* const SFixedRowTooBig = "Fixed row count must be less than row count";
const char* const SGridTooLarge = "Grid too large for operation";
const char* const STooManyDeleted = "Too many rows or columns deleted";
const char* const SInvalidStringGridOp = "Cannot insert or delete rows from grid";
const char* const SListIndexError = "List index out of bounds (%1)";

void InvalidOp(const char* message) {
    throw EInvalidGridOperation(QString::fromLatin1(message));
}

void ListIndexError(int index) {
    throw EListError(QString::fromLatin1(SListIndexError).arg(index));
}

namespace {

struct TColorName {
    TColor Color;
    const char* Name;
};

// The component library's colour identifiers, plain colours first.
constexpr TColorName ColorNames[] = {
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clScrollBar, "clScrollBar"},
    {clBackground, "clBackground"},
    {clActiveCaption, "clActiveCaption"},
    {clInactiveCaption, "clInactiveCaption"},
    {clMenu, "clMenu"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clMenuText, "clMenuText"},
    {clWindowText, "clWindowText"},
    {clCaptionText, "clCaptionText"},
    {clActiveBorder, "clActiveBorder"},
    {clInactiveBorder, "clInactiveBorder"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clBtnFace, "clBtnFace"},
    {clBtnShadow, "clBtnShadow"},
    {clGrayText, "clGrayText"},
    {clBtnText, "clBtnText"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clBtnHighlight, "clBtnHighlight"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clInfoText, "clInfoText"},
    {clInfoBk, "clInfoBk"},
    {clNone, "clNone"},
    {clDefault, "clDefault"},
};

} // namespace

QColor ColorToQColor(TColor color, const QPalette& palette) {
    if ((color & clSystemColor) == clSystemColor) {
        switch (color & 0xFF) {
        case 0:
            return palette.color(QPalette::Button);
        case 1:
        case 12:
            return palette.color(QPalette::Window);
        case 2:
            return palette.color(QPalette::Active, QPalette::Highlight);
        case 3:
            return palette.color(QPalette::Inactive, QPalette::Highlight);
        case 4:
            return palette.color(QPalette::Window);
        case 5:
            return palette.color(QPalette::Base);
        case 6:
        case 21:
            return palette.color(QPalette::Shadow);
        case 7:
        case 8:
            return palette.color(QPalette::Text);
        case 9:
            return palette.color(QPalette::Active, QPalette::HighlightedText);
        case 10:
        case 11:
            return palette.color(QPalette::Button);
        case 13:
            return palette.color(QPalette::Highlight);
        case 14:
            return palette.color(QPalette::HighlightedText);
        case 15:
            return palette.color(QPalette::Button);
        case 16:
            return palette.color(QPalette::Dark);
        case 17:
            return palette.color(QPalette::Disabled, QPalette::Text);
        case 18:
            return palette.color(QPalette::ButtonText);
        case 19:
            return palette.color(QPalette::Inactive, QPalette::HighlightedText);
        case 20:
            return palette.color(QPalette::Light);
        case 22:
            return palette.color(QPalette::Midlight);
        case 23:
            return palette.color(QPalette::ToolTipText);
        case 24:
            return palette.color(QPalette::ToolTipBase);
        default:
            return palette.color(QPalette::Button);
        }
    }
    if (color == clNone) return QColor(Qt::transparent);
    if (color == clDefault) return palette.color(QPalette::Base);
    return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

QString ColorToIdent(TColor color) {
    for (const TColorName& entry : ColorNames)
        if (entry.Color == color) return QString::fromLatin1(entry.Name);
    return QString();
}

bool IdentToColor(const QString& ident, TColor& color) {
    for (const TColorName& entry : ColorNames)
        if (ident.compare(QLatin1String(entry.Name), Qt::CaseInsensitive) == 0) {
            color = entry.Color;
            return true;
        }
    return false;
}

} // namespace quillary
