#pragma once
// What the design functions need from outside: the user and the database.
// The form fills these with its message boxes and its connection; every
// member is optional, and an empty one takes the default named beside it.

#include <QString>
#include <QStringList>
#include <functional>

namespace quillary {

struct TDesignBox;

// A Yes/No question with the caption "提示"; true for Yes.
using TConfirm = std::function<bool(const QString& question)>;

struct TDesignHooks {
    // A message box with this caption; an empty caption is the plain message
    // box. Default: nobody is told.
    std::function<void(const QString& text, const QString& caption)> Message;
    // Default: Yes.
    TConfirm Confirm;
    // Loads a box from the database, given TableName, Alias, Kind, SourceText,
    // Left and Top: fills Fields ("*" first, then the columns with their
    // types), may turn a table into a view (Kind 'V' with its SourceText), and
    // sets Width and Height. False when the source cannot be read (the
    // database's message has been shown); the box is then dropped.
    // Default: the box gets only "*" and the size of an empty box.
    std::function<bool(TDesignBox& box)> LoadBox;
    // Runs a statement as a test; false when the database refused it (its
    // own message has been shown). Default: accepted.
    std::function<bool(const QString& statement)> TestRun;
    // The table list as statements name its tables: names read from
    // documents are looked up in it. Empty: not known.
    QStringList Tables;
};

void ShowMessage(const TDesignHooks& hooks, const QString& text, const QString& caption);
bool Ask(const TConfirm& confirm, const QString& question);
bool LoadBox(const TDesignHooks& hooks, TDesignBox& box);
bool TestRun(const TDesignHooks& hooks, const QString& statement);

// The size the default LoadBox gives a box.
inline constexpr int kDefaultBoxWidth = 150;
inline constexpr int kDefaultBoxHeight = 60;

} // namespace quillary
