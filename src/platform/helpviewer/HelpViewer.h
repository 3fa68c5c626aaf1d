#pragma once
// The help viewer: a window on one Qt help file with its contents and index
// beside a text browser. Built into the viewer library that the help binding
// loads at run time (platform/HtmlHelp.h); nothing links against it.

#include <QTextBrowser>
#include <QWidget>

class QHelpContentWidget;
class QHelpEngine;
class QHelpIndexWidget;
class QLineEdit;
class QTabWidget;

namespace quillary {

// Pages come out of the help file.
class THelpBrowser : public QTextBrowser {
    Q_OBJECT
public:
    THelpBrowser(QHelpEngine* engine, QWidget* parent);
    QVariant loadResource(int type, const QUrl& name) override;

private:
    QHelpEngine* m_engine;
};

class THelpViewer : public QWidget {
    Q_OBJECT
public:
    // `collectionFile` is a scratch file of the viewer's own.
    THelpViewer(const QString& helpFile, const QString& collectionFile);

    QString HelpFile() const { return m_helpFile; }
    // False when the help file is missing or unreadable; the window then says so.
    bool Valid() const { return m_valid; }

    void ShowContents();
    // Shows the index, with `keyword` in its filter when not empty.
    void ShowIndex(const QString& keyword = QString());
    // A page given by its path inside the help file; empty: the first page.
    void ShowTopic(const QString& path = QString());

    QHelpEngine* Engine;
    QTabWidget* Tabs;
    QHelpContentWidget* Contents;
    QLineEdit* IndexFilter;
    QHelpIndexWidget* Index;
    THelpBrowser* Browser;

private:
    void ReportMissingFile();
    QUrl PageUrl(const QString& path) const;
    QString m_helpFile;
    QString m_namespace;
    bool m_valid = false;
};

} // namespace quillary
