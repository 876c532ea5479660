#pragma once

#include "platform/FileSystem.h"
#include "platform/IoResult.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>

#include <memory>
#include <optional>

// The bytes of a file or a text after its byte-order mark, UTF-16 made UTF-8; can start over.
class CSVInput
{
public:
    // The byte-order mark the text begins with.
    enum class Bom
    {
        None,
        Utf8,
        Utf16LE,
        Utf16BE
    };

    CSVInput(const QString& path, QByteArrayView text) : m_path(path), m_text(text) {}

    IoResult restart();

    Bom bom() const { return m_bom; }
    // The size of the file or text as it is stored.
    qint64 size() const { return m_file ? m_file->size() : m_text.size(); }
    bool isUtf16() const { return m_bom == Bom::Utf16LE || m_bom == Bom::Utf16BE; }
    const IoResult& error() const { return m_error; }

    // Up to max bytes; 0 at the end, -1 on failure.
    qint64 read(char* data, qint64 max);

private:
    qint64 readRaw(char* data, qint64 max);

    QString m_path;
    QByteArrayView m_text;
    qsizetype m_offset = 0;
    std::unique_ptr<RegularFileReader> m_file;
    Bom m_bom = Bom::None;
    std::optional<QStringDecoder> m_decoder;
    QByteArray m_raw16;
    bool m_rawEnd = false;
    QByteArray m_pending;
    qsizetype m_pendingUsed = 0;
    IoResult m_error;
};
