// A viewer library for the help binding's tests: it appends every call of
// its entry, one line each, to the file named by QUILLARY_HELP_CALLS (a file
// outlives the library being freed) and hands out the cookie 0x5EED. Built a
// second time without the entry.
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>

#ifndef QUILLARY_WITHOUT_ENTRY
extern "C" Q_DECL_EXPORT quintptr HtmlHelpA(quintptr caller, const char* file, quint32 command,
                                            quintptr data) {
    if (const char* record = std::getenv("QUILLARY_HELP_CALLS")) {
        if (FILE* out = std::fopen(record, "a")) {
            std::fprintf(out, "%#x caller=%#llx data=%#llx file=%s\n", unsigned(command),
                         static_cast<unsigned long long>(caller),
                         static_cast<unsigned long long>(data), file ? file : "(none)");
            std::fclose(out);
        }
    }
    if (command == 0x1C && data) *reinterpret_cast<quint32*>(data) = 0x5EED;
    return command == 0x1C || command == 0x1D ? 0 : 0x7777;
}
#else
extern "C" Q_DECL_EXPORT int NotTheViewerEntry() {
    return 0;
}
#endif
