#include "db/ConnectionString.h"
#include <cstdio>

int main() {
    quillary::TConnectionString cs;
    cs.Set(QStringLiteral("Provider"), QStringLiteral("SQLite"));
    std::printf("%s\n", cs.ToString().toUtf8().constData());
    return 0;
}
