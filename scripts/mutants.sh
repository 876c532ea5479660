#!/usr/bin/env bash
# Plants the faults listed below in the source, one at a time: rebuilds the tests named for each fault,
# runs them, and reports the fault killed (a test failed) or survived (all passed). Every fault must be
# killed. The source is put back after each fault, also when the run is interrupted or a build fails.
#
# Not part of .ci/run: one run rebuilds and runs tests some twenty times.
#
# Usage: scripts/mutants.sh [pattern]     (only the faults whose name contains pattern)
# Environment: QUILLMAR_MUTANT_BUILD_DIR (default build/), QUILLMAR_JOBS (default 2).
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${QUILLMAR_MUTANT_BUILD_DIR:-$root/build}"
jobs="${QUILLMAR_JOBS:-2}"
only="${1:-}"

# name ~ file ~ exact text (found once) ~ replacement ~ tests that must catch it (space-separated)
MUTANTS=(
    # The rules of the list document.
    "save-refused-with-no-reported-saved ~ src/model/ListFiles.cpp ~ return leaving; ~ return true; ~ listdocument_test"
    "save-by-mode-skips-history ~ src/model/ListDocument.cpp ~ if (m_mode == ListMode::History) ~ if (false) ~ listdocument_test"
    # The settings dialog's Save.
    "dialog-save-ignores-begin-date ~ src/dialogs/SettingsDialog.cpp ~ values.UseBeginDate = m_ui.useBeginDateBox->isChecked(); ~ ; ~ settings_dialog_test"
    "dialog-save-ignores-font-size ~ src/dialogs/SettingsDialog.cpp ~ values.FontSize = m_ui.fontSizeSpin->value(); ~ ; ~ settings_dialog_test"
    # The reminders.
    "missed-alarms-lose-week-cap ~ src/model/Reminders.cpp ~ since = std::max(since, now.addDays(-kMissedDays)); ~ ; ~ alarm_test"
    "snooze-in-seconds ~ src/model/Reminders.cpp ~ qint64(minutes) * 60 ~ qint64(minutes) ~ alarm_test"
    "alarm-lead-after-due ~ src/model/AlarmScanner.cpp ~ const qint64 lo = from + lead; ~ const qint64 lo = from - lead; ~ alarm_test"
    # The key table and the values of the settings dialog.
    "begin-date-moves-to-end ~ src/config/Config.cpp ~ T::NumericBool, \"1\", W::InPlace ~ T::NumericBool, \"1\", W::Last ~ settings_test settings_dialog_rules_test"
    "sound-file-not-checked ~ src/config/Config.cpp ~ if (entry(key).type == Type::ExistingFile && ~ if (false && ~ settings_test settings_dialog_rules_test"
    "font-default-changed ~ src/config/Config.cpp ~ {K::FontName, \"Font\", \"Name\", T::Text, \"\", ~ {K::FontName, \"Font\", \"Name\", T::Text, \"Arial\", ~ settings_test settings_dialog_rules_test"
    "colour-written-unset ~ src/config/SettingsValues.cpp ~ if (item.ColorSet) ~ if (true) ~ settings_dialog_rules_test"
    # The settings file's own rules.
    "ini-keys-case-sensitive ~ src/config/IniFile.cpp ~ Qt::CaseInsensitive) == 0 ~ Qt::CaseSensitive) == 0 ~ settings_test"
    # Item status, sorting, the lists' files, the exchange formats.
    "overdue-is-pending ~ src/model/ItemStatus.cpp ~ *target < today ? ~ *target > today ? ~ model_test itemfilter_test"
    "html-lt-unescaped ~ src/exchange/ToDo2HTML.cpp ~ entity(\"&lt;\", 4); ~ entity(\"<<<<\", 4); ~ html_test html_tidy_test"
    "html-background-default ~ src/exchange/ToDo2HTML.cpp ~ \"FFFACD\", ~ \"FFFFFF\", ~ html_test"
    "icalendar-relative-attachment ~ src/exchange/ICalendarExport.cpp ~ url.scheme().size() > 1 && !url.isRelative() ~ true ~ icalendar_test"
    "csv-quote-start-not-escaped ~ src/exchange/CSVConvert.cpp ~ if (text.startsWith(kQuote) || ~ if ( ~ csv_test"
    "csv-export-quotes-not-doubled ~ src/exchange/ListingTextWriter.h ~ return two('\"', '\"'); ~ return two('\\\\', '\"'); ~ csv_test csv_python_test"
    "csv-header-columns-ignored ~ src/exchange/CSVImport.cpp ~ m_rows.target = target; ~ ; ~ csv_test csv_python_test"
    "csv-formula-unguarded ~ src/exchange/CSVExchange.cpp ~ if (CSVTextNeedsGuard(text)) ~ if (false) ~ csv_test csv_python_test"
    "icalendar-empty-summary ~ src/exchange/ICalendarExport.cpp ~ if (!summary.isEmpty()) ~ if (true) ~ icalendar_test"
    "icalendar-uids-change-between-versions ~ src/exchange/ICalendarExport.cpp ~ const int occurrence = seen->second++; ~ const int occurrence = ++seen->second; ~ icalendar_test"
    "folder-date-follows-run-locale ~ src/config/FolderChoices.cpp ~ c.dateFormat = date.value_or(Regional::dateFormatOf(formats)); ~ c.dateFormat = Regional::dateFormatOf(formats); ~ folder_choices_test"
    # The window side.
    "undo-text-off-by-one ~ src/app/ListUndoStack.cpp ~ QByteArray::number(static_cast<int>(kind)) ~ QByteArray::number(static_cast<int>(kind) + 1) ~ find_undo_test"
    "unattended-answers-ok ~ src/dialogs/MessageBox.cpp ~ for (Button cautious : {Cancel, No, Ok}) ~ for (Button cautious : {Ok, No, Cancel}) ~ mainwindow_test lists_test"
    # Where the sync meets the user's edits, and a move to history cut short.
    "edit-lost-when-sync-moved-row ~ src/app/ItemCommands.cpp ~ const auto found = std::find(items.begin(), items.end(), before); ~ const auto found = items.end(); ~ sync_gui_test"
    "undo-check-ignores-items ~ src/model/RowChange.cpp ~ if (now.constData() != m_records[k].constData() && now != m_records[k]) ~ if (now.isNull() && false) ~ sync_gui_test"
    "interrupted-move-left-in-both ~ src/model/HistoryLedger.cpp ~ m_interrupted = m_journal.interruptedMoves(m_standardList); ~ m_interrupted = m_journal.interruptedMoves(m_standardList + QLatin1Char('x')); ~ listdocument_test"
    # A move to history done again, and alarm ticks that skip the rows.
    "failed-redo-stays-on-stack ~ src/app/ListUndoStack.cpp ~ commandAt(m_stack->index() - 1)->setRowsBack(); ~ return; ~ find_undo_test"
    "failed-move-leaves-list-modified ~ src/model/ListDocument.cpp ~ if (move.listWasSaved) { ~ if (false) { ~ find_undo_test"
    "alarm-skip-ignores-alarms-ahead ~ src/model/AlarmScanner.cpp ~ read.nextAt = std::min(read.nextAt, at); ~ (void)at; ~ alarm_test"
    "alarm-skip-unaware-of-edits ~ src/app/AlarmCenter.cpp ~ m_reminders.scanner().rowsChanged(rows->list(), topLeft.row(), bottomRight.row()); ~ (void)topLeft; (void)bottomRight; (void)rows; ~ alarms_gui_test"
    "alarm-skip-trusts-untold-counts ~ src/model/AlarmScanner.cpp ~ known->second + added != count || ~ added == -2147483647 - 1 || ~ alarm_test"
    "alarm-skip-reads-not-the-edited-rows ~ src/model/AlarmScanner.cpp ~ m_quiet->nextAt = std::min(m_quiet->nextAt, *moment * 1000); ~ {} ~ alarm_test"
    "history-cuts-in-undo-order ~ src/model/HistoryLedger.cpp ~ return a.historyOffset() > b.historyOffset(); ~ return a.historyOffset() < b.historyOffset(); ~ listdocument_test"
    "undo-after-undo-rewrites-history ~ src/model/HistoryLedger.cpp ~ if (cut.change.historyOffset() > change.historyOffset()) ~ if (false) ~ listdocument_test"
    # A crash between the list's save and the history's step of an undone move.
    "undone-cut-not-made-at-start ~ src/model/ListFiles.cpp ~ if (const IoResult cut = d.m_ledger.completeInterruptedCuts(); !cut) ~ if (const IoResult cut = IoResult::success(); !cut) ~ crash_test"
    "cut-leaves-move-journal-behind ~ src/model/HistoryLedger.cpp ~ std::optional<MoveJournal> shifts = at.sizeBefore >= 0 ? m_journal : std::nullopt; ~ std::optional<MoveJournal> shifts = std::nullopt; ~ listdocument_test"
    "cut-ignores-rows-that-left-again ~ src/model/ListDocument.cpp ~ m_ledger.rowsLeft(m_generation); ~ (void)0; ~ listdocument_test"
    "cut-kept-for-rows-gone-for-good ~ src/model/HistoryLedger.h ~ return cut.leftAt <= savedGeneration && !holds(rows, cut.change); ~ return false; ~ listdocument_test"
    "cut-beside-not-waited-for ~ src/model/ListDocument.cpp ~ for (const auto& [id, failed] : m_cuts->wait()) ~ for (const auto& [id, failed] : HistoryLedger::DueCuts::Failures()) ~ listdocument_test"
    "cut-made-for-another-programs-file ~ src/model/CutJournal.cpp ~ if (cut.written.isEmpty() || FileStamp::of(cut.written) != cut.writtenStamp) ~ if (cut.written.isEmpty()) ~ listdocument_test"
    "tail-digest-not-compared ~ src/model/HistoryTail.cpp ~ if (digest.result() != run) ~ if (false) ~ listfile_test listdocument_test"
    "cut-trusts-the-stamp ~ src/model/HistoryTail.cpp ~ checkEnd(historyPath, point, {&tail, 1}, count, false) ~ checkEnd(historyPath, point, {&tail, 1}, count, true) ~ listfile_test"
    "cut-in-place-ignores-records ~ src/model/CutJournal.cpp ~ != cut.records) ~ == RecordDigest()) ~ listfile_test"
    "cut-made-again-after-the-run-made-it ~ src/model/CutJournal.cpp ~ if (cut.historyBefore.exists && FileStamp::of(m_historyPath) != cut.historyBefore) ~ if (false) ~ listdocument_test"
    "save-as-leaves-cut-unnoted ~ src/model/ListFiles.cpp ~ SaveListFile(d.list(), path, nullptr, d.beforeReplacing(path, d.list())) ~ SaveListFile(d.list(), path) ~ listdocument_test"
    "save-at-once-leaves-waiting-cuts ~ src/model/ListFiles.cpp ~ const IoResult cut = d.cutUndoneMoves(d.m_generation + 1, change.id()); ~ const IoResult cut = change.undoFiles(d.m_paths.historyList); ~ listdocument_test"
    "recovery-copy-cuts-history ~ src/model/ListDocument.cpp ~ return writeRecovery(list()); ~ IoResult r = writeRecovery(list()); if (r) cutUndoneMoves(m_generation + 1); return r; ~ listdocument_test"
    "autosave-leaves-cut-unnoted ~ src/model/ListDocument.cpp ~ job.beforeReplace = m_ledger.beforeListReplaced(job.path, m_generation); ~ job.beforeReplace = {}; ~ crash_test"
    # The list's view.
    "row-header-stops-following ~ src/app/UniformRowHeader.cpp ~ const int rows = model()->rowCount(rootIndex()); ~ const int rows = count(); ~ view_test"
    "undo-leaves-current-row-behind ~ src/app/ListViewController.cpp ~ m_view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate); ~ ; ~ view_test"
    "kept-text-ignores-column-width ~ src/app/GridDelegate.cpp ~ TextKey key{text, font, width, ~ TextKey key{text, font, 0, ~ view_test"
    "kept-text-ignores-font ~ src/app/GridDelegate.cpp ~ TextKey key{text, font, width, ~ TextKey key{text, 0, width, ~ view_test"
    "struck-out-rows-lose-their-line ~ src/app/GridDelegate.cpp ~ if (lined.strikeOut()) ~ if (false) ~ view_test"
)

cd "$root" || exit 1
if [ ! -f "$build/build.ninja" ]; then
    echo "mutants.sh: configure $build first (see scripts/build.sh)" >&2
    exit 1
fi

backup="$(mktemp -d)"
planted=""
restore() {
    if [ -n "$planted" ]; then
        # A fresh time stamp, so that the next build compiles the file again.
        cat "$backup/original" >"$planted"
        planted=""
    fi
}
trap 'restore; rm -rf "$backup"' EXIT
trap 'echo "mutants.sh: interrupted, source put back" >&2; exit 130' INT TERM

field() { awk -F' ~ ' -v n="$2" '{ print $n }' <<<"$1"; }

# Replaces the one occurrence of $2 in file $1 by $3; fails when the text is not there exactly once.
plant() {
    python3 - "$1" "$2" "$3" <<'EOF'
import sys
path, old, new = sys.argv[1:4]
text = open(path, encoding="utf-8").read()
if text.count(old) != 1:
    sys.exit(f"{path}: the text to replace is there {text.count(old)} times: {old}")
open(path, "w", encoding="utf-8").write(text.replace(old, new))
EOF
}

runTests() {
    local tests="$1" regex
    regex="^($(tr ' ' '|' <<<"$tests"))\$"
    cmake --build "$build" --parallel "$jobs" --target $tests >"$backup/build.log" 2>&1 || return 2
    (cd "$build" && ctest -R "$regex" --timeout 600 -j "$jobs" >"$backup/test.log" 2>&1)
}

selected=()
for m in "${MUTANTS[@]}"; do
    [[ -z "$only" || "$(field "$m" 1)" == *"$only"* ]] && selected+=("$m")
done
files=$(for m in "${selected[@]}"; do field "$m" 2; done | sort -u)
if ! git diff --quiet -- $files; then
    echo "mutants.sh: the files to plant faults in have changes of their own; commit or stash them first" >&2
    exit 1
fi

# The tests must pass on the unchanged source, or a failure says nothing.
all_tests=$(for m in "${selected[@]}"; do field "$m" 5; done | tr ' ' '\n' | sort -u | tr '\n' ' ')
echo "Building and running the tests on the unchanged source: $all_tests"
if ! runTests "$all_tests"; then
    cat "$backup/build.log" "$backup/test.log" 2>/dev/null | tail -30
    echo "mutants.sh: the tests fail without any fault planted" >&2
    exit 1
fi

killed=0
survived=()
broken=()
for m in "${selected[@]}"; do
    name=$(field "$m" 1)
    file=$(field "$m" 2)
    cp "$file" "$backup/original"
    planted="$file"
    if ! plant "$file" "$(field "$m" 3)" "$(field "$m" 4)"; then
        restore
        broken+=("$name (not planted)")
        continue
    fi
    start=$SECONDS
    runTests "$(field "$m" 5)"
    result=$?
    restore
    case $result in
    0)
        survived+=("$name")
        printf '%-40s SURVIVED (%ss)\n' "$name" $((SECONDS - start))
        ;;
    2)
        broken+=("$name (does not build)")
        printf '%-40s does not build\n' "$name"
        ;;
    *)
        killed=$((killed + 1))
        printf '%-40s killed (%ss)\n' "$name" $((SECONDS - start))
        ;;
    esac
done

# Leave the build matching the source again.
cmake --build "$build" --parallel "$jobs" --target $all_tests >/dev/null 2>&1

echo "Faults: ${#selected[@]}, killed: $killed, survived: ${#survived[@]}, not usable: ${#broken[@]}"
for s in "${survived[@]}"; do echo "  survived: $s"; done
for b in "${broken[@]}"; do echo "  not usable: $b"; done
[ ${#survived[@]} -eq 0 ] && [ ${#broken[@]} -eq 0 ]
