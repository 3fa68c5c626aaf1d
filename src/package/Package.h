#pragma once
// The package: its description, its units with their initialisation order,
// the registration of its components and editors, and the palette bitmaps.
// A host loads it, calls Initialize, then RegisterPackage; Finalize on unload.

#include <QImage>
#include <QList>
#include <QString>

namespace quillary {

inline constexpr char kPackageDescription[] = "QuillaryDialog 2.0";
inline constexpr char kPalettePage[] = "Corvane";

struct TPackageUnit {
    QString Name;
    void (*Initialization)() = nullptr;
    void (*Finalization)() = nullptr;
};

// The units in initialisation order, the dialog's unit last.
const QList<TPackageUnit>& GetPackageInfoTable();
// Runs the units' initialisations in table order, once.
void Initialize();
// Runs the finalisations in reverse order, once after each Initialize.
void Finalize();
bool PackageInitialized();

// The Register procedures of the units that register something.
void RegisterStringGridEx();
void RegisterQuillaryDialog();
// Every unit's Register, in table order.
void RegisterPackage();

// The palette bitmap of a component class, by its upper-case name
// ("TQUILLARYDIALOG", "TSTRINGGRIDEX"); a null image for other names.
QImage PaletteBitmap(const QString& name);

} // namespace quillary
