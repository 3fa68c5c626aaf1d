#include "HelpViewer.h"

#include <QFileInfo>
#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QHelpIndexWidget>
#include <QHelpLink>
#include <QLineEdit>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>

namespace quillary {

THelpBrowser::THelpBrowser(QHelpEngine* engine, QWidget* parent)
    : QTextBrowser(parent), m_engine(engine) {}

QVariant THelpBrowser::loadResource(int type, const QUrl& name) {
    if (name.scheme() == QLatin1String("qthelp")) return m_engine->fileData(name);
    return QTextBrowser::loadResource(type, name);
}

THelpViewer::THelpViewer(const QString& helpFile, const QString& collectionFile)
    : QWidget(nullptr, Qt::Window), m_helpFile(helpFile) {
    setObjectName(QStringLiteral("HelpViewer"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(900, 640);

    Engine = new QHelpEngine(collectionFile, this);
    // The collection is a scratch file that the engine creates.
    Engine->setReadOnly(false);
    Tabs = new QTabWidget;
    Contents = Engine->contentWidget();
    Tabs->addTab(Contents, QStringLiteral("目录"));
    auto* indexPage = new QWidget;
    auto* indexLayout = new QVBoxLayout(indexPage);
    indexLayout->setContentsMargins(2, 2, 2, 2);
    IndexFilter = new QLineEdit;
    IndexFilter->setPlaceholderText(QStringLiteral("键入要查找的关键字"));
    Index = Engine->indexWidget();
    indexLayout->addWidget(IndexFilter);
    indexLayout->addWidget(Index);
    Tabs->addTab(indexPage, QStringLiteral("索引"));
    Browser = new THelpBrowser(Engine, nullptr);
    Browser->setOpenExternalLinks(true);

    auto* splitter = new QSplitter;
    splitter->addWidget(Tabs);
    splitter->addWidget(Browser);
    splitter->setSizes({240, 660});
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);

    connect(Contents, &QHelpContentWidget::linkActivated, this,
            [this](const QUrl& link) { Browser->setSource(link); });
    connect(IndexFilter, &QLineEdit::textChanged, this,
            [this](const QString& text) { Index->filterIndices(text); });
    connect(IndexFilter, &QLineEdit::returnPressed, Index, &QHelpIndexWidget::activateCurrentItem);
    connect(
        Index, &QHelpIndexWidget::documentActivated, this,
        [this](const QHelpLink& document, const QString&) { Browser->setSource(document.url); });
    connect(Index, &QHelpIndexWidget::documentsActivated, this,
            [this](const QList<QHelpLink>& documents, const QString&) {
                if (!documents.isEmpty()) Browser->setSource(documents.first().url);
            });
    connect(Browser, &QTextBrowser::sourceChanged, this,
            [this] { setWindowTitle(Browser->documentTitle()); });

    const QFileInfo file(helpFile);
    if (!file.isFile() || !file.isReadable()) {
        ReportMissingFile();
        return;
    }
    m_namespace = QHelpEngineCore::namespaceName(file.absoluteFilePath());
    if (m_namespace.isEmpty() || !Engine->setupData()) {
        ReportMissingFile();
        return;
    }
    if (!Engine->registeredDocumentations().contains(m_namespace) &&
        !Engine->registerDocumentation(file.absoluteFilePath())) {
        ReportMissingFile();
        return;
    }
    m_valid = true;
    Engine->setupData();
    // The first page once the contents are known.
    connect(Engine->contentModel(), &QHelpContentModel::contentsCreated, this, [this] {
        if (Browser->source().isEmpty()) ShowTopic();
    });
    // A keyword asked for before the index was ready filters it once it is.
    connect(
        Engine->indexModel(), &QHelpIndexModel::indexCreated, this,
        [this] {
            if (!IndexFilter->text().isEmpty()) Index->filterIndices(IndexFilter->text());
        },
        Qt::QueuedConnection);
    // Qt builds the models in a thread of its own; ask once more in case the
    // set-up above did not.
    Engine->contentModel()->createContents(QString());
    Engine->indexModel()->createIndex(QString());
}

void THelpViewer::ReportMissingFile() {
    setWindowTitle(QStringLiteral("帮助"));
    Browser->setPlainText(QStringLiteral("找不到帮助文件或无法读取：\n") + m_helpFile);
    Tabs->setEnabled(false);
}

QUrl THelpViewer::PageUrl(const QString& path) const {
    if (QHelpContentItem* root = Engine->contentModel()->contentItemAt(QModelIndex())) {
        QUrl first = root->childCount() ? root->child(0)->url() : QUrl();
        if (path.isEmpty() || !first.isValid()) return first;
        return first.resolved(QUrl(path));
    }
    return QUrl();
}

void THelpViewer::ShowContents() {
    Tabs->setCurrentIndex(0);
    Contents->setFocus();
}

void THelpViewer::ShowIndex(const QString& keyword) {
    Tabs->setCurrentIndex(1);
    if (!keyword.isEmpty()) IndexFilter->setText(keyword);
    IndexFilter->setFocus();
}

void THelpViewer::ShowTopic(const QString& path) {
    const QUrl url = PageUrl(path);
    if (url.isValid()) Browser->setSource(url);
}

} // namespace quillary
