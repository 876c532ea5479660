#pragma once

#include <QByteArrayView>
#include <QtGlobal>

#include <memory>

// What a run of history records was, kept instead of the bytes themselves: their length and a 128-bit
// hash of them (XXH3, which reads memory about as fast as it can be copied). Records are checked against
// a digest where they are found again, in the history file, so that a move of a million rows need not
// keep or compare its 230 MB twice.
struct RecordDigest
{
    // -1 while nothing is known.
    qint64 size = -1;
    quint64 low = 0;
    quint64 high = 0;

    bool known() const { return size >= 0; }
    static RecordDigest of(QByteArrayView bytes);
    friend bool operator==(const RecordDigest&, const RecordDigest&) = default;
};

// The digest of bytes that come in pieces.
class RecordDigester
{
public:
    RecordDigester();
    ~RecordDigester();
    RecordDigester(const RecordDigester&) = delete;
    RecordDigester& operator=(const RecordDigester&) = delete;

    void add(QByteArrayView bytes);
    RecordDigest result() const;

private:
    struct State;
    std::unique_ptr<State> m_state;
    qint64 m_size = 0;
};
