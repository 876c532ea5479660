#include "exchange/CSVRowMaker.h"

#include "exchange/CSVCaptions.h"
#include "platform/CodePage.h"

#include <QtEndian>

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

bool HasHighByte(QByteArrayView text)
{
    // Sixteen bytes at a time (eight without SSE2): most texts are ASCII, and every piece of a file is
    // looked at.
    const char* p = text.data();
    const char* const end = p + text.size();
#if defined(__SSE2__)
    __m128i any16 = _mm_setzero_si128();
    for (; end - p >= 16; p += 16)
        any16 = _mm_or_si128(any16, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
    if (_mm_movemask_epi8(any16) != 0)
        return true;
#endif
    quint64 any = 0;
    for (; end - p >= 8; p += 8) {
        quint64 w;
        std::memcpy(&w, p, 8);
        any |= w;
    }
    for (; p < end; ++p)
        any |= static_cast<unsigned char>(*p);
    return (any & 0x8080808080808080ull) != 0;
}

ToDoItem CSVRowMaker::make(const std::vector<QByteArrayView>& fields, qsizetype line)
{
    std::array<QByteArrayView, ToDoItem::ColumnCount + 1> texts{};
    bool checked = false;
    bool longRecord = false;
    m_converted.clear();
    m_converted.reserve(fields.size());
    for (size_t k = 0; k < fields.size(); ++k) {
        const int c = k < target.size() ? target[k] : -1;
        if (c < 0) {
            longRecord = longRecord || (k >= target.size() && !fields[k].isEmpty());
            continue;
        }
        QByteArrayView text = fields[k];
        if (unguard && !text.isEmpty() && text[0] == '\'')
            text = UnguardCSVText(text);
        if (toCodePage && HasHighByte(text))
            text = converted(text, line);
        if (c == kCSVCompletedColumn)
            checked = isTrue(text);
        else if (c <= ToDoItem::ColumnCount && texts[size_t(c)].isNull())
            texts[size_t(c)] = text;
    }
    longRecords += longRecord ? 1 : 0;
    return fromTexts(texts, checked);
}

ToDoItem CSVRowMaker::fromTexts(const std::array<QByteArrayView, ToDoItem::ColumnCount + 1>& texts,
                                bool checked)
{
    qsizetype size = 4 + 4 + 4 * ToDoItem::ColumnCount;
    for (const QByteArrayView t : texts)
        size += t.size();
    // The record layout of the list file: Action, LastColumnIndex, the column values; one block per row.
    QByteArray record(size, Qt::Uninitialized);
    char* d = record.data();
    const auto put = [&d](QByteArrayView text) {
        qToLittleEndian<qint32>(static_cast<qint32>(text.size()), d);
        if (!text.isEmpty())
            std::memcpy(d + 4, text.data(), text.size());
        d += 4 + text.size();
    };
    put(texts[0]);
    qToLittleEndian<qint32>(ToDoItem::ColumnCount - 1, d);
    d += 4;
    for (int k = 1; k <= ToDoItem::ColumnCount; ++k)
        put(texts[size_t(k)]);
    return ToDoItem::fromRecord(std::move(record), checked);
}

bool CSVRowMaker::isTrue(QByteArrayView text)
{
    const QByteArray t = text.trimmed().toByteArray().toLower();
    return t == "1" || t == "true" || t == "yes" || t == "x";
}

QByteArrayView CSVRowMaker::converted(QByteArrayView utf8, qsizetype line)
{
    const CodePage::Encoded e = CodePage::encode(QString::fromUtf8(utf8));
    if (!e.ok()) {
        if (unmappable.isEmpty())
            unmappableLine = line;
        for (const QChar c : e.unmappable) {
            if (!unmappable.contains(c))
                unmappable += c;
        }
        return utf8;
    }
    m_converted.push_back(e.bytes);
    return QByteArrayView(m_converted.back());
}
