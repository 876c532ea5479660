#include "exchange/CSVInput.h"

#include "config/LanguageTexts.h"

#include <QDir>

#include <algorithm>
#include <cstring>

IoResult CSVInput::restart()
{
    m_offset = 0;
    m_pending.clear();
    m_pendingUsed = 0;
    m_rawEnd = false;
    if (!m_path.isEmpty()) {
        m_file = std::make_unique<RegularFileReader>();
        if (IoResult r = m_file->open(m_path, FileLimit::CSV); !r)
            return r;
    }
    char head[3] = {0, 0, 0};
    const qint64 got = readRaw(head, 3);
    if (got < 0)
        return m_file->error();
    const QByteArrayView h(head, got);
    qsizetype skip = 0;
    if (h.startsWith("\xEF\xBB\xBF")) {
        m_bom = Bom::Utf8;
        skip = 3;
    } else if (h.startsWith("\xFF\xFE")) {
        m_bom = Bom::Utf16LE;
        skip = 2;
    } else if (h.startsWith("\xFE\xFF")) {
        m_bom = Bom::Utf16BE;
        skip = 2;
    } else {
        m_bom = Bom::None;
    }
    m_decoder.emplace(m_bom == Bom::Utf16BE ? QStringConverter::Utf16BE : QStringConverter::Utf16LE);
    // What followed the mark in the first bytes.
    m_pending = QByteArray(head + skip, got - skip);
    if (isUtf16()) {
        m_raw16 = m_pending;
        m_pending.clear();
    }
    return IoResult::success();
}

qint64 CSVInput::read(char* data, qint64 max)
{
    qint64 done = 0;
    while (done < max) {
        if (m_pendingUsed < m_pending.size()) {
            const qint64 n = std::min<qint64>(max - done, m_pending.size() - m_pendingUsed);
            std::memcpy(data + done, m_pending.constData() + m_pendingUsed, size_t(n));
            m_pendingUsed += n;
            done += n;
            continue;
        }
        m_pending.clear();
        m_pendingUsed = 0;
        if (!isUtf16()) {
            const qint64 got = readRaw(data + done, max - done);
            if (got < 0)
                return -1;
            return done + got;
        }
        if (m_rawEnd)
            return done;
        QByteArray raw = m_raw16;
        m_raw16.clear();
        const qsizetype at = raw.size();
        raw.resize(at + (qsizetype(1) << 18));
        const qint64 got = readRaw(raw.data() + at, raw.size() - at);
        if (got < 0)
            return -1;
        raw.truncate(at + got);
        if (got == 0)
            m_rawEnd = true;
        const QString decoded = m_decoder->decode(raw);
        if (m_decoder->hasError()) {
            m_error = IoResult::failure(
                LanguageTexts::shared().text("CsvErrors", "Utf16Bom").arg(QDir::toNativeSeparators(m_path)),
                IoError::BadData);
            return -1;
        }
        m_pending = decoded.toUtf8();
    }
    return done;
}

qint64 CSVInput::readRaw(char* data, qint64 max)
{
    if (m_file) {
        const qint64 got = m_file->read(data, max);
        if (got < 0)
            m_error = m_file->error();
        return got;
    }
    const qint64 n = std::min<qint64>(max, m_text.size() - m_offset);
    if (n > 0)
        std::memcpy(data, m_text.data() + m_offset, size_t(n));
    m_offset += std::max<qint64>(n, 0);
    return std::max<qint64>(n, 0);
}
