#include "exchange/sync/SyncState.h"

#include "config/LanguageTexts.h"

#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
// A state file holds the calendar text of every item: a list of some ten thousand items stays far below.
constexpr qint64 kStateFileLimit = qint64(256) << 20;
constexpr int kFormat = 1;

QString base64(QByteArrayView bytes)
{
    return QString::fromLatin1(bytes.toByteArray().toBase64());
}

QByteArray fromBase64(const QJsonValue& value)
{
    return QByteArray::fromBase64(value.toString().toLatin1());
}
} // namespace

QString SyncState::pathFor(const QString& listPath)
{
    const QFileInfo info(listPath);
    return info.absolutePath() + QLatin1String("/.") + info.fileName() + QLatin1String(".sync");
}

IoResult SyncState::load(const QString& path, SyncState& out)
{
    out = SyncState();
    if (!QFileInfo::exists(path))
        return IoResult::success();
    QByteArray bytes;
    if (IoResult r = ReadRegularFile(path, kStateFileLimit, bytes); !r)
        return r;
    const auto bad = [&path] {
        return IoResult::failure(
            LanguageTexts::shared().text("SyncErrors", "StateDamaged").arg(ShownPath(path)),
            IoError::BadData);
    };
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    const QJsonObject root = document.object();
    if (error.error != QJsonParseError::NoError || root.value(QLatin1String("format")).toInt() != kFormat)
        return bad();
    SyncState state;
    state.collection = QUrl(root.value(QLatin1String("collection")).toString());
    state.user = root.value(QLatin1String("user")).toString();
    state.syncToken = root.value(QLatin1String("syncToken")).toString().toUtf8();
    const QJsonArray items = root.value(QLatin1String("items")).toArray();
    state.items.reserve(size_t(items.size()));
    for (const QJsonValue& v : items) {
        const QJsonObject o = v.toObject();
        SyncItemState item;
        item.uid = o.value(QLatin1String("uid")).toString().toUtf8();
        item.href = o.value(QLatin1String("href")).toString().toUtf8();
        item.etag = o.value(QLatin1String("etag")).toString().toUtf8();
        const QByteArray record = fromBase64(o.value(QLatin1String("record")));
        if (item.uid.isEmpty() || ToDoItem::recordLength(record.constData(), record.size()) != record.size())
            return bad();
        item.base = ToDoItem::fromRecord(record, o.value(QLatin1String("checked")).toBool());
        item.calendar = o.value(QLatin1String("calendar")).toString().toUtf8();
        item.pending = SyncItemState::Pending(o.value(QLatin1String("pending")).toInt());
        if (o.contains(QLatin1String("previous"))) {
            const QByteArray previous = fromBase64(o.value(QLatin1String("previous")));
            if (ToDoItem::recordLength(previous.constData(), previous.size()) != previous.size())
                return bad();
            item.previous =
                ToDoItem::fromRecord(previous, o.value(QLatin1String("previousChecked")).toBool());
        }
        state.items.push_back(std::move(item));
    }
    out = std::move(state);
    return IoResult::success();
}

IoResult SyncState::save(const QString& path) const
{
    QJsonArray list;
    for (const SyncItemState& item : items) {
        QJsonObject o{{QLatin1String("uid"), QString::fromUtf8(item.uid)},
                      {QLatin1String("href"), QString::fromUtf8(item.href)},
                      {QLatin1String("etag"), QString::fromUtf8(item.etag)},
                      {QLatin1String("record"), base64(item.base.record())},
                      {QLatin1String("checked"), item.base.checked()},
                      {QLatin1String("calendar"), QString::fromUtf8(item.calendar)}};
        if (item.pending != SyncItemState::Pending::None)
            o.insert(QLatin1String("pending"), int(item.pending));
        if (item.previous) {
            o.insert(QLatin1String("previous"), base64(item.previous->record()));
            o.insert(QLatin1String("previousChecked"), item.previous->checked());
        }
        list.append(o);
    }
    QJsonObject root{{QLatin1String("format"), kFormat},
                     {QLatin1String("collection"), collection.toString()},
                     {QLatin1String("syncToken"), QString::fromUtf8(syncToken)},
                     {QLatin1String("items"), list}};
    if (!user.isEmpty())
        root.insert(QLatin1String("user"), user);
    return AtomicFile::save(path, QJsonDocument(root).toJson(QJsonDocument::Compact),
                            AtomicFile::Ownership::ProgramFile);
}

void SyncState::settleReceived()
{
    std::erase_if(items, [](const SyncItemState& i) { return i.pending == SyncItemState::Pending::Removed; });
    for (SyncItemState& i : items) {
        if (i.pending == SyncItemState::Pending::SentReceived) {
            i.pending = SyncItemState::Pending::Sent;
        } else if (i.pending == SyncItemState::Pending::Received) {
            i.pending = SyncItemState::Pending::None;
            i.previous.reset();
        }
    }
}
