#pragma once
// Colours SQL in a text editor: key words, strings, quoted names, numbers and
// comments, with the parenthesis pair at the caret marked.
//
// Long statements stay responsive: the lexical state of the whole text is
// kept in a TSqlLexIndex that reads an edit again only around it, and only
// the part of the text on screen, with a margin, is coloured; scrolling
// colours what comes into view. The colours derive from the editor's palette
// and follow its changes.

#include "sqltext/SqlLexer.h"

#include <QSyntaxHighlighter>
#include <QTextCharFormat>
#include <array>
#include <utility>

class QPlainTextEdit;
class QTextDocument;
class QTimer;

namespace quillary {

class TSqlHighlighter : public QSyntaxHighlighter {
    Q_OBJECT
public:
    // Colours `document` (which must outlive the highlighter); until a
    // visible range is given, the start of the text counts as visible.
    explicit TSqlHighlighter(QTextDocument* document, QObject* parent = nullptr);
    ~TSqlHighlighter() override;

    // Colours `editor`'s text, following its scrolling, size, caret and
    // palette. The highlighter belongs to the editor.
    static TSqlHighlighter* Attach(QPlainTextEdit* editor);
    // The highlighter attached to `editor`, or null.
    static TSqlHighlighter* Of(const QPlainTextEdit* editor);
    // Sets `editor`'s text. While a line of it is longer than
    // kLongestColouredLine the text goes uncoloured: the highlighter's base
    // class keeps a format for every character of a line it colours, which
    // for one statement of millions of characters costs more than the text.
    // Such a line is also shown broken into lines of kBrokenLineWidth at
    // blanks between tokens (the same statement): the editor lays out a
    // line whole, at some 30 bytes a character.
    static void SetText(QPlainTextEdit* editor, const QString& text);
    static constexpr qsizetype kLongestColouredLine = 256 * 1024;
    static constexpr qsizetype kBrokenLineWidth = 1000;
    // Whether the text is coloured now.
    bool Colouring() const { return document() != nullptr; }

    // The characters [from, to) of the document are on screen.
    void SetVisibleRange(int from, int to);
    // Takes the colours from `palette` and colours the text again.
    void SetPalette(const QPalette& palette);
    // The format given to tokens of `kind`.
    QTextCharFormat Format(TSqlTokenKind kind) const { return m_formats[int(kind)]; }
    // The background that marks a parenthesis pair, and one without partner.
    QColor PairBackground() const { return m_pairBackground; }
    QColor UnpairedBackground() const { return m_unpairedBackground; }

    // The format the document shows at `position` (empty where nothing is
    // coloured).
    QTextCharFormat FormatAt(int position) const;
    // The parenthesis next to the caret at `caret` — the one after it, else
    // the one before — and its partner (-1 when it has none); {-1, -1} when
    // no parenthesis of the code touches the caret.
    std::pair<int, int> ParenPairAt(int caret);

    // Characters around the visible range that are coloured as well.
    static constexpr int kMargin = 32 * 1024;
    // At most this much of the text counts as visible.
    static constexpr int kMostVisible = 64 * 1024;

protected:
    void highlightBlock(const QString& text) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ContentsChange(int position, int removed, int added);
    // The coloured stretch: the visible range with the margins.
    std::pair<int, int> Window() const;
    // Colours again the visible blocks whose colouring is stale or does not
    // reach over what is shown.
    void Refresh();
    // Marks the parenthesis pair at the editor's caret.
    void MarkPair();

    TSqlLexIndex m_index;
    std::array<QTextCharFormat, 7> m_formats;
    QColor m_pairBackground;
    QColor m_unpairedBackground;
    int m_visibleFrom = 0;
    int m_visibleTo = 0;
    bool m_visibleKnown = false;
    QPlainTextEdit* m_editor = nullptr;
    const QObject* m_editorObject = nullptr;
    const QObject* m_viewportObject = nullptr;
    QTimer* m_refresh = nullptr;
    std::pair<int, int> m_markedPair{-1, -1};
};

} // namespace quillary
