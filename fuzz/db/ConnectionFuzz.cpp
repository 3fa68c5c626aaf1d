#include "ConnectionFuzz.h"

#include "db/ADOConnection.h"
#include "db/ConnectionString.h"
#include "db/DatabaseError.h"
#include "platform/TextFile.h"

#include <cstdio>
#include <cstdlib>

namespace quillary::fuzz {

namespace {

[[noreturn]] void Fail(const char* what, const QString& input) {
    std::fprintf(stderr, "connection fuzz: %s\n  input: %s\n", what,
                 input.toUtf8().toPercentEncoding(" =;\"'{}").constData());
    std::abort();
}

} // namespace

void RunConnectionInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString text = DecodeText(bytes);

    TConnectionString cs;
    QString error;
    if (TConnectionString::TryParse(text, cs, &error)) {
        // What we write must read back to the same items.
        TConnectionString again;
        QString againError;
        if (!TConnectionString::TryParse(cs.ToString(), again, &againError))
            Fail("a written connection string does not parse", text);
        if (again.Items() != cs.Items())
            Fail("a written connection string reads back differently", text);
        for (const auto& [key, value] : cs.Items())
            if (cs.Value(key) != value) Fail("an item cannot be looked up under its key", text);
    } else {
        if (error.isEmpty() || !cs.IsEmpty())
            Fail("a refused string gives no reason or keeps items", text);
        try {
            TConnectionString::Parse(text);
            Fail("Parse accepts what TryParse refused", text);
        } catch (const EDatabaseError&) {
        }
    }

    // Reading properties never raises, whatever the text.
    TADOConnection connection(text);
    (void)connection.Provider();
    (void)connection.ProviderKind();
    for (const char* name :
         {"Data Source", "User ID", "Password", "Initial Catalog", "Provider", "X"})
        (void)connection.PropertyValue(QString::fromLatin1(name));
}

} // namespace quillary::fuzz
