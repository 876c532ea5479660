#pragma once

#include "platform/IoResult.h"
#include "platform/JobProgress.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;
class QThread;
class QWidget;

// One long file job of the Im-Export commands (an export, the CSV import), run on a thread of its own so
// that the window paints and scrolls meanwhile. While it runs, its panel (what it does, a progress bar and
// Cancel) shows; one job runs at a time, and the caller refuses a second start while running() is true.
//
// The work sees only what it was given (a copy of the rows, file names): nothing of the window. Its result
// comes back on the window's thread through the done callback, which is not called when the job is
// destroyed first (the window closes): the work is then cancelled and waited for.
class ExchangeJob : public QObject
{
    Q_OBJECT

public:
    using Work = std::function<IoResult(JobProgress&)>;
    using Done = std::function<void(const IoResult&)>;

    ExchangeJob(const QString& name, QObject* parent);
    ~ExchangeJob() override;

    // Hidden while no job runs; the owner puts it into the window.
    QWidget* panel() const { return m_panel; }
    bool running() const { return m_thread != nullptr; }
    void start(const QString& label, Work work, Done done);
    void cancel();
    void setCancelText(const QString& text);

private:
    void showProgress();
    void collect();

    // The window may take the panel down before the job.
    QPointer<QWidget> m_panel;
    QLabel* m_label;
    QProgressBar* m_bar;
    QPushButton* m_cancel;
    QTimer m_poll;
    QThread* m_thread = nullptr;
    // Shared with the work: it outlives the window's side only while the thread runs, and the destructor
    // waits for that.
    std::shared_ptr<JobProgress> m_progress;
    std::shared_ptr<IoResult> m_result;
    Done m_done;
};
