#pragma once
// A deliberately naive second reading of the SQL text scanners: 1-based
// positions, copies of the text, recursion, deletions from the working text
// and the 9-character join records on a string stack, step by step as the
// behaviour is defined. It is slow and only meant for short texts; the
// tests and the fuzz target compare the real (linear, non-recursive) unit
// against it.

#include <QString>
#include <QStringList>

namespace quillary::literal {

QString LTrim(const QString& s);
QString RTrim(const QString& s);
QString TrimSQLElement2(const QString& s, QString& left, QString& right);
QString TrimSQLElement(const QString& s);
QString TrimAroundDot(const QString& s);
QString TrimExp(const QString& s);
int FindExpEnd(const QString& s, QChar endChar, const QStringList* keywords, QString& found,
               int& keyPos, int start);
int FindKeyWord(const QString& s, const QString& keyword, int start);
int IsBeginWithPhrase(const QString& phrase, const QString& s, int& endPos, int start,
                      bool ignoreCase);
bool FindSQLInExp(const QString& exp, int start, int& sqlStart, int& sqlEnd);
QString AnalysisSQLClause(const QString& sql, const QString& keyword,
                          const QStringList& nextKeywords, int& nextPos, QString& nextKeyword,
                          QStringList& items, int start);
void AnalysisUnionClause(const QString& sql, QStringList& list, const QString& openCarry,
                         const QString& closeCarry, const QString& nextOperator);
// Only for FROM texts below 10000 characters (the join records hold 4 digits).
void AnalysisFromClause(const QString& from, QStringList& joinList, QStringList& tableList);
void AnalysisWhereClause(const QString& cond, QStringList& list, const QString& openCarry,
                         const QString& closeCarry, const QString& nextConnector);

} // namespace quillary::literal
