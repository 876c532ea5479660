#include "config/IoMessage.h"

#include "config/LanguageTexts.h"
#include "platform/FileSystem.h"

#include <QLocale>

namespace {
QString text(const char* key)
{
    return LanguageTexts::shared().text("FileErrors", key);
}

// Figures as the user's locale writes them ("1,5 MiB" in German).
QString sizeText(qint64 bytes)
{
    constexpr qint64 mib = qint64(1) << 20;
    const QLocale locale;
    if (bytes >= mib)
        return text("MiB").arg(locale.toString(double(bytes) / double(mib), 'f', bytes % mib == 0 ? 0 : 1));
    return text("Bytes").arg(locale.toString(bytes));
}

QString holderText(const IoResult& r)
{
    const QString who = text(r.holder == IoHolder::Window        ? "HolderWindow"
                             : r.holder == IoHolder::CommandLine ? "HolderCommandLine"
                                                                 : "HolderUnknown");
    return r.holderPid > 0 ? text("Process").arg(who).arg(r.holderPid) : who;
}

QString whyText(const IoResult& r)
{
    switch (r.kind) {
    case IoError::NotFound:
        // A folder is made one level at a time: what is missing is the one it goes in.
        return text(r.step == IoStep::CreateFolder ? "NoParent" : "NotFound");
    case IoError::NotRegular:
        return text(r.folder ? "Folder" : "NotRegular");
    case IoError::TooLarge:
        if (r.step == IoStep::Read)
            return text("TooLargeRead").arg(sizeText(r.size), sizeText(r.limit));
        return r.size >= 0 ? text("TooLargeWrite").arg(sizeText(r.size), sizeText(r.limit))
                           : text("TooLargeWriteUnknown").arg(sizeText(r.limit));
    case IoError::Permission:
        return text("Permission");
    case IoError::NoSpace:
        return text("NoSpace");
    case IoError::ReadOnly:
        return text("ReadOnly");
    case IoError::BadName:
        return text("BadName");
    case IoError::Cancelled:
        return text("Cancelled");
    default:
        return r.reason.isEmpty() ? text("NoReason") : r.reason;
    }
}
} // namespace

QString IoMessage(const IoResult& r)
{
    if (r.ok)
        return {};
    if (!r.message.isEmpty() || r.step == IoStep::None)
        return r.message.isEmpty() ? whyText(r) : r.message;
    const QString path = ShownPath(r.path);
    if (r.kind == IoError::Busy && (r.step == IoStep::Lock || r.step == IoStep::Hold))
        return text(r.step == IoStep::Lock ? "ListsBusy" : "ListBusy").arg(path, holderText(r));
    switch (r.step) {
    case IoStep::PrivateFolder:
        return text("NotPrivate").arg(path);
    case IoStep::Associate:
        return text("BadExtension").arg(r.path);
    case IoStep::NameProgram:
        return text(r.kind == IoError::BadName ? "ProgramNotUtf8" : "ProgramUnknown").arg(path);
    case IoStep::RefreshTypes:
        return text("RefreshTypes").arg(r.path, whyText(r));
    default:
        break;
    }
    const char* key = "Other";
    switch (r.step) {
    case IoStep::Open:
        key = "Open";
        break;
    case IoStep::Read:
        key = "Read";
        break;
    case IoStep::Create:
        key = "Create";
        break;
    case IoStep::Write:
        key = "Write";
        break;
    case IoStep::Replace:
        key = "Replace";
        break;
    case IoStep::Remove:
        key = "Remove";
        break;
    case IoStep::CreateFolder:
        key = "CreateFolder";
        break;
    case IoStep::Lock:
        key = "Lock";
        break;
    case IoStep::Hold:
        key = "Hold";
        break;
    case IoStep::Output:
        key = "Output";
        break;
    default:
        break;
    }
    const bool standardOutput = r.step == IoStep::Output && r.path == QLatin1String("-");
    return text(key).arg(standardOutput ? text("StandardOutput") : path, whyText(r));
}
