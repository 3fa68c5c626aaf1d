#include "package/Package.h"
#include "package/CorvaneAbout.h"
#include "package/Registration.h"

#include <QPainter>
#include <QPainterPath>

namespace quillary {

namespace {
bool g_initialized = false;
} // namespace

const QList<TPackageUnit>& GetPackageInfoTable() {
    // Never destroyed: a plugin may finalize from its own exit handlers,
    // after this library's statics are gone.
    static const auto& units = *new QList<TPackageUnit>{
        {QStringLiteral("u_link")},
        {QStringLiteral("Paste")},
        {QStringLiteral("LoginParm")},
        {QStringLiteral("Common")},
        {QStringLiteral("HTMLHelp_Decl")},
        {QStringLiteral("CorvaneAbout"), nullptr, &FinalizeCorvaneAbout},
        {QStringLiteral("StringGridEx")},
        {QStringLiteral("QuillaryDialog")},
    };
    return units;
}

void Initialize() {
    if (g_initialized) return;
    g_initialized = true;
    for (const TPackageUnit& unit : GetPackageInfoTable())
        if (unit.Initialization) unit.Initialization();
}

void Finalize() {
    if (!g_initialized) return;
    g_initialized = false;
    const QList<TPackageUnit>& units = GetPackageInfoTable();
    for (auto unit = units.rbegin(); unit != units.rend(); ++unit)
        if (unit->Finalization) unit->Finalization();
}

bool PackageInitialized() {
    return g_initialized;
}

void RegisterStringGridEx() {
    RegisterComponents(QString::fromLatin1(kPalettePage), {QStringLiteral("TStringGridEx")});
}

void RegisterQuillaryDialog() {
    const QString dialog = QStringLiteral("TQuillaryDialog");
    RegisterComponents(QString::fromLatin1(kPalettePage), {dialog});
    RegisterComponentEditor(dialog, ComponentEditorClass<TQuillaryEditor>());
    RegisterComponentEditor(QStringLiteral("TADOQuery"),
                            ComponentEditorClass<TQueryEditor_Quillary>());
    RegisterPropertyEditor(QStringLiteral("WideString"), dialog, QStringLiteral("ConnectionString"),
                           PropertyEditorClass<TCNSProperty>());
    RegisterPropertyEditor(QStringLiteral("String"), dialog, QStringLiteral("Version"),
                           PropertyEditorClass<TVersionProperty>());
}

void RegisterPackage() {
    RegisterStringGridEx();
    RegisterQuillaryDialog();
}

namespace {

// The sixteen colours of the classic palette.
QList<QRgb> SixteenColours() {
    return {qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
            qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
            qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
            qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
}

// A database drum with a quill across it.
QImage DialogBitmap() {
    QImage image(24, 24, QImage::Format_RGB32);
    image.fill(QColor(192, 192, 192));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QColor(0, 0, 128));
    p.setBrush(QColor(0, 128, 128));
    p.drawRect(3, 6, 12, 13);
    p.setBrush(QColor(0, 255, 255));
    p.drawEllipse(3, 3, 12, 6);
    p.setBrush(Qt::NoBrush);
    p.drawArc(3, 10, 12, 5, 180 * 16, 180 * 16);
    p.drawArc(3, 15, 12, 5, 180 * 16, 180 * 16);
    QPainterPath quill;
    quill.moveTo(21, 2);
    quill.cubicTo(14, 6, 11, 14, 9, 22);
    quill.cubicTo(14, 16, 19, 10, 21, 2);
    p.setPen(QColor(128, 0, 0));
    p.setBrush(QColor(255, 255, 0));
    p.drawPath(quill);
    p.setPen(QColor(0, 0, 0));
    p.drawLine(9, 22, 12, 17);
    p.end();
    return image.convertToFormat(QImage::Format_Indexed8, SixteenColours(), Qt::ThresholdDither);
}

// A grid with its caption row and a pick-list arrow.
QImage GridBitmap() {
    QImage image(27, 27, QImage::Format_RGB32);
    image.fill(QColor(212, 208, 200));
    QPainter p(&image);
    p.fillRect(2, 4, 23, 19, Qt::white);
    p.fillRect(2, 4, 23, 5, QColor(0, 84, 166));
    p.fillRect(2, 9, 6, 14, QColor(236, 233, 216));
    p.setPen(QColor(128, 128, 128));
    for (int y = 9; y <= 22; y += 5)
        p.drawLine(2, y, 24, y);
    for (int x = 8; x <= 24; x += 8)
        p.drawLine(x, 4, x, 22);
    p.drawRect(2, 4, 22, 18);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0));
    p.drawPolygon(QPolygon({QPoint(19, 11), QPoint(23, 11), QPoint(21, 13)}));
    p.end();
    // A 256-colour bitmap: the colours drawn first, then the 6x6x6 cube and
    // greys fill the rest of the table.
    QImage indexed = image.convertToFormat(QImage::Format_Indexed8);
    QList<QRgb> table = indexed.colorTable();
    const auto add = [&table](QRgb c) {
        if (table.size() < 256 && !table.contains(c)) table.append(c);
    };
    for (int i = 0; i < 216; ++i)
        add(qRgb(i / 36 * 51, i / 6 % 6 * 51, i % 6 * 51));
    for (int g = 0; g < 256; ++g)
        add(qRgb(g, g, g));
    indexed.setColorTable(table);
    return indexed;
}

} // namespace

QImage PaletteBitmap(const QString& name) {
    if (name == QLatin1String("TQUILLARYDIALOG")) return DialogBitmap();
    if (name == QLatin1String("TSTRINGGRIDEX")) return GridBitmap();
    return QImage();
}

} // namespace quillary
