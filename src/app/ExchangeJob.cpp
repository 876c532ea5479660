#include "app/ExchangeJob.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>

namespace {
// Often enough that the bar moves smoothly, seldom enough to cost the window nothing.
constexpr int kPollMs = 100;
// The bar's steps: the work's own counts (rows, bytes) may not fit an int.
constexpr int kBarSteps = 1000;
} // namespace

ExchangeJob::ExchangeJob(const QString& name, QObject* parent) : QObject(parent)
{
    setObjectName(name);
    m_panel = new QWidget;
    m_panel->setObjectName(name + QLatin1String("Panel"));
    auto* layout = new QHBoxLayout(m_panel);
    layout->setContentsMargins(4, 0, 4, 0);
    m_label = new QLabel;
    m_bar = new QProgressBar;
    m_bar->setRange(0, kBarSteps);
    m_bar->setMaximumWidth(160);
    m_cancel = new QPushButton(QStringLiteral("Cancel"));
    m_cancel->setObjectName(name + QLatin1String("Cancel"));
    layout->addWidget(m_label);
    layout->addWidget(m_bar);
    layout->addWidget(m_cancel);
    m_panel->hide();
    connect(m_cancel, &QPushButton::clicked, this, &ExchangeJob::cancel);
    m_poll.setInterval(kPollMs);
    connect(&m_poll, &QTimer::timeout, this, &ExchangeJob::showProgress);
}

ExchangeJob::~ExchangeJob()
{
    if (m_thread) {
        m_progress->cancel();
        // A thread never started has nothing to wait for.
        m_thread->wait();
        delete m_thread;
    }
    // The window owns the panel once it is placed; a panel never placed is ours.
    if (m_panel && !m_panel->parent())
        delete m_panel.data();
}

void ExchangeJob::setCancelText(const QString& text)
{
    m_cancel->setText(text);
}

void ExchangeJob::start(const QString& label, Work work, Done done)
{
    Q_ASSERT(!m_thread);
    m_progress = std::make_shared<JobProgress>();
    m_result = std::make_shared<IoResult>();
    m_done = std::move(done);
    m_thread = QThread::create(
        [work = std::move(work), progress = m_progress, result = m_result] { *result = work(*progress); });
    // Queued to the window's thread: the result is taken there.
    connect(m_thread, &QThread::finished, this, &ExchangeJob::collect, Qt::QueuedConnection);
    m_label->setText(label);
    m_bar->setValue(0);
    m_cancel->setEnabled(true);
    m_panel->show();
    m_poll.start();
    // The work begins once the window's loop runs again: the dialog that chose the file leaves the screen
    // before the work competes for the processor, and a Cancel right away always comes first.
    QTimer::singleShot(0, m_thread, [thread = m_thread] { thread->start(); });
}

void ExchangeJob::cancel()
{
    if (!m_thread)
        return;
    m_progress->cancel();
    m_cancel->setEnabled(false);
}

void ExchangeJob::showProgress()
{
    const qint64 total = m_progress->total();
    m_bar->setValue(total > 0 ? int(std::min<qint64>(kBarSteps, m_progress->done() * kBarSteps / total)) : 0);
}

void ExchangeJob::collect()
{
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    m_poll.stop();
    if (m_panel)
        m_panel->hide();
    const IoResult result = *m_result;
    const Done done = std::move(m_done);
    m_done = nullptr;
    if (done)
        done(result);
}
