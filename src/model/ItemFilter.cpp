#include "model/ItemFilter.h"

#include "model/ToDoItem.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace {
// UTF-8 of the dotless i, which a capital I is in Turkish and Azerbaijani.
constexpr char kDotlessI[] = "\xC4\xB1";

bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The common case, and most of every list: ASCII needs no decoding, normalising or tables. Line breaks,
// tabs and runs of blanks become one blank.
void foldAscii(QByteArrayView text, bool turkic, QByteArray& out)
{
    const qsizetype start = out.size();
    // A capital I may take two bytes (the dotless i).
    out.resize(start + text.size() * (turkic ? 2 : 1));
    char* const begin = out.data();
    char* p = begin + start;
    bool blank = start > 0 && p[-1] == ' ';
    for (const char c : text) {
        if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7F) {
            if (!blank)
                *p++ = ' ';
            blank = true;
            continue;
        }
        blank = false;
        if (c >= 'A' && c <= 'Z') {
            if (turkic && c == 'I') {
                *p++ = kDotlessI[0];
                *p++ = kDotlessI[1];
            } else {
                *p++ = static_cast<char>(c + ('a' - 'A'));
            }
        } else {
            *p++ = c;
        }
    }
    out.truncate(p - begin);
}

// Letters that are a base letter with a stroke or a ligature, which no decomposition takes apart.
const char* spelledOut(char16_t c)
{
    switch (c) {
    case u'\u00DF': // sharp s
        return "ss";
    case u'\u00E6':
        return "ae";
    case u'\u0153':
        return "oe";
    case u'\u00F8':
        return "o";
    case u'\u0142':
        return "l";
    case u'\u0111':
        return "d";
    default:
        return nullptr;
    }
}

// The general way: decomposed, case folded, marks dropped.
void foldAny(QStringView text, bool turkic, QByteArray& out)
{
    QString s = text.toString();
    if (turkic) {
        s.replace(QChar(0x0130), QLatin1Char('i'));
        s.replace(QLatin1Char('I'), QChar(0x0131));
    }
    // Compatibility decomposition also takes ligatures, full-width and superscript forms to plain letters.
    s = s.normalized(QString::NormalizationForm_KD).toCaseFolded();
    QString kept;
    kept.reserve(s.size());
    bool blank = out.endsWith(' ');
    for (const QChar c : std::as_const(s)) {
        const QChar::Category category = c.category();
        if (category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining ||
            category == QChar::Mark_Enclosing)
            continue;
        const bool isBlank = c.isSpace() || category == QChar::Other_Control;
        if (isBlank && !blank)
            kept += QLatin1Char(' ');
        else if (const char* spelled = spelledOut(c.unicode()))
            kept += QLatin1String(spelled);
        else if (!isBlank)
            kept += c;
        blank = isBlank;
    }
    out += kept.toUtf8();
}

// Each character of the Latin scripts folded once for all: most texts that are not ASCII are made of them,
// and a character folds the same on its own as within a text.
constexpr char16_t kLatinEnd = 0x0250;
const std::array<QByteArray, kLatinEnd>& latinFolds()
{
    static const std::array<QByteArray, kLatinEnd> table = [] {
        std::array<QByteArray, kLatinEnd> folds;
        for (char16_t c = 0; c < kLatinEnd; ++c) {
            const QChar ch(c);
            foldAny(QStringView(&ch, 1), false, folds[c]);
        }
        return folds;
    }();
    return table;
}

void foldText(QStringView text, bool turkic, QByteArray& out)
{
    if (!std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < kLatinEnd; })) {
        foldAny(text, turkic, out);
        return;
    }
    const auto& folds = latinFolds();
    bool blank = out.endsWith(' ');
    for (const QChar c : text) {
        if (turkic && (c == QLatin1Char('I') || c.unicode() == 0x0130)) {
            out += c == QLatin1Char('I') ? kDotlessI : "i";
            blank = false;
            continue;
        }
        const QByteArray& folded = folds[c.unicode()];
        if (folded == " ") {
            if (!blank)
                out += ' ';
            blank = true;
        } else if (!folded.isEmpty()) {
            out += folded;
            blank = false;
        }
    }
}

void foldBytes(QByteArrayView bytes, bool turkic, QByteArray& out)
{
    // Both code pages are ASCII below 0x80.
    if (isAscii(bytes))
        foldAscii(bytes, turkic, out);
    else
        foldText(CodePage::decode(bytes), turkic, out);
}
} // namespace

ItemFilter::Folding ItemFilter::Folding::forLocale(const QLocale& locale)
{
    Folding f;
    f.turkic = locale.language() == QLocale::Turkish || locale.language() == QLocale::Azerbaijani;
    f.codePage = CodePage::current();
    return f;
}

void ItemFilter::setText(const QString& text)
{
    m_text = text;
    m_needle = folded(text, m_folding);
}

QByteArray ItemFilter::folded(QStringView text, const Folding& folding)
{
    QByteArray out;
    out.reserve(text.size());
    if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; }))
        foldAscii(text.toLatin1(), folding.turkic, out);
    else
        foldText(text, folding.turkic, out);
    return out;
}

QByteArray ItemFilter::searchKey(const ToDoItem& item, const Folding& folding)
{
    QByteArray key;
    key.reserve(item.record().size());
    foldBytes(item.action(), folding.turkic, key);
    for (int k = 0; k < ToDoItem::ColumnCount && k < item.valueCount(); ++k) {
        key += '\n';
        foldBytes(item.value(k), folding.turkic, key);
    }
    return key;
}

bool ItemFilter::acceptsText(const QByteArray& key) const
{
    // The library's own find: the first byte by memchr, then a compare. QByteArrayView::indexOf sets up a
    // search of its own for every row, which costs more than the row's few hundred bytes.
    return m_needle.isEmpty() ||
           std::string_view(key.constData(), static_cast<size_t>(key.size()))
                   .find(std::string_view(m_needle.constData(), static_cast<size_t>(m_needle.size()))) !=
               std::string_view::npos;
}

bool ItemFilter::acceptsStatus(const ToDoItem& item, const QDate& today) const
{
    return m_statuses == AllStatuses || (m_statuses & bit(ItemStatusOf(item, today))) != 0;
}

bool ItemFilter::accepts(const ToDoItem& item, const QByteArray& key, const QDate& today) const
{
    return acceptsText(key) && acceptsStatus(item, today);
}
