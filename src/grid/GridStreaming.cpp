#include "grid/GridStreaming.h"

#include "grid/StringGridEx.h"

#include <QFont>
#include <QMenu>
#include <QStringDecoder>
#include <functional>
#include <limits>
#include <optional>
#include <type_traits>

namespace quillary {

namespace {

// More columns than a stored property grid may have.
constexpr qint64 MaxStoredColumns = 65536;

QString Where(int line) {
    return line > 0 ? QStringLiteral(" on line %1").arg(line) : QString();
}

[[noreturn]] void ReadFail(const QString& what, int line) {
    throw EReadError(what + Where(line));
}

[[noreturn]] void BadValue(const TFormProperty& p, const QString& detail = QString()) {
    QString what = QStringLiteral("Invalid property value for %1").arg(p.Name);
    if (!detail.isEmpty()) what += QStringLiteral(" (%1)").arg(detail);
    ReadFail(what, p.Line ? p.Line : p.Value.Line);
}

qint64 ToInt64(const TFormProperty& p, qint64 lo, qint64 hi) {
    if (p.Value.Kind != TFormValue::TKind::Integer) BadValue(p, QStringLiteral("integer expected"));
    if (p.Value.Int < lo || p.Value.Int > hi) BadValue(p, QStringLiteral("out of range"));
    return p.Value.Int;
}

int ToInt(const TFormProperty& p) {
    return int(ToInt64(p, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()));
}

bool ToBool(const TFormProperty& p) {
    if (p.Value.Kind == TFormValue::TKind::Ident) {
        if (p.Value.Text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) return true;
        if (p.Value.Text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) return false;
    }
    BadValue(p, QStringLiteral("True or False expected"));
}

QString ToString(const TFormProperty& p) {
    if (p.Value.Kind != TFormValue::TKind::String) BadValue(p, QStringLiteral("string expected"));
    return p.Value.Text;
}

// The identifier among `allowed` (in its own spelling); its index in *index.
QString ToIdent(const TFormProperty& p, const QStringList& allowed, int* index = nullptr) {
    if (p.Value.Kind != TFormValue::TKind::Ident)
        BadValue(p, QStringLiteral("identifier expected"));
    for (int i = 0; i < allowed.size(); ++i)
        if (allowed.at(i).compare(p.Value.Text, Qt::CaseInsensitive) == 0) {
            if (index) *index = i;
            return allowed.at(i);
        }
    BadValue(p, p.Value.Text);
}

QStringList ToSet(const TFormProperty& p, const QStringList& allowed) {
    if (p.Value.Kind != TFormValue::TKind::Set) BadValue(p, QStringLiteral("set expected"));
    QStringList names;
    for (const QString& member : p.Value.Names()) {
        bool found = false;
        for (const QString& a : allowed)
            if (a.compare(member, Qt::CaseInsensitive) == 0) {
                if (!names.contains(a)) names.append(a);
                found = true;
            }
        if (!found) BadValue(p, member);
    }
    // Canonical order: the order of the enumeration.
    QStringList ordered;
    for (const QString& a : allowed)
        if (names.contains(a)) ordered.append(a);
    return ordered;
}

TColor ToColor(const TFormProperty& p) {
    if (p.Value.Kind == TFormValue::TKind::Ident) {
        TColor color;
        if (IdentToColor(p.Value.Text, color)) return color;
        BadValue(p, p.Value.Text);
    }
    return TColor(quint32(
        ToInt64(p, std::numeric_limits<qint32>::min(), std::numeric_limits<quint32>::max())));
}

TFormValue ColorValue(TColor color) {
    const QString name = ColorToIdent(color);
    return name.isEmpty() ? TFormValue::Integer(color) : TFormValue::Ident(name);
}

const QStringList& OptionNames() {
    static const QStringList names = {
        QStringLiteral("goFixedVertLine"), QStringLiteral("goFixedHorzLine"),
        QStringLiteral("goVertLine"),      QStringLiteral("goHorzLine"),
        QStringLiteral("goRangeSelect"),   QStringLiteral("goDrawFocusSelected"),
        QStringLiteral("goRowSizing"),     QStringLiteral("goColSizing"),
        QStringLiteral("goRowMoving"),     QStringLiteral("goColMoving"),
        QStringLiteral("goEditing"),       QStringLiteral("goTabs"),
        QStringLiteral("goRowSelect"),     QStringLiteral("goAlwaysShowEditor"),
        QStringLiteral("goThumbTracking")};
    return names;
}

const QStringList EditModeNames = {QStringLiteral("emSimple"), QStringLiteral("emPickList"),
                                   QStringLiteral("emEllipsis"), QStringLiteral("emNoEdit")};
const QStringList BorderStyleNames = {QStringLiteral("bsNone"), QStringLiteral("bsSingle")};
const QStringList ScrollStyleNames = {QStringLiteral("ssNone"), QStringLiteral("ssHorizontal"),
                                      QStringLiteral("ssVertical"), QStringLiteral("ssBoth")};
const QStringList FontStyleNames = {QStringLiteral("fsBold"), QStringLiteral("fsItalic"),
                                    QStringLiteral("fsUnderline"), QStringLiteral("fsStrikeOut")};

TFormValue OptionsValue(TGridOptions options) {
    QStringList names;
    for (int i = 0; i < GridOptionCount; ++i)
        if (options.Contains(TGridOption(i))) names.append(OptionNames().at(i));
    return TFormValue::SetOf(names);
}

// What loading collects to apply at the end.
struct TLoadState {
    std::optional<int> Col;
    std::optional<int> Row;
};

using TGetter = std::function<std::optional<TFormValue>(const TStringGridEx&)>;
using TSetter = std::function<void(TStringGridEx&, const TFormProperty&, TLoadState&)>;

struct TPropDesc {
    QString Name;
    TGetter Get;
    std::optional<QString> Default; // no default: always stored
    TSetter Set;
};

// A value the widget keeps for the file only; `check` validates and returns
// its canonical form.
TPropDesc Kept(const QString& name, const QString& defaultText,
               std::function<TFormValue(const TFormProperty&)> check) {
    TPropDesc d;
    d.Name = name;
    d.Default = defaultText;
    d.Get = [name, defaultText](const TStringGridEx& g) -> std::optional<TFormValue> {
        const QString text = g.StoredValue(name);
        if (text.isEmpty())
            return defaultText.isEmpty() ? std::nullopt
                                         : std::optional(ParseFormValue(defaultText));
        return ParseFormValue(text);
    };
    d.Set = [name, defaultText, check](TStringGridEx& g, const TFormProperty& p, TLoadState&) {
        const QString text = FormValueToText(check(p));
        g.SetStoredValue(name, text == defaultText ? QString() : text);
    };
    return d;
}

std::function<TFormValue(const TFormProperty&)> IdentCheck(QStringList allowed) {
    return [allowed](const TFormProperty& p) { return TFormValue::Ident(ToIdent(p, allowed)); };
}

std::function<TFormValue(const TFormProperty&)> AnyIdentCheck(bool allowInteger = false) {
    return [allowInteger](const TFormProperty& p) {
        if (allowInteger && p.Value.Kind == TFormValue::TKind::Integer)
            return TFormValue::Integer(ToInt(p));
        if (p.Value.Kind != TFormValue::TKind::Ident)
            BadValue(p, QStringLiteral("identifier expected"));
        return TFormValue::Ident(p.Value.Text);
    };
}

TFormValue IntCheck(const TFormProperty& p) {
    return TFormValue::Integer(ToInt(p));
}

TFormValue BoolCheck(const TFormProperty& p) {
    return TFormValue::Boolean(ToBool(p));
}

TFormValue StringCheck(const TFormProperty& p) {
    return TFormValue::String(ToString(p));
}

bool HasOwnFont(const TStringGridEx& g) {
    return g.testAttribute(Qt::WA_SetFont) || g.FontColor() != clWindowText;
}

int FontPixelHeight(const TStringGridEx& g) {
    const QFont f = g.font();
    if (f.pixelSize() > 0) return f.pixelSize();
    return qRound(f.pointSizeF() * g.logicalDpiY() / 72.0);
}

void SetOwnFont(TStringGridEx& g, QFont f) {
    // Setting the family marks the font as the grid's own (not the parent's).
    f.setFamily(f.family());
    g.setFont(f);
}

TPropDesc Real(const char* name, const char* defaultText, TGetter get, TSetter set) {
    return TPropDesc{QString::fromLatin1(name), std::move(get),
                     defaultText ? std::optional(QString::fromLatin1(defaultText)) : std::nullopt,
                     std::move(set)};
}

// Rows of the table for properties the grid reads and writes through its own
// accessors (member pointers or small lambdas). A default of nullptr means
// the property is always written.
template <class Get, class Set>
TPropDesc IntProp(const char* name, const char* defaultText, Get get, Set set,
                  qint64 lo = std::numeric_limits<qint32>::min(),
                  qint64 hi = std::numeric_limits<qint32>::max()) {
    return Real(
        name, defaultText,
        [get](const TStringGridEx& g) -> std::optional<TFormValue> {
            return TFormValue::Integer(std::invoke(get, g));
        },
        [set, lo, hi](TStringGridEx& g, const TFormProperty& p, TLoadState&) {
            std::invoke(set, g, int(ToInt64(p, lo, hi)));
        });
}

template <class Get, class Set>
TPropDesc BoolProp(const char* name, const char* defaultText, Get get, Set set) {
    return Real(
        name, defaultText,
        [get](const TStringGridEx& g) -> std::optional<TFormValue> {
            return TFormValue::Boolean(std::invoke(get, g));
        },
        [set](TStringGridEx& g, const TFormProperty& p, TLoadState&) {
            std::invoke(set, g, ToBool(p));
        });
}

template <class Get, class Set> TPropDesc StringProp(const char* name, Get get, Set set) {
    return Real(
        name, "''",
        [get](const TStringGridEx& g) -> std::optional<TFormValue> {
            return TFormValue::String(std::invoke(get, g));
        },
        [set](TStringGridEx& g, const TFormProperty& p, TLoadState&) {
            std::invoke(set, g, ToString(p));
        });
}

// An enumeration stored by the names of its values, in their order.
template <class Get, class Set>
TPropDesc EnumProp(const char* name, const char* defaultText, const QStringList& names, Get get,
                   Set set) {
    using TEnum = std::decay_t<std::invoke_result_t<Get, const TStringGridEx&>>;
    return Real(
        name, defaultText,
        [get, names](const TStringGridEx& g) -> std::optional<TFormValue> {
            return TFormValue::Ident(names.at(int(std::invoke(get, g))));
        },
        [set, names](TStringGridEx& g, const TFormProperty& p, TLoadState&) {
            int i = 0;
            ToIdent(p, names, &i);
            std::invoke(set, g, TEnum(i));
        });
}

template <class Get, class Set>
TPropDesc ColorProp(const char* name, const char* defaultText, Get get, Set set) {
    return Real(
        name, defaultText,
        [get](const TStringGridEx& g) -> std::optional<TFormValue> {
            const std::optional<TColor> color = std::invoke(get, g);
            if (!color) return std::nullopt;
            return ColorValue(*color);
        },
        [set](TStringGridEx& g, const TFormProperty& p, TLoadState&) {
            std::invoke(set, g, ToColor(p));
        });
}

// A value the widget keeps for the file only, validated by `check`.
TPropDesc Kept(const char* name, const char* defaultText,
               std::function<TFormValue(const TFormProperty&)> check) {
    return Kept(QString::fromLatin1(name), QString::fromLatin1(defaultText), std::move(check));
}

// A part of the font, written only when the grid has a font of its own
// (which its setter makes it, except the character set).
TPropDesc FontProp(const char* name, std::function<TFormValue(const TStringGridEx&)> get,
                   std::function<void(TStringGridEx&, const TFormProperty&)> set) {
    return Real(
        name, nullptr,
        [get](const TStringGridEx& g) -> std::optional<TFormValue> {
            if (!HasOwnFont(g)) return std::nullopt;
            return get(g);
        },
        [set](TStringGridEx& g, const TFormProperty& p, TLoadState&) { set(g, p); });
}

const QStringList AlignNames = {QStringLiteral("alNone"),   QStringLiteral("alTop"),
                                QStringLiteral("alBottom"), QStringLiteral("alLeft"),
                                QStringLiteral("alRight"),  QStringLiteral("alClient"),
                                QStringLiteral("alCustom")};
const QStringList AnchorNames = {QStringLiteral("akLeft"), QStringLiteral("akTop"),
                                 QStringLiteral("akRight"), QStringLiteral("akBottom")};
const QStringList BiDiModeNames = {QStringLiteral("bdLeftToRight"), QStringLiteral("bdRightToLeft"),
                                   QStringLiteral("bdRightToLeftNoAlign"),
                                   QStringLiteral("bdRightToLeftReadingOnly")};
const char* const EventNames[] = {
    "OnClick",          "OnColumnMoved",     "OnDblClick",    "OnDragDrop",       "OnDragOver",
    "OnDrawCell",       "OnEndDock",         "OnEndDrag",     "OnEnter",          "OnExit",
    "OnGetEditMask",    "OnGetEditText",     "OnKeyDown",     "OnKeyPress",       "OnKeyUp",
    "OnMouseDown",      "OnMouseMove",       "OnMouseUp",     "OnMouseWheelDown", "OnMouseWheelUp",
    "OnRowMoved",       "OnSelectCell",      "OnSetEditText", "OnStartDock",      "OnStartDrag",
    "OnTopLeftChanged", "OnEditButtonClick", "OnCellChange"};

// The published properties in the order they are stored. PropValues and
// ClientAutoFit follow them (the collection needs its own comparison with an
// ancestor), then the extents.
const std::vector<TPropDesc>& Descriptors() {
    static const std::vector<TPropDesc> table = [] {
        using G = TStringGridEx;
        constexpr qint64 int32Min = std::numeric_limits<qint32>::min();
        // The options the engine starts with.
        static const QByteArray defaultOptions =
            FormValueToText(OptionsValue(TGridOptions{goFixedVertLine, goFixedHorzLine, goVertLine,
                                                      goHorzLine, goRangeSelect}))
                .toLatin1();
        std::vector<TPropDesc> t = {
            IntProp("Left", nullptr, &G::x, [](G& g, int v) { g.move(v, g.y()); }),
            IntProp("Top", nullptr, &G::y, [](G& g, int v) { g.move(g.x(), v); }),
            IntProp(
                "Width", nullptr, &G::width, [](G& g, int v) { g.resize(v, g.height()); }, 0,
                QWIDGETSIZE_MAX),
            IntProp(
                "Height", nullptr, &G::height, [](G& g, int v) { g.resize(g.width(), v); }, 0,
                QWIDGETSIZE_MAX),
            Kept("Cursor", "crDefault", AnyIdentCheck(true)),
            StringProp("Hint", &G::toolTip, &G::setToolTip),
            Kept("HelpType", "htContext",
                 IdentCheck({QStringLiteral("htKeyword"), QStringLiteral("htContext")})),
            Kept("HelpKeyword", "''", StringCheck),
            Kept("HelpContext", "0", IntCheck),
            BoolProp("TabStop", "True", &G::TabStop, &G::SetTabStop),
            Real(
                "Col", nullptr,
                [](const G& g) { return std::optional(TFormValue::Integer(g.Col())); },
                [](G&, const TFormProperty& p, TLoadState& s) { s.Col = ToInt(p); }),
            Real(
                "Row", nullptr,
                [](const G& g) { return std::optional(TFormValue::Integer(g.Row())); },
                [](G&, const TFormProperty& p, TLoadState& s) { s.Row = ToInt(p); }),
            Kept("Align", "alNone", IdentCheck(AlignNames)),
            Kept("Anchors", "[akLeft, akTop]",
                 [](const TFormProperty& p) { return TFormValue::SetOf(ToSet(p, AnchorNames)); }),
            Kept("BiDiMode", "bdLeftToRight", IdentCheck(BiDiModeNames)),
            ColorProp(
                "Color", "clWindow",
                [](const G& g) {
                    return g.ParentColor() ? std::nullopt : std::optional(g.Color());
                },
                &G::SetColor),
            Kept("Constraints.MaxHeight", "0", IntCheck),
            Kept("Constraints.MaxWidth", "0", IntCheck),
            Kept("Constraints.MinHeight", "0", IntCheck),
            Kept("Constraints.MinWidth", "0", IntCheck),
            BoolProp("Ctl3D", "True", &G::Ctl3D, &G::SetCtl3D),
            Kept("DragCursor", "crDrag", AnyIdentCheck(true)),
            Kept("DragKind", "dkDrag",
                 IdentCheck({QStringLiteral("dkDrag"), QStringLiteral("dkDock")})),
            Kept("DragMode", "dmManual",
                 IdentCheck({QStringLiteral("dmManual"), QStringLiteral("dmAutomatic")})),
            BoolProp(
                "Enabled", "True",
                [](const G& g) { return !g.testAttribute(Qt::WA_ForceDisabled); }, &G::setEnabled),
            // The font, written whole when the grid has a font of its own.
            FontProp(
                "Font.Charset",
                [](const G& g) {
                    const QString text = g.StoredValue(QStringLiteral("Font.Charset"));
                    return text.isEmpty() ? TFormValue::Ident(QStringLiteral("DEFAULT_CHARSET"))
                                          : ParseFormValue(text);
                },
                [](G& g, const TFormProperty& p) {
                    const QString text = FormValueToText(AnyIdentCheck(true)(p));
                    g.SetStoredValue(QStringLiteral("Font.Charset"), text);
                }),
            FontProp(
                "Font.Color", [](const G& g) { return ColorValue(g.FontColor()); },
                [](G& g, const TFormProperty& p) {
                    g.SetFontColor(ToColor(p));
                    SetOwnFont(g, g.font());
                }),
            FontProp(
                "Font.Height", [](const G& g) { return TFormValue::Integer(-FontPixelHeight(g)); },
                [](G& g, const TFormProperty& p) {
                    const int h = int(ToInt64(p, -4096, 4096));
                    QFont f = g.font();
                    if (h != 0) f.setPixelSize(h < 0 ? -h : h);
                    SetOwnFont(g, f);
                }),
            FontProp(
                "Font.Name", [](const G& g) { return TFormValue::String(g.font().family()); },
                [](G& g, const TFormProperty& p) {
                    QFont f = g.font();
                    f.setFamily(ToString(p));
                    SetOwnFont(g, f);
                }),
            FontProp(
                "Font.Style",
                [](const G& g) {
                    const QFont f = g.font();
                    const bool on[] = {f.bold(), f.italic(), f.underline(), f.strikeOut()};
                    QStringList s;
                    for (int i = 0; i < FontStyleNames.size(); ++i)
                        if (on[i]) s << FontStyleNames.at(i);
                    return TFormValue::SetOf(s);
                },
                [](G& g, const TFormProperty& p) {
                    const QStringList s = ToSet(p, FontStyleNames);
                    QFont f = g.font();
                    f.setBold(s.contains(FontStyleNames.at(0)));
                    f.setItalic(s.contains(FontStyleNames.at(1)));
                    f.setUnderline(s.contains(FontStyleNames.at(2)));
                    f.setStrikeOut(s.contains(FontStyleNames.at(3)));
                    SetOwnFont(g, f);
                }),
            Kept("ParentBiDiMode", "True", BoolCheck),
            BoolProp("ParentColor", "False", &G::ParentColor, &G::SetParentColor),
            Kept("ParentCtl3D", "True", BoolCheck),
            BoolProp(
                "ParentFont", "True", [](const G& g) { return !HasOwnFont(g); },
                [](G& g, bool parent) {
                    if (parent) {
                        g.setFont(QFont());
                        g.SetFontColor(clWindowText);
                    } else {
                        SetOwnFont(g, g.font());
                    }
                }),
            Kept("ParentShowHint", "True", BoolCheck),
            [] {
                // A menu given to the grid is stored by its name.
                TPropDesc d = Kept("PopupMenu", "nil", AnyIdentCheck());
                d.Get = [](const G& g) -> std::optional<TFormValue> {
                    if (g.PopupMenu() && !g.PopupMenu()->objectName().isEmpty())
                        return TFormValue::Ident(g.PopupMenu()->objectName());
                    const QString text = g.StoredValue(QStringLiteral("PopupMenu"));
                    return ParseFormValue(text.isEmpty() ? QStringLiteral("nil") : text);
                };
                return d;
            }(),
            Kept("ShowHint", "False", BoolCheck),
            Kept("TabOrder", "-1", IntCheck),
            BoolProp("Visible", "True", &G::VisibleProperty, &G::setVisible),
            EnumProp("BorderStyle", "bsNone", BorderStyleNames, &G::BorderStyle,
                     &G::SetBorderStyle),
            IntProp("DefaultColWidth", "64", &G::DefaultColWidth, &G::SetDefaultColWidth),
            IntProp("DefaultRowHeight", "24", &G::DefaultRowHeight, &G::SetDefaultRowHeight),
            BoolProp("DefaultDrawing", "True", &G::DefaultDrawing, &G::SetDefaultDrawing),
            ColorProp(
                "FixedColor", "clBtnFace", [](const G& g) { return std::optional(g.FixedColor()); },
                &G::SetFixedColor),
            IntProp("RowCount", "5", &G::RowCount, &G::SetRowCount),
            // Every column gets a definition object: a stored grid may not
            // ask for millions of them.
            IntProp("ColCount", "5", &G::ColCount, &G::SetColCount, int32Min, MaxStoredColumns),
            IntProp("GridLineWidth", "1", &G::GridLineWidth, &G::SetGridLineWidth, 0, 1000),
            Real(
                "Options", defaultOptions.constData(),
                [](const G& g) { return std::optional(OptionsValue(g.Options())); },
                [](G& g, const TFormProperty& p, TLoadState&) {
                    TGridOptions options;
                    for (const QString& n : ToSet(p, OptionNames()))
                        options.Include(TGridOption(OptionNames().indexOf(n)));
                    g.SetOptions(options);
                }),
            EnumProp("ScrollBars", "ssBoth", ScrollStyleNames, &G::ScrollBars, &G::SetScrollBars),
        };
        for (const char* e : EventNames)
            t.push_back(Kept(e, "", AnyIdentCheck()));
        t.push_back(BoolProp("FixedTitleRow", "True", &G::FixedTitleRow, &G::SetFixedTitleRow));
        t.push_back(StringProp("TitleNameColumn", &G::TitleNameColumn, &G::SetTitleNameColumn));
        t.push_back(StringProp("TitleValueColumn", &G::TitleValueColumn, &G::SetTitleValueColumn));
        return t;
    }();
    return table;
}

TFormValue PropValuesValue(const TCellValueProps& props) {
    TFormValue value;
    value.Kind = TFormValue::TKind::Collection;
    for (int i = 0; i < props.Count(); ++i) {
        const TCellValueProp* d = props.GetCellValueProp(i);
        TFormItem item;
        auto add = [&item](const char* name, TFormValue v) {
            item.Properties.push_back(TFormProperty{QString::fromLatin1(name), std::move(v), 0});
        };
        if (d->DropDownRows() != 7) add("DropDownRows", TFormValue::Integer(d->DropDownRows()));
        if (d->Tag() != 0) add("Tag", TFormValue::Integer(d->Tag()));
        if (d->EditMode() != emSimple)
            add("EditMode", TFormValue::Ident(EditModeNames.at(d->EditMode())));
        if (d->PickListIfAny() && !d->PickListIfAny()->isEmpty()) {
            std::vector<TFormValue> strings;
            for (const QString& s : *d->PickListIfAny())
                strings.push_back(TFormValue::String(s));
            add("PickList.Strings", TFormValue::ListOf(std::move(strings)));
        }
        if (!d->PropertyLabel().isEmpty())
            add("PropertyLabel", TFormValue::String(d->PropertyLabel()));
        if (!d->PropertyValue().isEmpty())
            add("PropertyValue", TFormValue::String(d->PropertyValue()));
        value.Elements().push_back(std::move(item));
    }
    return value;
}

void ReadPropValues(TStringGridEx& grid, const TFormProperty& p) {
    if (p.Value.Kind != TFormValue::TKind::Collection)
        BadValue(p, QStringLiteral("collection expected"));
    // Each item is a column: no more than ColCount may ask for, so that what
    // loads can be written and read again.
    if (qint64(p.Value.Elements().size()) > MaxStoredColumns)
        BadValue(p, QStringLiteral("more than %1 items").arg(MaxStoredColumns));
    TCellValueProps props(nullptr);
    for (const TFormItem& item : p.Value.Elements()) {
        TCellValueProp* d = props.Add();
        for (const TFormProperty& ip : item.Properties) {
            const QString& name = ip.Name;
            if (name == QLatin1String("DropDownRows")) {
                d->SetDropDownRows(unsigned(ToInt64(ip, 0, std::numeric_limits<quint32>::max())));
            } else if (name == QLatin1String("Tag")) {
                d->SetTag(ToInt(ip));
            } else if (name == QLatin1String("EditMode")) {
                int i = 0;
                ToIdent(ip, EditModeNames, &i);
                d->SetEditMode(TPropEditMode(i));
            } else if (name == QLatin1String("PickList.Strings")) {
                if (ip.Value.Kind != TFormValue::TKind::List)
                    BadValue(ip, QStringLiteral("list expected"));
                QStringList list;
                for (qsizetype i = 0; i < ip.Value.ItemCount(); ++i) {
                    const TFormValue v = ip.Value.Item(i);
                    if (v.Kind != TFormValue::TKind::String)
                        BadValue(ip, QStringLiteral("string expected"));
                    list.append(v.Text);
                }
                d->SetPickList(list);
            } else if (name == QLatin1String("PropertyLabel")) {
                d->SetPropertyLabel(ToString(ip));
            } else if (name == QLatin1String("PropertyValue")) {
                d->SetPropertyValue(ToString(ip));
            } else {
                ReadFail(QStringLiteral("Property %1 does not exist").arg(name), ip.Line);
            }
        }
    }
    grid.SetPropValues(props);
}

} // namespace

// --- the engine's defined properties ----------------------------------------------------------

TFormValue TCustomPrGrid::WriteColWidths() const {
    std::vector<TFormValue> items;
    items.reserve(std::size_t(m_colCount));
    for (int i = 0; i < m_colCount; ++i)
        items.push_back(TFormValue::Integer(ColWidths(i)));
    return TFormValue::ListOf(std::move(items));
}

TFormValue TCustomPrGrid::WriteRowHeights() const {
    std::vector<TFormValue> items;
    items.reserve(std::size_t(m_rowCount));
    for (int i = 0; i < m_rowCount; ++i)
        items.push_back(TFormValue::Integer(RowHeights(i)));
    return TFormValue::ListOf(std::move(items));
}

namespace {

// Reads exactly `count` integers.
std::vector<int> ReadExtents(const char* name, const TFormValue& value, int count) {
    if (value.Kind != TFormValue::TKind::List)
        ReadFail(QStringLiteral("%1: a list of integers expected").arg(QLatin1String(name)),
                 value.Line);
    const qsizetype n = value.ItemCount();
    // A short list fails before anything is stored: a huge count with a
    // short list must not allocate the extents first.
    if (n < count)
        ReadFail(QStringLiteral("%1: integer %2 of %3 expected, the list ends")
                     .arg(QLatin1String(name))
                     .arg(n + 1)
                     .arg(count),
                 value.Line);
    std::vector<int> extents;
    extents.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i) {
        const TFormValue item = value.Item(i);
        if (item.Kind != TFormValue::TKind::Integer ||
            item.Int < std::numeric_limits<qint32>::min() ||
            item.Int > std::numeric_limits<qint32>::max())
            ReadFail(QStringLiteral("%1: integer %2 is not a valid extent")
                         .arg(QLatin1String(name))
                         .arg(i + 1),
                     item.Line ? item.Line : value.Line);
        extents.push_back(int(item.Int));
    }
    if (n > count)
        ReadFail(QStringLiteral("%1: end of list expected after %2 integers")
                     .arg(QLatin1String(name))
                     .arg(count),
                 value.Item(count).Line ? value.Item(count).Line : value.Line);
    return extents;
}

} // namespace

// All extents in one step: the geometry is brought up to date once, not
// once per cell.
void TCustomPrGrid::ReadColWidths(const TFormValue& Value) {
    std::vector<int> widths = ReadExtents("ColWidths", Value, m_colCount);
    if (m_colCount >= MaxGridExtents) InvalidOp(SGridTooLarge);
    m_colWidths = std::move(widths);
    m_hasColWidths = true;
    InvalidateGrid();
    ColWidthsChanged();
}

void TCustomPrGrid::ReadRowHeights(const TFormValue& Value) {
    std::vector<int> heights = ReadExtents("RowHeights", Value, m_rowCount);
    if (m_rowCount >= MaxGridExtents) InvalidOp(SGridTooLarge);
    m_rowHeights = std::move(heights);
    m_hasRowHeights = true;
    InvalidateGrid();
    RowHeightsChanged();
}

void TCustomPrGrid::DefineProperties(std::vector<TFormProperty>& props,
                                     const TCustomPrGrid* Ancestor) const {
    if (!m_saveCellExtents) return;
    bool doColWidths = m_hasColWidths;
    bool doRowHeights = m_hasRowHeights;
    if (Ancestor) {
        doColWidths = !(Ancestor->m_hasColWidths == m_hasColWidths &&
                        (!m_hasColWidths || Ancestor->m_colWidths == m_colWidths));
        doRowHeights = !(Ancestor->m_hasRowHeights == m_hasRowHeights &&
                         (!m_hasRowHeights || Ancestor->m_rowHeights == m_rowHeights));
    }
    if (doColWidths)
        props.push_back(TFormProperty{QStringLiteral("ColWidths"), WriteColWidths(), 0});
    if (doRowHeights)
        props.push_back(TFormProperty{QStringLiteral("RowHeights"), WriteRowHeights(), 0});
}

// --- writing
// --------------------------------------------------------------------------------------

TFormObject GridToFormObject(const TStringGridEx& grid, const TStringGridEx* ancestor) {
    TFormObject object;
    object.Keyword = ancestor ? QStringLiteral("inherited") : QStringLiteral("object");
    object.Name = grid.objectName();
    object.ClassName = QString::fromLatin1(StringGridExClassName);
    for (const TPropDesc& d : Descriptors()) {
        std::optional<TFormValue> value = d.Get(grid);
        if (!value) continue;
        const QString text = FormValueToText(*value);
        if (ancestor) {
            const std::optional<TFormValue> theirs = d.Get(*ancestor);
            if (theirs && FormValueToText(*theirs) == text) continue;
        } else if (d.Default && *d.Default == text) {
            continue;
        }
        object.Properties.push_back(TFormProperty{d.Name, std::move(*value), 0});
    }
    if (!ancestor || !grid.PropValues()->SameAs(*ancestor->PropValues()))
        object.Properties.push_back(
            TFormProperty{QStringLiteral("PropValues"), PropValuesValue(*grid.PropValues()), 0});
    if (!ancestor || ancestor->ClientAutoFit() != grid.ClientAutoFit())
        object.Properties.push_back(TFormProperty{QStringLiteral("ClientAutoFit"),
                                                  TFormValue::Boolean(grid.ClientAutoFit()), 0});
    grid.DefineProperties(object.Properties, ancestor);
    return object;
}

QString WriteGridText(const TStringGridEx& grid, const TStringGridEx* ancestor) {
    return WriteFormText(GridToFormObject(grid, ancestor));
}

QByteArray WriteGridBinary(const TStringGridEx& grid, const TStringGridEx* ancestor) {
    return WriteFormBinary(GridToFormObject(grid, ancestor));
}

// --- reading
// --------------------------------------------------------------------------------------

void LoadGridFromForm(const TFormObject& form, TStringGridEx& grid) {
    if (form.ClassName.compare(QLatin1String(StringGridExClassName), Qt::CaseInsensitive) != 0)
        ReadFail(QStringLiteral("Class %1 is not %2")
                     .arg(form.ClassName, QLatin1String(StringGridExClassName)),
                 form.Line);
    if (!form.Children.empty())
        ReadFail(QStringLiteral("%1 cannot hold the component %2")
                     .arg(QLatin1String(StringGridExClassName), form.Children.front().Name),
                 form.Children.front().Line);
    if (!form.Name.isEmpty()) grid.setObjectName(form.Name);

    TLoadState state;
    for (const TFormProperty& p : form.Properties) {
        if (p.Name == QLatin1String("PropValues")) {
            ReadPropValues(grid, p);
        } else if (p.Name == QLatin1String("ClientAutoFit")) {
            grid.SetClientAutoFit(ToBool(p));
        } else if (p.Name == QLatin1String("ColWidths") && grid.SaveCellExtents()) {
            grid.ReadColWidths(p.Value);
        } else if (p.Name == QLatin1String("RowHeights") && grid.SaveCellExtents()) {
            grid.ReadRowHeights(p.Value);
        } else {
            const TPropDesc* desc = nullptr;
            for (const TPropDesc& d : Descriptors())
                if (d.Name.compare(p.Name, Qt::CaseInsensitive) == 0) {
                    desc = &d;
                    break;
                }
            if (!desc) ReadFail(QStringLiteral("Property %1 does not exist").arg(p.Name), p.Line);
            desc->Set(grid, p, state);
        }
    }
    // The current cell last: the counts are known by now.
    const int col = state.Col.value_or(grid.Col());
    const int row = state.Row.value_or(grid.Row());
    if (col < 0 || col >= grid.ColCount() || row < 0 || row >= grid.RowCount())
        ReadFail(
            QStringLiteral("The current cell (%1, %2) lies outside the grid").arg(col).arg(row),
            form.Line);
    if (col != grid.Col()) grid.SetCol(col);
    if (row != grid.Row()) grid.SetRow(row);
}

void ReadGridText(const QString& text, TStringGridEx& grid) {
    LoadGridFromForm(ParseFormText(text), grid);
}

void ReadGridBinary(const QByteArray& data, TStringGridEx& grid) {
    LoadGridFromForm(ReadFormBinary(data), grid);
}

void ReadGrid(const QByteArray& data, TStringGridEx& grid) {
    if (IsFormBinary(data)) {
        ReadGridBinary(data, grid);
        return;
    }
    // UTF-8, or GBK for forms saved on older Chinese Windows machines.
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(data);
    if (utf8.hasError()) {
        QStringDecoder gbk("GBK");
        if (gbk.isValid()) {
            const QString fromGbk = gbk.decode(data);
            if (!gbk.hasError()) text = fromGbk;
        }
    }
    ReadGridText(text, grid);
}

std::unique_ptr<TStringGridEx> CreateGridFromText(const QString& text, QWidget* parent) {
    const TFormObject form = ParseFormText(text);
    auto grid = std::make_unique<TStringGridEx>(parent);
    LoadGridFromForm(form, *grid);
    return grid;
}

} // namespace quillary
