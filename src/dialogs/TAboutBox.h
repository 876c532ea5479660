#pragma once

#include "dialogs/BinaryClock.h"
#include "platform/SystemInfo.h"

#include <QDialog>
#include <QPixmap>

#include <array>
#include <functional>

class QFrame;
class QIcon;
class QLabel;
class QTimer;
class QToolButton;
class QUrl;

// The about box: the program's name and version over its picture, the credits text, a binary clock that
// goes with the caption every second, the links to the maker's home page and mail, and a button that
// reports the operating system, the memory and the free disk space. TAboutBoxDlg fills and shows it.
class TAboutBox : public QDialog
{
    Q_OBJECT

public:
    explicit TAboutBox(QWidget* parent = nullptr);
    ~TAboutBox() override;

    static QString homePageAddress();
    static QString mailAddress();
    // How links are opened (tests put in their own); answers whether the desktop took the address.
    using UrlOpener = std::function<bool(const QUrl&)>;
    static void setUrlOpener(UrlOpener opener);

    void setBackground(bool useBackBMP, const QPixmap& backBMP, const QColor& backCol);
    void setFormLook(const QFont& font, const QColor& fontColor, const QColor& formColor);
    void setProductName(const QString& name);
    void setCopyright(const QString& text);
    void setComments(const QStringList& lines);
    void setSystemFacts(const SystemFacts& facts);
    void setProgramIcon(const QIcon& icon);
    // Where the credits stand; a scrolling control takes the place and hides them.
    QRect creditsGeometry() const;
    void hideStaticCredits();

    // The clock's labels, in the order the clock goes through them.
    const std::array<QLabel*, BinaryClock::kBitCount>& clockLabels() const { return m_clockLabels; }
    // The system report as the button shows it.
    QString systemReport() const;
    // The program file's name without folder.
    static QString programFileName();

    static const QColor& litColor();
    static const QColor& unlitColor();

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void FormActivate();
    void Timer1Timer();
    void showClock();
    void CommentsMouseDown(int y);
    void CommentsMouseMove(int y);
    void CommentsMouseUp();
    void setobj(int y);
    void LblHomepageClick();
    void LblMailClick();
    void SpeedButton1Click();
    void SpeedButton2Click();
    QLabel* label(const QString& text, const QRect& geometry, const char* name);

    QLabel* m_picture = nullptr;
    QLabel* m_programIcon = nullptr;
    QLabel* m_productName = nullptr;
    QLabel* m_versionCaption = nullptr;
    QLabel* m_version = nullptr;
    QLabel* m_releaseCaption = nullptr;
    QLabel* m_release = nullptr;
    QLabel* m_buildCaption = nullptr;
    QLabel* m_build = nullptr;
    QLabel* LblCopyRight_Text = nullptr;
    QLabel* m_copyrightCaption = nullptr;
    QLabel* m_copyright = nullptr;
    QFrame* m_infoPanel = nullptr;
    QWidget* m_mainPanel = nullptr;
    QLabel* m_comments = nullptr;
    QFrame* m_linkPanel = nullptr;
    std::array<QLabel*, BinaryClock::kBitCount> m_clockLabels{};
    QLabel* m_dragHint = nullptr;
    QLabel* m_linkCaption = nullptr;
    QLabel* m_homepageLink = nullptr;
    QLabel* m_mailLink = nullptr;
    QToolButton* m_systemButton = nullptr;
    QToolButton* m_closeButton = nullptr;
    QTimer* m_clockTimer = nullptr;

    QString m_programPath;
    int m_dragStart = 0;
    bool m_dragging = false;
    bool m_useBackBMP = false;
    QPixmap m_backBMP;
    QColor m_backCol = Qt::black;
    SystemFacts m_facts;
};
