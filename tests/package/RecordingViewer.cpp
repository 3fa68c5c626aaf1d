// A viewer library for the help binding's tests: it writes down every call
// of its entry (one line each) and hands out the cookie 0x5EED. Built a
// second time without the entry.
#include <QtGlobal>
#include <cstdio>
#include <string>

namespace {
std::string g_calls;
}

#ifndef QUILLARY_WITHOUT_ENTRY
extern "C" Q_DECL_EXPORT quintptr HtmlHelpA(quintptr caller, const char* file, quint32 command,
                                            quintptr data) {
    char line[64];
    std::snprintf(line, sizeof line, "%#x caller=%#llx data=%#llx file=", unsigned(command),
                  static_cast<unsigned long long>(caller), static_cast<unsigned long long>(data));
    g_calls += line;
    g_calls += file ? file : "(none)";
    g_calls += '\n';
    if (command == 0x1C && data) *reinterpret_cast<quint32*>(data) = 0x5EED;
    return command == 0x1C || command == 0x1D ? 0 : 0x7777;
}
#endif

extern "C" Q_DECL_EXPORT const char* RecordedHelpCalls() {
    return g_calls.c_str();
}
