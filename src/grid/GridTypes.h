#pragma once
// Value types shared by the property grid: cell coordinates and rectangles,
// the option and state sets, edit modes, colours and the grid's exceptions.

#include "grid/GridError.h"

#include <QByteArray>
#include <QColor>
#include <QPoint>
#include <QRect>
#include <QString>
#include <cstdint>
#include <exception>
#include <functional>
#include <initializer_list>

class QObject;
class QPalette;

namespace quillary {

class TCustomPrGrid;

// X = column, Y = row.
struct TGridCoord {
    int X = 0;
    int Y = 0;
    friend bool operator==(const TGridCoord&, const TGridCoord&) = default;
};

// Left/Top is the top-left cell, Right/Bottom the bottom-right one (inclusive).
struct TGridRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    friend bool operator==(const TGridRect&, const TGridRect&) = default;
    bool Contains(int ACol, int ARow) const {
        return ACol >= Left && ACol <= Right && ARow >= Top && ARow <= Bottom;
    }
};

// A small set over an enumeration whose values are 0..31, with the union (+),
// difference (-) and intersection (*) of the component library's sets.
template <class E> class TSet {
public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> items) {
        for (E item : items)
            m_bits |= Bit(item);
    }
    constexpr bool Contains(E item) const { return (m_bits & Bit(item)) != 0; }
    constexpr bool Empty() const { return m_bits == 0; }
    constexpr TSet& Include(E item) {
        m_bits |= Bit(item);
        return *this;
    }
    constexpr TSet& Exclude(E item) {
        m_bits &= ~Bit(item);
        return *this;
    }
    constexpr TSet operator+(TSet other) const { return FromBits(m_bits | other.m_bits); }
    constexpr TSet operator-(TSet other) const { return FromBits(m_bits & ~other.m_bits); }
    constexpr TSet operator*(TSet other) const { return FromBits(m_bits & other.m_bits); }
    constexpr TSet operator+(E item) const { return FromBits(m_bits | Bit(item)); }
    constexpr TSet operator-(E item) const { return FromBits(m_bits & ~Bit(item)); }
    constexpr bool operator==(const TSet&) const = default;
    constexpr std::uint32_t Bits() const { return m_bits; }
    static constexpr TSet FromBits(std::uint32_t bits) {
        TSet s;
        s.m_bits = bits;
        return s;
    }

private:
    static constexpr std::uint32_t Bit(E item) { return std::uint32_t(1) << int(item); }
    std::uint32_t m_bits = 0;
};

enum TGridOption {
    goFixedVertLine,
    goFixedHorzLine,
    goVertLine,
    goHorzLine,
    goRangeSelect,
    goDrawFocusSelected,
    goRowSizing,
    goColSizing,
    goRowMoving,
    goColMoving,
    goEditing,
    goTabs,
    goRowSelect,
    goAlwaysShowEditor,
    goThumbTracking,
};
inline constexpr int GridOptionCount = goThumbTracking + 1;
using TGridOptions = TSet<TGridOption>;

enum TGridDrawStateItem { gdSelected, gdFocused, gdFixed };
using TGridDrawState = TSet<TGridDrawStateItem>;

enum TGridState { gsNormal, gsSelecting, gsRowSizing, gsColSizing, gsRowMoving, gsColMoving };
using TGridMovement = TGridState; // gsRowMoving..gsColMoving

enum TGridScrollDirectionItem { sdLeft, sdRight, sdUp, sdDown };
using TGridScrollDirection = TSet<TGridScrollDirectionItem>;

// How the cells of a property column are edited.
enum TPropEditMode : std::uint8_t { emSimple, emPickList, emEllipsis, emNoEdit };

enum TBorderStyle { bsNone, bsSingle };
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

// Colours keep the component library's encoding: 0x00BBGGRR for plain colours,
// 0xFF0000nn for the system colour with index nn (resolved from the palette).
using TColor = std::int32_t;
inline constexpr TColor clSystemColor = TColor(0xFF000000u);
inline constexpr TColor clScrollBar = clSystemColor | 0;
inline constexpr TColor clBackground = clSystemColor | 1;
inline constexpr TColor clActiveCaption = clSystemColor | 2;
inline constexpr TColor clInactiveCaption = clSystemColor | 3;
inline constexpr TColor clMenu = clSystemColor | 4;
inline constexpr TColor clWindow = clSystemColor | 5;
inline constexpr TColor clWindowFrame = clSystemColor | 6;
inline constexpr TColor clMenuText = clSystemColor | 7;
inline constexpr TColor clWindowText = clSystemColor | 8;
inline constexpr TColor clCaptionText = clSystemColor | 9;
inline constexpr TColor clActiveBorder = clSystemColor | 10;
inline constexpr TColor clInactiveBorder = clSystemColor | 11;
inline constexpr TColor clAppWorkSpace = clSystemColor | 12;
inline constexpr TColor clHighlight = clSystemColor | 13;
inline constexpr TColor clHighlightText = clSystemColor | 14;
inline constexpr TColor clBtnFace = clSystemColor | 15;
inline constexpr TColor clBtnShadow = clSystemColor | 16;
inline constexpr TColor clGrayText = clSystemColor | 17;
inline constexpr TColor clBtnText = clSystemColor | 18;
inline constexpr TColor clInactiveCaptionText = clSystemColor | 19;
inline constexpr TColor clBtnHighlight = clSystemColor | 20;
inline constexpr TColor cl3DDkShadow = clSystemColor | 21;
inline constexpr TColor cl3DLight = clSystemColor | 22;
inline constexpr TColor clInfoText = clSystemColor | 23;
inline constexpr TColor clInfoBk = clSystemColor | 24;
inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clOlive = 0x008080;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clPurple = 0x800080;
inline constexpr TColor clTeal = 0x808000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clFuchsia = 0xFF00FF;
inline constexpr TColor clAqua = 0xFFFF00;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clDefault = 0x20000000;

// The colour as painted with `palette` (system colours come from it).
QColor ColorToQColor(TColor color, const QPalette& palette);
// "clWindow", "clRed", ... or an empty text when the colour has no name.
QString ColorToIdent(TColor color);
// False when `ident` names no colour.
bool IdentToColor(const QString& ident, TColor& color);

// Texts of the grid's errors.
extern const char* const SIndexOutOfRange;
extern const char* const SFixedColTooBig;
extern const char* const SFixedRowTooBig;
extern const char* const SGridTooLarge;
extern const char* const STooManyDeleted;
extern const char* const SInvalidStringGridOp;
extern const char* const SListIndexError; // "List index out of bounds (%1)"

// Misuse of the grid (bad index, fixed count too big, row/column views).
class EInvalidGridOperation : public EGridException {
public:
    using EGridException::EGridException;
};

// An index outside a list or collection.
class EListError : public EGridException {
public:
    using EGridException::EGridException;
};

[[noreturn]] void InvalidOp(const char* message);
[[noreturn]] void ListIndexError(int index);

// Event types (the sender is the grid unless stated otherwise).
using TNotifyEvent = std::function<void(QObject* Sender)>;
using TSelectCellEvent = std::function<void(QObject* Sender, int ACol, int ARow, bool& CanSelect)>;
using TDrawCellEvent = std::function<void(QObject* Sender, int ACol, int ARow, const QRect& Rect,
                                          TGridDrawState State)>;
using TGetEditEvent = std::function<void(QObject* Sender, int ACol, int ARow, QString& Value)>;
using TSetEditEvent =
    std::function<void(QObject* Sender, int ACol, int ARow, const QString& Value)>;
using TMovedEvent = std::function<void(QObject* Sender, int FromIndex, int ToIndex)>;
using TKeyEvent = std::function<void(QObject* Sender, int& Key, Qt::KeyboardModifiers Shift)>;
using TKeyPressEvent = std::function<void(QObject* Sender, QChar& Key)>;
using TMouseEvent = std::function<void(QObject* Sender, Qt::MouseButton Button,
                                       Qt::KeyboardModifiers Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(QObject* Sender, Qt::MouseButtons Buttons,
                                           Qt::KeyboardModifiers Shift, int X, int Y)>;
using TMouseWheelUpDownEvent = std::function<void(QObject* Sender, Qt::KeyboardModifiers Shift,
                                                  const QPoint& MousePos, bool& Handled)>;

} // namespace quillary
