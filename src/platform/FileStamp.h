#pragma once

#include <QByteArray>
#include <QString>

// What a file was when a list was read from it or written to it: which file (device and inode, so a file
// replaced by a save is a new one), its size and its modification time to the nanosecond. A save that
// finds the stamp changed knows another writer was there.
struct FileStamp
{
    bool exists = false;
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    // A regular file (not a folder, device, pipe or socket).
    bool regular = false;

    // The file a path names now (links followed); a missing file gives a stamp that does not exist.
    static FileStamp of(const QString& path);
    // One line for a record (the recovery copy's), and back; an empty or damaged text gives an
    // unknown stamp.
    QByteArray toText() const;
    static FileStamp fromText(const QByteArray& text, bool* known = nullptr);

    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};
