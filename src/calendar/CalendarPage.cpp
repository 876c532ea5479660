#include "calendar/CalendarPage.h"

#include "calendar/TRngSelCalendar.h"
#include "config/LanguageTexts.h"
#include "model/ToDoListModel.h"
#include "platform/Clock.h"

#include <QAction>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <cstdlib>

namespace {
enum class Glyph
{
    Previous,
    Today,
    Next
};

// Our own drawing of the three buttons, for desktops whose icon theme lacks them.
QIcon drawnIcon(Glyph glyph)
{
    QIcon icon;
    for (int size : {16, 22, 32}) {
        QPixmap pm(size, size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 16.0, size / 16.0);
        const QColor ink(52, 73, 94);
        if (glyph == Glyph::Today) {
            p.setPen(QPen(ink, 1));
            p.setBrush(QColor(250, 250, 246));
            p.drawRoundedRect(QRectF(2.5, 3.5, 11, 10), 1.5, 1.5);
            p.fillRect(QRectF(2.5, 3.5, 11, 3), QColor(200, 60, 50));
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(230, 120, 20));
            p.drawEllipse(QPointF(8, 10), 2.2, 2.2);
        } else {
            QPainterPath arrow;
            const qreal dir = glyph == Glyph::Previous ? -1 : 1;
            arrow.moveTo(8 - 3 * dir, 3);
            arrow.lineTo(8 + 3 * dir, 8);
            arrow.lineTo(8 - 3 * dir, 13);
            p.setPen(QPen(ink, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.drawPath(arrow);
        }
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

QIcon themeIcon(const char* name, Glyph glyph)
{
    const QString themeName = QString::fromLatin1(name);
    return QIcon::hasThemeIcon(themeName) ? QIcon::fromTheme(themeName) : drawnIcon(glyph);
}

QToolButton* monthButton(const char* objectName, const QIcon& icon, const QString& tip)
{
    auto* button = new QToolButton;
    button->setObjectName(QString::fromLatin1(objectName));
    button->setIcon(icon);
    button->setToolTip(tip);
    button->setAccessibleName(tip);
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    button->setMinimumSize(69, 23);
    return button;
}
} // namespace

CalendarPage::CalendarPage(const ToDoListModel* rows, QWidget* parent) : QWidget(parent), m_rows(rows)
{
    m_monthBar = new QToolBar;
    m_monthBar->setObjectName(QStringLiteral("MonthBar"));
    m_monthBar->setMovable(false);
    m_monthBar->setFloatable(false);
    m_monthBar->setMinimumHeight(27);
    const LanguageTexts& texts = LanguageTexts::shared();
    m_prevMonthButton = monthButton("PrevMonthButton", themeIcon("go-previous", Glyph::Previous),
                                    texts.text("Calendar", "Previous"));
    m_todayButton =
        monthButton("TodayButton", themeIcon("go-jump-today", Glyph::Today), texts.text("Calendar", "Today"));
    m_nextMonthButton =
        monthButton("NextMonthButton", themeIcon("go-next", Glyph::Next), texts.text("Calendar", "Next"));
    m_datePanel = new QLabel;
    m_datePanel->setObjectName(QStringLiteral("DatePanel"));
    m_datePanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_datePanel->setAlignment(Qt::AlignCenter);
    m_datePanel->setMinimumSize(164, 23);
    m_monthBar->addWidget(m_prevMonthButton);
    m_monthBar->addWidget(m_todayButton);
    m_monthBar->addWidget(m_nextMonthButton);
    m_monthBar->addWidget(m_datePanel);

    m_calendar = new TRngSelCalendar;
    m_calendar->setObjectName(QStringLiteral("RSCal"));
    m_calendar->setBlockedColor(QColor(0x80, 0x80, 0x00));
    m_calendar->setStartOfWeek(1);
    m_calendar->setBlockWeekends(false);
    retranslate();

    m_memo = new QPlainTextEdit;
    m_memo->setObjectName(QStringLiteral("CalMemo"));
    // The lines are copies made for looking at; typing in them would change nothing.
    m_memo->setReadOnly(true);
    m_memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    setMemoColors(Qt::yellow, QColor());

    m_calendarSplitter = new QSplitter(Qt::Horizontal);
    m_calendarSplitter->setObjectName(QStringLiteral("CalendarSplitter"));
    m_calendarSplitter->setHandleWidth(4);
    m_calendarSplitter->setChildrenCollapsible(false);
    m_calendarSplitter->addWidget(m_calendar);
    m_calendarSplitter->addWidget(m_memo);
    m_calendarSplitter->setStretchFactor(0, 1);
    m_calendarSplitter->setStretchFactor(1, 0);
    m_calendarSplitter->setSizes({600, 128});

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_monthBar);
    layout->addWidget(m_calendarSplitter, 1);

    m_popupMenu = new QMenu(this);
    m_popupMenu->setObjectName(QStringLiteral("CalPop"));
    connect(m_popupMenu, &QMenu::triggered, this, &CalendarPage::CalPopItemClick);

    connect(m_prevMonthButton, &QToolButton::clicked, m_calendar, &TBaseCalendar::PrevMonth);
    connect(m_nextMonthButton, &QToolButton::clicked, m_calendar, &TBaseCalendar::NextMonth);
    connect(m_todayButton, &QToolButton::clicked, this, &CalendarPage::showToday);
    connect(m_calendar, &TBaseCalendar::dateChanged, this, &CalendarPage::showMonthCaption);
    // Buttons and keys change the month through the calendar; the cells then follow the dates.
    connect(m_calendar, &TBaseCalendar::monthChanged, this, &CalendarPage::reload);
    connect(m_calendar, &TBaseCalendar::cellClicked, this, &CalendarPage::RSCalClick);
    connect(m_calendar, &TBaseCalendar::cellDoubleClicked, this, &CalendarPage::RSCalDblClick);

    connect(rows, &QAbstractItemModel::modelReset, this, &CalendarPage::rowsChanged);
    connect(rows, &QAbstractItemModel::layoutChanged, this, &CalendarPage::rowsChanged);
    connect(rows, &QAbstractItemModel::rowsInserted, this, &CalendarPage::rowsChanged);
    connect(rows, &QAbstractItemModel::rowsRemoved, this, &CalendarPage::rowsChanged);
    connect(rows, &QAbstractItemModel::rowsMoved, this, &CalendarPage::rowsChanged);
    connect(rows, &QAbstractItemModel::dataChanged, this, &CalendarPage::rowsChanged);
    showMonthCaption();
}

void CalendarPage::retranslate()
{
    const LanguageTexts& texts = LanguageTexts::shared();
    m_prevMonthButton->setToolTip(texts.text("Calendar", "Previous"));
    m_todayButton->setToolTip(texts.text("Calendar", "Today"));
    m_nextMonthButton->setToolTip(texts.text("Calendar", "Next"));
    // Each entry is three lines (CalendarEntries); a busy day says how many it cannot show.
    m_calendar->setEntryLines(3, texts.text("Calendar", "MoreItems"));
    m_calendar->setToolTip(texts.text("Calendar", "Hint"));
    m_calendar->setStatusTip(m_calendar->toolTip());
    if (isVisible())
        reload();
}

void CalendarPage::setCalendarColor(const QColor& color)
{
    if (color.isValid())
        m_calendar->setColor(color);
}

void CalendarPage::setMemoColors(const QColor& background, const QColor& text)
{
    QPalette p = m_memo->palette();
    if (background.isValid())
        p.setColor(QPalette::Base, background);
    if (text.isValid())
        p.setColor(QPalette::Text, text);
    // The title font colour is chosen for the dark title bar; on its lightened colour it may vanish.
    const int base = qGray(p.color(QPalette::Base).rgb());
    if (std::abs(qGray(p.color(QPalette::Text).rgb()) - base) < 96)
        p.setColor(QPalette::Text, base < 128 ? Qt::white : Qt::black);
    m_memo->setPalette(p);
}

void CalendarPage::setItemFontName(const QString& family)
{
    if (family.isEmpty())
        return;
    for (QWidget* w : {static_cast<QWidget*>(m_calendar), static_cast<QWidget*>(m_memo)}) {
        QFont f = w->font();
        f.setFamily(family);
        w->setFont(f);
    }
}

void CalendarPage::setListFont(const QFont& font)
{
    m_listFont = font;
    showMonthCaption();
}

void CalendarPage::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    reload();
}

void CalendarPage::rowsChanged()
{
    // Row numbers in the cells and in an open menu may name other rows now.
    m_stale = true;
    m_popupMenu->hide();
    m_popupMenu->clear();
    if (!m_reloadQueued && isVisible()) {
        m_reloadQueued = true;
        QTimer::singleShot(0, this, [this] {
            m_reloadQueued = false;
            if (m_stale)
                reload();
        });
    }
}

void CalendarPage::reload()
{
    if (!isVisible()) {
        m_stale = true;
        return;
    }
    m_calendar->ClearStrings();
    RefreshCalendar();
    // The memo shows the day it showed, as the rows are now.
    if (m_memoCell.x() >= 0)
        showCellLines(m_memoCell.x(), m_memoCell.y());
}

void CalendarPage::RefreshCalendar()
{
    if (!isVisible())
        return;
    showMonthCaption();
    FillCalendarMonth(m_calendar->Month(), m_calendar->Year());
    m_stale = false;
}

void CalendarPage::showMonthCaption()
{
    QFont f = m_listFont;
    f.setBold(true);
    f.setPointSize(16);
    m_datePanel->setFont(f);
    m_datePanel->setText(QStringLiteral("%1.%2")
                             .arg(m_calendar->Month(), 2, 10, QLatin1Char('0'))
                             .arg(m_calendar->Year(), 4, 10, QLatin1Char('0')));
}

void CalendarPage::FillCalendarMonth(int month, int year)
{
    CalendarEntries::Captions captions = CalendarEntries::currentCaptions();
    if (m_captionOf) {
        // Model columns: 0 is the Action, column value k is column k + 1.
        captions = {m_captionOf(ToDoItem::Target + 1), m_captionOf(ToDoItem::DateIn + 1),
                    m_captionOf(ToDoItem::AlarmTime + 1)};
    }
    CalendarEntries::forEachEntry(
        m_rows->list(), year, month,
        [&](int row, CalendarEntries::Kind kind, int day) { AddItemToCalendar(row, kind, day, captions); });
}

void CalendarPage::AddItemToCalendar(int row, CalendarEntries::Kind kind, int day,
                                     const CalendarEntries::Captions& captions)
{
    QStringList lines;
    CalendarEntries::appendLines(lines, m_rows->item(row), row, kind, captions);
    for (const QString& line : lines)
        m_calendar->AddString(0, 0, line, day);
}

bool CalendarPage::showCellLines(int col, int row)
{
    m_memoCell = QPoint(col, row);
    m_memo->clear();
    const QStringList* lines = m_calendar->CellStrings(col, row);
    if (!lines)
        return false;
    m_memo->setPlainText(lines->join(QLatin1Char('\n')));
    return true;
}

void CalendarPage::RSCalClick(int col, int row)
{
    if (m_stale)
        reload();
    if (showCellLines(col, row) && !m_calendar->CellStrings(col, row)->isEmpty())
        ShowItemRange(m_calendar->CellStrings(col, row)->constFirst());
}

void CalendarPage::ShowItemRange(const QString& line)
{
    const std::optional<int> row = CalendarEntries::ItemIndexFromLine(line);
    if (!row || *row >= m_rows->size())
        return;
    const ToDoItem& item = m_rows->item(*row);
    const std::optional<QDate> target = item.targetDate();
    const std::optional<QDate> dateIn = item.dateInDate();
    if (!target || !dateIn)
        return;
    m_calendar->setRangeStart(std::min(*dateIn, *target));
    m_calendar->setRangeEnd(std::max(*dateIn, *target));
}

void CalendarPage::RSCalDblClick(int col, int row, const QPoint& globalPos)
{
    if (m_stale)
        reload();
    if (showCellLines(col, row))
        ShowDayItemsMenu(*m_calendar->CellStrings(col, row), globalPos);
    else
        Q_EMIT addItemRequested(m_calendar->CalendarDate());
    reload();
}

void CalendarPage::ShowDayItemsMenu(const QStringList& lines, const QPoint& globalPos)
{
    m_popupMenu->clear();
    if (lines.size() <= 3) {
        // One item: edit it straight away. A line that names no row edits nothing.
        if (const std::optional<int> row =
                lines.isEmpty() ? std::nullopt : CalendarEntries::ItemIndexFromLine(lines.first()))
            Q_EMIT editItemRequested(*row);
        return;
    }
    for (qsizetype k = 3; k <= lines.size(); k += 3)
        AddCalPopItem(CalendarEntries::popupCaption(lines.at(k - 3), lines.at(k - 1)));
    m_popupMenu->popup(globalPos);
}

void CalendarPage::AddCalPopItem(const QString& caption)
{
    // The caption is shown as it is: an "&" in an Action is no accelerator.
    QAction* entry = m_popupMenu->addAction(QString(caption).replace(QLatin1Char('&'), QLatin1String("&&")));
    entry->setData(caption);
}

void CalendarPage::CalPopItemClick(QAction* entry)
{
    if (const std::optional<int> row = CalendarEntries::ItemIndexFromLine(entry->data().toString()))
        Q_EMIT editItemRequested(*row);
}

void CalendarPage::showToday()
{
    m_calendar->setCalendarDate(Clock::now());
    reload();
}
