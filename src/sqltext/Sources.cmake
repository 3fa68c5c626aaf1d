# The scanner sources of quillary_sqltext (QtCore only). Kept in one list so
# that the fuzz build, which compiles them with clang, uses exactly these.
set(QUILLARY_SQLTEXT_SCANNER_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/Common.cpp
    ${CMAKE_CURRENT_LIST_DIR}/Common.h
    ${CMAKE_CURRENT_LIST_DIR}/ConnectionText.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ConnectionText.h
    ${CMAKE_CURRENT_LIST_DIR}/ScanCore.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ScanCore.h
    ${CMAKE_CURRENT_LIST_DIR}/Scanners.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ClauseAnalysis.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DataSourceKind.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DataSourceKind.h
    ${CMAKE_CURRENT_LIST_DIR}/SqlDialect.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SqlDialect.h
    ${CMAKE_CURRENT_LIST_DIR}/SqlKeywords.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SqlKeywords.h
    ${CMAKE_CURRENT_LIST_DIR}/SqlLexer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SqlStatements.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SqlStatements.h
    ${CMAKE_CURRENT_LIST_DIR}/TextHash.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TextHash.h
    ${CMAKE_CURRENT_LIST_DIR}/SqlLexer.h)
