#include "exchange/sync/SyncState.h"

#include "config/LanguageTexts.h"

#include "platform/AtomicFile.h"
#include "platform/FileStamp.h"
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

QString SyncState::listKey(const QString& listPath)
{
    const QFileInfo info(listPath);
    if (const QString canonical = info.canonicalFilePath(); !canonical.isEmpty())
        return canonical;
    const QString dir = QFileInfo(info.absolutePath()).canonicalFilePath();
    return (dir.isEmpty() ? info.absolutePath() : dir) + QLatin1Char('/') + info.fileName();
}

IoResult SyncState::loadFor(const QString& listPath, SyncState& out)
{
    out = SyncState();
    const QString path = pathFor(listPath);
    const QString key = listKey(listPath);
    const LanguageTexts& texts = LanguageTexts::shared();
    if (QFileInfo(path).isSymLink())
        return IoResult::failure(texts.text("SyncErrors", "StateLinked").arg(ShownPath(path)),
                                 IoError::BadData);
    if (IoResult r = load(path, out); !r)
        return r;
    // A state naming a list that is still there is that list's (copied here); one whose list is gone
    // moved here with it (a folder moved or renamed) and is this list's now.
    if (!out.list.isEmpty() && out.list != key && QFileInfo::exists(out.list)) {
        const QString other = out.list;
        out = SyncState();
        return IoResult::failure(
            texts.text("SyncErrors", "StateOfAnother").arg(ShownPath(path), ShownPath(other)),
            IoError::BadData);
    }
    out.list = key;
    const FileStamp stamp = FileStamp::of(listPath);
    out.listOlder = out.listModifiedNs > 0 && stamp.exists && stamp.modifiedNs < out.listModifiedNs;
    return IoResult::success();
}

void SyncState::noteList(const QString& listPath)
{
    if (const FileStamp stamp = FileStamp::of(listPath); stamp.exists)
        listModifiedNs = stamp.modifiedNs;
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
    state.list = root.value(QLatin1String("list")).toString();
    state.listModifiedNs = root.value(QLatin1String("listModified")).toString().toLongLong();
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
    QJsonArray entries;
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
        entries.append(o);
    }
    QJsonObject root{{QLatin1String("format"), kFormat},
                     {QLatin1String("collection"), collection.toString()},
                     {QLatin1String("syncToken"), QString::fromUtf8(syncToken)},
                     {QLatin1String("items"), entries}};
    if (!user.isEmpty())
        root.insert(QLatin1String("user"), user);
    if (!list.isEmpty())
        root.insert(QLatin1String("list"), list);
    // As text: nanoseconds since 1970 are past what a JSON number holds exactly.
    if (listModifiedNs > 0)
        root.insert(QLatin1String("listModified"), QString::number(listModifiedNs));
    return AtomicFile::save(path, QJsonDocument(root).toJson(QJsonDocument::Compact),
                            AtomicFile::Ownership::ProgramFile);
}

void SyncState::settleReceived(const std::vector<SyncRowChange>& missed)
{
    using Kind = SyncRowChange::Kind;
    const auto missedBy = [&missed](const SyncItemState& i) {
        return std::any_of(missed.cbegin(), missed.cend(), [&i](const SyncRowChange& c) {
            if (c.kind == Kind::Update)
                return i.pending == SyncItemState::Pending::Received && c.after == i.base;
            return c.kind == Kind::Remove && i.pending == SyncItemState::Pending::Removed && i.previous &&
                   c.before == *i.previous;
        });
    };
    std::erase_if(items, [&](const SyncItemState& i) {
        return i.pending == SyncItemState::Pending::Removed && !missedBy(i);
    });
    for (SyncItemState& i : items) {
        if (missedBy(i))
            continue;
        if (i.pending == SyncItemState::Pending::SentReceived) {
            i.pending = SyncItemState::Pending::Sent;
        } else if (i.pending == SyncItemState::Pending::Received) {
            i.pending = SyncItemState::Pending::None;
            i.previous.reset();
        }
    }
}
