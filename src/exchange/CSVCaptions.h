#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

// The captions of CSV headers, and the guard that keeps spreadsheets from reading a text as a formula.

// Column of a header caption: 0 = Action ... 8 = File Location, or one of these; nullopt when unknown.
inline constexpr int kCSVStatusColumn = 100;    // the listing's status: worked out again, not read
inline constexpr int kCSVCompletedColumn = 101; // the listing's completed flag: 1 or 0
std::optional<int> CSVColumnOfCaption(QStringView caption);

// The column whose caption caption is, spelt exactly as the export, a shipped language or the language in
// effect writes it; nullopt for anything else.
std::optional<int> ExactCSVCaptionColumn(const QString& caption);

// The export's header: the captions of Action and the eight columns, as the listing has them.
QByteArrayView CSVExportCaption(int column);

// The guard that keeps spreadsheets from taking a text for a formula: a text that begins, after any
// apostrophes, with = + - @ tab or CR gets one more apostrophe in front; UnguardCSVText takes it off again.
bool CSVTextNeedsGuard(QByteArrayView text);
QByteArrayView UnguardCSVText(QByteArrayView text);
