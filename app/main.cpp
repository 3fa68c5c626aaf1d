// quillary: the visual SQL query designer on a connection string (by default
// the embedded sample database); --grid-demo shows the property grid alone;
// --manual-pictures FOLDER takes the pictures of the user manual.
#include "DesignerMain.h"

#include <QByteArray>

namespace quillary {
int RunGridDemo(int& argc, char** argv);       // GridDemo.cpp
int RunManualPictures(int argc, char* argv[]); // ManualPictures.cpp
} // namespace quillary

int main(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i)
        if (qstrcmp(argv[i], "--grid-demo") == 0) return quillary::RunGridDemo(argc, argv);
    for (int i = 1; i < argc; ++i)
        if (qstrcmp(argv[i], "--manual-pictures") == 0)
            return quillary::RunManualPictures(argc, argv);
    return quillary::RunDesigner(argc, argv);
}
