// RICHEDIT: the Rich Edit 1.0 subset the console needs: a multi-line,
// non-wrapping, vertically scrolling text area (read-only with ES_READONLY)
// whose text is inserted at the selection with the character format set
// last (EM_REPLACESEL, EM_SETCHARFORMAT), counted in lines
// (EM_GETLINECOUNT) and replaced as a whole by SetWindowTextW.
//
// It stays fast with a fast stream of lines: text appended at the end is
// gathered and put into the document in one edit per flush interval (the line
// count includes it at once), QPlainTextEdit lays out only the blocks it
// shows, the undo history is off, and character formats are converted once
// and reused.
#include <richedit.h>

#include "controls/Controls.h"
#include "core/Window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <cmath>
#include <cstddef>
#include <chrono>
#include <cstring>
#include <vector>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace winapi {

namespace {

// Text appended at the end is put into the document at most this often, so a
// fast stream of lines costs one layout and one repaint per interval.
constexpr int kFlushDelayMs = 4;
// Character heights are in twips; the layer draws at 96 dpi, 15 twips a pixel.
constexpr int kTwipsPerPixel = 15;
// The bytes of a CHARFORMATW that carry meaning (the record without its
// trailing padding).
constexpr size_t kCharFormatBytes =
    offsetof(CHARFORMATW, szFaceName) + sizeof(CHARFORMATW::szFaceName);
// What the format keeps of the record beyond what Qt shows.
constexpr int kFaceProperty = QTextFormat::UserProperty + 1;  // the face name as given
constexpr int kTwipsProperty = QTextFormat::UserProperty + 2; // the height as given
constexpr int kOffsetProperty = QTextFormat::UserProperty + 3;
constexpr DWORD kSupportedMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT |
                                 CFM_PROTECTED | CFM_SIZE | CFM_COLOR | CFM_FACE | CFM_OFFSET |
                                 CFM_CHARSET;

QString faceOf(const CHARFORMATW& cf) {
    int n = 0;
    while (n < LF_FACESIZE && cf.szFaceName[n])
        ++n;
    return QString::fromUtf16(cf.szFaceName, n);
}

// The font family that shows a face: "System" is the layer's stand-in font.
// A console that is cleared when full frees its whole document, text and
// layouts, at once. The allocator keeps such freed pages mapped, scattered
// between live blocks, so over hours the resident memory would creep up to
// its high-water mark; this hands them back to the system, at most every
// few seconds (it walks the heap).
void returnFreedMemory() {
#ifdef __GLIBC__
    static std::chrono::steady_clock::time_point last{};
    auto now = std::chrono::steady_clock::now();
    if (now - last < std::chrono::seconds(5)) return;
    last = now;
    malloc_trim(0);
#endif
}

QString familyFor(const QString& face, const QFont& standIn) {
    return face.compare(QStringLiteral("System"), Qt::CaseInsensitive) == 0 || face.isEmpty()
               ? standIn.family()
               : face;
}

class RichEditControl : public Control {
  public:
    explicit RichEditControl(QPlainTextEdit* edit) : m_edit(edit) {
        m_flushTimer = new QTimer(edit);
        m_flushTimer->setSingleShot(true);
        m_flushTimer->setInterval(kFlushDelayMs);
        QObject::connect(m_flushTimer, &QTimer::timeout, edit, [this] { flush(); });
        m_sinceFlush.start();
    }
    // The window goes before its widget (deleted later): the timer must not
    // reach this object afterwards.
    ~RichEditControl() override { delete m_flushTimer.data(); }

    QPlainTextEdit* edit() const { return m_edit; }

    void textChanged(Window& w) override {
        if (!m_edit) return;
        discardPending();
        QSignalBlocker block(m_edit);
        QTextDocument* doc = m_edit->document();
        doc->clear();
        returnFreedMemory();
        QTextCursor c(doc);
        if (!w.text.empty()) c.insertText(toQString(w.text), m_insert);
        m_edit->setTextCursor(c);
        scrollToEnd();
    }

    // Windows reports paragraph ends as CR LF.
    void syncTextFromWidget(Window& w) override {
        if (!m_edit) return;
        flush();
        QString text = m_edit->document()->toPlainText();
        text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
        w.text = fromQString(text);
    }

    // Text for the end of the document, with an empty selection there, waits
    // in m_pending and goes in with the next flush; anywhere else it replaces
    // the selection at once.
    LRESULT replaceSelection(LPCWSTR text) {
        if (!m_edit) return 0;
        QTextCursor c = m_edit->textCursor();
        bool atEnd = !c.hasSelection() && c.position() >= m_edit->document()->characterCount() - 1;
        if (atEnd) {
            if (text && *text) appendPending(QString::fromUtf16(text));
            return 0;
        }
        flush();
        c = m_edit->textCursor();
        if (text && *text)
            c.insertText(QString::fromUtf16(text), m_insert);
        else
            c.removeSelectedText();
        return 0;
    }

    // The lines of the document and those the waiting text will add.
    LRESULT lineCount() const {
        return m_edit ? m_edit->document()->blockCount() + m_pendingBreaks : 1;
    }

    LRESULT setCharFormat(WPARAM scope, const CHARFORMATW* cf) {
        if (!m_edit || !cf || cf->cbSize < sizeof(CHARFORMATW)) return 0;
        if (scope & SCF_ALL) {
            flush();
            QTextCursor all(m_edit->document());
            all.select(QTextCursor::Document);
            all.mergeCharFormat(converted(QTextCharFormat(), *cf));
            setInsertFormat(*cf);
            return 1;
        }
        if (scope & SCF_SELECTION) {
            QTextCursor c = m_edit->textCursor();
            if (c.hasSelection()) {
                flush();
                m_edit->textCursor().mergeCharFormat(converted(QTextCharFormat(), *cf));
            } else {
                setInsertFormat(*cf); // an empty selection: the next insertion
            }
            return 1;
        }
        // SCF_DEFAULT: the format of new text.
        m_default = converted(m_default, *cf);
        setInsertFormat(*cf);
        return 1;
    }

    LRESULT getCharFormat(WPARAM scope, CHARFORMATW* cf) {
        if (!m_edit || !cf || cf->cbSize < sizeof(CHARFORMATW)) return 0;
        QTextCharFormat f = m_default;
        if (scope & SCF_SELECTION) {
            QTextCursor c = m_edit->textCursor();
            if (c.hasSelection()) {
                flush();
                QTextCursor first(m_edit->document());
                first.setPosition(m_edit->textCursor().selectionStart() + 1);
                f = first.charFormat();
            } else {
                f = m_insert;
            }
        }
        describe(f, cf);
        return cf->dwMask;
    }

    void setSelection(int start, int end) {
        if (!m_edit) return;
        flush();
        QTextCursor c = m_edit->textCursor();
        int length = m_edit->document()->characterCount() - 1;
        if (start < 0) {
            c.clearSelection(); // -1: no selection, the caret stays
        } else {
            if (end < 0 || end > length) end = length;
            start = std::min(start, length);
            c.setPosition(start);
            c.setPosition(end, QTextCursor::KeepAnchor);
        }
        m_edit->setTextCursor(c);
    }

    LRESULT getSelection(DWORD* start, DWORD* end) {
        if (!m_edit) return 0;
        flush();
        QTextCursor c = m_edit->textCursor();
        DWORD s = static_cast<DWORD>(c.selectionStart()), e = static_cast<DWORD>(c.selectionEnd());
        if (start) *start = s;
        if (end) *end = e;
        return MAKELONG(std::min<DWORD>(s, 0xFFFF), std::min<DWORD>(e, 0xFFFF));
    }

    // Puts the waiting text at the end of the document in one edit, so the
    // view lays out and repaints once for all of it, and follows the end.
    void flush() {
        m_flushTimer->stop();
        if (m_pending.empty() || !m_edit) return;
        QTextDocument* doc = m_edit->document();
        QTextCursor end(doc);
        end.movePosition(QTextCursor::End);
        end.beginEditBlock();
        for (const PendingRun& run : m_pending)
            end.insertText(run.text, run.format);
        end.endEditBlock();
        discardPending();
        m_sinceFlush.restart();
        QTextCursor c = m_edit->textCursor();
        if (!c.hasSelection() && c.position() >= doc->characterCount() - 1) scrollToEnd();
    }

  private:
    // The format `cf` describes, on top of `base`.
    QTextCharFormat converted(QTextCharFormat f, const CHARFORMATW& cf) const {
        DWORD mask = cf.dwMask;
        if (mask & CFM_BOLD)
            f.setFontWeight((cf.dwEffects & CFE_BOLD) ? QFont::Bold : QFont::Normal);
        if (mask & CFM_ITALIC) f.setFontItalic((cf.dwEffects & CFE_ITALIC) != 0);
        if (mask & CFM_UNDERLINE) f.setFontUnderline((cf.dwEffects & CFE_UNDERLINE) != 0);
        if (mask & CFM_STRIKEOUT) f.setFontStrikeOut((cf.dwEffects & CFE_STRIKEOUT) != 0);
        if ((mask & CFM_SIZE) && cf.yHeight > 0) {
            int pixels =
                std::max(1, static_cast<int>(std::lround(double(cf.yHeight) / kTwipsPerPixel)));
            f.setProperty(QTextFormat::FontPixelSize, pixels);
            f.setProperty(kTwipsProperty, static_cast<int>(cf.yHeight));
        }
        if (mask & CFM_COLOR) {
            if (cf.dwEffects & CFE_AUTOCOLOR)
                f.clearForeground();
            else
                f.setForeground(QColor(GetRValue(cf.crTextColor), GetGValue(cf.crTextColor),
                                       GetBValue(cf.crTextColor)));
        }
        if (mask & CFM_FACE) {
            QString face = faceOf(cf);
            f.setProperty(kFaceProperty, face);
            f.setFontFamilies(
                QStringList{familyFor(face, m_edit ? m_edit->font() : QApplication::font())});
        }
        if (mask & CFM_OFFSET) f.setProperty(kOffsetProperty, static_cast<int>(cf.yOffset));
        return f;
    }

    void describe(const QTextCharFormat& f, CHARFORMATW* cf) const {
        QFont font = m_edit ? m_edit->font() : QApplication::font();
        cf->dwMask = kSupportedMask;
        DWORD effects = 0;
        if (f.fontWeight() >= QFont::Bold) effects |= CFE_BOLD;
        if (f.fontItalic()) effects |= CFE_ITALIC;
        if (f.fontUnderline()) effects |= CFE_UNDERLINE;
        if (f.fontStrikeOut()) effects |= CFE_STRIKEOUT;
        if (f.hasProperty(QTextFormat::ForegroundBrush)) {
            QColor c = f.foreground().color();
            cf->crTextColor = RGB(c.red(), c.green(), c.blue());
        } else {
            effects |= CFE_AUTOCOLOR;
            cf->crTextColor = RGB(0, 0, 0);
        }
        cf->dwEffects = effects;
        if (f.hasProperty(kTwipsProperty))
            cf->yHeight = f.intProperty(kTwipsProperty);
        else if (f.hasProperty(QTextFormat::FontPixelSize))
            cf->yHeight = f.intProperty(QTextFormat::FontPixelSize) * kTwipsPerPixel;
        else
            cf->yHeight = (font.pixelSize() > 0 ? font.pixelSize() : 12) * kTwipsPerPixel;
        cf->yOffset = f.hasProperty(kOffsetProperty) ? f.intProperty(kOffsetProperty) : 0;
        cf->bCharSet = 0;        // ANSI_CHARSET
        cf->bPitchAndFamily = 0; // DEFAULT_PITCH | FF_DONTCARE
        QString face = f.hasProperty(kFaceProperty) ? f.stringProperty(kFaceProperty)
                                                    : QStringLiteral("System");
        int n = static_cast<int>(std::min<qsizetype>(face.size(), LF_FACESIZE - 1));
        std::memset(cf->szFaceName, 0, sizeof cf->szFaceName);
        std::memcpy(cf->szFaceName, face.utf16(), static_cast<size_t>(n) * sizeof(WCHAR));
    }

    // Sets the insertion format from a record, reusing the converted format
    // when the same record was applied on the same base before: the console
    // switches between a few colours line by line.
    void setInsertFormat(const CHARFORMATW& cf) {
        for (const Cached& entry : m_cache) {
            if (entry.baseId == m_insertId && std::memcmp(&entry.raw, &cf, kCharFormatBytes) == 0) {
                m_insert = entry.format;
                m_insertId = entry.id;
                return;
            }
        }
        if (m_cache.size() >= 32) m_cache.clear();
        Cached entry;
        std::memcpy(&entry.raw, &cf, kCharFormatBytes);
        entry.baseId = m_insertId;
        entry.id = ++m_nextId;
        entry.format = converted(m_insert, cf);
        m_cache.push_back(entry);
        m_insert = entry.format;
        m_insertId = entry.id;
    }

    void appendPending(const QString& text) {
        if (m_pending.empty() || m_pending.back().formatId != m_insertId)
            m_pending.push_back(PendingRun{m_insertId, m_insert, QString()});
        m_pending.back().text += text;
        m_pendingBreaks += blockBreaks(text);
        // After a quiet spell the text goes in at the next pass of the event
        // loop, so a line that arrives alone shows at once; within a stream
        // the document still changes at most once per interval.
        if (!m_flushTimer->isActive()) {
            qint64 since = m_sinceFlush.elapsed();
            m_flushTimer->start(since >= kFlushDelayMs ? 0
                                                       : static_cast<int>(kFlushDelayMs - since));
        }
    }

    void discardPending() {
        m_pending.clear();
        m_pendingBreaks = 0;
        m_flushTimer->stop();
    }

    // The block breaks QTextCursor::insertText makes of a text: CR LF, a lone
    // CR or LF, and the Unicode paragraph and frame separators.
    static int blockBreaks(const QString& text) {
        int n = 0;
        const QChar* p = text.constData();
        const qsizetype size = text.size();
        for (qsizetype i = 0; i < size; ++i) {
            char16_t c = p[i].unicode();
            if (c == u'\r' && i + 1 < size && p[i + 1].unicode() == u'\n') ++i;
            if (c == u'\r' || c == u'\n' || c == 0x2029 || c == 0xFDD0 || c == 0xFDD1) ++n;
        }
        return n;
    }

    void scrollToEnd() {
        if (!m_edit) return;
        QScrollBar* bar = m_edit->verticalScrollBar();
        if (bar->value() != bar->maximum()) bar->setValue(bar->maximum());
    }

    struct PendingRun {
        int formatId;
        QTextCharFormat format;
        QString text;
    };

    struct Cached {
        CHARFORMATW raw{};
        int baseId = 0;
        int id = 0;
        QTextCharFormat format;
    };

    QPointer<QPlainTextEdit> m_edit;
    QTextCharFormat m_default; // empty: the widget's font and colour
    QTextCharFormat m_insert;  // the format of the next insertion
    int m_insertId = 0;        // 0: m_insert is not a cached result
    int m_nextId = 0;
    std::vector<Cached> m_cache;
    std::vector<PendingRun> m_pending; // text for the end, in insertion order
    int m_pendingBreaks = 0;           // block breaks in m_pending
    QElapsedTimer m_sinceFlush;        // since the last text went in
    QPointer<QTimer> m_flushTimer;     // a child of the widget
};

RichEditControl* richEditOf(HWND hwnd) {
    Window* w = findWindow(hwnd);
    return w ? dynamic_cast<RichEditControl*>(w->control.get()) : nullptr;
}

QWidget* createRichEditWidget(Window& w, QWidget* parent) {
    auto* edit = new QPlainTextEdit(parent);
    edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    edit->setReadOnly((w.style & ES_READONLY) != 0);
    edit->setUndoRedoEnabled(false);
    edit->setFrameStyle((w.style & WS_BORDER) ? QFrame::StyledPanel : QFrame::NoFrame);
    edit->setVerticalScrollBarPolicy((w.style & WS_VSCROLL) ? Qt::ScrollBarAsNeeded
                                                            : Qt::ScrollBarAlwaysOff);
    edit->setHorizontalScrollBarPolicy((w.style & WS_HSCROLL) ? Qt::ScrollBarAsNeeded
                                                              : Qt::ScrollBarAlwaysOff);
    edit->setFocusPolicy(Qt::StrongFocus);
    // Characters the font lacks are drawn as its empty box instead of from
    // a fallback font. The console shows garbled receiver bytes (0x80-0xFF
    // become U+FF80-U+FFFF), and the first of them would otherwise load a
    // large CJK font (some 2.5 MB resident) to draw what is noise anyway.
    // Receiver text needs no shaping (no ligatures, no kerning): skipping it
    // makes laying out each arriving line cheaper.
    QFont font = edit->font();
    font.setStyleStrategy(
        QFont::StyleStrategy(font.styleStrategy() | QFont::NoFontMerging | QFont::PreferNoShaping));
    edit->setFont(font);
    edit->document()->setDocumentMargin(2);
    auto control = std::make_unique<RichEditControl>(edit);
    if (!w.text.empty()) control->textChanged(w);
    w.control = std::move(control);
    return edit;
}

LRESULT CALLBACK richEditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    RichEditControl* c = richEditOf(hwnd);
    if (!c || !c->edit()) return DefWindowProcW(hwnd, message, wParam, lParam);
    switch (message) {
    case EM_REPLACESEL:
        return c->replaceSelection(reinterpret_cast<LPCWSTR>(lParam));
    case EM_GETLINECOUNT:
        return c->lineCount();
    case EM_SETCHARFORMAT:
        return c->setCharFormat(wParam, reinterpret_cast<const CHARFORMATW*>(lParam));
    case EM_GETCHARFORMAT:
        return c->getCharFormat(wParam, reinterpret_cast<CHARFORMATW*>(lParam));
    case EM_SETSEL:
        c->setSelection(static_cast<int>(static_cast<intptr_t>(wParam)),
                        static_cast<int>(static_cast<intptr_t>(lParam)));
        return 0;
    case EM_GETSEL:
        return c->getSelection(reinterpret_cast<DWORD*>(wParam), reinterpret_cast<DWORD*>(lParam));
    case EM_SETREADONLY:
        c->edit()->setReadOnly(wParam != 0);
        return TRUE;
    case WM_SETFOCUS:
        // Sent by code it changes nothing: the keyboard focus moves only
        // through SetFocus or the user's click.
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

} // namespace

void registerRichEditClass() {
    registerBuiltinClass(u"RICHEDIT", richEditProc, createRichEditWidget);
}

} // namespace winapi
