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
        // A masked string has the same keys, and no password but "***".
        TConnectionString masked;
        if (!TConnectionString::TryParse(TConnectionString::Masked(text), masked))
            Fail("a masked connection string does not parse", text);
        if (masked.Items().size() != cs.Items().size()) Fail("masking changes the keys", text);
        for (const char* key : {"Password", "PWD"})
            if (cs.Contains(QString::fromLatin1(key)) &&
                masked.Value(QString::fromLatin1(key)) != QLatin1String("***"))
                Fail("a password shows through the mask", text);
        // What is stored keeps a password only when the string says so.
        const QString stored = TConnectionString::ForStorage(text);
        if (!cs.PersistsSecurityInfo() && TConnectionString::HoldsPassword(stored))
            Fail("a stored copy keeps a password it may not", text);
        if (cs.PersistsSecurityInfo() && stored != text)
            Fail("a string that may keep its password is stored changed", text);
    } else {
        if (error.isEmpty() || !cs.IsEmpty())
            Fail("a refused string gives no reason or keeps items", text);
        try {
            TConnectionString::Parse(text);
            Fail("Parse accepts what TryParse refused", text);
        } catch (const EDatabaseError&) {
        }
    }

    // Reading properties never raises, whatever the text and its origin.
    for (const TConnectionOrigin origin :
         {TConnectionOrigin::Application, TConnectionOrigin::Document}) {
        TADOConnection connection(text, origin);
        (void)connection.Provider();
        (void)connection.ProviderKind();
        for (const char* name :
             {"Data Source", "User ID", "Password", "Initial Catalog", "Provider", "X"})
            (void)connection.PropertyValue(QString::fromLatin1(name));
    }
}

} // namespace quillary::fuzz
