#include "designer/SqlHighlighter.h"
#include "sqltext/SqlStatements.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QTimer>

namespace quillary {

namespace {

// What a block was last coloured from: the state open at its start and the
// part of it (block positions) that got colours.
struct TBlockColouring : QTextBlockUserData {
    TSqlLexState Start = TSqlLexState::Plain;
    int From = 0;
    int To = 0;
};

// Marks the editor's extra selections that are ours.
constexpr int kPairProperty = QTextFormat::UserProperty + 0x51;

QColor Mix(const QColor& a, const QColor& b, double share) {
    return QColor::fromRgbF(float(a.redF() * (1 - share) + b.redF() * share),
                            float(a.greenF() * (1 - share) + b.greenF() * share),
                            float(a.blueF() * (1 - share) + b.blueF() * share));
}

// The characters [position, position + count) as the index keeps them:
// line and paragraph breaks as "\n", as the plain text has them.
QString PlainText(QTextDocument* document, int position, int count) {
    const int end = std::min(position + count, document->characterCount() - 1);
    if (end <= position) return {};
    QTextCursor cursor(document);
    cursor.setPosition(position);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    QString text = cursor.selectedText();
    for (QChar& c : text)
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            c = QLatin1Char('\n');
        else if (c == QChar::Nbsp)
            c = QLatin1Char(' ');
    return text;
}

} // namespace

TSqlHighlighter::TSqlHighlighter(QTextDocument* document, QObject* parent)
    : QSyntaxHighlighter(parent) {
    // The index learns of an edit before the blocks are coloured again.
    connect(document, &QTextDocument::contentsChange, this, &TSqlHighlighter::ContentsChange);
    m_index.SetText(document->toPlainText());
    SetPalette(QGuiApplication::palette());
    setDocument(document);
}

TSqlHighlighter::~TSqlHighlighter() = default;

TSqlHighlighter* TSqlHighlighter::Attach(QPlainTextEdit* editor) {
    if (TSqlHighlighter* existing = Of(editor)) return existing;
    auto* highlighter = new TSqlHighlighter(editor->document(), editor);
    highlighter->m_editor = editor;
    highlighter->m_editorObject = editor;
    highlighter->m_viewportObject = editor->viewport();
    highlighter->SetPalette(editor->palette());
    highlighter->m_refresh = new QTimer(highlighter);
    highlighter->m_refresh->setSingleShot(true);
    highlighter->m_refresh->setInterval(0);
    connect(highlighter->m_refresh, &QTimer::timeout, highlighter, &TSqlHighlighter::Refresh);
    // Scrolling colours what comes into view before it is painted.
    for (QScrollBar* bar : {editor->verticalScrollBar(), editor->horizontalScrollBar()})
        connect(bar, &QScrollBar::valueChanged, highlighter, &TSqlHighlighter::Refresh);
    connect(editor, &QPlainTextEdit::cursorPositionChanged, highlighter,
            &TSqlHighlighter::MarkPair);
    editor->installEventFilter(highlighter);
    editor->viewport()->installEventFilter(highlighter);
    return highlighter;
}

TSqlHighlighter* TSqlHighlighter::Of(const QPlainTextEdit* editor) {
    return editor ? editor->findChild<TSqlHighlighter*>(QString(), Qt::FindDirectChildrenOnly)
                  : nullptr;
}

void TSqlHighlighter::SetText(QPlainTextEdit* editor, const QString& text) {
    TSqlHighlighter* highlighter = Of(editor);
    const bool colour = LongestLine(text, kLongestColouredLine) <= kLongestColouredLine;
    if (highlighter && !colour && highlighter->Colouring()) {
        highlighter->setDocument(nullptr);
        highlighter->m_index.SetText(QString());
        highlighter->MarkPair(); // its marks go
    }
    editor->setPlainText(
        colour ? text : WithLongLinesBroken(text, kLongestColouredLine, kBrokenLineWidth));
    if (highlighter && colour && !highlighter->Colouring()) {
        highlighter->m_index.SetText(editor->document()->toPlainText());
        highlighter->setDocument(editor->document());
    }
}

bool TSqlHighlighter::eventFilter(QObject* watched, QEvent* event) {
    // Compared as plain objects: the editor may already be half destroyed
    // when its last focus change comes through here.
    if (m_editor && watched == m_editorObject && event->type() == QEvent::PaletteChange)
        SetPalette(static_cast<QWidget*>(watched)->palette());
    else if (m_editor && watched == m_viewportObject &&
             (event->type() == QEvent::Resize || event->type() == QEvent::Show))
        m_refresh->start();
    return QSyntaxHighlighter::eventFilter(watched, event);
}

void TSqlHighlighter::SetPalette(const QPalette& palette) {
    const QColor base = palette.color(QPalette::Base);
    const bool dark = base.lightness() < 128;
    // Light text on dark ground, dark text on light ground, in clear hues.
    auto tone = [dark](int hue, int saturation) {
        return QColor::fromHsl(hue, saturation, dark ? 175 : 85);
    };
    const QColor colours[] = {
        tone(220, 200), tone(8, 170), tone(180, 170), tone(285, 140), tone(110, 60), {}, {}};
    for (int i = 0; i < int(m_formats.size()); ++i) {
        m_formats[i] = QTextCharFormat();
        if (colours[i].isValid()) m_formats[i].setForeground(colours[i]);
    }
    m_pairBackground = Mix(base, palette.color(QPalette::Highlight), dark ? 0.45 : 0.3);
    m_unpairedBackground = Mix(base, QColor::fromHsl(0, 200, dark ? 110 : 150), 0.5);
    m_markedPair = {-1, -1};
    if (document()) {
        rehighlight();
        MarkPair();
    }
}

void TSqlHighlighter::SetVisibleRange(int from, int to) {
    m_visibleFrom = std::max(0, from);
    m_visibleTo = std::max(m_visibleFrom, to);
    m_visibleKnown = true;
}

std::pair<int, int> TSqlHighlighter::Window() const {
    if (!m_visibleKnown) return {0, kMostVisible + kMargin};
    const int to = std::min(m_visibleTo, m_visibleFrom + kMostVisible);
    return {m_visibleFrom - kMargin, to + kMargin};
}

void TSqlHighlighter::ContentsChange(int position, int removed, int added) {
    QTextDocument* doc = document();
    if (!doc) return;
    const qsizetype length = doc->characterCount() - 1;
    // Colouring itself reports a change of equal length: the text is the same.
    if (removed == added && m_index.Text().size() == length &&
        QStringView(m_index.Text()).mid(position, added) == PlainText(doc, position, added))
        return;
    m_index.Replace(position, removed, PlainText(doc, position, added));
    // The counts of some changes include the end of the document; then the
    // text is taken whole.
    if (m_index.Text().size() != length) m_index.SetText(doc->toPlainText());
    if (m_refresh) m_refresh->start();
}

void TSqlHighlighter::highlightBlock(const QString& text) {
    const QTextBlock block = currentBlock();
    const int start = block.position();
    const int end = start + int(text.size());
    if (m_index.Text().size() < end) m_index.SetText(document()->toPlainText());
    auto* data = static_cast<TBlockColouring*>(currentBlockUserData());
    if (!data) {
        data = new TBlockColouring;
        setCurrentBlockUserData(data);
    }
    data->Start = m_index.StateAtLineStart(start);
    const auto [windowFrom, windowTo] = Window();
    const int from = std::max(start, windowFrom);
    const int to = std::min(end, windowTo);
    if (from > to || (from == to && text.size() > 0)) {
        data->From = data->To = 0;
        // Outside the window nothing is coloured, nor carried on.
        setCurrentBlockState(-1);
        return;
    }
    for (const TSqlToken& t : m_index.Tokens(from, to)) {
        if (t.Kind == TSqlTokenKind::OpenParen || t.Kind == TSqlTokenKind::CloseParen) continue;
        const qsizetype a = std::max<qsizetype>(t.Start, from);
        const qsizetype b = std::min<qsizetype>(t.Start + t.Length, to);
        if (b > a) setFormat(int(a - start), int(b - a), m_formats[int(t.Kind)]);
    }
    data->From = from - start;
    data->To = to - start;
    // A change of the state at the block's end colours the next block too.
    const bool last = !block.next().isValid();
    setCurrentBlockState(last ? 0 : int(m_index.StateAtLineStart(end + 1)));
}

void TSqlHighlighter::Refresh() {
    if (!m_editor || !document()) return;
    QWidget* viewport = m_editor->viewport();
    const int from = m_editor->cursorForPosition(QPoint(0, 0)).position();
    const int to =
        m_editor->cursorForPosition(QPoint(viewport->width() - 1, viewport->height() - 1))
            .position() +
        1;
    SetVisibleRange(from, to);
    const auto [windowFrom, windowTo] = Window();
    const int shownTo = std::min(to, windowTo);
    for (QTextBlock block = document()->findBlock(from);
         block.isValid() && block.position() <= shownTo; block = block.next()) {
        const int start = block.position();
        const int a = std::max(start, from) - start;
        const int b = std::min(start + block.length() - 1, shownTo) - start;
        const auto* data = static_cast<const TBlockColouring*>(block.userData());
        const bool stale = !data || data->Start != m_index.StateAtLineStart(start) ||
                           (b > a && (a < data->From || b > data->To));
        if (stale) rehighlightBlock(block);
    }
    MarkPair();
}

QTextCharFormat TSqlHighlighter::FormatAt(int position) const {
    const QTextBlock block = document() ? document()->findBlock(position) : QTextBlock();
    if (!block.isValid() || !block.layout()) return {};
    const int at = position - block.position();
    for (const QTextLayout::FormatRange& r : block.layout()->formats())
        if (at >= r.start && at < r.start + r.length) return r.format;
    return {};
}

std::pair<int, int> TSqlHighlighter::ParenPairAt(int caret) {
    for (const int at : {caret, caret - 1}) {
        const qsizetype partner = m_index.MatchingParen(at);
        if (partner != -2) return {at, int(partner)};
    }
    return {-1, -1};
}

void TSqlHighlighter::MarkPair() {
    if (!m_editor) return;
    const std::pair<int, int> pair =
        Colouring() ? ParenPairAt(m_editor->textCursor().position()) : std::pair{-1, -1};
    if (pair == m_markedPair) return;
    m_markedPair = pair;
    QList<QTextEdit::ExtraSelection> selections;
    for (const QTextEdit::ExtraSelection& s : m_editor->extraSelections())
        if (!s.format.hasProperty(kPairProperty)) selections.append(s);
    for (const int at : {pair.first, pair.second}) {
        if (at < 0) continue;
        QTextEdit::ExtraSelection s;
        s.cursor = QTextCursor(document());
        s.cursor.setPosition(at);
        s.cursor.setPosition(at + 1, QTextCursor::KeepAnchor);
        s.format.setBackground(pair.second >= 0 ? m_pairBackground : m_unpairedBackground);
        s.format.setProperty(kPairProperty, true);
        selections.append(s);
    }
    m_editor->setExtraSelections(selections);
}

} // namespace quillary
